// Text in the current port, rendered antialiased with the DejaVu fonts.
// Font 0 (the system font) is DejaVu Sans Bold, 12 pixels when the size is 0; font 1 (the
// application font) and every other number is DejaVu Sans. Sizes are pixels (72 dpi points).
#pragma once

#include "Types.h"

using Style = std::uint8_t;
enum : Style {
    normal = 0,
    bold = 1,
    italic = 2,
    underline = 4,
    outline = 8,
    shadow = 16,
    condense = 32,
    extend = 64
};

enum : std::int16_t { systemFont = 0, applFont = 1 };

struct FontInfo {
    std::int16_t ascent;
    std::int16_t descent;
    std::int16_t widMax;
    std::int16_t leading; // line spacing = ascent + descent + leading
};

void TextFont(std::int16_t font);
void TextSize(std::int16_t size); // 0 = the system size, 12
void TextFace(Style face);        // bold and italic select the matching face; underline draws a line
void TextMode(std::int16_t mode); // srcOr (default), srcCopy (glyph cells get the background), srcBic,
                                  // srcXor, grayishTextOr (dimmed)

// Draw with the baseline at pen.v and the first origin at pen.h, then advance pen.h by the width.
// Strings are Pascal strings (length byte first) in Mac Roman.
void DrawString(ConstStr255Param s);
void DrawText(const void* text, std::int16_t firstByte, std::int16_t byteCount);

// Advance widths in whole pixels with the current font, size and face.
std::int16_t StringWidth(ConstStr255Param s);
std::int16_t CharWidth(std::int16_t ch);
std::int16_t TextWidth(const void* text, std::int16_t firstByte, std::int16_t byteCount);
void GetFontInfo(FontInfo* info);
