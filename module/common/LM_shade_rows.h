// The shading kernels that run on whole rows with vector instructions (chosen for the running
// machine). Each gives the same bits as its scalar counterpart in LM_shader.h or LM_bumps.h, which
// stays the definition: the same operations in the same order, single precision where the scalar
// code uses it, double roots and divisions, saturating truncations, 32-bit wrapping sums.
#pragma once

#include "LM_parameters.h"
#include "LM_types.h"

// Three bytes of a pixel, red first.
struct LM_rgb8 {
    unsigned char red, green, blue;
};
static_assert(sizeof(LM_rgb8) == 3);

// A light of the block decoded once per tile into native floats, with what is constant along it.
struct LM_row_light {
    LM_sint32 type;
    bool flatLit;                              // a flat surface sees it: a known type above the surface
    float red, green, blue;                    // radiance
    float ox, oy, oz;                          // origin
    float dx, dy, dz;                          // direction
    float cutoff, base, scale;                 // spotlights
    LM_sint32 last;                            // the last filled spread entry
    float inverseLength;                       // directional lights: 1 / |direction|
    LM_sint32 flatDiffuse[3], flatSpecular[3]; // directional lights: their terms on a flat surface
    bool tame;                                 // point lights: no product on a flat surface is NaN
    float spread[LM_SPREAD_ENTRIES_FINAL];
};

struct LM_row_lights {
    int count;
    LM_row_light lights[LM_MAX_LIGHTS];
};

void LM_PrepareRowLights(const foo* block, LM_row_lights& out);

// As LM_ShadeLight.
void LM_ShadeLightRow(const LM_row_light& light, LM_uint32 n, const LM_vector2f* positions,
                      LM_color96* diffuse, LM_color96* specular);

// As LM_ShadeLightBumps; the samples' weights are not needed.
void LM_ShadeLightBumpsRow(const LM_row_light& light, LM_uint32 n, const LM_vector2f* positions,
                           const LM_vector3f* normals, LM_color96* diffuse, LM_color96* specular);

// The four quads of each of `pixels` pixels of a height map, four entries a pixel in LM_GetPixelHeights'
// quad order: the gradient and its weight in sixteenths as LM_GeneratePreviewBumpSample leaves them (the
// flat quads merged into the first flat one, the others weighing 0). `heights` is the first pixel's
// top-left neighbour, its rows rowLength apart.
void LM_ReliefQuadsRow(const LM_sint32* heights, LM_uint32 rowLength, LM_uint32 pixels, LM_sint32* gx,
                       LM_sint32* gy, LM_sint32* weights);

// As LM_AverageSamples, from the pixels' quads (four a pixel as LM_ReliefQuadsRow gives them): the
// sample each quad was kept as (where it weighs 0, any shaded sample) and its weight. A shaded sample
// is read as four bytes: one byte past the last must be readable.
void LM_AverageQuadsRow(LM_uint32 pixels, const LM_rgb8* shaded, const LM_sint32* samples,
                        const LM_sint32* weights, LM_rgb8* result);

// As LM_BumpNormal for n gradients.
void LM_BumpNormalsRow(LM_uint32 n, const LM_sint32* gx, const LM_sint32* gy, LM_vector3f* normals);

// float(1.0 / sqrt(double(q))) for n values: the kernels' inverse root on its own.
void LM_InverseRootRow(LM_uint32 n, const float* q, float* out);

// As LM_CombineRow, without the totals.
void LM_CombineRowFast(const foo* block, LM_uint32 n, const LM_color96* diffuse, const LM_color96* specular,
                       const LM_rgb8* colors, LM_rgb8* result);

// A flat row lit by every light and combined, the sums kept in registers: LM_Shade without caches.
void LM_ShadeRowAllLights(const foo* block, const LM_row_lights& lights, LM_uint32 n,
                          const LM_vector2f* positions, const LM_rgb8* colors, LM_rgb8* result);

// Relief samples lit by every light and combined, the sums kept in registers: LM_ShadeBumps without
// caches.
void LM_ShadeBumpsAllLights(const foo* block, const LM_row_lights& lights, LM_uint32 n,
                            const LM_vector2f* positions, const LM_vector3f* normals, const LM_rgb8* colors,
                            LM_rgb8* result);
