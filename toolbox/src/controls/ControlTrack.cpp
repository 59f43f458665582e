// TrackControl: press feedback for ordinary parts, indicator drags, and definitions that track
// themselves.
#include "Controls.h"

#include "Events.h"
#include "Tracking.h"
#include "Scopes.h"

#include <algorithm>

namespace {

long packPoint(std::int16_t v, std::int16_t h) {
    return long(std::uint32_t(std::uint16_t(v)) << 16 | std::uint16_t(h));
}

// The offset the mouse has moved from `start`, kept so that the indicator stays in `limit` and
// along `axis`.
Point constrainedOffset(Point start, Point now, const IndicatorDragConstraint& c, const Rect& indicator) {
    std::int16_t dh = c.axis == 2 ? 0 : std::int16_t(now.h - start.h);
    std::int16_t dv = c.axis == 1 ? 0 : std::int16_t(now.v - start.v);
    dh = std::clamp<std::int16_t>(dh, std::int16_t(c.limitRect.left - indicator.left),
                                  std::int16_t(std::max(0, c.limitRect.right - indicator.right)));
    dv = std::clamp<std::int16_t>(dv, std::int16_t(c.limitRect.top - indicator.top),
                                  std::int16_t(std::max(0, c.limitRect.bottom - indicator.bottom)));
    return Point{dv, dh};
}

// The Control Manager's own indicator drag: a grey outline of the indicator follows the mouse.
std::int16_t dragIndicator(ControlHandle control, Point start, std::int16_t part,
                           ControlActionProcPtr action) {
    IndicatorDragConstraint c{};
    c.limitRect.top = start.v;
    c.limitRect.left = start.h;
    TBCallControlDefinition(control, thumbCntl, reinterpret_cast<long>(&c));
    RgnHandle outline = NewRgn();
    TBCallControlDefinition(control, calcThumbRgn, reinterpret_cast<long>(outline));
    Rect indicator = (**outline).rgnBBox;
    PenState saved;
    GetPenState(&saved);
    PenMode(patXor);
    PenPat(&qd.gray);
    Point offset{0, 0}, now = start;
    FrameRgn(outline);
    while (TBStillTracking()) {
        GetMouse(&now);
        Point next = constrainedOffset(start, now, c, indicator);
        if (next.h != offset.h || next.v != offset.v) {
            FrameRgn(outline);
            OffsetRgn(outline, std::int16_t(next.h - offset.h), std::int16_t(next.v - offset.v));
            FrameRgn(outline);
            offset = next;
        }
        if (action)
            reinterpret_cast<IndicatorActionProcPtr>(action)();
    }
    FrameRgn(outline);
    SetPenState(&saved);
    DisposeRgn(outline);
    now = TBReleasePoint();
    if (!PtInRect(now, &c.slopRect) || (offset.h == 0 && offset.v == 0))
        return 0;
    TBCallControlDefinition(control, posCntl, packPoint(offset.v, offset.h));
    return part;
}

// Ordinary parts: shown pressed while the mouse is over the pressed part.
std::int16_t trackPart(ControlHandle control, std::int16_t part, ControlActionProcPtr action) {
    HiliteControl(control, part);
    std::int16_t current = part;
    Point pt;
    while (TBStillTracking()) {
        GetMouse(&pt);
        std::int16_t under = TestControl(control, pt) == part ? part : 0;
        if (under != current) {
            HiliteControl(control, under);
            current = under;
        }
        if (action && under)
            action(control, under);
    }
    pt = TBReleasePoint();
    bool inside = TestControl(control, pt) == part;
    HiliteControl(control, 0);
    return inside ? part : 0;
}

std::int16_t track(ControlHandle control, Point pt, ControlActionProcPtr actionProc) {
    std::int16_t part = TestControl(control, pt);
    if (!part)
        return 0;
    ControlActionProcPtr own = (**control).contrlAction;
    if (own == kControlActionDefault) {
        TBCallControlDefinition(control, autoTrack, part);
        return part;
    }
    ControlActionProcPtr action = actionProc == kControlActionDefault ? own : actionProc;
    if (part >= inThumb) {
        if (TBCallControlDefinition(control, dragCntl, 1))
            return part;
        return dragIndicator(control, pt, part, action);
    }
    return trackPart(control, part, action);
}

} // namespace

// The mouse is read in the control's window, whatever port the caller had.
std::int16_t TrackControl(ControlHandle control, Point pt, ControlActionProcPtr actionProc) {
    PortScope port((**control).contrlOwner);
    return track(control, pt, actionProc);
}
