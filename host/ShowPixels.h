// The host's display service: part of a module's pixel map drawn into the current port.
#pragma once

#include "relight_filter.h"

// Draws `source` of `map` with its top-left at (`row`, `column`) of the current port. A map with
// a mask descriptor (version 1) draws only where its mask byte is non-zero. Returns 0, or -30900
// when there is no port or the rectangle lies outside the map.
std::int16_t ShowPixels(const QXPixelMap* map, const VRect* source, std::int32_t row, std::int32_t column);
