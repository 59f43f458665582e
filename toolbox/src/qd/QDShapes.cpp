// The drawing verbs shared by rectangles, ovals, round rects and regions.
#include "QDInternal.h"

namespace qdraw {

void frameShape(const Spans& outer, const Spans& inner) {
    GrafPort& p = port();
    if (recording(p)) {
        recordArea(p, outer);
        return;
    }
    if (p.pnSize.h <= 0 || p.pnSize.v <= 0)
        return;
    paintSpans(p, inner.empty() ? outer : Spans::subtract(outer, inner), penSource(p), shapeMode(p.pnMode));
}

void paintShape(const Spans& shape) {
    GrafPort& p = port();
    paintSpans(p, shape, penSource(p), shapeMode(p.pnMode));
}

void eraseShape(const Spans& shape) {
    GrafPort& p = port();
    paintSpans(p, shape, backSource(p), patCopy);
}

void invertShape(const Spans& shape) {
    paintSpans(port(), shape, invertSource(), patXor);
}
void fillShape(const Spans& shape, const Source& src) {
    paintSpans(port(), shape, src, patCopy);
}

} // namespace qdraw
