#include "LM_bumps.h"

#include "LM_memory.h"
#include "LM_globals.h"
#include "LM_shade_rows.h"
#include "LM_row_driver.h"
#include "LM_shader.h"
#include "LM_tiles.h"
#include "relight_filter.h"

#include <algorithm>
#include <cmath>

LM_sint32 LM_FilterHeight(const unsigned char* p, LM_uint32 rowBytes, LM_sint32 amplitude) {
    const unsigned char* r0 = p + rowBytes + 1;
    const unsigned char* r1 = r0 + rowBytes;
    const unsigned char* r2 = r1 + rowBytes;
    const LM_sint32 sum = 2 * r0[0] + 8 * r0[1] + 2 * r0[2] + 8 * r1[0] + 32 * r1[1] + 8 * r1[2] + 2 * r2[0] +
                          8 * r2[1] + 2 * r2[2];
    return LM_WrapMul(sum, amplitude) / 68;
}

LM_sint32 LM_StoreBumpMap(const LM_rows_in& delivered, LM_bump_map& map) {
    const Rect& block = delivered.rect;
    const LM_sint32 wb = block.right - block.left;
    const LM_sint32 hb = block.bottom - block.top;
    if (wb < 5 || hb < 5) {
        map.rowLength = 0;
        return 0;
    }
    map.rowLength = LM_uint32(wb - 4);
    const LM_uint32 rows = LM_uint32(hb - 4);
    const LM_uint32 need = rows * map.rowLength * 4;
    if (map.heightsSize < need) {
        LM_DisposePtr(map.heights);
        map.heights = static_cast<LM_sint32*>(LM_NewPtr(long(need)));
        if (!map.heights) {
            map.heightsSize = 0;
            return 1;
        }
        map.heightsSize = need;
    }
    const unsigned char* data = delivered.data;
    const LM_uint32 stride = LM_uint32(delivered.rowBytes);
    for (LM_uint32 r = 0; r < rows; ++r)
        for (LM_uint32 c = 0; c < map.rowLength; ++c)
            map.heights[r * map.rowLength + c] =
                LM_FilterHeight(data + r * stride + c, stride, map.amplitude);
    return 0;
}

LM_vector3f LM_BumpNormal(LM_sint32 gx, LM_sint32 gy) {
    if (gx == 0 && gy == 0)
        return {0.0f, 0.0f, 1.0f};
    const std::int64_t x = gx, y = gy;
    const float q = static_cast<float>(static_cast<std::uint64_t>(x * x) + static_cast<std::uint64_t>(y * y));
    const float inv = static_cast<float>(
        1.0 / std::sqrt(static_cast<double>(q + LM_BUMP_DEFAULT_NORMAL_Z * LM_BUMP_DEFAULT_NORMAL_Z)));
    return {-float(gx) * inv, float(gy) * inv, LM_BUMP_DEFAULT_NORMAL_Z * inv};
}

