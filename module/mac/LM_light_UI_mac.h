// The lights on the preview: their figures, hit testing and the drags that move and reshape them.
// The members themselves belong to LM_light_UI and are defined in LM_light_UI_mac.cpp and
// LM_light_drag_mac.cpp; this header adds what the dialog hands to the drags and the search over the
// whole set that its event filter makes for a press in the work area.
#pragma once

#include "LM_globals.h"
#include "LM_light_UI.h"
#include "LM_types.h"

// Dialog items the drags use.
constexpr LM_sint16 LM_ITEM_WORK_AREA = 6;
constexpr LM_sint16 LM_ITEM_TRASH = 22;

// Hit results of LM_light_UI::HitTest.
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
