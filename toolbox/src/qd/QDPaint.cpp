// The one place shapes become pixels: clip the shape, then transfer each pixel from its source.
// Patterns are aligned to the screen's grid (a window's content keeps its own pixels, so its
// global origin is added; off-screen ports have none).
#include "QDInternal.h"

namespace qdraw {

namespace {

// The source pixel at x of a row: whether it is "on" and its colour.
struct RowSource {
    const Source& src;
    const Transfer& t;
    std::uint32_t solid;
    std::uint8_t patRow;
    std::int32_t left;
    bool on(std::int32_t x) const { return src.colour || ((patRow >> (7 - ((x - left) & 7))) & 1); }
    std::uint32_t colour(std::int32_t x) const { return src.colour ? solid : on(x) ? t.fg : t.bk; }
};

} // namespace

void paintSpans(GrafPort& port, const Spans& shape, const Source& src, std::int16_t mode) {
    if (port.pnVis < 0 || shape.empty())
        return;
    const PixMap& pm = **port.portPixMap;
    const Spans area = Spans::intersect(shape, drawableArea(port));
    const Transfer t = transferFor(port, mode, src.colour);
    const std::uint32_t solid = representable(port, src.solid);
    for (const Band& band : area.bands()) {
        for (std::int32_t y = band.top; y < band.bottom; ++y) {
            std::uint32_t* row = pixelRow(pm, y) - pm.bounds.left;
            const std::int32_t patV = y - pm.bounds.top + port.globalOrigin.v;
            const RowSource s{src, t, solid, src.pat.pat[patV & 7], pm.bounds.left - port.globalOrigin.h};
            for (std::size_t i = 0; i + 1 < band.xs.size(); i += 2)
                for (std::int32_t x = band.xs[i]; x < band.xs[i + 1]; ++x)
                    // patCopy, the common case, needs no look at the destination.
                    row[x] = mode == patCopy ? s.colour(x) : transferPixel(t, row[x], s.on(x), s.colour(x));
        }
    }
}

} // namespace qdraw
