// Region handles live in the Memory Manager's heap (so they count against its limit); the scan lines
// hang off the record.
#include "Memory.h"
#include "QDInternal.h"

#include <algorithm>
#include <new>

namespace qdraw {

// A region whose allocation failed reads as empty and ignores what is stored into it, so drawing
// goes on (clipped away at worst) instead of crashing.
const Spans& spansOf(RgnHandle rgn) {
    static const RegionSpans none;
    return rgn ? *(**rgn).spans : none;
}

void store(RgnHandle rgn, Spans spans) {
    if (!rgn)
        return;
    Region& r = **rgn;
    static_cast<Spans&>(*r.spans) = std::move(spans);
    std::int32_t left, top, right, bottom;
    r.spans->bounds(&left, &top, &right, &bottom);
    auto clamp16 = [](std::int32_t v) { return std::int16_t(std::clamp<std::int32_t>(v, -32768, 32767)); };
    r.rgnBBox = Rect{clamp16(top), clamp16(left), clamp16(bottom), clamp16(right)};
    std::size_t extra = 0;
    if (!r.spans->empty() && !r.spans->isRect())
        for (const Band& b : r.spans->bands())
            extra += 2 * (b.xs.size() + 2);
    r.rgnSize = std::int16_t(std::min<std::size_t>(10 + extra, 32767));
}

} // namespace qdraw

using qdraw::Spans;
using qdraw::spansOf;
using qdraw::store;

RgnHandle NewRgn() {
    auto rgn = reinterpret_cast<RgnHandle>(NewHandleClear(sizeof(Region)));
    if (!rgn)
        return nullptr;
    (**rgn).spans = new (std::nothrow) RegionSpans();
    if (!(**rgn).spans) {
        DisposeHandle(reinterpret_cast<Handle>(rgn));
        return nullptr;
    }
    (**rgn).rgnSize = 10;
    return rgn;
}

void DisposeRgn(RgnHandle rgn) {
    if (!rgn)
        return;
    delete (**rgn).spans;
    DisposeHandle(reinterpret_cast<Handle>(rgn));
}

void CopyRgn(RgnHandle src, RgnHandle dst) {
    if (src != dst)
        store(dst, spansOf(src));
}
void SetEmptyRgn(RgnHandle rgn) {
    store(rgn, Spans());
}
void RectRgn(RgnHandle rgn, const Rect* r) {
    store(rgn, Spans::fromRect(*r));
}
void SetRectRgn(RgnHandle rgn, std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom) {
    store(rgn, Spans::rect(left, top, right, bottom));
}

void OffsetRgn(RgnHandle rgn, std::int16_t dh, std::int16_t dv) {
    Spans s = spansOf(rgn);
    s.offset(dh, dv);
    store(rgn, std::move(s));
}

// Insetting is erosion (or dilation for negative amounts) by a rectangle, done axis by axis with
// shifted copies.
namespace {
Spans shifted(const Spans& s, std::int32_t dh, std::int32_t dv) {
    Spans out = s;
    out.offset(dh, dv);
    return out;
}
Spans insetAxis(const Spans& s, std::int32_t d, bool horizontal) {
    Spans out = s;
    std::int32_t n = d < 0 ? -d : d;
    for (std::int32_t k = 1; k <= n; ++k) {
        std::int32_t dh = horizontal ? k : 0, dv = horizontal ? 0 : k;
        if (d > 0)
            out = Spans::intersect(Spans::intersect(out, shifted(s, dh, dv)), shifted(s, -dh, -dv));
        else
            out = Spans::unite(Spans::unite(out, shifted(s, dh, dv)), shifted(s, -dh, -dv));
    }
    return out;
}
} // namespace

void InsetRgn(RgnHandle rgn, std::int16_t dh, std::int16_t dv) {
    store(rgn, insetAxis(insetAxis(spansOf(rgn), dh, true), dv, false));
}

void SectRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    store(dst, Spans::intersect(spansOf(a), spansOf(b)));
}
void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    store(dst, Spans::unite(spansOf(a), spansOf(b)));
}
void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    store(dst, Spans::subtract(spansOf(a), spansOf(b)));
}

Boolean EmptyRgn(RgnHandle rgn) {
    return spansOf(rgn).empty();
}
Boolean PtInRgn(Point pt, RgnHandle rgn) {
    return spansOf(rgn).contains(pt.h, pt.v);
}
Boolean RectInRgn(const Rect* r, RgnHandle rgn) {
    return !Spans::intersect(Spans::fromRect(*r), spansOf(rgn)).empty();
}