void LM_ShadeLightBumps(const LM_light& light, const LM_uint32 count, const LM_vector2f* positions,
                        const LM_vector3f* normals, LM_color96* diffuse, LM_color96* specular,
                        const LM_sint32* weights) {
    const LM_sint32 type = light.type;
    if (type != lightTypeOmni && type != lightTypeDirectional && type != lightTypeSpot)
        return;
    const LM_radiance r = LM_RadianceOf(light);
    const bool directional = type == lightTypeDirectional;
    const bool spot = type == lightTypeSpot;
    const float ox = light.origin[0], oy = light.origin[1];
    const float dx = light.direction[0], dy = light.direction[1], dz = light.direction[2];
    const float cutoff = light.cutoff;
    const float base = light.spreadBase;
    const float scale = light.spreadScale;
    const LM_sint32 last = LM_SpreadLastEntry(scale);
    float lx = dx, ly = dy;
    const float lz = directional ? dz : float(light.origin[2]);
    float inv = LM_InverseLength(lx, ly, lz);

    LM_uint32 i = 0;
    const LM_sint32* w = weights;
    while (i < count) {
        if (!directional) {
            lx = ox - positions[i].x;
            ly = oy - positions[i].y;
            inv = LM_InverseLength(lx, ly, lz);
        }
        float cosA = 0;
        bool lit = true;
        if (spot) {
            cosA = -(dx * lx + dy * ly + dz * lz) * inv;
            lit = cosA > cutoff;
        }
        float f = -1; // looked up at the first sample that faces the light
        for (; i < count && *w != 0; ++i, ++w) {
            if (!lit)
                continue;
            const LM_vector3f& nrm = normals[i];
            const float d = nrm.x * lx + nrm.y * ly + nrm.z * lz;
            if (!(d > 0))
                continue;
            if (spot && f < 0)
                f = LM_SpreadFactor(light, cosA, base, scale, last);
            LM_AddTerm(diffuse[i], r, spot ? (d * f) * inv : d * inv);
            const float t = static_cast<float>(2.0 * nrm.z);
            const float tz = static_cast<float>(double(t) * double(nrm.z) - 1.0);
            const float rz = (t * nrm.x) * lx + (t * nrm.y) * ly + tz * lz;
            if (rz > 0)
                LM_AddTerm(specular[i], r, spot ? ((rz * rz) * inv) * f : (rz * rz) * inv);
        }
        ++w; // the pixel's closing 0
    }
}

void LM_ShadeBumps(const foo* block, const unsigned short count, const LM_vector2f* positions,
                   const LM_vector3f* normals, const unsigned char* baseColors, LM_color96* diffuse,
                   LM_color96* specular, LM_bool sumsReady, unsigned char* shaded, LM_globals* globals,
                   const LM_sint32* weights) {
    if (count > LM_ROW_SAMPLES)
        return;
    if (!sumsReady)
        LM_SumLights(block, count, globals, diffuse, specular, [&](int l, LM_color96* d, LM_color96* s) {
            LM_ShadeLightBumps(block->lights[l], count, positions, normals, d, s, weights);
        });
    LM_CombineRow(block, count, diffuse, specular, baseColors, globals->rowTotals, shaded);
}

namespace {

// A row is shaded in pieces of whole pixels that fit the row buffers (four samples a pixel).
constexpr int kPiecePixels = LM_ROW_SAMPLES / 4;

// Whether the map holds the heights of a rows x cols area with its one-height border.
bool mapCovers(const LM_bump_map& map, LM_uint32 rows, LM_uint32 cols) {
    return map.heights && map.rowLength >= cols + 2 &&
           std::uint64_t(map.heightsSize) >= std::uint64_t(rows + 2) * map.rowLength * 4;
}

struct BumpArrays {
    LM_sample_array<LM_vector2f> positions;
    LM_sample_array<LM_vector3f> normals;
    LM_sample_array<LM_sint32> weights;
    LM_sample_array<unsigned char> base; // three bytes a sample
    bool geometryReady;

