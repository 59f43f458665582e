// Texture channel: capture as a smoothed height map, and relief shading with per-sample normals.
#pragma once

#include "LM_parameters.h"
#include "LM_types.h"

// Integers the stored format defines as 32 bits are LM_sint32 here, whatever `long` is.

struct FilterRecord;
class LM_globals;
struct LM_rows_in;
struct LM_tile_view;

struct LM_bump_map {
    LM_uint32 heightsSize; // bytes allocated for heights; grows, never shrinks
    LM_sint32* heights;
    LM_uint32 rowLength; // heights per row
    LM_sint32 amplitude;
};

// Captures a delivered channel block (the tile grown by LM_BUMP_MARGIN) into the map. 0, or 1 when
// out of memory.
LM_sint32 LM_StoreBumpMap(const LM_rows_in& delivered, LM_bump_map& map);

// A host may deliver a texture block trimmed at the image border: repeats its edge pixels to
// restore the block asked for around the tile, so the capture never reads outside the delivery.
// False when the delivery is unusable (no data, or not part of the block asked for).
bool LM_CompleteBumpBlock(FilterRecord* record, LM_globals* globals);

// Filtered height of the pixel two rows below and two columns right of p.
LM_sint32 LM_FilterHeight(const unsigned char* p, LM_uint32 rowBytes, LM_sint32 amplitude);

// The pixel's neighbourhood, row by row (inlined: it runs for every pixel of a relief).
inline void LM_GetPixelHeights(const LM_bump_map* map, LM_uint32 x, LM_uint32 y, LM_sint32& h00,
                               LM_sint32& h01, LM_sint32& h02, LM_sint32& h10, LM_sint32& h11, LM_sint32& h12,
                               LM_sint32& h20, LM_sint32& h21, LM_sint32& h22) {
    const LM_sint32* row = map->heights + (y * map->rowLength + x);
    h00 = row[0], h01 = row[1], h02 = row[2];
    row += map->rowLength;
    h10 = row[0], h11 = row[1], h12 = row[2];
    row += map->rowLength;
    h20 = row[0], h21 = row[1], h22 = row[2];
}

// Adds a quad's gradient sample to the pixel's lists, merging flat quads.
inline void LM_GeneratePreviewBumpSample(LM_sint32& a, LM_sint32& b, LM_sint32& c, LM_sint32& d,
                                         LM_sint32* gx, LM_sint32* gy, LM_sint32* w, LM_sint32** gxEnd,
                                         LM_sint32** gyEnd, LM_sint32** wEnd, LM_uint32& count) {
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

// Unit normal of a gradient sample.
LM_vector3f LM_BumpNormal(LM_sint32 gx, LM_sint32 gy);

// Writes each pixel's weighted mean of its shaded samples (weights in sixteenths, list closed by 0).
void LM_AverageSamples(const unsigned char* shaded, const LM_sint32* weights, LM_uint32 pixels,
                       unsigned char* result);

// Shades the tile with relief from globals->bumpMap, which must hold the tile's heights.
void LM_ShadeTileWithBumps(const LM_tile_view& view, const foo* block, LM_globals* globals);

// The texture shading of the whole preview, with its caches; marks them as the preview left them.
void LM_ShadePreviewTileWithBumps(const LM_tile_view& view, const foo* block, LM_globals* globals);

void LM_ShadeBumps(const foo* block, const unsigned short count, const LM_vector2f* positions,
                   const LM_vector3f* normals, const unsigned char* baseColors, LM_color96* diffuse,
                   LM_color96* specular, LM_bool sumsReady, unsigned char* shaded, LM_globals* globals,
                   const LM_sint32* weights);

void LM_ShadeLightBumps(const LM_light& light, const LM_uint32 count, const LM_vector2f* positions,
                        const LM_vector3f* normals, LM_color96* diffuse, LM_color96* specular,
                        const LM_sint32* weights);
