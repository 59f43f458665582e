// Internal: where a press being tracked ended.
#pragma once

#include "Backend.h"
#include "Events.h"
#include "QuickDraw.h"

// StillDown for tracking loops: on the headless backend a script that has run out or failed can
// never release the button, so the press ends there instead of waiting for ever; a stop request
// ends it too.
inline bool TBStillTracking() {
    if (!StillDown() || TBStopRequested())
        return false;
    return TBCurrentBackend() != TBBackendKind::headless || (!TBScriptFinished() && TBScriptError().empty());
}

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
