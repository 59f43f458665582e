// OpenRgn/CloseRgn. Framed shapes add their area; LineTo adds an edge. At the end the edges are
// scan-converted even-odd (a pixel is inside when its centre is) and XORed with the areas, so a closed
// path of lines along grid lines encloses exactly the pixels between them.
#include "QDInternal.h"

#include <algorithm>
#include <map>

struct RegionRecorder {
    qdraw::Spans areas;
    std::vector<std::pair<Point, Point>> edges;
};

namespace {

// floor(a / b) for b > 0.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

qdraw::Spans scanConvert(const std::vector<std::pair<Point, Point>>& edges) {
    std::map<std::int32_t, std::vector<std::int32_t>> crossings;
    for (auto [a, b] : edges) {
        if (a.v == b.v)
            continue;
        if (a.v > b.v)
            std::swap(a, b);
        const std::int64_t dy = b.v - a.v, dx = b.h - a.h;
        for (std::int32_t y = a.v; y < b.v; ++y) {
            // The crossing at the row's centre is x = a.h + dx (2(y - a.v) + 1) / (2 dy); the first
            // pixel whose centre lies right of it starts the inside.
            const std::int64_t num = 2 * std::int64_t(a.h) * dy + dx * (2 * (y - a.v) + 1) - dy;
            crossings[y].push_back(std::int32_t(-floorDiv(-num, 2 * dy)));
        }
    }
    qdraw::SpanCollector out;
    for (auto& [y, xs] : crossings) {
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
            out.addSpan(y, xs[i], xs[i + 1]);
    }
    return out.finish();
}

} // namespace

namespace qdraw {

bool recording(const GrafPort& port) {
    return port.rgnSave != nullptr;
}

void recordArea(GrafPort& port, const Spans& area) {
    port.rgnSave->areas = Spans::exclusiveOr(port.rgnSave->areas, area);
}

void recordEdge(GrafPort& port, Point from, Point to) {
    port.rgnSave->edges.emplace_back(from, to);
}

} // namespace qdraw

void OpenRgn() {
    GrafPort& p = qdraw::port();
    delete p.rgnSave;
    p.rgnSave = new RegionRecorder;
    HidePen();
}

void CloseRgn(RgnHandle rgn) {
    GrafPort& p = qdraw::port();
    if (!p.rgnSave)
        return;
    qdraw::store(rgn, qdraw::Spans::exclusiveOr(p.rgnSave->areas, scanConvert(p.rgnSave->edges)));
    delete p.rgnSave;
    p.rgnSave = nullptr;
    ShowPen();
}
