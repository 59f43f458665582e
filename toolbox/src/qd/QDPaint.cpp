// The one place shapes become pixels: clip the shape, then transfer each pixel from its source.
// Patterns are aligned to the pixel map's own grid.
#include "QDInternal.h"

namespace qdraw {

void paintSpans(GrafPort& port, const Spans& shape, const Source& src, std::int16_t mode) {
    if (port.pnVis < 0 || shape.empty())
        return;
    const PixMap& pm = **port.portPixMap;
    const Spans area = Spans::intersect(shape, drawableArea(port));
    const Transfer t = transferFor(port, mode, src.colour);
    const std::uint32_t solid = representable(port, src.solid);
    for (const Band& band : area.bands()) {
        for (std::int32_t y = band.top; y < band.bottom; ++y) {
            std::uint32_t* row = pixelRow(pm, y);
            std::uint8_t patRow = src.pat.pat[(y - pm.bounds.top) & 7];
            for (std::size_t i = 0; i + 1 < band.xs.size(); i += 2) {
                for (std::int32_t x = band.xs[i]; x < band.xs[i + 1]; ++x) {
                    std::uint32_t& d = row[x - pm.bounds.left];
                    if (src.colour) {
                        d = transferPixel(t, d, true, solid);
                        continue;
                    }
                    bool on = (patRow >> (7 - ((x - pm.bounds.left) & 7))) & 1;
                    d = transferPixel(t, d, on, on ? t.fg : t.bk);
                }
            }
        }
    }
}

} // namespace qdraw
