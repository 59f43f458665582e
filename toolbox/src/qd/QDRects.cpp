// Rectangle arithmetic and the rectangle drawing calls.
#include "QDInternal.h"

#include <algorithm>

using qdraw::Spans;

void SetRect(Rect* r, std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom) {
    *r = Rect{top, left, bottom, right};
}

void OffsetRect(Rect* r, std::int16_t dh, std::int16_t dv) {
    r->left = std::int16_t(r->left + dh);
    r->right = std::int16_t(r->right + dh);
    r->top = std::int16_t(r->top + dv);
    r->bottom = std::int16_t(r->bottom + dv);
}

void InsetRect(Rect* r, std::int16_t dh, std::int16_t dv) {
    Rect out{std::int16_t(r->top + dv), std::int16_t(r->left + dh), std::int16_t(r->bottom - dv),
             std::int16_t(r->right - dh)};
    *r = EmptyRect(&out) ? Rect{0, 0, 0, 0} : out;
}

Boolean EmptyRect(const Rect* r) {
    return r->bottom <= r->top || r->right <= r->left;
}

Boolean PtInRect(Point pt, const Rect* r) {
    return pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

Boolean EqualPt(Point a, Point b) {
    return a.h == b.h && a.v == b.v;
}

namespace {
Rect penInset(const Rect& r) {
    const GrafPort& p = qdraw::port();
    return Rect{std::int16_t(r.top + p.pnSize.v), std::int16_t(r.left + p.pnSize.h),
                std::int16_t(r.bottom - p.pnSize.v), std::int16_t(r.right - p.pnSize.h)};
}
} // namespace

void FrameRect(const Rect* r) {
    qdraw::frameShape(Spans::fromRect(*r), Spans::fromRect(penInset(*r)));
}
void PaintRect(const Rect* r) {
    qdraw::paintShape(Spans::fromRect(*r));
}
void EraseRect(const Rect* r) {
    qdraw::eraseShape(Spans::fromRect(*r));
}
void InvertRect(const Rect* r) {
    qdraw::invertShape(Spans::fromRect(*r));
}
void FillCRect(const Rect* r, PixPatHandle ppat) {
    qdraw::fillShape(Spans::fromRect(*r), qdraw::pixPatSource(ppat));
}