    BumpArrays(LM_globals* g, const LM_row_work& work)
        : positions(g->posCache, work.positions), normals(g->normCache, work.normals),
          weights(g->weightCache, work.weights), base(g->baseCache, work.baseColors),
          geometryReady(positions.hot && normals.hot && weights.hot && base.hot &&
                        g->sampleCountCache.Hot()) {}
};

struct PieceGeometry {
    const LM_bump_map* map;
    LM_uint32 row;
    int firstColumn, pixels;
    const unsigned char* source; // the piece's first pixel
    int x, y, fw, fh;            // the first pixel's place in the filtered area
    float s;
};

// The gradients of a piece's samples, normalised together once the piece is split (first its quads,
// four a pixel); each quad's weight and the sample it was kept as, for the average.
struct Gradients {
    LM_sint32 x[LM_ROW_SAMPLES], y[LM_ROW_SAMPLES], w[LM_ROW_SAMPLES], sample[LM_ROW_SAMPLES];
};
static_assert(4 * kPiecePixels <= LM_ROW_SAMPLES);

// Splits the piece's pixels into samples, writing what the arrays want written; returns the count.
// The quads are kept in place without branches: each is written at the next sample, which only
// advances when it weighs (a pixel's first quad always does, so a dropped one points at the one
// before).
LM_uint32 samplePass(const PieceGeometry& p, BumpArrays& a, Gradients& g) {
    LM_ReliefQuadsRow(p.map->heights + p.row * p.map->rowLength + LM_uint32(p.firstColumn), p.map->rowLength,
                      LM_uint32(p.pixels), g.x, g.y, g.w);
    LM_uint32 n = 0;
    LM_sint32* weights = a.weights.at();
    const LM_rgb8* source = reinterpret_cast<const LM_rgb8*>(p.source);
    LM_rgb8* base = reinterpret_cast<LM_rgb8*>(a.base.at());
    for (int k = 0; k < p.pixels; ++k) {
        const LM_vector2f position = LM_PixelPosition(p.x + k, p.y, p.fw, p.fh, p.s);
        for (int j = 4 * k; j < 4 * k + 4; ++j) {
            g.x[n] = g.x[j];
            g.y[n] = g.y[j];
            if (a.weights.write())
                *weights = g.w[j];
            if (a.positions.write())
                a.positions.at()[n] = position;
            if (a.base.write())
                base[n] = source[k];
            const bool kept = g.w[j] != 0;
            g.sample[j] = LM_sint32(n + kept) - 1;
            n += kept;
            weights += kept;
        }
        if (a.weights.write())
            *weights++ = 0;
    }
    if (a.normals.write())
        LM_BumpNormalsRow(n, g.x, g.y, a.normals.at());
    return n;
}

// The samples of a piece whose weight lists are already known.
LM_uint32 countSamples(const LM_sint32* weights, int pixels) {
    LM_uint32 n = 0;
    for (int k = 0; k < pixels; ++k, ++weights)
        for (; *weights != 0; ++weights)
            ++n;
    return n;
}

// A textured tile: pieces of whole pixels, four samples a pixel at most, averaged into the rows out.
class BumpSurface {
  public:
    BumpSurface(const LM_tile_view& view, const LM_tile_geometry& t, LM_globals* g, const LM_row_work& work)
        : view_(view), t_(t), map_(g->bumpMap), arrays_(g, work), shaded_(work.shaded),
          counts_(g->sampleCountCache.Data()), countsHot_(g->sampleCountCache.Hot()) {}

    int PiecePixels() const { return kPiecePixels; }

    LM_uint32 Samples(int row, int first, int pixels) {
        if (arrays_.geometryReady)
            return countSamples(arrays_.weights.at(), pixels);
        const PieceGeometry piece{&map_,
                                  LM_uint32(row),
                                  first,
                                  pixels,
                                  view_.in.data + row * view_.in.rowBytes + 3 * first,
                                  view_.in.rect.left + first - view_.area.left,
                                  view_.in.rect.top + row - view_.area.top,
                                  t_.fw,
                                  t_.fh,
                                  t_.s};
        return samplePass(piece, arrays_, gradients_);
    }
    const LM_rgb8* Colors(int, int) const { return reinterpret_cast<const LM_rgb8*>(arrays_.base.at()); }
    LM_rgb8* Shaded(int, int) const { return reinterpret_cast<LM_rgb8*>(shaded_); }
    void ShadeAll(const foo* block, const LM_row_lights& lights, LM_uint32 n, const LM_rgb8* colors,
                  LM_rgb8* shaded) const {
        LM_ShadeBumpsAllLights(block, lights, n, arrays_.positions.at(), arrays_.normals.at(), colors,
                               shaded);
    }
    void ShadeLight(const LM_row_light& light, LM_uint32 n, LM_color96* diffuse, LM_color96* specular) const {
        LM_ShadeLightBumpsRow(light, n, arrays_.positions.at(), arrays_.normals.at(), diffuse, specular);
    }
    void Finish(int row, int first, int pixels) const {
        LM_rgb8* out = reinterpret_cast<LM_rgb8*>(view_.out.data + row * view_.out.rowBytes) + first;
        if (arrays_.geometryReady)
            LM_AverageSamples(shaded_, arrays_.weights.at(), LM_uint32(pixels), &out->red);
        else
            LM_AverageQuadsRow(LM_uint32(pixels), reinterpret_cast<const LM_rgb8*>(shaded_),
                               gradients_.sample, gradients_.w, out);
    }
    void Advance(LM_uint32 n, int pixels) {
        arrays_.positions.advance(n);
        arrays_.normals.advance(n);
        arrays_.weights.advance(n + LM_uint32(pixels));
        arrays_.base.advance(3 * n);
    }
    void EndRow(LM_uint32 samples) {
        if (counts_ && !countsHot_)
            *counts_ = LM_sint32(samples);
        if (counts_)
            ++counts_;
    }

