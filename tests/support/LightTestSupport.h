// A light set and a port for the tests of the lights on the preview.
#pragma once

#include "LM_light_UI_mac.h"
#include "LM_test_support.h"
#include "QuickDraw.h"

#include <cstdint>
#include <vector>

// The default set (one spotlight) with the preview centred at `center`.
inline LM_GlobalsPtr makeGlobals(LM_vectori2 center) {
    LM_GlobalsPtr globals = MakeGlobals();
    globals->previewCenter = center;
    globals->Default();
    return globals;
}

// Places a light's centre at `c` (anchored at the preview centre) and gives it a shape.
inline void shapeLight(LM_globals& globals, LM_light_UI& light, LM_sint32 type, LM_vectori2 c,
                       LM_vectori2 major = {0, 0}, LM_vectori2 minor = {0, 0}, LM_sint16 radius = 1) {
    light.type = type;
    light.anchor = globals.previewCenter;
    light.position = {LM_sint16(c.x - light.anchor.x), LM_sint16(c.y - light.anchor.y)};
    light.majorAxis = major;
    light.minorAxis = minor;
    light.radius = radius;
}

inline std::vector<std::uint32_t> portPixels(GrafPtr port) {
    std::vector<std::uint32_t> pixels;
    for (std::int16_t v = port->portRect.top; v < port->portRect.bottom; ++v)
        for (std::int16_t h = port->portRect.left; h < port->portRect.right; ++h)
            pixels.push_back(TBGetPixel(port, h, v));
    return pixels;
}
