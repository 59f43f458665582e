// The filter's arithmetic, kept bit-exact: single precision, library calls in double rounded back,
// truncation toward zero, 32-bit wrapping integer accumulation, arithmetic shifts.
#include "LM_shader.h"

#include "relight_filter.h"

#include <algorithm>
#include <cmath>

namespace {

// The specular weight of a material between plastic (white highlight) and metal (surface colour).
template <int Kind>
inline LM_sint32 total(LM_sint32 d, LM_sint32 s, LM_sint32 a, LM_sint32 p, LM_sint32 m, LM_sint32 g) {
    const LM_sint32 lit = LM_WrapMul(LM_WrapAdd(d, a), p);
    const LM_sint32 highlight = s >> 8;
    if constexpr (Kind == 0)
        return LM_WrapAdd(lit, LM_WrapMul(highlight, LM_WrapMul(g, 255)));
    else if constexpr (Kind == 2)
        return LM_WrapMul(LM_WrapAdd(LM_WrapAdd(d, a), LM_WrapMul(highlight, g)), p);
    else
        return LM_WrapAdd(lit, LM_WrapMul(LM_WrapMul(highlight, g), (p * m + 255 * (256 - m)) >> 8));
}

template <int Kind>
void combine(const foo* block, LM_uint32 n, const LM_color96* diffuse, const LM_color96* specular,
             const unsigned char* colors, LM_sint32* totals) {
    const LM_sint32 ambient[3] = {block->ambient[0], block->ambient[1], block->ambient[2]};
    const LM_sint32 m = block->material;
    const LM_sint32 g = block->gloss;
    for (LM_uint32 i = 0; i < n; ++i) {
        const LM_color96& d = diffuse[i];
        const LM_color96& s = specular[i];
        const unsigned char* p = colors + 3 * i;
        totals[3 * i + 0] = total<Kind>(d.red, s.red, ambient[0], p[0], m, g);
        totals[3 * i + 1] = total<Kind>(d.green, s.green, ambient[1], p[1], m, g);
        totals[3 * i + 2] = total<Kind>(d.blue, s.blue, ambient[2], p[2], m, g);
    }
}

} // namespace

void LM_CombineRow(const foo* block, LM_uint32 n, const LM_color96* diffuse, const LM_color96* specular,
                   const unsigned char* colors, LM_sint32* totals, unsigned char* result) {
    const LM_sint32 m = block->material;
    if (m <= 0)
        combine<0>(block, n, diffuse, specular, colors, totals);
    else if (m >= 256)
        combine<2>(block, n, diffuse, specular, colors, totals);
    else
        combine<1>(block, n, diffuse, specular, colors, totals);
    const LM_sint32 e = block->exposure;
    for (LM_uint32 i = 0; i < 3 * n; ++i) {
        const LM_sint32 v = LM_WrapMul(totals[i] >> 8, e) >> 15;
        result[i] = static_cast<unsigned char>(std::clamp(v, 0, 255));
    }
}

void LM_ShadeLight(const LM_light& light, LM_uint16 n, const LM_vector2f* positions, LM_color96* diffuse,
                   LM_color96* specular) {
    const LM_sint32 type = light.type;
    const LM_radiance r = LM_RadianceOf(light);
    if (type == lightTypeDirectional) {
        const float lx = light.direction[0], ly = light.direction[1], lz = light.direction[2];
        if (!(double(lz) > 0))
            return;
        const float inv = LM_InverseLength(lx, ly, lz);
        const float fd = lz * inv;
        const float fs = (lz * lz) * inv;
        for (LM_uint16 i = 0; i < n; ++i) {
            LM_AddTerm(diffuse[i], r, fd);
            LM_AddTerm(specular[i], r, fs);
        }
        return;
    }
    const float ox = light.origin[0], oy = light.origin[1], lz = light.origin[2];
    if (!(double(lz) > 0))
        return;
    if (type == lightTypeOmni) {
        for (LM_uint16 i = 0; i < n; ++i) {
            const float lx = ox - positions[i].x;
            const float ly = oy - positions[i].y;
            const float inv = LM_InverseLength(lx, ly, lz);
            LM_AddTerm(diffuse[i], r, lz * inv);
            LM_AddTerm(specular[i], r, (lz * lz) * inv);
        }
        return;
    }
    if (type != lightTypeSpot)
        return;
    const float dx = light.direction[0], dy = light.direction[1], dz = light.direction[2];
    const float cutoff = light.cutoff;
    const float base = light.spreadBase;
    const float scale = light.spreadScale;
    const LM_sint32 last = LM_SpreadLastEntry(scale);
    for (LM_uint16 i = 0; i < n; ++i) {
        const float lx = ox - positions[i].x;
        const float ly = oy - positions[i].y;
        const float inv = LM_InverseLength(lx, ly, lz);
        const float cosA = -(dx * lx + dy * ly + dz * lz) * inv;
        if (cosA <= cutoff)
            continue;
        const float k = LM_SpreadFactor(light, cosA, base, scale, last);
        LM_AddTerm(diffuse[i], r, (lz * k) * inv);
        LM_AddTerm(specular[i], r, ((lz * lz) * inv) * k);
    }
}

