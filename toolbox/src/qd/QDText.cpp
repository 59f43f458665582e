// Text drawing: UTF-8 text as antialiased glyphs blended into the port in the text mode, baseline
// at the pen.
#include "QDFonts.h"
#include "QDInternal.h"
#include "Utf8.h"

#include <algorithm>

using qdraw::Spans;

namespace {

std::uint32_t mix(std::uint32_t d, std::uint32_t c, std::uint32_t a) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        std::uint32_t dc = (d >> shift) & 0xFF, cc = (c >> shift) & 0xFF;
        out |= ((dc * (255 - a) + cc * a + 127) / 255) << shift;
    }
    return out;
}

struct TextInk {
    std::int16_t mode;
    std::uint32_t colour; // what glyph pixels become
};

TextInk inkFor(const GrafPort& p) {
    const std::uint32_t fg = qdraw::toPixel(p.rgbFgColor), bk = qdraw::toPixel(p.rgbBkColor);
    switch (p.txMode) {
    case grayishTextOr:
        return {srcOr, mix(fg, bk, 128)};
    case srcBic:
    case notSrcBic:
        return {srcOr, bk};
    case srcXor:
    case notSrcXor:
        return {srcXor, 0};
    default:
        return {srcOr, fg};
    }
}

std::uint32_t inkPixel(const GrafPort& p, const TextInk& ink, std::uint32_t d, std::uint8_t a) {
    if (ink.mode == srcXor)
        return a >= 128 ? qdraw::representable(
                              p, qdraw::depthOf(p) == 8 ? qdraw::clutColor(255 - qdraw::clutIndex(d)) : ~d)
                        : d;
    return qdraw::representable(p, mix(d, ink.colour, a));
}

void drawGlyph(GrafPort& p, const Spans& area, const qdraw::Glyph& g, const TextInk& ink, std::int32_t penH,
               std::int32_t baseline) {
    const std::int32_t left = penH + g.left, top = baseline - g.top;
    const Spans box = Spans::intersect(Spans::rect(left, top, left + g.width, top + g.height), area);
    const PixMap& pm = **p.portPixMap;
    for (const qdraw::Band& band : box.bands())
        for (std::int32_t y = band.top; y < band.bottom; ++y) {
            std::uint32_t* row = qdraw::pixelRow(pm, y);
            for (std::size_t i = 0; i + 1 < band.xs.size(); i += 2)
                for (std::int32_t x = band.xs[i]; x < band.xs[i + 1]; ++x) {
                    std::uint8_t a = g.coverage[std::size_t((y - top) * g.width + (x - left))];
                    if (a)
                        row[x - pm.bounds.left] = inkPixel(p, ink, row[x - pm.bounds.left], a);
                }
        }
}

std::int32_t widthOf(const qdraw::TextStyle& style, const std::uint8_t* bytes, std::int32_t count) {
    std::int32_t w = 0;
    for (int i = 0; i < count;)
        w += qdraw::glyphOf(style, utf8::next(bytes, count, &i)).advance;
    return w;
}

void drawBytes(const std::uint8_t* bytes, std::int32_t count) {
    GrafPort& p = qdraw::port();
    const qdraw::TextStyle style = qdraw::textStyleOf(p);
    const std::int32_t width = widthOf(style, bytes, count);
    const std::int32_t penH = p.pnLoc.h, baseline = p.pnLoc.v;
    p.pnLoc.h = std::int16_t(penH + width);
    if (p.pnVis < 0 || count <= 0)
        return;
    const qdraw::FontMetrics m = qdraw::metricsOf(style);
    if (p.txMode == srcCopy)
        qdraw::paintSpans(p, Spans::rect(penH, baseline - m.ascent, penH + width, baseline + m.descent),
                          qdraw::patternSource(qd.white), patCopy);
    const Spans area = qdraw::drawableArea(p);
    const TextInk ink = inkFor(p);
    std::int32_t h = penH;
    for (int i = 0; i < count;) {
        const qdraw::Glyph& g = qdraw::glyphOf(style, utf8::next(bytes, count, &i));
        drawGlyph(p, area, g, ink, h, baseline);
        h += g.advance;
    }
    if (p.txFace & underline)
        qdraw::paintSpans(p, Spans::rect(penH, baseline + 1, penH + width, baseline + 2),
                          qdraw::patternSource(qd.black), patOr);
}

} // namespace

void TextFont(std::int16_t font) {
    qdraw::port().txFont = font;
}
void TextSize(std::int16_t size) {
    qdraw::port().txSize = size;
}
void TextFace(Style face) {
    qdraw::port().txFace = face;
}
void TextMode(std::int16_t mode) {
    qdraw::port().txMode = mode;
}

void DrawString(ConstStr255Param s) {
    drawBytes(s + 1, s[0]);
}

void DrawText(const void* text, std::int16_t firstByte, std::int16_t byteCount) {
    drawBytes(static_cast<const std::uint8_t*>(text) + firstByte, byteCount);
}

std::int16_t StringWidth(ConstStr255Param s) {
    return std::int16_t(widthOf(qdraw::textStyleOf(qdraw::port()), s + 1, s[0]));
}

std::int16_t CharWidth(std::int16_t ch) {
    const std::uint8_t byte = std::uint8_t(ch);
    return std::int16_t(widthOf(qdraw::textStyleOf(qdraw::port()), &byte, 1));
}

std::int16_t TextWidth(const void* text, std::int16_t firstByte, std::int16_t byteCount) {
    return std::int16_t(widthOf(qdraw::textStyleOf(qdraw::port()),
                                static_cast<const std::uint8_t*>(text) + firstByte, byteCount));
}

void GetFontInfo(FontInfo* info) {
    const qdraw::FontMetrics m = qdraw::metricsOf(qdraw::textStyleOf(qdraw::port()));
    *info = FontInfo{std::int16_t(m.ascent), std::int16_t(m.descent), std::int16_t(m.widMax),
                     std::int16_t(m.leading)};
}
