// The flat shader: a flat surface lit from above, one tile of host pixels at a time. The row
// combination here also serves the texture shader.
#pragma once

#include "LM_globals.h"
#include "LM_parameters.h"
#include "LM_types.h"

#include <cmath>

struct FilterRecord;
struct LM_tile_view;

// Shades the tile's rows in into its rows out with `block`, through the preview caches that exist,
// and marks them hot.
void LM_ShadeTile(const LM_tile_view& view, const foo* block, LM_globals* globals);

// One row of n pixels; with sumsReady the sums already hold every light's terms.
void LM_Shade(const foo* block, LM_uint16 n, const LM_vector2f* positions, const unsigned char* source,
              LM_color96* diffuse, LM_color96* specular, LM_bool sumsReady, unsigned char* result,
              LM_globals* globals);

// Adds one light's diffuse and specular terms for n pixels of a flat surface.
void LM_ShadeLight(const LM_light& light, LM_uint16 n, const LM_vector2f* positions, LM_color96* diffuse,
                   LM_color96* specular);

// Combines the light sums with n base colours, the ambient light, material, gloss and exposure
// into n output pixels; totals receives the 3n values before exposure.
void LM_CombineRow(const foo* block, LM_uint32 n, const LM_color96* diffuse, const LM_color96* specular,
                   const unsigned char* colors, LM_sint32* totals, unsigned char* result);

// Clears the n sums and adds every light of the block into them; a light whose caches are present
// (cursors resolved by the tile loop) is lit into its caches unless they are hot, then added.
// `shadeLight(index, diffuse, specular)` lights the block's light `index` into the given arrays.
template <typename ShadeLightFn>
void LM_SumLights(const foo* block, LM_uint32 n, LM_globals* globals, LM_color96* diffuse,
                  LM_color96* specular, ShadeLightFn shadeLight) {
    for (LM_uint32 i = 0; i < n; ++i) {
        diffuse[i].red = diffuse[i].green = diffuse[i].blue = 0;
        specular[i].red = specular[i].green = specular[i].blue = 0;
    }
    const int count = block->lightCount < LM_MAX_LIGHTS ? block->lightCount : LM_MAX_LIGHTS;
    for (int l = 0; l < count; ++l) {
        const LM_light_cursor& cursor = globals->lightCursors[l];
        if (!cursor.diffuse || !cursor.specular) {
            shadeLight(l, diffuse, specular);
            continue;
        }
        if (!cursor.hot) {
            for (LM_uint32 i = 0; i < n; ++i) {
                cursor.diffuse[i].red = cursor.diffuse[i].green = cursor.diffuse[i].blue = 0;
                cursor.specular[i].red = cursor.specular[i].green = cursor.specular[i].blue = 0;
            }
            shadeLight(l, cursor.diffuse, cursor.specular);
        }
        for (LM_uint32 i = 0; i < n; ++i) {
            diffuse[i].red = LM_WrapAdd(diffuse[i].red, cursor.diffuse[i].red);
            diffuse[i].green = LM_WrapAdd(diffuse[i].green, cursor.diffuse[i].green);
            diffuse[i].blue = LM_WrapAdd(diffuse[i].blue, cursor.diffuse[i].blue);
            specular[i].red = LM_WrapAdd(specular[i].red, cursor.specular[i].red);
            specular[i].green = LM_WrapAdd(specular[i].green, cursor.specular[i].green);
            specular[i].blue = LM_WrapAdd(specular[i].blue, cursor.specular[i].blue);
        }
    }
}

// Whether any light of the block has preview caches (cursors resolved by the tile loop).
bool LM_AnyLightCache(const foo* block, const LM_globals* globals);

// Moves the cursors of the block's lights on by n samples.
void LM_AdvanceLightCursors(const foo* block, LM_globals* globals, LM_uint32 n);

struct LM_radiance {
    float red, green, blue;
};

inline LM_radiance LM_RadianceOf(const LM_light& light) {
    return {float(light.radiance[0].get()), float(light.radiance[1].get()), float(light.radiance[2].get())};
}

// Adds trunc(radiance x factor) per channel.
inline void LM_AddTerm(LM_color96& acc, const LM_radiance& r, float factor) {
    acc.red = LM_WrapAdd(acc.red, LM_Trunc32(r.red * factor));
    acc.green = LM_WrapAdd(acc.green, LM_Trunc32(r.green * factor));
    acc.blue = LM_WrapAdd(acc.blue, LM_Trunc32(r.blue * factor));
}

// 1 / |(x, y, z)|: the sum of squares in single precision, root and division in double.
inline float LM_InverseLength(float x, float y, float z) {
    return static_cast<float>(1.0 / std::sqrt(static_cast<double>(x * x + y * y + z * z)));
}

// The spread factor of a spotlight for cone cosine cosA; the index is kept inside the filled table.
inline float LM_SpreadFactor(const LM_light& light, float cosA, float base, float scale, LM_sint32 last) {
    const LM_sint32 index = LM_Trunc32((cosA - base) * scale);
    return light.spreadTable[index < 0 ? 0 : index > last ? last : index];
}

// World position of pixel (x, y) of an area fw x fh at s world units per pixel.
inline LM_vector2f LM_PixelPosition(int x, int y, int fw, int fh, float s) {
    return {static_cast<float>(((x - fw * 0.5) + 0.5) * s), static_cast<float>(((y - fh * 0.5) + 0.5) * s)};
}

// The parameter block kept in the record's parameterHandle.
inline foo* LM_ParameterBlock(FilterRecord* record) {
    return reinterpret_cast<foo*>(*record->parameterHandle);
}
