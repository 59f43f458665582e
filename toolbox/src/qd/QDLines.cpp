// Lines: the 1-pixel line is cut in runs (one per row when shallow, one per column when steep), and
// the pen rectangle, hanging below-right, is stamped along each run. Both end points are drawn.
#include "QDInternal.h"

#include <cstdlib>
#include <utility>

using qdraw::Spans;

namespace {

// Run k of a line of `major` + 1 pixels over `minor` + 1 rows (or columns) spans distances
// b_k .. b_(k+1) - 1 along the major axis.
std::int32_t runStart(std::int32_t k, std::int32_t major, std::int32_t minor) {
    if (k == 0)
        return 0;
    if (k > minor)
        return major + 1;
    const std::int64_t inc = (std::int64_t(major) * 65536) / (minor + 1) + 1;
    return std::int32_t((32768 + k * inc) >> 16);
}

// The pixels of the 1x1 line from a to b, as runs stamped with a pw x ph pen.
Spans lineSpans(Point a, Point b, std::int32_t pw, std::int32_t ph) {
    if (a.v > b.v)
        std::swap(a, b);
    const std::int32_t dx = std::abs(b.h - a.h), dy = b.v - a.v, s = b.h >= a.h ? 1 : -1;
    qdraw::SpanCollector out;
    auto stamp = [&](std::int32_t h0, std::int32_t h1, std::int32_t v0, std::int32_t v1) {
        if (h0 > h1)
            std::swap(h0, h1);
        out.addRect(h0, v0, h1 + pw, v1 + ph);
    };
    if (dx == dy) {
        for (std::int32_t k = 0; k <= dx; ++k)
            stamp(a.h + s * k, a.h + s * k, a.v + k, a.v + k);
    } else if (dx > dy) {
        for (std::int32_t k = 0; k <= dy; ++k) {
            std::int32_t from = runStart(k, dx, dy), to = runStart(k + 1, dx, dy) - 1;
            stamp(a.h + s * from, a.h + s * to, a.v + k, a.v + k);
        }
    } else {
        for (std::int32_t k = 0; k <= dx; ++k) {
            std::int32_t from = runStart(k, dy, dx), to = runStart(k + 1, dy, dx) - 1;
            stamp(a.h + s * k, a.h + s * k, a.v + from, a.v + to);
        }
    }
    return out.finish();
}

} // namespace

void MoveTo(std::int16_t h, std::int16_t v) {
    qdraw::port().pnLoc = Point{v, h};
}

void LineTo(std::int16_t h, std::int16_t v) {
    GrafPort& p = qdraw::port();
    const Point from = p.pnLoc, to{v, h};
    p.pnLoc = to;
    if (qdraw::recording(p)) {
        qdraw::recordEdge(p, from, to);
        return;
    }
    if (p.pnSize.h <= 0 || p.pnSize.v <= 0)
        return;
    qdraw::paintSpans(p, lineSpans(from, to, p.pnSize.h, p.pnSize.v), qdraw::penSource(p),
                      qdraw::shapeMode(p.pnMode));
}

void Line(std::int16_t dh, std::int16_t dv) {
    const GrafPort& p = qdraw::port();
    LineTo(std::int16_t(p.pnLoc.h + dh), std::int16_t(p.pnLoc.v + dv));
}
