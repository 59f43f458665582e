// The shading arithmetic: single precision, library calls in double rounded back,
// truncation toward zero, 32-bit wrapping integer accumulation, arithmetic shifts.
#include "LM_shader.h"

#include "LM_row_driver.h"

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

bool LM_AnyLightCache(const foo* block, const LM_globals* globals) {
    const int count = std::min<int>(block->lightCount, LM_MAX_LIGHTS);
    for (int l = 0; l < count; ++l)
        if (globals->lightCursors[l].diffuse || globals->lightCursors[l].specular)
            return true;
    return false;
}

namespace {

// A flat tile: one piece a row, one sample a pixel, shaded straight into the rows out.
class FlatSurface {
  public:
    FlatSurface(const LM_tile_view& view, const LM_tile_geometry& t, LM_globals* g, const LM_row_work& work)
        : view_(view), t_(t), positions_(g->posCache, work.positions) {}

    int PiecePixels() const { return t_.cols; }

    LM_uint32 Samples(int row, int first, int pixels) {
        if (positions_.write()) {
            const Rect& area = view_.area;
            const Rect& tile = view_.in.rect;
            const int y = tile.top + row - area.top;
            // The row buffer keeps the tile's columns from row to row: only y changes.
            const bool columnsKnown = columnsKnown_;
            columnsKnown_ = !positions_.cache;
            const float py = LM_PixelPosition(0, y, t_.fw, t_.fh, t_.s).y;
            LM_vector2f* positions = positions_.at();
            for (int k = first; k < first + pixels; ++k)
                positions[k] = columnsKnown
                                   ? LM_vector2f{positions[k].x, py}
                                   : LM_PixelPosition(tile.left + k - area.left, y, t_.fw, t_.fh, t_.s);
        }
        return LM_uint32(pixels);
    }
    const LM_rgb8* Colors(int row, int first) const {
        return reinterpret_cast<const LM_rgb8*>(view_.in.data + row * view_.in.rowBytes) + first;
    }
    LM_rgb8* Shaded(int row, int first) const {
        return reinterpret_cast<LM_rgb8*>(view_.out.data + row * view_.out.rowBytes) + first;
    }
    void ShadeAll(const foo* block, const LM_row_lights& lights, LM_uint32 n, const LM_rgb8* colors,
                  LM_rgb8* shaded) const {
        LM_ShadeRowAllLights(block, lights, n, positions_.at(), colors, shaded);
    }
    void ShadeLight(const LM_row_light& light, LM_uint32 n, LM_color96* diffuse, LM_color96* specular) const {
        LM_ShadeLightRow(light, n, positions_.at(), diffuse, specular);
    }
    void Finish(int, int, int) const {}
    void Advance(LM_uint32 n, int) { positions_.advance(n); }
    void EndRow(LM_uint32) const {}

  private:
    const LM_tile_view& view_;
    const LM_tile_geometry& t_;
    LM_sample_array<LM_vector2f> positions_;
    bool columnsKnown_ = false;
};

} // namespace

void LM_ShadeTile(const LM_tile_view& view, const foo* block, LM_globals* globals) {
    const LM_tile_geometry t = LM_TileGeometry(view, block);
    if (!t.shadable)
        return;
    LM_DriveRows(view, t, block, globals,
                 [&](const LM_row_work& work) { return FlatSurface(view, t, globals, work); });
    globals->posCache.SetHot(true);
    if (globals->diffuseSumCache.Used() && globals->specularSumCache.Used()) {
        globals->diffuseSumCache.SetHot(true);
        globals->specularSumCache.SetHot(true);
    }
    globals->SetLightCachesHot(true);
}
