#include "LM_bumps.h"

#include "LM_dispatch.h"
#include "LM_globals.h"
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

void LM_GetPixelHeights(const LM_bump_map* map, LM_uint32 x, LM_uint32 y, LM_sint32& h00, LM_sint32& h01,
                        LM_sint32& h02, LM_sint32& h10, LM_sint32& h11, LM_sint32& h12, LM_sint32& h20,
                        LM_sint32& h21, LM_sint32& h22) {
    const LM_sint32* row = map->heights + (y * map->rowLength + x);
    h00 = row[0], h01 = row[1], h02 = row[2];
    row += map->rowLength;
    h10 = row[0], h11 = row[1], h12 = row[2];
    row += map->rowLength;
    h20 = row[0], h21 = row[1], h22 = row[2];
}

void LM_GeneratePreviewBumpSample(LM_sint32& a, LM_sint32& b, LM_sint32& c, LM_sint32& d, LM_sint32* gx,
                                  LM_sint32* gy, LM_sint32* w, LM_sint32** gxEnd, LM_sint32** gyEnd,
                                  LM_sint32** wEnd, LM_uint32& count) {
    const LM_sint32 dd = LM_WrapSub(c, a);
    const LM_sint32 de = LM_WrapSub(b, d);
    const LM_sint32 sx = LM_WrapAdd(de, dd) >> 1;
    const LM_sint32 sy = LM_WrapSub(de, dd) >> 1;
    if (sx == 0 && sy == 0) {
        for (LM_sint32 i = 0; gx + i < *gxEnd; ++i)
            if (gx[i] == 0 && gy[i] == 0) {
                w[i] += 4;
                return;
            }
    }
    *(*gxEnd)++ = sx;
    *(*gyEnd)++ = sy;
    *(*wEnd)++ = 4;
    ++count;
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
        LM_SumLights(block, count, globals, diffuse, specular,
                     [&](const LM_light& light, LM_color96* d, LM_color96* s) {
                         LM_ShadeLightBumps(light, count, positions, normals, d, s, weights);
                     });
    LM_CombineRow(block, count, diffuse, specular, baseColors, globals->rowTotals, shaded);
}

namespace {

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

} // namespace

void LM_ShadeTileWithBumps(FilterRecord* record, LM_bump_map* map, LM_globals* globals) {
    const Rect& area = record->filterArea;
    const Rect& tile = record->requestRect;
    const int fw = area.right - area.left;
    const int fh = area.bottom - area.top;
    const int rows = tile.bottom - tile.top;
    const int cols = tile.right - tile.left;
    if (fw <= 0 || fh <= 0 || rows <= 0 || cols <= 0 || cols > LM_ROW_SAMPLES)
        return;
    // Four samples a pixel must fit the row buffers, and the map must be this tile's.
    if (cols > LM_ROW_SAMPLES / 4 || !mapCovers(*map, LM_uint32(rows), LM_uint32(cols)))
        return;
    const foo* block = LM_ParameterBlock(record);
    const float s = block->worldWidth.get() / float(fw);
    globals->ResolveLightCursors(block);

    const unsigned char* source = static_cast<const unsigned char*>(record->requestData);
    unsigned char* result = static_cast<unsigned char*>(record->writeData);
    for (int row = 0; row < rows; ++row) {
        const int y = tile.top + row - area.top;
        LM_uint32 n = 0;
        LM_sint32* weights = globals->rowWeights;
        for (int col = 0; col < cols; ++col) {
            const PixelSamples p = pixelSamples(map, LM_uint32(col), LM_uint32(row));
            const LM_vector2f position = LM_PixelPosition(tile.left + col - area.left, y, fw, fh, s);
            for (LM_uint32 k = 0; k < p.count; ++k) {
                *weights++ = p.w[k];
                globals->rowNormals[n + k] = LM_BumpNormal(p.gx[k], p.gy[k]);
                globals->rowPositions[n + k] = position;
                std::copy_n(source + 3 * col, 3, globals->rowBaseColors + 3 * (n + k));
            }
            *weights++ = 0;
            n += p.count;
        }
        LM_ShadeBumps(block, static_cast<unsigned short>(n), globals->rowPositions, globals->rowNormals,
                      globals->rowBaseColors, globals->rowDiffuse, globals->rowSpecular, false,
                      globals->rowShaded, globals, globals->rowWeights);
        LM_AverageSamples(globals->rowShaded, globals->rowWeights, LM_uint32(cols), result);
        source += record->requestRowBytes;
        result += record->writeRowBytes;
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
