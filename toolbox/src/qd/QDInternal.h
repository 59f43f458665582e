// What the QuickDraw units share: region storage, the clip in force, sources and the span painter.
#pragma once

#include "QDRegionSpans.h"
#include "QuickDraw.h"

struct RegionSpans : qdraw::Spans {};

namespace qdraw {

// ---- Regions ----
const Spans& spansOf(RgnHandle rgn);
// Replaces the region's contents and refreshes its classic header.
void store(RgnHandle rgn, Spans spans);

// ---- Pixels and colours ----
constexpr std::uint32_t kWhitePixel = 0xFFFFFF;
std::uint32_t toPixel(const RGBColor& c);
RGBColor toRGB(std::uint32_t pixel);
// The colour as the port can hold it: itself at depth 32, the nearest colour of the standard 8-bit
// table at depth 8.
std::uint32_t representable(const GrafPort& port, std::uint32_t pixel);
// Index of a standard-table colour (the nearest one for any other colour), and back.
std::uint8_t clutIndex(std::uint32_t pixel);
std::uint32_t clutColor(std::uint8_t index);
std::int16_t depthOf(const GrafPort& port);
std::uint32_t* pixelRow(const PixMap& pm, std::int32_t y); // y in pm's local coordinates
// A port on its own white pixels, and its release: what windows and off-screen ports draw into.
bool openPortOnWhitePixels(GrafPtr port, const Rect& bounds, std::int16_t depth);
void closePortAndPixels(GrafPtr port);

// ---- Sources: what a pixel of a shape is painted with ----
struct Source {
    bool colour = false; // true: `solid` everywhere; false: `pat` coloured with fg/bk
    Pattern pat{};
    std::uint32_t solid = 0;
};
Source patternSource(const Pattern& pat);
Source pixPatSource(PixPatHandle ppat);
Source penSource(const GrafPort& port);
Source backSource(const GrafPort& port);
Source invertSource(); // black pattern in patXor

// One pixel's transfer in `mode`. `on` is the source bit (patterns); `src` the source colour
// (already coloured with fg/bk for patterns); colourSource tells a multi-bit source.
struct Transfer {
    std::int16_t mode;
    std::int16_t depth;
    std::uint32_t fg, bk, op;
    bool colourSource;
};
Transfer transferFor(const GrafPort& port, std::int16_t mode, bool colourSource);
std::uint32_t transferPixel(const Transfer& t, std::uint32_t dst, bool on, std::uint32_t src);

// ---- Drawing ----
// bounds ∩ visRgn ∩ clipRgn of the port, in local coordinates.
Spans drawableArea(const GrafPort& port);
// Paints shape (local) with src in mode, clipped; nothing while the pen is hidden.
void paintSpans(GrafPort& port, const Spans& shape, const Source& src, std::int16_t mode);
// The pen mode used for shapes and lines: source modes act as pattern modes.
std::int16_t shapeMode(std::int16_t penMode);
GrafPort& port(); // the current port; drawing without one is a caller bug and aborts

// ---- Shapes ----
Spans ovalSpans(const Rect& r);
Spans roundRectSpans(const Rect& r, std::int32_t ovalWidth, std::int32_t ovalHeight);
// The verbs every shape shares. frameShape paints outer minus inner (all of outer when inner is
// empty) with the pen, or records outer's area while a region is open.
void frameShape(const Spans& outer, const Spans& inner);
void paintShape(const Spans& shape);
void eraseShape(const Spans& shape);
void invertShape(const Spans& shape);
void fillShape(const Spans& shape, const Source& src);

// ---- Region recording (OpenRgn) ----
bool recording(const GrafPort& port);
void recordArea(GrafPort& port, const Spans& area);
void recordEdge(GrafPort& port, Point from, Point to);

} // namespace qdraw