  private:
    const LM_tile_view& view_;
    const LM_tile_geometry& t_;
    const LM_bump_map& map_;
    BumpArrays arrays_;
    unsigned char* shaded_;
    LM_sint32* counts_;
    bool countsHot_;
    Gradients gradients_;
};

void shadeBumpTile(const LM_tile_view& view, const foo* block, LM_globals* globals) {
    const LM_tile_geometry t = LM_TileGeometry(view, block);
    if (!t.shadable || !mapCovers(globals->bumpMap, LM_uint32(t.rows), LM_uint32(t.cols)))
        return;
    LM_DriveRows(view, t, block, globals,
                 [&](const LM_row_work& work) { return BumpSurface(view, t, globals, work); });
}

} // namespace

void LM_ShadeTileWithBumps(const LM_tile_view& view, const foo* block, LM_globals* globals) {
    shadeBumpTile(view, block, globals);
}

void LM_ShadePreviewTileWithBumps(const LM_tile_view& view, const foo* block, LM_globals* globals) {
    shadeBumpTile(view, block, globals);
    globals->posCache.SetHot(true);
    globals->normCache.SetHot(true);
    globals->weightCache.SetHot(true);
    globals->baseCache.SetHot(true);
    globals->sampleCountCache.SetHot(true);
    globals->diffuseSumCache.SetHot(true);
    globals->specularSumCache.SetHot(true);
    globals->SetLightCachesHot(false);
}

void LM_AverageSamples(const unsigned char* shaded, const LM_sint32* weights, LM_uint32 pixels,
                       unsigned char* result) {
    for (LM_uint32 px = 0; px < pixels; ++px) {
        LM_sint32 sum[3] = {0, 0, 0};
        for (; *weights != 0; ++weights, shaded += 3)
            for (int c = 0; c < 3; ++c)
                sum[c] += shaded[c] * *weights;
        ++weights;
        for (int c = 0; c < 3; ++c)
            result[3 * px + c] = static_cast<unsigned char>(sum[c] >> 4);
    }
}

bool LM_CompleteBumpBlock(FilterRecord* record, LM_globals* globals) {
    const Rect want = LM_GrowRect(globals->bumpTileRect, LM_BUMP_MARGIN);
    const Rect got = record->requestRect;
    if (!record->requestData)
        return false;
    if (got.top == want.top && got.left == want.left && got.bottom == want.bottom && got.right == want.right)
        return true;
    const int ww = want.right - want.left;
    const int wh = want.bottom - want.top;
    const bool inside = got.top >= want.top && got.left >= want.left && got.bottom <= want.bottom &&
                        got.right <= want.right && got.top < got.bottom && got.left < got.right;
    if (!inside || ww * wh > int(sizeof globals->bumpBlock))
        return false;
    const unsigned char* data = static_cast<const unsigned char*>(record->requestData);
    for (int y = 0; y < wh; ++y) {
        const int sy = std::clamp(want.top + y, int(got.top), got.bottom - 1) - got.top;
        for (int x = 0; x < ww; ++x) {
            const int sx = std::clamp(want.left + x, int(got.left), got.right - 1) - got.left;
            globals->bumpBlock[y * ww + x] = data[sy * record->requestRowBytes + sx];
        }
    }
    record->requestRect = want;
    record->requestData = globals->bumpBlock;
    record->requestRowBytes = ww;
    return true;
}
