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

Boolean SectRect(const Rect* a, const Rect* b, Rect* dst) {
    Rect out{std::max(a->top, b->top), std::max(a->left, b->left), std::min(a->bottom, b->bottom),
             std::min(a->right, b->right)};
    bool nonEmpty = !EmptyRect(&out);
    *dst = nonEmpty ? out : Rect{0, 0, 0, 0};
    return nonEmpty;
}

void UnionRect(const Rect* a, const Rect* b, Rect* dst) {
    *dst = Rect{std::min(a->top, b->top), std::min(a->left, b->left), std::max(a->bottom, b->bottom),
                std::max(a->right, b->right)};
}

Boolean EqualRect(const Rect* a, const Rect* b) {
    return a->top == b->top && a->left == b->left && a->bottom == b->bottom && a->right == b->right;
}

Boolean EmptyRect(const Rect* r) {
    return r->bottom <= r->top || r->right <= r->left;
}

Boolean PtInRect(Point pt, const Rect* r) {
    return pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

void SetPt(Point* pt, std::int16_t h, std::int16_t v) {
    *pt = Point{v, h};
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
void FillRect(const Rect* r, const Pattern* pat) {
    qdraw::fillShape(Spans::fromRect(*r), qdraw::patternSource(*pat));
}
void FillCRect(const Rect* r, PixPatHandle ppat) {
    qdraw::fillShape(Spans::fromRect(*r), qdraw::pixPatSource(ppat));
}
