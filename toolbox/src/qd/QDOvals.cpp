// Ovals and round rects. A pixel belongs to the oval in a w x h box when its centre lies inside or on
// the inscribed ellipse: (2x+1-w)^2 h^2 + (2y+1-h)^2 w^2 <= w^2 h^2, in exact integers.
#include "QDInternal.h"

#include <algorithm>

using qdraw::Spans;

namespace {

// How many pixels row y of a w x h oval leaves out at each end (w when the row is empty).
std::int32_t ovalRowInset(std::int64_t w, std::int64_t h, std::int64_t y) {
    const std::int64_t dy = 2 * y + 1 - h;
    const std::int64_t limit = w * w * h * h - dy * dy * w * w;
    std::int32_t x = 0;
    while (x < (w + 1) / 2) {
        const std::int64_t dx = 2 * x + 1 - w;
        if (dx * dx * h * h <= limit)
            break;
        ++x;
    }
    return x;
}

Rect insetBy(const Rect& r, std::int16_t dh, std::int16_t dv) {
    return Rect{std::int16_t(r.top + dv), std::int16_t(r.left + dh), std::int16_t(r.bottom - dv),
                std::int16_t(r.right - dh)};
}

} // namespace

namespace qdraw {

Spans ovalSpans(const Rect& r) {
    const std::int32_t w = r.right - r.left, h = r.bottom - r.top;
    return roundRectSpans(r, w, h);
}

// The corner oval (ow x oh) is cut in quadrants at its centre, one per corner; the rows between
// the corners are full.
Spans roundRectSpans(const Rect& r, std::int32_t ovalWidth, std::int32_t ovalHeight) {
    const std::int32_t w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return Spans();
    const std::int32_t ow = std::clamp(ovalWidth, 0, w), oh = std::clamp(ovalHeight, 0, h);
    if (ow < 4 && oh < 4)
        return Spans::fromRect(r);
    SpanCollector rows;
    for (std::int32_t y = 0; y < h; ++y) {
        std::int32_t inset = 0;
        if (y < oh / 2)
            inset = ovalRowInset(ow, oh, y);
        else if (h - 1 - y < oh / 2)
            inset = ovalRowInset(ow, oh, oh - (h - y));
        rows.addSpan(r.top + y, r.left + inset, r.right - inset);
    }
    return rows.finish();
}

} // namespace qdraw

namespace {
Spans innerOval(const Rect& r) {
    const GrafPort& p = qdraw::port();
    Rect in = insetBy(r, p.pnSize.h, p.pnSize.v);
    return EmptyRect(&in) ? Spans() : qdraw::ovalSpans(in);
}
} // namespace

void FrameOval(const Rect* r) {
    qdraw::frameShape(qdraw::ovalSpans(*r), innerOval(*r));
}
void PaintOval(const Rect* r) {
    qdraw::paintShape(qdraw::ovalSpans(*r));
}
void EraseOval(const Rect* r) {
    qdraw::eraseShape(qdraw::ovalSpans(*r));
}
void FillCOval(const Rect* r, PixPatHandle ppat) {
    qdraw::fillShape(qdraw::ovalSpans(*r), qdraw::pixPatSource(ppat));
}

void FrameRoundRect(const Rect* r, std::int16_t ovalWidth, std::int16_t ovalHeight) {
    const GrafPort& p = qdraw::port();
    Rect in = insetBy(*r, p.pnSize.h, p.pnSize.v);
    Spans inner = EmptyRect(&in)
                      ? Spans()
                      : qdraw::roundRectSpans(in, ovalWidth - 2 * p.pnSize.h, ovalHeight - 2 * p.pnSize.v);
    qdraw::frameShape(qdraw::roundRectSpans(*r, ovalWidth, ovalHeight), inner);
}

void PaintRoundRect(const Rect* r, std::int16_t ovalWidth, std::int16_t ovalHeight) {
    qdraw::paintShape(qdraw::roundRectSpans(*r, ovalWidth, ovalHeight));
}

void EraseRoundRect(const Rect* r, std::int16_t ovalWidth, std::int16_t ovalHeight) {
    qdraw::eraseShape(qdraw::roundRectSpans(*r, ovalWidth, ovalHeight));
}
