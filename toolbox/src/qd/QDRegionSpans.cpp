// Set operations work band by band: between every pair of neighbouring y breakpoints of the two
// operands the x inversion points are merged and the operator decides which stretches stay.
#include "QDRegionSpans.h"

#include "Types.h"

#include <algorithm>

namespace qdraw {

Spans Spans::rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    Spans s;
    if (left < right && top < bottom)
        s.bands_.push_back(Band{top, bottom, {left, right}});
    return s;
}

Spans Spans::fromRect(const Rect& r) {
    return rect(r.left, r.top, r.right, r.bottom);
}

bool Spans::contains(std::int32_t x, std::int32_t y) const {
    for (const Band& b : bands_) {
        if (y < b.top)
            return false;
        if (y >= b.bottom)
            continue;
        for (std::size_t i = 0; i + 1 < b.xs.size(); i += 2)
            if (x >= b.xs[i] && x < b.xs[i + 1])
                return true;
        return false;
    }
    return false;
}

void Spans::bounds(std::int32_t* left, std::int32_t* top, std::int32_t* right, std::int32_t* bottom) const {
    *left = *top = *right = *bottom = 0;
    if (bands_.empty())
        return;
    *top = bands_.front().top;
    *bottom = bands_.back().bottom;
    *left = bands_.front().xs.front();
    *right = bands_.front().xs.back();
    for (const Band& b : bands_) {
        *left = std::min(*left, b.xs.front());
        *right = std::max(*right, b.xs.back());
    }
}

void Spans::offset(std::int32_t dh, std::int32_t dv) {
    for (Band& b : bands_) {
        b.top += dv;
        b.bottom += dv;
        for (std::int32_t& x : b.xs)
            x += dh;
    }
}

void Spans::appendBand(std::int32_t top, std::int32_t bottom, std::vector<std::int32_t> xs) {
    if (xs.empty() || top >= bottom)
        return;
    if (!bands_.empty() && bands_.back().bottom == top && bands_.back().xs == xs) {
        bands_.back().bottom = bottom;
        return;
    }
    bands_.push_back(Band{top, bottom, std::move(xs)});
}

namespace {

const std::vector<std::int32_t> kNoSpans;

// The inversion points of the band covering row y, walking forward through sorted bands.
const std::vector<std::int32_t>& xsAt(const std::vector<Band>& bands, std::size_t& i, std::int32_t y) {
    while (i < bands.size() && bands[i].bottom <= y)
        ++i;
    if (i < bands.size() && bands[i].top <= y)
        return bands[i].xs;
    return kNoSpans;
}

template <class Op>
std::vector<std::int32_t> combineRow(const std::vector<std::int32_t>& a, const std::vector<std::int32_t>& b,
                                     Op op) {
    std::vector<std::int32_t> out;
    std::size_t i = 0, j = 0;
    bool inA = false, inB = false, in = false;
    while (i < a.size() || j < b.size()) {
        std::int32_t x = std::min(i < a.size() ? a[i] : INT32_MAX, j < b.size() ? b[j] : INT32_MAX);
        while (i < a.size() && a[i] == x) {
            inA = !inA;
            ++i;
        }
        while (j < b.size() && b[j] == x) {
            inB = !inB;
            ++j;
        }
        if (op(inA, inB) != in) {
            in = !in;
            out.push_back(x);
        }
    }
    return out;
}

void addBreaks(const std::vector<Band>& bands, std::vector<std::int32_t>& ys) {
    for (const Band& b : bands) {
        ys.push_back(b.top);
        ys.push_back(b.bottom);
    }
}

} // namespace

template <class Op> Spans Spans::combine(const Spans& a, const Spans& b, Op op) {
    std::vector<std::int32_t> ys;
    addBreaks(a.bands_, ys);
    addBreaks(b.bands_, ys);
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    Spans out;
    std::size_t ia = 0, ib = 0;
    for (std::size_t k = 0; k + 1 < ys.size(); ++k) {
        const auto& xa = xsAt(a.bands_, ia, ys[k]);
        const auto& xb = xsAt(b.bands_, ib, ys[k]);
        out.appendBand(ys[k], ys[k + 1], combineRow(xa, xb, op));
    }
    return out;
}

Spans Spans::unite(const Spans& a, const Spans& b) {
    return combine(a, b, [](bool x, bool y) { return x || y; });
}
Spans Spans::intersect(const Spans& a, const Spans& b) {
    return combine(a, b, [](bool x, bool y) { return x && y; });
}
Spans Spans::subtract(const Spans& a, const Spans& b) {
    return combine(a, b, [](bool x, bool y) { return x && !y; });
}
Spans Spans::exclusiveOr(const Spans& a, const Spans& b) {
    return combine(a, b, [](bool x, bool y) { return x != y; });
}

void SpanCollector::addSpan(std::int32_t y, std::int32_t x0, std::int32_t x1) {
    if (x0 < x1)
        rows_[y].emplace_back(x0, x1);
}

void SpanCollector::addRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    for (std::int32_t y = top; y < bottom; ++y)
        addSpan(y, left, right);
}

Spans SpanCollector::finish() const {
    Spans out;
    for (auto [y, spans] : rows_) {
        std::sort(spans.begin(), spans.end());
        std::vector<std::int32_t> xs;
        for (auto [x0, x1] : spans) {
            if (!xs.empty() && x0 <= xs.back())
                xs.back() = std::max(xs.back(), x1);
            else {
                xs.push_back(x0);
                xs.push_back(x1);
            }
        }
        out.appendBand(y, y + 1, std::move(xs));
    }
    return out;
}

} // namespace qdraw
