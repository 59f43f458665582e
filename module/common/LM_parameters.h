// The shading parameter block `foo`: everything the shaders read, and the block the host keeps
// between runs. Stored, so it is bytes: an exact big-endian layout of 66736 bytes.
#pragma once

#include "LM_types.h"

#include <cstddef>

constexpr LM_uint32 LM_PARAMETER_SIGNATURE = 0x05BF44FD;
constexpr LM_uint32 LM_PARAMETER_VERSION = 1;
constexpr int LM_MAX_LIGHTS = 16;
constexpr int LM_SPREAD_ENTRIES_PREVIEW = 256;
constexpr int LM_SPREAD_ENTRIES_FINAL = 1024;

enum : LM_sint32 { lightTypeOmni = 0, lightTypeDirectional = 1, lightTypeSpot = 2 };

// A light in shading form (world units, radiance already scaled by intensity).
struct LM_light {
    LM_be32s type;
    LM_be32s radiance[4]; // red, green, blue; the fourth word is never set
    LM_befloat origin[3];
    LM_befloat direction[3];
    LM_befloat cutoff;
    LM_befloat spreadTable[LM_SPREAD_ENTRIES_FINAL];
    LM_befloat spreadScale;
    LM_befloat spreadBase;
    // References to the editable light's preview caches: its index + 1, 0 = none. A 64-bit
    // pointer does not fit the stored layout; the shaders resolve these through LM_globals.
    LM_be32u diffuseCache;
    LM_be32s diffuseCacheHot;
    LM_be32u specularCache;
    LM_be32s specularCacheHot;
};
static_assert(sizeof(LM_light) == 4168);

struct foo {
    LM_be32u signature;
    LM_be32u version;
    LM_be16u reserved8;
    LM_be16s gloss;
    LM_be16s material;
    LM_be16s exposure;
    LM_be32s ambient[3];
    LM_be32u unused28;
    LM_befloat worldWidth;
    LM_be16u lightCount;
    LM_be16u unused38;
    LM_light lights[LM_MAX_LIGHTS];
    LM_be16s textureChannel;
    LM_be16u unused66730;
    LM_be32s textureHeightScale;
};

static_assert(sizeof(foo) == 66736);
static_assert(offsetof(foo, gloss) == 10 && offsetof(foo, material) == 12 && offsetof(foo, exposure) == 14);
static_assert(offsetof(foo, ambient) == 16 && offsetof(foo, worldWidth) == 32);
static_assert(offsetof(foo, lightCount) == 36 && offsetof(foo, lights) == 40);
static_assert(offsetof(foo, textureChannel) == 66728 && offsetof(foo, textureHeightScale) == 66732);
static_assert(offsetof(LM_light, radiance) == 4 && offsetof(LM_light, origin) == 20);
static_assert(offsetof(LM_light, direction) == 32 && offsetof(LM_light, cutoff) == 44);
static_assert(offsetof(LM_light, spreadTable) == 48 && offsetof(LM_light, spreadScale) == 4144);
static_assert(offsetof(LM_light, spreadBase) == 4148 && offsetof(LM_light, diffuseCache) == 4152);

// Table entries per unit of cosine for a table of `entries` entries, and the cosine of entry 0.
float LM_SpreadScale(int entries);
float LM_SpreadBase();

// The index of the last entry a spotlight's table filled, told by its scale (the block carries
// no count; the two scales are distinct).
int LM_SpreadLastEntry(float spreadScale);

// Writes a fresh block's header: signature, version, 0.
void LM_InitParameterBlock(foo* block);

// Why the filter refuses a texture channel (0 is none, 1 on a document's channel), or null: the
// block's rule, which a style's channel must keep too.
const char* LM_TextureChannelFault(LM_sint32 channel);
// Checks a block from outside (a file, a host) before any shader reads it. Returns true when it can
// be used; otherwise false with a short reason.
bool LM_CheckParameterBlock(const void* bytes, std::size_t size, const char** why);
