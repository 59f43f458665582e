// Set-up shared by the module's unit tests: records made the way the entry point makes them, a
// parameter block in a host handle, hand-built lights, and a host record around one tile.
#pragma once

#include "LM_memory.h"
#include "LM_globals.h"
#include "LM_parameters.h"
#include "LM_tile_view.h"
#include "Memory.h"
#include "relight_filter.h"

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

// Releases the height map as the finish call does (it is a per-run buffer), then the record.
struct LM_GlobalsDeleter {
    void operator()(LM_globals* g) const {
        LM_DisposePtr(g->bumpMap.heights);
        LM_globals::Delete(g);
    }
};
using LM_GlobalsPtr = std::unique_ptr<LM_globals, LM_GlobalsDeleter>;

inline LM_GlobalsPtr MakeGlobals() {
    return LM_GlobalsPtr(LM_globals::New());
}

// A record with the preview geometry set: world unit `half` dialog pixels, preview `width` wide.
inline LM_GlobalsPtr MakeGlobals(LM_sint16 half, LM_sint16 width) {
    LM_GlobalsPtr g = MakeGlobals();
    g->previewOrigin = {100, 50};
    g->previewCenter = {LM_sint16(100 + half), 90};
    g->previewSize = {width, width};
    return g;
}

// The factory spotlight, an omni light at (130, 70) and a directional light at (200, 120) with its
// handle at (-40, 20): one light of each type.
inline LM_GlobalsPtr MakeThreeLights() {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    g->CreateNewLight(130, 70);
    g->lights[1].type = lightTypeOmni;
    g->CreateNewLight(200, 120);
    g->lights[2].type = lightTypeDirectional;
    g->lights[2].majorAxis = {-40, 20};
    return g;
}

inline std::uint32_t Bits(float f) {
    return std::bit_cast<std::uint32_t>(f);
}

// The block as the host keeps it: a handle holding a fresh block.
class BlockHandle {
  public:
    BlockHandle() : handle(NewHandleClear(sizeof(foo))) { LM_InitParameterBlock(block()); }
    ~BlockHandle() { DisposeHandle(handle); }
    BlockHandle(const BlockHandle&) = delete;
    BlockHandle& operator=(const BlockHandle&) = delete;
    foo* block() { return reinterpret_cast<foo*>(*handle); }
    foo* operator->() { return block(); }
    const unsigned char* bytes() { return reinterpret_cast<const unsigned char*>(*handle); }
    Handle handle;
};

// Surface values of a block; ambient given per channel, no lights.
inline void SetSurface(foo* b, LM_sint16 gloss, LM_sint16 material, LM_sint16 exposure,
                       LM_sint32 ambient = 0) {
    b->gloss = gloss;
    b->material = material;
    b->exposure = exposure;
    for (LM_be32s& a : b->ambient)
        a = ambient;
    b->lightCount = 0;
    b->worldWidth = 2.0f;
}

// Appends a light with grey radiance; spotlights get `table` as every spread entry.
inline LM_light& AddLight(foo* b, LM_sint32 type, LM_sint32 radiance, LM_vector3f origin,
                          LM_vector3f direction, float table = 1.0f) {
    LM_light& l = b->lights[b->lightCount];
    b->lightCount = LM_uint16(b->lightCount + 1);
    l.type = type;
    for (int c = 0; c < 3; ++c)
        l.radiance[c] = radiance;
    l.origin[0] = origin.x, l.origin[1] = origin.y, l.origin[2] = origin.z;
    l.direction[0] = direction.x, l.direction[1] = direction.y, l.direction[2] = direction.z;
    l.cutoff = std::bit_cast<float>(0x3F34FDF4u);
    for (LM_befloat& e : l.spreadTable)
        e = table;
    l.spreadScale = LM_SpreadScale(LM_SPREAD_ENTRIES_FINAL);
    l.spreadBase = LM_SpreadBase();
    l.diffuseCache = l.specularCache = 0;
    l.diffuseCacheHot = l.specularCacheHot = 0;
    return l;
}

// One tile of 3-byte pixels of an area `areaW` x `areaH` shaded with `block`; the result buffer
// starts filled with 0xA5 so that untouched pixels show.
struct TileRun {
    foo* block;
    std::vector<unsigned char> source;
    std::vector<unsigned char> result;
    LM_tile_view view{};

    TileRun(BlockHandle& b, int areaW, int areaH, Rect tile) : block(b.block()) {
        const int w = tile.right - tile.left, h = tile.bottom - tile.top;
        source.assign(std::size_t(3 * w * h), 0);
        for (std::size_t i = 0; i < source.size(); ++i)
            source[i] = static_cast<unsigned char>(i * 37 + 11);
        result.assign(source.size(), 0xA5);
        view.area = {0, 0, std::int16_t(areaH), std::int16_t(areaW)};
        view.in = {tile, source.data(), 3 * w};
        view.out = {result.data(), 3 * w};
    }
};

// Surface and light variations for whole-tile comparisons of the three-light set-up.
struct Look {
    LM_sint16 material, gloss, exposure, ambientBrightness, spread, omniIntensity, directionalIntensity;
    LM_vectori2 spotMinor;
};

inline const Look kLooks[] = {
    {0, 128, 128, 16, 128, 66, 66, {-15, 15}},       {-10, 255, 200, -20, 0, 127, -30, {-30, 30}},
    {256, 60, 90, 40, 255, 127, 10, {0, 0}},         {100, 200, 128, 0, 200, -50, 127, {-5, 5}},
    {300, 0, 255, 127, 30, 32767, 66, {-20, 10}},    {1, 32767, 128, 16, -42, 66, -32768, {-15, 15}},
    {255, 128, 32767, -127, 128, 66, 66, {-29, 29}},
};

inline void ApplyLook(LM_globals& g, const Look& look) {
    g.material = look.material;
    g.gloss = look.gloss;
    g.exposure = look.exposure;
    g.ambientBrightness = look.ambientBrightness;
    g.ambientColor = {65535, 40000, 9000};
    g.lights[0].spread = look.spread;
    g.lights[0].minorAxis = look.spotMinor;
    g.lights[0].position = {-12, 7};
    g.lights[1].intensity = look.omniIntensity;
    g.lights[1].radius = 45;
    g.lights[1].color = {30000, 65535, 1000};
    g.lights[2].intensity = look.directionalIntensity;
}
