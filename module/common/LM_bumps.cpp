#include "LM_bumps.h"

#include "LM_dispatch.h"
#include "LM_globals.h"
#include "LM_shade_rows.h"
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

LM_sint32 LM_StoreBumpMap(FilterRecord* record, LM_globals* globals) {
    LM_bump_map& map = globals->bumpMap;
    const Rect& block = record->requestRect;
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
    const unsigned char* data = static_cast<const unsigned char*>(record->requestData);
    const LM_uint32 stride = LM_uint32(record->requestRowBytes);
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

// The samples of one pixel: up to four gradients with their weights.
struct PixelSamples {
    LM_sint32 gx[4], gy[4], w[4];
    LM_uint32 count;
};

PixelSamples pixelSamples(const LM_bump_map* map, LM_uint32 column, LM_uint32 row) {
    LM_sint32 h00, h01, h02, h10, h11, h12, h20, h21, h22;
    LM_GetPixelHeights(map, column, row, h00, h01, h02, h10, h11, h12, h20, h21, h22);
    PixelSamples p;
    p.count = 0;
    LM_sint32 *gxEnd = p.gx, *gyEnd = p.gy, *wEnd = p.w;
    LM_GeneratePreviewBumpSample(h00, h01, h11, h10, p.gx, p.gy, p.w, &gxEnd, &gyEnd, &wEnd, p.count);
    LM_GeneratePreviewBumpSample(h01, h02, h12, h11, p.gx, p.gy, p.w, &gxEnd, &gyEnd, &wEnd, p.count);
    LM_GeneratePreviewBumpSample(h11, h12, h22, h21, p.gx, p.gy, p.w, &gxEnd, &gyEnd, &wEnd, p.count);
    LM_GeneratePreviewBumpSample(h10, h11, h21, h20, p.gx, p.gy, p.w, &gxEnd, &gyEnd, &wEnd, p.count);
    return p;
}

// Whether the map holds the heights of a rows x cols area with its one-height border.
bool mapCovers(const LM_bump_map& map, LM_uint32 rows, LM_uint32 cols) {
    return map.heights && map.rowLength >= cols + 2 &&
           std::uint64_t(map.heightsSize) >= std::uint64_t(rows + 2) * map.rowLength * 4;
}

// One sample array: a preview cache (advanced sample by sample over the whole preview, written
// only while cold) or the row buffer (reused for every piece, always written).
template <typename T> struct SampleArray {
    T* cache;
    T* buffer;
    bool hot;

    SampleArray(T* cacheStart, LM_bool cacheHot, T* rowBuffer)
        : cache(cacheStart), buffer(rowBuffer), hot(cacheStart && cacheHot) {}
    T* at() const { return cache ? cache : buffer; }
    bool write() const { return !hot; }
    void advance(LM_uint32 n) {
        if (cache)
            cache += n;
    }
};

struct BumpArrays {
    SampleArray<LM_vector2f> positions;
    SampleArray<LM_vector3f> normals;
    SampleArray<LM_sint32> weights;
    SampleArray<unsigned char> base; // three bytes a sample
    bool geometryReady;

    explicit BumpArrays(LM_globals* g)
        : positions(g->PosCache(), g->PosCacheHot(), g->rowPositions),
          normals(g->NormCache(), g->NormCacheHot(), g->rowNormals),
          weights(g->WeightCache(), g->WeightCacheHot(), g->rowWeights),
          base(g->BaseCache(), g->BaseCacheHot(), g->rowBaseColors),
          geometryReady(positions.hot && normals.hot && weights.hot && base.hot && g->UseSampleCountCache() &&
                        g->SampleCountCacheHot()) {}
};

struct PieceGeometry {
    const LM_bump_map* map;
    LM_uint32 row;
    int firstColumn, pixels;
    const unsigned char* source; // the piece's first pixel
    int x, y, fw, fh;            // the first pixel's place in the filtered area
    float s;
};

// The gradients of a piece's samples, normalised together once the piece is split.
struct Gradients {
    LM_sint32 x[LM_ROW_SAMPLES], y[LM_ROW_SAMPLES];
};

// Splits the piece's pixels into samples, writing what the arrays want written; returns the count.
LM_uint32 samplePass(const PieceGeometry& p, BumpArrays& a, Gradients& g) {
    LM_uint32 n = 0;
    LM_sint32* weights = a.weights.at();
    for (int k = 0; k < p.pixels; ++k) {
        const PixelSamples samples = pixelSamples(p.map, LM_uint32(p.firstColumn + k), p.row);
        const LM_vector2f position = LM_PixelPosition(p.x + k, p.y, p.fw, p.fh, p.s);
        for (LM_uint32 j = 0; j < samples.count; ++j, ++n) {
            if (a.weights.write())
                *weights++ = samples.w[j];
            g.x[n] = samples.gx[j];
            g.y[n] = samples.gy[j];
            if (a.positions.write())
                a.positions.at()[n] = position;
            if (a.base.write())
                std::copy_n(p.source + 3 * k, 3, a.base.at() + 3 * n);
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

void shadeBumpTile(FilterRecord* record, LM_bump_map* map, LM_globals* globals, bool askAbort) {
    const LM_tile_geometry t = LM_TileGeometry(record);
    if (!t.shadable || !mapCovers(*map, LM_uint32(t.rows), LM_uint32(t.cols)))
        return;
    const Rect& area = record->filterArea;
    const Rect& tile = record->requestRect;
    const int fw = t.fw, fh = t.fh, rows = t.rows, cols = t.cols;
    const float s = t.s;
    const foo* block = LM_ParameterBlock(record);
    BumpArrays arrays(globals);
    LM_sint32* counts = globals->SampleCountCache();
    const bool countsHot = counts && globals->SampleCountCacheHot();
    const bool sumsUsed = globals->UseDiffuseSumCache() && globals->UseSpecularSumCache();
    const LM_bool sumsReady = sumsUsed && globals->DiffuseSumCacheHot() && globals->SpecularSumCacheHot();
    SampleArray<LM_color96> diffuse(sumsUsed ? globals->DiffuseSumCache() : nullptr, sumsReady,
                                    globals->rowDiffuse);
    SampleArray<LM_color96> specular(sumsUsed ? globals->SpecularSumCache() : nullptr, sumsReady,
                                     globals->rowSpecular);
    globals->ResolveLightCursors(block);
    LM_PrepareRowLights(block, globals->rowLights);
    const bool direct = !sumsUsed && !LM_AnyLightCache(block, globals);
    Gradients gradients;

    const unsigned char* source = static_cast<const unsigned char*>(record->requestData);
    unsigned char* result = static_cast<unsigned char*>(record->writeData);
    for (int row = 0; row < rows; ++row) {
        if (askAbort && record->abortQueryProc)
            record->abortQueryProc();
        LM_uint32 rowSamples = 0;
        for (int first = 0; first < cols; first += kPiecePixels) {
            const int pixels = std::min(kPiecePixels, cols - first);
            const PieceGeometry piece{map,
                                      LM_uint32(row),
                                      first,
                                      pixels,
                                      source + 3 * first,
                                      tile.left + first - area.left,
                                      tile.top + row - area.top,
                                      fw,
                                      fh,
                                      s};
            const LM_uint32 n = arrays.geometryReady ? countSamples(arrays.weights.at(), pixels)
                                                     : samplePass(piece, arrays, gradients);
            const auto* colors = reinterpret_cast<const LM_rgb8*>(arrays.base.at());
            auto* shaded = reinterpret_cast<LM_rgb8*>(globals->rowShaded);
            if (direct) {
                LM_ShadeBumpsAllLights(block, globals->rowLights, n, arrays.positions.at(),
                                       arrays.normals.at(), colors, shaded);
            } else {
                if (!sumsReady)
                    LM_SumLights(block, n, globals, diffuse.at(), specular.at(),
                                 [&](int l, LM_color96* d, LM_color96* sp) {
                                     LM_ShadeLightBumpsRow(globals->rowLights.lights[l], n,
                                                           arrays.positions.at(), arrays.normals.at(), d, sp);
                                 });
                LM_CombineRowFast(block, n, diffuse.at(), specular.at(), colors, shaded);
            }
            LM_AverageSamples(globals->rowShaded, arrays.weights.at(), LM_uint32(pixels), result + 3 * first);
            arrays.positions.advance(n);
            arrays.normals.advance(n);
            arrays.weights.advance(n + LM_uint32(pixels));
            arrays.base.advance(3 * n);
            diffuse.advance(n);
            specular.advance(n);
            LM_AdvanceLightCursors(block, globals, n);
            rowSamples += n;
        }
        if (counts && !countsHot)
            *counts = LM_sint32(rowSamples);
        if (counts)
            ++counts;
        source += record->requestRowBytes;
        result += record->writeRowBytes;
    }
}

} // namespace

void LM_ShadeTileWithBumps(FilterRecord* record, LM_bump_map* map, LM_globals* globals) {
    shadeBumpTile(record, map, globals, false);
}

void LM_ShadePreviewTileWithBumps(FilterRecord* record, LM_bump_map* map, LM_globals* globals) {
    shadeBumpTile(record, map, globals, true);
    globals->PosCacheHot(true);
    globals->NormCacheHot(true);
    globals->WeightCacheHot(true);
    globals->BaseCacheHot(true);
    globals->SampleCountCacheHot(true);
    globals->DiffuseSumCacheHot(true);
    globals->SpecularSumCacheHot(true);
    for (int i = globals->lightCount - 1; i >= 0; --i) {
        globals->lights[i].DiffuseCacheHot(false);
        globals->lights[i].SpecularCacheHot(false);
    }
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
