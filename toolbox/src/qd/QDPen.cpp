// The pen, the background pattern and pixel patterns.
#include "Memory.h"
#include "QDInternal.h"

void GetPenState(PenState* ps) {
    const GrafPort& p = qdraw::port();
    *ps = PenState{p.pnLoc, p.pnSize, p.pnMode, p.pnPat, p.pnPixPat};
}

void SetPenState(const PenState* ps) {
    GrafPort& p = qdraw::port();
    p.pnLoc = ps->pnLoc;
    p.pnSize = ps->pnSize;
    p.pnMode = ps->pnMode;
    p.pnPat = ps->pnPat;
    p.pnPixPat = ps->pnPixPat;
}

void PenNormal() {
    GrafPort& p = qdraw::port();
    p.pnSize = Point{1, 1};
    p.pnMode = patCopy;
    p.pnPat = qd.black;
    p.pnPixPat = nullptr;
}

void PenMode(std::int16_t mode) {
    qdraw::port().pnMode = mode;
}
void PenSize(std::int16_t width, std::int16_t height) {
    qdraw::port().pnSize = Point{height, width};
}

void PenPat(const Pattern* pat) {
    qdraw::port().pnPat = *pat;
    qdraw::port().pnPixPat = nullptr;
}

void PenPixPat(PixPatHandle ppat) {
    qdraw::port().pnPixPat = ppat;
}

void HidePen() {
    --qdraw::port().pnVis;
}
void ShowPen() {
    ++qdraw::port().pnVis;
}

PixPatHandle NewPixPat() {
    auto ppat = reinterpret_cast<PixPatHandle>(NewHandleClear(sizeof(PixPat)));
    if (ppat) {
        (**ppat).patType = kOldPattern;
        (**ppat).pat1Data = qd.black;
    }
    return ppat;
}

void MakeRGBPat(PixPatHandle ppat, const RGBColor* color) {
    (**ppat).patType = kRGBPattern;
    (**ppat).rgb = *color;
}

void DisposePixPat(PixPatHandle ppat) {
    if (ppat)
        DisposeHandle(reinterpret_cast<Handle>(ppat));
}

namespace qdraw {

Source patternSource(const Pattern& pat) {
    Source s;
    s.pat = pat;
    return s;
}

Source pixPatSource(PixPatHandle ppat) {
    if ((**ppat).patType == kOldPattern)
        return patternSource((**ppat).pat1Data);
    Source s;
    s.colour = true;
    s.solid = toPixel((**ppat).rgb);
    return s;
}

Source penSource(const GrafPort& port) {
    return port.pnPixPat ? pixPatSource(port.pnPixPat) : patternSource(port.pnPat);
}

Source backSource(const GrafPort& port) {
    return port.bkPixPat ? pixPatSource(port.bkPixPat) : patternSource(port.bkPat);
}

Source invertSource() {
    return patternSource(qd.black);
}

} // namespace qdraw
