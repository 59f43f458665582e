// Update events. The update region is kept in global coordinates, as the classic
// record did; BeginUpdate narrows the port's visRgn to it.
#include "WindowState.h"

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
