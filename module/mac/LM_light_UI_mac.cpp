// The light figures on the preview: the full figure, the inactive centre and the reversible
// figures shown during drags.
#include "LM_light_UI_mac.h"

#include "LM_light_geometry_mac.h"

using namespace LM_light_geometry;

namespace {

constexpr RGBColor kGrey = {32768, 32768, 32768};
constexpr RGBColor kBlack = {0, 0, 0};

// Shapes are drawn so that a second drawing restores the pixels: exclusive-or on indexed screens,
// adding grey 32768 (which wraps back after two additions) on direct ones.
void LM_SetAddOverMode() {
    GrafPtr port;
    GetPort(&port);
    PenMode(GetPixDepth(GetPortPixMap(port)) < 9 ? patXor : addOver);
}

void lineBetween(LM_vectori2 from, LM_vectori2 to) {
    MoveTo(from.x, from.y);
    LineTo(to.x, to.y);
}

// Every figure leaves the pen as it found it.
template <typename Draw> void withSavedPen(Draw draw) {
    PenState saved;
    GetPenState(&saved);
    draw();
    SetPenState(&saved);
}

// A full figure also has a pattern of the light's colour for as long as it draws.
template <typename Draw> void withColorPattern(const LM_color48& color, Draw draw) {
    PixPatHandle pattern = NewPixPat();
    if (!pattern)
        return;
    const RGBColor rgb = {color.red, color.green, color.blue};
    MakeRGBPat(pattern, &rgb);
    withSavedPen([&] { draw(pattern); });
    DisposePixPat(pattern);
}

// Shapes: 1 pixel, grey, in the mode a second drawing undoes.
void shapePen() {
    PenNormal();
    LM_SetAddOverMode();
    RGBForeColor(&kGrey);
}

// Reversible figures: 1 pixel, exclusive-or.
void xorPen() {
    PenNormal();
    PenMode(patXor);
}

} // namespace

LM_vectori2 LM_light_figure::Center() const {
    return light.anchor + light.position;
}

// ---- Figures -------------------------------------------------------------------------------------

void LM_light_figure::DrawActive(LM_globals* globals, LM_bool showGrab) {
    switch (light.type) {
    case lightTypeDirectional:
        DrawDirectional(showGrab);
        break;
    case lightTypeOmni:
        DrawOmni(showGrab);
        break;
    case lightTypeSpot:
        DrawSpot(globals);
        break;
    }
}

void LM_light_figure::DrawInactive() {
    withColorPattern(light.color, [&](PixPatHandle pattern) {
        PenPixPat(pattern);
        DrawCenterHandle(pattern);
    });
}

int LM_light_figure::GrabPoints(LM_vectori2 points[4]) const {
    const LM_vectori2 c = Center();
    switch (light.type) {
    case lightTypeDirectional:
        points[0] = c + light.majorAxis;
        return 1;
    case lightTypeOmni:
        omniHandlePoints(c, light.radius, 1, points);
        return 4;
    case lightTypeSpot:
        spotHandlePoints(c, light.majorAxis, light.minorAxis, points);
        return 4;
    }
    return 0;
}

void LM_light_figure::DrawCenterHandle(PixPatHandle pattern) {
    const Rect box = centerBox(Center());
    PenPixPat(pattern);
    FillCOval(&box, pattern);
    PenNormal();
    FrameOval(&box);
}

void LM_light_figure::DrawGrabHandle(LM_sint16 x, LM_sint16 y, PixPatHandle pattern) {
    const Rect box = grabBox({x, y});
    LM_SetAddOverMode();
    PenPixPat(pattern);
    FillCRect(&box, pattern);
    PenNormal();
}

// Over the shape: the centre handle in the light's colour outlined in black, then the grab handles
// in grey.
void LM_light_figure::DrawHandles(PixPatHandle pattern, LM_bool withGrab) {
    RGBForeColor(&kBlack);
    PenMode(srcCopy);
    DrawCenterHandle(pattern);
    if (!withGrab)
        return;
    MakeRGBPat(pattern, &kGrey);
    LM_vectori2 points[4];
    const int count = GrabPoints(points);
    for (int i = 0; i < count; ++i)
        DrawGrabHandle(points[i].x, points[i].y, pattern);
}

void LM_light_figure::DrawDirectional(LM_bool showGrab) {
    withColorPattern(light.color, [&](PixPatHandle pattern) {
        shapePen();
        lineBetween(Center(), Center() + light.majorAxis);
        DrawHandles(pattern, showGrab);
    });
}

