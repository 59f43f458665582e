// The lights on the preview: their figures, hit testing and the drags that move and reshape them
// (LM_light_UI_mac.cpp, LM_light_drag_mac.cpp), what the dialog hands to the drags, and the search
// over the whole set that its event filter makes for a press in the work area.
#pragma once

#include "LM_globals.h"
#include "LM_light_UI.h"
#include "LM_types.h"
#include "QuickDraw.h"

// Dialog items the drags use.
constexpr LM_sint16 LM_ITEM_WORK_AREA = 6;
constexpr LM_sint16 LM_ITEM_TRASH = 22;

// Hit results of LM_light_figure::HitTest.
enum : LM_sint16 {
    LM_HIT_NONE = 0,
    LM_HIT_CENTER = 1,
    LM_HIT_GRAB_2 = 2, // omni left, directional tip, spotlight c - majorAxis
    LM_HIT_GRAB_3 = 3, // omni top, spotlight c - minorAxis
    LM_HIT_GRAB_4 = 4, // omni right, spotlight c + majorAxis
    LM_HIT_GRAB_5 = 5, // omni bottom, spotlight c + minorAxis
};

// What a drag needs from the dialog; the dialog passes its own item helpers (named beside each).
// Every pointer must be set.
struct LM_light_dialog_hooks {
    // The box of a dialog item (LM_ItemGetBox).
    void (*itemBox)(DialogPtr dialog, LM_sint16 item, Rect& box);
    // The trash item drawn normally (LM_DrawTrash) or highlighted (LM_DrawInverseTrash).
    void (*drawTrash)(DialogPtr dialog, LM_sint16 item);
    void (*drawInverseTrash)(DialogPtr dialog, LM_sint16 item);
    // The too-few-lights alert (LM_ShowTooFewLightsError).
    void (*showTooFewLights)();
    // After a deletion: the new current light into the light controls, the well as it now looks.
    void (*lightDeleted)(DialogPtr dialog, LM_globals* globals);
};

// A light as the preview shows it; the figures draw into the current port and leave its pen as
// they found it.
class LM_light_figure {
  public:
    explicit LM_light_figure(LM_light_UI& light) : light(light) {}

    // The full figure: centre handle, shape and (spotlights always) grab handles.
    void DrawActive(LM_globals* globals, LM_bool showGrab);
    // Only the centre handle, filled with the light's colour.
    void DrawInactive();
    // The reversible figure shown during drags: drawing it twice restores the pixels.
    void DrawXORActive(LM_bool withCentre, LM_bool withGrab, LM_globals* globals);
    // 0 nothing, 1 centre, 2..5 a grab handle (tested only when withGrab), as LM_HIT_*.
    LM_sint16 HitTest(Point where, LM_bool withGrab);
    // The centre drag until release: moves the light, or deletes it when dropped on the trash.
    void MoveUI(DialogPtr dialog, LM_globals* globals, const LM_light_dialog_hooks& hooks);
    // The drag of grab handle `result` (2..5) until release; Shift keeps the direction, Command the
    // length.
    void DragGrabHandle(DialogPtr dialog, LM_globals* globals, LM_sint16 result,
                        const LM_light_dialog_hooks& hooks);

  private:
    LM_vectori2 Center() const;
    void DrawDirectional(LM_bool showGrab);
    void DrawOmni(LM_bool showGrab);
    void DrawSpot(LM_globals* globals);
    int GrabPoints(LM_vectori2 points[4]) const;
    void DrawHandles(PixPatHandle pattern, LM_bool withGrab);
    void DrawXORHandles(LM_bool withCentre, LM_bool withGrab);
    void DrawCenterHandle(PixPatHandle pattern);
    void DrawGrabHandle(LM_sint16 x, LM_sint16 y, PixPatHandle pattern);
    void DrawXORCenterHandle();
    void DrawXORGrabHandle(LM_sint16 x, LM_sint16 y);
    void DrawEllipse(LM_globals* globals);
    void DrawXORDirectional(LM_bool withGrab);
    void DrawXOROmni(LM_bool withCentre, LM_bool withGrab);
    void DrawXORSpot(LM_bool withCentre, LM_bool withGrab, LM_globals* globals);
    LM_sint16 HitTestDirectionalGrabHandles(Point where, RgnHandle region);
    LM_sint16 HitTestOmniGrabHandles(Point where, RgnHandle region);
    LM_sint16 HitTestSpotGrabHandles(Point where, RgnHandle region);
    void SetNewPosition(LM_sint16 h, LM_sint16 v, LM_globals* globals, LM_bool eraseOld);
    void SetNewHandlePosition(LM_sint16 h, LM_sint16 v, LM_globals* globals, LM_sint16 result,
                              const LM_vectori2& startMajor, const LM_vectori2& startMinor,
                              LM_bool keepDirection, LM_bool keepLength);

    LM_light_UI& light;
};

// Every light's figure into the current port, the current light last with its grab handles.
void LM_DrawLights(LM_globals* globals);
// The centre handles of every light but the current one.
void LM_DrawInactiveLights(LM_globals* globals);

// True while the key of virtual key code `keyCode` is held (Shift 56, Option 58, Command 55).
LM_bool LM_KeyIsDown(LM_uint8 keyCode);

// The handle a press at `where` (dialog coordinates) lands on: the current light's grab handles and
// centre first, then the centres of the lights from index 0 upward. Returns the HitTest result and
// stores the light's index in `light` (untouched on LM_HIT_NONE).
LM_sint16 LM_HitTestLights(LM_globals* globals, Point where, LM_uint16* light);
