// Hit testing and the drags of the lights' centres and grab handles.
#include "LM_light_UI_mac.h"

#include "Events.h"
#include "LM_light_geometry_mac.h"

using namespace LM_light_geometry;

namespace {

// The first of `count` grab handles around `points` whose 5 x 5 box holds `where`: its result, or 0.
LM_sint16 hitGrabBoxes(Point where, RgnHandle region, const LM_vectori2* points, const LM_sint16* results,
                       int count) {
    for (int i = 0; i < count; ++i) {
        const Rect box = grabBox(points[i]);
        OpenRgn();
        FrameRect(&box);
        CloseRgn(region);
        if (PtInRgn(where, region))
            return results[i];
    }
    return LM_HIT_NONE;
}

constexpr LM_sint16 kFourHandleOrder[4] = {LM_HIT_GRAB_2, LM_HIT_GRAB_4, LM_HIT_GRAB_3, LM_HIT_GRAB_5};

// The mouse in the current port, held inside `box` (its right and bottom edges included).
Point clampedMouse(const Rect& box) {
    Point m;
    GetMouse(&m);
    m.h = std::clamp(m.h, box.left, box.right);
    m.v = std::clamp(m.v, box.top, box.bottom);
    return m;
}

struct AxisKeys {
    bool keepDirection;
    bool keepLength;
};

AxisKeys readAxisKeys() {
    const bool shift = LM_KeyIsDown(kVKShift);
    return {shift, !shift && LM_KeyIsDown(kVKCommand) != 0};
}

// The new axis for drag vector d and starting axis s: d itself, s scaled to |d|, or d at |s|.
// A zero length where the rule divides leaves `current` as it was.
LM_vectori2 dragAxis(LM_vectori2 d, LM_vectori2 s, LM_vectori2 current, AxisKeys keys) {
    if (keys.keepDirection) {
        const float length = s.Magnitude();
        if (length == 0)
            return current;
        const float scale = d.Magnitude() / length;
        return {trunc16(s.x * scale), trunc16(s.y * scale)};
    }
    if (keys.keepLength) {
        const float length = d.Magnitude();
        if (length == 0)
            return current;
        const float wanted = s.Magnitude();
        return {trunc16(float(LM_Trunc32(d.x * wanted)) / length),
                trunc16(float(LM_Trunc32(d.y * wanted)) / length)};
    }
    return d;
}

} // namespace

LM_bool LM_KeyIsDown(LM_uint8 keyCode) {
    KeyMap keys;
    GetKeys(keys);
    const unsigned bit = (keyCode & 7u) + 8u * (3u - ((keyCode >> 3) & 3u));
    return (keys[keyCode >> 5] >> bit) & 1u;
}

// ---- Hit testing ---------------------------------------------------------------------------------

LM_sint16 LM_light_figure::HitTest(Point where, LM_bool withGrab) {
    RgnHandle region = NewRgn();
    if (!region)
        return LM_HIT_NONE;
    LM_sint16 result = LM_HIT_NONE;
    if (withGrab) {
        switch (light.type) {
        case lightTypeDirectional:
            result = HitTestDirectionalGrabHandles(where, region);
            break;
        case lightTypeOmni:
            result = HitTestOmniGrabHandles(where, region);
            break;
        case lightTypeSpot:
            result = HitTestSpotGrabHandles(where, region);
            break;
        }
    }
    if (result == LM_HIT_NONE) {
        const Rect box = centerBox(Center());
        OpenRgn();
        FrameOval(&box);
        CloseRgn(region);
        if (PtInRgn(where, region))
            result = LM_HIT_CENTER;
    }
    DisposeRgn(region);
    return result;
}

LM_sint16 LM_light_figure::HitTestDirectionalGrabHandles(Point where, RgnHandle region) {
    const LM_vectori2 tip = Center() + light.majorAxis;
    const LM_sint16 result = LM_HIT_GRAB_2;
    return hitGrabBoxes(where, region, &tip, &result, 1);
}

// The areas of the right and bottom handles are centred on the circle box's edge, one pixel beyond
// where those handles are drawn.
LM_sint16 LM_light_figure::HitTestOmniGrabHandles(Point where, RgnHandle region) {
    LM_vectori2 points[4];
    omniHandlePoints(Center(), light.radius, 0, points);
    return hitGrabBoxes(where, region, points, kFourHandleOrder, 4);
}

