// Invalidation and update events. The update region is kept in global coordinates, as the classic
// record did; BeginUpdate narrows the port's visRgn to it.
#include "WindowState.h"

namespace {

// Applies op(updateRgn, the local region made global) for the current port when it is a window;
// other ports have nothing to update.
void changeUpdate(RgnHandle localRgn, void (*op)(RgnHandle, RgnHandle, RgnHandle)) {
    if (!qd.thePort || !tbwm::isWindow(qd.thePort))
        return;
    WindowRecord& w = *reinterpret_cast<WindowRecord*>(qd.thePort);
    RgnHandle global = NewRgn();
    if (!global)
        return;
    CopyRgn(localRgn, global);
    OffsetRgn(global, w.port.globalOrigin.h, w.port.globalOrigin.v);
    SectRgn(global, w.contRgn, global);
    op(w.updateRgn, global, w.updateRgn);
    DisposeRgn(global);
}

void changeUpdateRect(const Rect* r, void (*op)(RgnHandle, RgnHandle, RgnHandle)) {
    RgnHandle rgn = NewRgn();
    if (!rgn)
        return;
    RectRgn(rgn, r);
    changeUpdate(rgn, op);
    DisposeRgn(rgn);
}

} // namespace

void InvalRect(const Rect* r) {
    changeUpdateRect(r, UnionRgn);
}
void InvalRgn(RgnHandle rgn) {
    changeUpdate(rgn, UnionRgn);
}
void ValidRect(const Rect* r) {
    changeUpdateRect(r, DiffRgn);
}
void ValidRgn(RgnHandle rgn) {
    changeUpdate(rgn, DiffRgn);
}

void BeginUpdate(WindowPtr window) {
    auto& w = *reinterpret_cast<WindowRecord*>(window);
    CopyRgn(w.updateRgn, w.port.visRgn);
    OffsetRgn(w.port.visRgn, std::int16_t(-w.port.globalOrigin.h), std::int16_t(-w.port.globalOrigin.v));
    SetEmptyRgn(w.updateRgn);
}

void EndUpdate(WindowPtr window) {
    RectRgn(window->visRgn, &window->portRect);
}

namespace tbwm {

WindowPtr windowNeedingUpdate() {
    for (WindowPtr w = FrontWindow(); w; w = TBNextWindow(w))
        if (!EmptyRgn(reinterpret_cast<WindowRecord*>(w)->updateRgn))
            return w;
    return nullptr;
}

} // namespace tbwm