void LM_Shade(const foo* block, LM_uint16 n, const LM_vector2f* positions, const unsigned char* source,
              LM_color96* diffuse, LM_color96* specular, LM_bool sumsReady, unsigned char* result,
              LM_globals* globals) {
    if (n > LM_ROW_SAMPLES)
        return;
    if (!sumsReady)
        LM_SumLights(block, n, globals, diffuse, specular, [&](int l, LM_color96* d, LM_color96* s) {
            LM_ShadeLight(block->lights[l], n, positions, d, s);
        });
    LM_CombineRow(block, n, diffuse, specular, source, globals->rowTotals, result);
}

void LM_AdvanceLightCursors(const foo* block, LM_globals* globals, LM_uint32 n) {
    const int count = std::min<int>(block->lightCount, LM_MAX_LIGHTS);
    for (int l = 0; l < count; ++l) {
        LM_light_cursor& cursor = globals->lightCursors[l];
        if (cursor.diffuse)
            cursor.diffuse += n;
        if (cursor.specular)
            cursor.specular += n;
    }
}

LM_tile_geometry LM_TileGeometry(FilterRecord* record) {
    const Rect& area = record->filterArea;
    const Rect& tile = record->requestRect;
    LM_tile_geometry t{area.right - area.left,
                       area.bottom - area.top,
                       tile.bottom - tile.top,
                       tile.right - tile.left,
                       0.0f,
                       false};
    t.shadable = t.fw > 0 && t.fh > 0 && t.rows > 0 && t.cols > 0 && t.cols <= LM_ROW_SAMPLES;
    if (t.shadable)
        t.s = LM_ParameterBlock(record)->worldWidth.get() / float(t.fw);
    return t;
}

bool LM_AnyLightCache(const foo* block, const LM_globals* globals) {
    const int count = std::min<int>(block->lightCount, LM_MAX_LIGHTS);
    for (int l = 0; l < count; ++l)
        if (globals->lightCursors[l].diffuse || globals->lightCursors[l].specular)
            return true;
    return false;
}

void LM_ShadeTile(FilterRecord* record, LM_globals* globals) {
    const LM_tile_geometry t = LM_TileGeometry(record);
    if (!t.shadable)
        return;
    const Rect& area = record->filterArea;
    const Rect& tile = record->requestRect;
    const int fw = t.fw, fh = t.fh, rows = t.rows, cols = t.cols;
    const float s = t.s;
    const foo* block = LM_ParameterBlock(record);
    const bool posUsed = globals->UsePosCache();
    const bool posReady = posUsed && globals->PosCacheHot();
    const bool sumsUsed = globals->UseDiffuseSumCache() && globals->UseSpecularSumCache();
    const LM_bool sumsReady = sumsUsed && globals->DiffuseSumCacheHot() && globals->SpecularSumCacheHot();
    LM_vector2f* positions = posUsed ? globals->PosCache() : globals->rowPositions;
    LM_color96* diffuse = sumsUsed ? globals->DiffuseSumCache() : globals->rowDiffuse;
    LM_color96* specular = sumsUsed ? globals->SpecularSumCache() : globals->rowSpecular;
    globals->ResolveLightCursors(block);
    LM_PrepareRowLights(block, globals->rowLights);
    // Without caches every light's sums can stay in registers for the whole row.
    const bool direct = !sumsUsed && !LM_AnyLightCache(block, globals);

    const unsigned char* source = static_cast<const unsigned char*>(record->requestData);
    unsigned char* result = static_cast<unsigned char*>(record->writeData);
    for (int r = 0; r < rows; ++r) {
        if (record->abortQueryProc)
            record->abortQueryProc();
        const int y = tile.top + r - area.top;
        if (!posReady) {
            // The row buffer keeps the tile's columns from row to row: only y changes.
            const bool columnsKnown = r > 0 && !posUsed;
            const float py = LM_PixelPosition(0, y, fw, fh, s).y;
            for (int k = 0; k < cols; ++k)
                positions[k] = columnsKnown ? LM_vector2f{positions[k].x, py}
                                            : LM_PixelPosition(tile.left + k - area.left, y, fw, fh, s);
        }
        const auto* colors = reinterpret_cast<const LM_rgb8*>(source);
        auto* out = reinterpret_cast<LM_rgb8*>(result);
        if (direct) {
            LM_ShadeRowAllLights(block, globals->rowLights, LM_uint32(cols), positions, colors, out);
        } else {
            if (!sumsReady)
                LM_SumLights(block, LM_uint32(cols), globals, diffuse, specular,
                             [&](int l, LM_color96* d, LM_color96* sp) {
                                 LM_ShadeLightRow(globals->rowLights.lights[l], LM_uint32(cols), positions, d,
                                                  sp);
                             });
            LM_CombineRowFast(block, LM_uint32(cols), diffuse, specular, colors, out);
        }
        source += record->requestRowBytes;
        result += record->writeRowBytes;
        if (posUsed)
            positions += cols;
        if (sumsUsed) {
            diffuse += cols;
            specular += cols;
        }
        LM_AdvanceLightCursors(block, globals, LM_uint32(cols));
    }
    globals->PosCacheHot(true);
    if (sumsUsed) {
        globals->DiffuseSumCacheHot(true);
        globals->SpecularSumCacheHot(true);
    }
    for (int i = globals->lightCount - 1; i >= 0; --i) {
        globals->lights[i].DiffuseCacheHot(true);
        globals->lights[i].SpecularCacheHot(true);
    }
}