LM_sint16 LM_light_figure::HitTestSpotGrabHandles(Point where, RgnHandle region) {
    LM_vectori2 points[4];
    spotHandlePoints(Center(), light.majorAxis, light.minorAxis, points);
    return hitGrabBoxes(where, region, points, kFourHandleOrder, 4);
}

LM_sint16 LM_HitTestLights(LM_globals* globals, Point where, LM_uint16* light) {
    const LM_sint16 current = LM_light_figure(globals->lights[globals->currentLight]).HitTest(where, true);
    if (current != LM_HIT_NONE) {
        *light = globals->currentLight;
        return current;
    }
    for (LM_uint16 i = 0; i < globals->lightCount; ++i) {
        const LM_sint16 result = LM_light_figure(globals->lights[i]).HitTest(where, false);
        if (result != LM_HIT_NONE) {
            *light = i;
            return result;
        }
    }
    return LM_HIT_NONE;
}

// ---- Moving a light ------------------------------------------------------------------------------

namespace {

// What a centre drag shows: the figure in the work area, or the trash highlighted. The trash is
// always drawn with the dialog's own clip in force, and the work-area clip set again after.
struct MoveDrag {
    DialogPtr dialog;
    const LM_light_dialog_hooks& hooks;
    RgnHandle savedClip;
    Rect work;
    Rect trash;
    bool shown = false;
    bool highlighted = false;

    void drawTrash(bool highlight) {
        SetClip(savedClip);
        (highlight ? hooks.drawInverseTrash : hooks.drawTrash)(dialog, LM_ITEM_TRASH);
        ClipRect(&work);
        highlighted = highlight;
    }
};

} // namespace

void LM_light_figure::MoveUI(DialogPtr dialog, LM_globals* globals, const LM_light_dialog_hooks& hooks) {
    const LM_vectori2 startPosition = light.position;
    GrafPtr savedPort;
    GetPort(&savedPort);
    SetPort(dialog);
    MoveDrag drag{dialog, hooks, NewRgn(), {}, {}};
    if (!drag.savedClip) {
        SetPort(savedPort);
        return;
    }
    hooks.itemBox(dialog, LM_ITEM_TRASH, drag.trash);
    InsetRect(&drag.trash, 1, 1);
    hooks.itemBox(dialog, LM_ITEM_WORK_AREA, drag.work);
    InsetRect(&drag.work, 1, 1);
    GetClip(drag.savedClip);
    ClipRect(&drag.work);

    // In the work area the figure follows the mouse; a centre drag always lands the centre on it.
    Point last = {-32768, -32768};
    const auto followInWorkArea = [&](Point m) {
        if (!drag.shown) {
            SetNewPosition(m.h, m.v, globals, false);
            drag.shown = true;
        } else if (!EqualPt(m, last)) {
            SetNewPosition(m.h, m.v, globals, true);
        }
    };

    // Outside the work area the figure disappears; over the trash, the trash lights up instead.
    const auto hideFigure = [&] {
        DrawXORActive(true, false, globals);
        drag.shown = false;
    };
    const auto track = [&](Point m) {
        if (PtInRect(m, &drag.work)) {
            followInWorkArea(m);
            if (drag.highlighted)
                drag.drawTrash(false);
        } else if (!PtInRect(m, &drag.trash)) {
            if (drag.shown)
                hideFigure();
            else if (drag.highlighted)
                drag.drawTrash(false);
        } else if (!drag.highlighted) {
            drag.drawTrash(true);
            if (drag.shown)
                hideFigure();
        }
        last = m;
    };

    Point mouse;
    GetMouse(&mouse);
    track(mouse);
    while (StillDown()) {
        GetMouse(&mouse);
        track(mouse);
    }

    GetMouse(&mouse);
    bool deleted = false;
    if (PtInRect(mouse, &drag.work)) {
        followInWorkArea(mouse);
    } else if (!PtInRect(mouse, &drag.trash)) {
        light.position = startPosition;
        globals->LightChanged(light);
    } else if (globals->lightCount < 2) {
        hooks.showTooFewLights();
        light.position = startPosition;
        globals->LightChanged(light);
    } else {
        // The slot of this light now holds the next one: nothing of `light` is used after here.
        globals->DeleteCurrentLight();
        deleted = true;
    }

    SetClip(drag.savedClip);
    if (drag.highlighted)
        hooks.drawTrash(dialog, LM_ITEM_TRASH);
    DisposeRgn(drag.savedClip);
    // The controls and the well lie outside the work area: they are redrawn unclipped.
    if (deleted)
        hooks.lightDeleted(dialog, globals);
    SetPort(savedPort);
}

