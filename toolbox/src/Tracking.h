// Internal: where a press being tracked ended.
#pragma once

#include "Events.h"
#include "QuickDraw.h"

// The point (local to the current port) where the button went up: the queued mouse-up's point
// when there is one, else the mouse. Reading the mouse alone can see input that came after.
inline Point TBReleasePoint() {
    EventRecord e;
    Point pt;
    if (EventAvail(mUpMask, &e)) {
        pt = e.where;
        GlobalToLocal(&pt);
    } else {
        GetMouse(&pt);
    }
    return pt;
}
