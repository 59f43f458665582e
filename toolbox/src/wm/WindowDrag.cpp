// Dragging a window by its frame: the window follows the mouse while the button stays down.
#include "Backend.h"
#include "EventState.h"
#include "WindowState.h"

#include <algorithm>

void DragWindow(WindowPtr window, Point startPt, const Rect* limit) {
    Rect screen;
    TBGetScreenBounds(&screen);
    const Rect bounds = limit && !EmptyRect(limit) ? *limit : screen;
    const Point origin = window->globalOrigin;
    Point last = startPt;
    while (StillDown()) {
        const Point m = tbev::mouse();
        last = Point{std::clamp(m.v, bounds.top, std::int16_t(bounds.bottom - 1)),
                     std::clamp(m.h, bounds.left, std::int16_t(bounds.right - 1))};
        MoveWindow(window, std::int16_t(origin.h + last.h - startPt.h),
                   std::int16_t(origin.v + last.v - startPt.v), false);
    }
    // The release may carry the last movement.
    const Point m = tbev::mouse();
    if (PtInRect(m, &bounds))
        last = m;
    MoveWindow(window, std::int16_t(origin.h + last.h - startPt.h),
               std::int16_t(origin.v + last.v - startPt.v), false);
}
