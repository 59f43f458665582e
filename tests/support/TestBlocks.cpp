#include "TestBlocks.h"

#include "LM_bumps.h"
#include "LM_memory.h"
#include "LM_shader.h"
#include "LM_tile_view.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

BlockBuilder::BlockBuilder() : globals_(LM_globals::New()) {
    if (!globals_)
        throw std::bad_alloc();
    globals_->previewOrigin = {20, 20};
    globals_->previewCenter = {200, 200};
    globals_->previewSize = {360, 240};
    globals_->Default();
}

BlockBuilder::~BlockBuilder() {
    LM_globals::Delete(globals_);
}

LM_light_UI& BlockBuilder::AddLight(LM_sint32 type, LM_sint16 x, LM_sint16 y) {
    globals_->CreateNewLight(LM_sint16(globals_->previewCenter.x + x),
                             LM_sint16(globals_->previewCenter.y + y));
    LM_light_UI& light = globals_->lights[globals_->currentLight];
    light.type = type;
    return light;
}

std::vector<std::uint8_t> BlockOf(LM_globals& settings, bool preview) {
    std::vector<std::uint8_t> bytes(sizeof(foo));
    foo* block = reinterpret_cast<foo*>(bytes.data());
    LM_InitParameterBlock(block);
    settings.ConvertToParameters(block, preview);
    return bytes;
}

std::vector<std::uint8_t> MixedLightsBlock(int textureChannel) {
    BlockBuilder b;
    LM_light_UI& spot = b.AddLight(lightTypeSpot, -60, 20);
    spot.color = {65535, 30000, 20000};
    spot.intensity = 100;
    spot.spread = 200;
    LM_light_UI& omni = b.AddLight(lightTypeOmni, 80, -40);
    omni.color = {20000, 40000, 65535};
    omni.radius = 70;
    LM_light_UI& sun = b.AddLight(lightTypeDirectional, 0, 0);
    sun.majorAxis = {-40, 25};
    sun.intensity = 20;
    b.Settings().gloss = 200;
    b.Settings().material = 100;
    b.Settings().SetBumpChannel(LM_sint16(textureChannel));
    return b.Build();
}

Pixels ShadeWhole(const Pixels& image, const std::vector<std::uint8_t>& blockBytes, Rect area,
                  const std::vector<std::uint8_t>* texture) {
    LM_globals* g = LM_globals::New();
    const int w = area.right - area.left;
    const int ht = area.bottom - area.top;
    std::vector<std::uint8_t> src(std::size_t(w) * ht * 3);
    for (int y = 0; y < ht; ++y)
        std::memcpy(&src[std::size_t(y) * w * 3], image.at(area.left, area.top + y), std::size_t(w) * 3);
    Pixels out = image;
    std::vector<std::uint8_t> dst(src.size());
    const foo* block = reinterpret_cast<const foo*>(blockBytes.data());
    const LM_tile_view tile{area, {area, src.data(), w * 3}, {dst.data(), w * 3}, nullptr};
    if (!texture) {
        LM_ShadeTile(tile, block, g);
    } else {
        std::vector<std::uint8_t> blk(std::size_t(w + 6) * (ht + 6));
        for (int y = 0; y < ht + 6; ++y)
            for (int x = 0; x < w + 6; ++x) {
                const int sx = std::clamp(area.left + x - 3, 0, image.width - 1);
                const int sy = std::clamp(area.top + y - 3, 0, image.height - 1);
                blk[std::size_t(y) * (w + 6) + x] = (*texture)[std::size_t(sy) * image.width + sx];
            }
        const LM_rows_in heights{{std::int16_t(area.top - 3), std::int16_t(area.left - 3),
                                  std::int16_t(area.bottom + 3), std::int16_t(area.right + 3)},
                                 blk.data(),
                                 w + 6};
        g->bumpMap.amplitude = block->textureHeightScale;
        if (LM_StoreBumpMap(heights, g->bumpMap) != 0)
            throw std::bad_alloc();
        LM_ShadeTileWithBumps(tile, block, g);
        LM_DisposePtr(g->bumpMap.heights);
        g->bumpMap.heights = nullptr;
    }
    for (int y = 0; y < ht; ++y)
        std::memcpy(out.at(area.left, area.top + y), &dst[std::size_t(y) * w * 3], std::size_t(w) * 3);
    LM_globals::Delete(g);
    return out;
}
