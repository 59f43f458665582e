// Parameter blocks built through the module's own settings object, and a one-call reference
// shading of a whole area, for comparing tiled runs against.
#pragma once

#include "LM_globals.h"
#include "TestHost.h"

#include <cstdint>
#include <vector>

// The block the settings convert to, for a run or for the preview.
std::vector<std::uint8_t> BlockOf(LM_globals& settings, bool preview = false);

class BlockBuilder {
  public:
    // Default settings (one spotlight) over a work area 360 pixels wide: the world unit is 180.
    BlockBuilder();
    ~BlockBuilder();
    BlockBuilder(const BlockBuilder&) = delete;
    BlockBuilder& operator=(const BlockBuilder&) = delete;

    LM_globals& Settings() { return *globals_; }
    // Appends a light of the given type at (x, y) from the centre, returning it for adjustment.
    LM_light_UI& AddLight(LM_sint32 type, LM_sint16 x, LM_sint16 y);
    std::vector<std::uint8_t> Build(bool preview = false) { return BlockOf(*globals_, preview); }

  private:
    LM_globals* globals_;
};

// Three mixed lights (spot, omni, directional) over the default light, coloured.
std::vector<std::uint8_t> MixedLightsBlock(int textureChannel = 0);

// Shades `area` of `image` in one call of the tile shaders (no tiling), with the channel as texture
// when given (edges repeated beyond the image).
Pixels ShadeWhole(const Pixels& image, const std::vector<std::uint8_t>& block, Rect area,
                  const std::vector<std::uint8_t>* texture = nullptr);
