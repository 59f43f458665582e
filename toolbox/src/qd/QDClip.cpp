// The clip region and drawing whole regions.
#include "QDInternal.h"

void GetClip(RgnHandle rgn) {
    CopyRgn(qdraw::port().clipRgn, rgn);
}
void SetClip(RgnHandle rgn) {
    CopyRgn(rgn, qdraw::port().clipRgn);
}
void ClipRect(const Rect* r) {
    RectRgn(qdraw::port().clipRgn, r);
}

// A region's frame is the region minus its erosion by the pen.
void FrameRgn(RgnHandle rgn) {
    const GrafPort& p = qdraw::port();
    RgnHandle inner = NewRgn();
    if (!inner)
        return;
    CopyRgn(rgn, inner);
    InsetRgn(inner, p.pnSize.h, p.pnSize.v);
    qdraw::frameShape(qdraw::spansOf(rgn), qdraw::spansOf(inner));
    DisposeRgn(inner);
}
