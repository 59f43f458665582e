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
template <typename Surface>
void LM_DriveRows(const LM_tile_view& view, const LM_tile_geometry& t, const foo* block, LM_globals* g,
                  Surface& surface) {
    const bool sumsUsed = g->diffuseSumCache.Used() && g->specularSumCache.Used();
    const bool sumsReady = sumsUsed && g->diffuseSumCache.Hot() && g->specularSumCache.Hot();
    LM_sample_array<LM_color96> diffuse(sumsUsed ? g->diffuseSumCache.Data() : nullptr, sumsReady,
                                        g->rowDiffuse);
    LM_sample_array<LM_color96> specular(sumsUsed ? g->specularSumCache.Data() : nullptr, sumsReady,
                                         g->rowSpecular);
    g->ResolveLightCursors(block);
    LM_PrepareRowLights(block, g->rowLights);
    // Without caches every light's sums can stay in registers for the whole piece.
    const bool direct = !sumsUsed && !LM_AnyLightCache(block, g);
    for (int row = 0; row < t.rows; ++row) {
        if (view.rowCallback)
            view.rowCallback();
        LM_uint32 rowSamples = 0;
        for (int first = 0; first < t.cols; first += surface.PiecePixels()) {
            const int pixels = std::min(surface.PiecePixels(), t.cols - first);
            const LM_uint32 n = surface.Samples(row, first, pixels);
            const LM_rgb8* colors = surface.Colors(row, first);
            LM_rgb8* shaded = surface.Shaded(row, first);
            if (direct) {
                surface.ShadeAll(block, g->rowLights, n, colors, shaded);
            } else {
                if (!sumsReady)
                    LM_SumLights(block, n, g, diffuse.at(), specular.at(),
                                 [&](int l, LM_color96* d, LM_color96* s) {
                                     surface.ShadeLight(g->rowLights.lights[l], n, d, s);
                                 });
                LM_CombineRowFast(block, n, diffuse.at(), specular.at(), colors, shaded);
            }
            surface.Finish(row, first, pixels);
            surface.Advance(n, pixels);
            diffuse.advance(n);
            specular.advance(n);
            LM_AdvanceLightCursors(block, g, n);
            rowSamples += n;
        }
        surface.EndRow(rowSamples);
    }
}
