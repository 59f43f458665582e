// The one loop over a tile's rows that flat and textured shading share. Each row is shaded in
// pieces that fit the row buffers: the surface samples a piece, every light of the block is summed
// (through the light caches when there are any) or lit in registers, the sums are combined with
// the samples' colours, and the surface puts the piece's pixels into the rows out.
#pragma once

#include "LM_globals.h"
#include "LM_shade_rows.h"
#include "LM_shader.h"
#include "LM_tile_view.h"

#include <algorithm>

// One sample array: a preview cache (advanced sample by sample over the whole preview, written
// only while cold) or the row buffer (reused for every piece, always written).
template <typename T> struct LM_sample_array {
    T* cache;
    T* buffer;
    bool hot;

    LM_sample_array(T* cacheStart, bool cacheHot, T* rowBuffer)
        : cache(cacheStart), buffer(rowBuffer), hot(cacheStart && cacheHot) {}
    LM_sample_array(const LM_cache<T>& c, T* rowBuffer) : LM_sample_array(c.Data(), c.Hot(), rowBuffer) {}
    T* at() const { return cache ? cache : buffer; }
    bool write() const { return !hot; }
    void advance(LM_uint32 n) {
        if (cache)
            cache += n;
    }
};

// A tile against its filtered area: sizes, and world units per image pixel.
struct LM_tile_geometry {
    int fw, fh;     // the filtered area
    int rows, cols; // the tile
    float s;        // worldWidth / fw
    bool shadable;  // both positive, and a row fits the row buffers
};
LM_tile_geometry LM_TileGeometry(const LM_tile_view& view, const foo* block);

// The sums of a tile's rows: in registers (direct), or in arrays that caches may hold.
struct LM_row_sums {
    bool direct;
    bool ready; // the sum caches are hot: no light is evaluated
    LM_sample_array<LM_color96> diffuse, specular;
};

// A Surface gives, for the piece of `pixels` pixels from column `first` of tile row `row`:
//   int PiecePixels() const;                         the widest piece
//   LM_uint32 Samples(int row, int first, int pixels); samples it, returns the sample count n
//   const LM_rgb8* Colors(int row, int first);       the n samples' base colours
//   LM_rgb8* Shaded(int row, int first);             where the n combined samples go
//   void ShadeAll(const foo*, const LM_row_lights&, LM_uint32 n, const LM_rgb8*, LM_rgb8*);
//   void ShadeLight(const LM_row_light&, LM_uint32 n, LM_color96* diffuse, LM_color96* specular);
//   void Finish(int row, int first, int pixels);     the piece's pixels into the rows out
//   void Advance(LM_uint32 n, int pixels);           past the piece in its caches
//   void EndRow(LM_uint32 samples);                  after the row's last piece
// A surface shades rows in order from the first it is given; any run of rows can have its own.
template <typename Surface>
void LM_DriveRowRange(const LM_tile_view& view, int begin, int end, const foo* block, LM_globals* g,
                      LM_row_sums sums, Surface& surface) {
    const int cols = view.in.rect.right - view.in.rect.left;
    for (int row = begin; row < end; ++row) {
        if (view.rowCallback)
            view.rowCallback();
        LM_uint32 rowSamples = 0;
        for (int first = 0; first < cols; first += surface.PiecePixels()) {
            const int pixels = std::min(surface.PiecePixels(), cols - first);
            const LM_uint32 n = surface.Samples(row, first, pixels);
            const LM_rgb8* colors = surface.Colors(row, first);
            LM_rgb8* shaded = surface.Shaded(row, first);
            if (sums.direct) {
                surface.ShadeAll(block, g->rowLights, n, colors, shaded);
            } else {
                if (!sums.ready)
                    LM_SumLights(block, n, g, sums.diffuse.at(), sums.specular.at(),
                                 [&](int l, LM_color96* d, LM_color96* s) {
                                     surface.ShadeLight(g->rowLights.lights[l], n, d, s);
                                 });
                LM_CombineRowFast(block, n, sums.diffuse.at(), sums.specular.at(), colors, shaded);
            }
            surface.Finish(row, first, pixels);
            surface.Advance(n, pixels);
            sums.diffuse.advance(n);
            sums.specular.advance(n);
            LM_AdvanceLightCursors(block, g, n);
            rowSamples += n;
        }
        surface.EndRow(rowSamples);
    }
}

// Shades a tile's rows with the surfaces `make(LM_row_work)` gives. Without caches the rows are
// shared out among the run's threads in runs of a few rows, each thread on its own row buffers:
// every row's arithmetic is the same whichever thread does it, so the result does not depend on
// the thread count.
template <typename MakeSurface>
void LM_DriveRows(const LM_tile_view& view, const LM_tile_geometry& t, const foo* block, LM_globals* g,
                  MakeSurface make) {
    const bool sumsUsed = g->diffuseSumCache.Used() && g->specularSumCache.Used();
    const bool sumsReady = sumsUsed && g->diffuseSumCache.Hot() && g->specularSumCache.Hot();
    g->ResolveLightCursors(block);
    if (!g->rowLightsForRun)
        LM_PrepareRowLights(block, g->rowLights);
    const LM_row_sums sums{
        !sumsUsed && !LM_AnyLightCache(block, g), sumsReady,
        LM_sample_array<LM_color96>(sumsUsed ? g->diffuseSumCache.Data() : nullptr, sumsReady, g->rowDiffuse),
        LM_sample_array<LM_color96>(sumsUsed ? g->specularSumCache.Data() : nullptr, sumsReady,
                                    g->rowSpecular)};
    LM_thread_pool* pool = g->threads.get();
    if (!sums.direct || !pool || pool->Threads() < 2 || t.rows < 2) {
        auto surface = make(g->RowWork(0));
        LM_DriveRowRange(view, 0, t.rows, block, g, sums, surface);
        return;
    }
    // The host still hears from the caller once a row; the threads ask nothing.
    for (int row = 0; row < t.rows && view.rowCallback; ++row)
        view.rowCallback();
    LM_tile_view quiet = view;
    quiet.rowCallback = nullptr;
    const int runs = std::min(t.rows, 4 * pool->Threads());
    auto shadeRun = [&](int run, int thread) {
        auto surface = make(g->RowWork(thread));
        LM_DriveRowRange(quiet, t.rows * run / runs, t.rows * (run + 1) / runs, block, g, sums, surface);
    };
    pool->Run(runs, shadeRun);
}