void LM_light_figure::DrawOmni(LM_bool showGrab) {
    withColorPattern(light.color, [&](PixPatHandle pattern) {
        const Rect circle = circleBox(Center(), light.radius);
        shapePen();
        FrameOval(&circle);
        DrawHandles(pattern, showGrab);
    });
}

void LM_light_figure::DrawSpot(LM_globals* globals) {
    withColorPattern(light.color, [&](PixPatHandle pattern) {
        shapePen();
        lineBetween(Center(), Center() + light.majorAxis);
        RGBForeColor(&kBlack);
        DrawEllipse(globals);
        DrawHandles(pattern, true);
    });
}

void LM_light_figure::DrawEllipse(LM_globals* globals) {
    const LM_vectori2 c = Center();
    LM_vectori2 points[LM_ELLIPSE_POINTS];
    for (int i = 0; i < LM_ELLIPSE_POINTS; ++i) {
        const float cx = globals->ellipseX[i];
        const float sy = globals->ellipseY[i];
        const LM_vectori2 offset = {trunc16(cx * light.majorAxis.x + sy * light.minorAxis.x),
                                    trunc16(cx * light.majorAxis.y + sy * light.minorAxis.y)};
        points[i] = c + offset;
    }
    PenNormal();
    LM_SetAddOverMode();
    RGBForeColor(&kGrey);
    MoveTo(points[0].x, points[0].y);
    for (int i = 1; i < LM_ELLIPSE_POINTS; ++i)
        LineTo(points[i].x, points[i].y);
    LineTo(points[0].x, points[0].y);
    RGBForeColor(&kBlack);
}

// ---- Reversible figures --------------------------------------------------------------------------

void LM_light_figure::DrawXORActive(LM_bool withCentre, LM_bool withGrab, LM_globals* globals) {
    switch (light.type) {
    case lightTypeDirectional:
        DrawXORDirectional(withGrab);
        break;
    case lightTypeOmni:
        DrawXOROmni(withCentre, withGrab);
        break;
    case lightTypeSpot:
        DrawXORSpot(withCentre, withGrab, globals);
        break;
    }
}

void LM_light_figure::DrawXORCenterHandle() {
    const Rect box = centerBox(Center());
    xorPen();
    PaintOval(&box);
}

void LM_light_figure::DrawXORGrabHandle(LM_sint16 x, LM_sint16 y) {
    const Rect box = grabBox({x, y});
    xorPen();
    PaintRect(&box);
}

void LM_light_figure::DrawXORHandles(LM_bool withCentre, LM_bool withGrab) {
    if (withCentre)
        DrawXORCenterHandle();
    if (!withGrab)
        return;
    LM_vectori2 points[4];
    const int count = GrabPoints(points);
    for (int i = 0; i < count; ++i)
        DrawXORGrabHandle(points[i].x, points[i].y);
}

// A directional light's reversible figure always has its centre handle.
void LM_light_figure::DrawXORDirectional(LM_bool withGrab) {
    withSavedPen([&] {
        xorPen();
        lineBetween(Center(), Center() + light.majorAxis);
        DrawXORHandles(true, withGrab);
    });
}

void LM_light_figure::DrawXOROmni(LM_bool withCentre, LM_bool withGrab) {
    withSavedPen([&] {
        const Rect circle = circleBox(Center(), light.radius);
        xorPen();
        FrameOval(&circle);
        DrawXORHandles(withCentre, withGrab);
    });
}

void LM_light_figure::DrawXORSpot(LM_bool withCentre, LM_bool withGrab, LM_globals* globals) {
    withSavedPen([&] {
        xorPen();
        lineBetween(Center(), Center() + light.majorAxis);
        DrawEllipse(globals);
        DrawXORHandles(withCentre, withGrab);
    });
}

// ---- The light set -------------------------------------------------------------------------------

void LM_DrawLights(LM_globals* globals) {
    LM_DrawInactiveLights(globals);
    LM_light_figure(globals->lights[globals->currentLight]).DrawActive(globals, true);
}

void LM_DrawInactiveLights(LM_globals* globals) {
    for (LM_uint16 i = 0; i < globals->lightCount; ++i)
        if (i != globals->currentLight)
            LM_light_figure(globals->lights[i]).DrawInactive();
}
