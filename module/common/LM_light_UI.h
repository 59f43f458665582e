// A light as the user edits it (dialog-pixel geometry measured from an anchor) and its conversion
// into shading form. A value: its preview caches are kept by LM_globals.
#pragma once

#include "LM_parameters.h"
#include "LM_types.h"
#include "Types.h"

class LM_globals;
struct Region;
using RgnHandle = Region**;
struct PixPat;
using PixPatHandle = PixPat**;
struct LM_light_dialog_hooks;

class LM_light_UI {
  public:
    LM_sint32 type;
    LM_vectori2 position;
    LM_vectori2 anchor;
    LM_vectori2 majorAxis;
    LM_vectori2 minorAxis;
    LM_sint16 radius;
    LM_color48 color;
    LM_sint16 intensity;
    LM_sint16 spread;
    LM_bool isOn;

    LM_light_UI();

    // Fills `out` in world units of halfPreviewWidth dialog pixels; preview tables have 256 entries.
    // The light knows no caches: the references stay 0 (LM_globals::ConvertToParameters sets them).
    void ConvertToRealLight(LM_light* out, LM_uint16 halfPreviewWidth, LM_bool preview) const;
    // Makes a spotlight's minor axis perpendicular to its major axis and no longer than it.
    void Validate();

    // On the preview (LM_light_UI_mac.cpp). Figures draw into the current port and leave its pen
    // as they found it.
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
    void ConvertSpotLight(LM_light* out, float halfPreviewWidth, LM_bool preview) const;
    // Returns false when the spread gives pow a negative base: no table can be built.
    bool BuildSpreadTable(LM_light* out, LM_bool preview) const;
    void ConvertDarkLight(LM_light* out, LM_bool preview) const;

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
};