void LM_light_figure::SetNewPosition(LM_sint16 h, LM_sint16 v, LM_globals* globals, LM_bool eraseOld) {
    if (eraseOld)
        DrawXORActive(true, false, globals);
    light.position = {sub16(h, light.anchor.x), sub16(v, light.anchor.y)};
    globals->LightChanged(light);
    DrawXORActive(true, false, globals);
}

// ---- Dragging a grab handle ----------------------------------------------------------------------

void LM_light_figure::DragGrabHandle(DialogPtr dialog, LM_globals* globals, LM_sint16 result,
                                     const LM_light_dialog_hooks& hooks) {
    const LM_vectori2 startMajor = light.majorAxis;
    const LM_vectori2 startMinor = light.minorAxis;
    GrafPtr savedPort;
    GetPort(&savedPort);
    SetPort(dialog);
    Rect work;
    hooks.itemBox(dialog, LM_ITEM_WORK_AREA, work);
    InsetRect(&work, 1, 1);
    RgnHandle savedClip = NewRgn();
    if (!savedClip) {
        SetPort(savedPort);
        return;
    }
    GetClip(savedClip);
    ClipRect(&work);

    // Each step starts again from the axes at the press, so modifiers act at once and no rounding
    // accumulates.
    const auto follow = [&](Point m) {
        const AxisKeys keys = readAxisKeys();
        SetNewHandlePosition(m.h, m.v, globals, result, startMajor, startMinor, keys.keepDirection,
                             keys.keepLength);
    };
    DrawXORActive(false, false, globals);
    Point last = clampedMouse(work);
    follow(last);
    while (StillDown()) {
        const Point m = clampedMouse(work);
        if (!EqualPt(m, last))
            follow(m);
        last = m;
    }
    const Point m = clampedMouse(work);
    if (!EqualPt(m, last))
        follow(m);

    SetClip(savedClip);
    DisposeRgn(savedClip);
    SetPort(savedPort);
}

void LM_light_figure::SetNewHandlePosition(LM_sint16 h, LM_sint16 v, LM_globals* globals, LM_sint16 result,
                                           const LM_vectori2& startMajor, const LM_vectori2& startMinor,
                                           LM_bool keepDirection, LM_bool keepLength) {
    DrawXORActive(false, false, globals);
    const LM_vectori2 c = Center();
    const LM_vectori2 m = {h, v};
    const AxisKeys keys = {keepDirection != 0, keepLength != 0};
    // Results 2 and 3 pull the axis's negative end, 4 and 5 its positive end.
    const LM_vectori2 d = (result == LM_HIT_GRAB_2 || result == LM_HIT_GRAB_3) ? c - m : m - c;
    switch (light.type) {
    case lightTypeDirectional:
        light.majorAxis = dragAxis(m - c, startMajor, light.majorAxis, keys);
        break;
    case lightTypeOmni:
        switch (result) {
        case LM_HIT_GRAB_2:
            light.radius = sub16(c.x, h);
            break;
        case LM_HIT_GRAB_3:
            light.radius = sub16(c.y, v);
            break;
        case LM_HIT_GRAB_4:
            light.radius = sub16(h, c.x);
            break;
        case LM_HIT_GRAB_5:
            light.radius = sub16(v, c.y);
            break;
        }
        light.radius = std::max<LM_sint16>(light.radius, 1);
        break;
    case lightTypeSpot:
        if (result == LM_HIT_GRAB_2 || result == LM_HIT_GRAB_4) {
            // The minor axis keeps its starting length, but never outgrows the major axis.
            light.majorAxis = dragAxis(d, startMajor, light.majorAxis, keys);
            const float major = light.majorAxis.Magnitude();
            if (major != 0)
                light.minorAxis =
                    light.majorAxis.Perpendicular(std::min(startMinor.Magnitude() / major, 1.0f));
        } else {
            // The major axis keeps its starting length, but is never shorter than the minor axis.
            light.minorAxis = dragAxis(d, startMinor, light.minorAxis, keys);
            const float minor = light.minorAxis.Magnitude();
            if (minor != 0)
                light.majorAxis =
                    light.minorAxis.Perpendicular(-std::max(startMajor.Magnitude() / minor, 1.0f));
        }
        break;
    }
    globals->LightChanged(light);
    DrawXORActive(false, false, globals);
}
