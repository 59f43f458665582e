// Font selection and rendered glyphs for the text calls.
#pragma once

#include "QuickDraw.h"

#include <cstdint>
#include <vector>

namespace qdraw {

struct TextStyle {
    int face = 0; // 0 regular, 1 bold, 2 oblique, 3 bold oblique
    int size = 12;
};

struct Glyph {
    int advance = 0;
    int left = 0; // bitmap origin relative to the pen: left, and rows above the baseline
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage; // width x height, 0..255
};

struct FontMetrics {
    int ascent, descent, widMax, leading;
};

TextStyle textStyleOf(const GrafPort& port);
// The glyph of a Unicode character (a font without it gives its missing-glyph box).
const Glyph& glyphOf(const TextStyle& style, std::uint32_t ch);
FontMetrics metricsOf(const TextStyle& style);

} // namespace qdraw
