#include "GallerySlider.h"

#include "Events.h"
#include "Fonts.h"
#include "TextUtils.h"

#include <algorithm>

namespace {

constexpr RGBColor kBlack = {0, 0, 0};
constexpr RGBColor kDimmed = {0x8000, 0x8000, 0x8000};

struct Geometry {
    std::int16_t barLeft, barRight, barV;
};

Geometry geometry(const ControlRecord& c) {
    return {std::int16_t(c.contrlRect.left + 6), std::int16_t(c.contrlRect.right - 6),
            std::int16_t(c.contrlRect.top + 18)};
}

std::int16_t indicatorH(const ControlRecord& c, const Geometry& g) {
    int span = std::max(1, c.contrlMax - c.contrlMin);
    return std::int16_t(g.barLeft + (c.contrlValue - c.contrlMin) * (g.barRight - g.barLeft) / span);
}

void draw(ControlHandle control) {
    const ControlRecord& c = **control;
    if (!c.contrlVis)
        return;
    Geometry g = geometry(c);
    PenState pen;
    GetPenState(&pen);
    PenNormal();
    EraseRect(&c.contrlRect);
    RGBForeColor(c.contrlHilite == kControlInactivePart ? &kDimmed : &kBlack);
    TextFont(applFont);
    TextSize(9);
    MoveTo(c.contrlRect.left, std::int16_t(c.contrlRect.top + 10));
    DrawString(c.contrlTitle);
    Str255 value;
    NumToString(c.contrlValue, value);
    MoveTo(std::int16_t(c.contrlRect.right - StringWidth(value)), std::int16_t(c.contrlRect.top + 10));
    DrawString(value);
    MoveTo(g.barLeft, g.barV);
    LineTo(g.barRight, g.barV);
    MoveTo(indicatorH(c, g), std::int16_t(g.barV + 1));
    DrawPISlider();
    TextFont(systemFont);
    TextSize(0);
    RGBForeColor(&kBlack);
    SetPenState(&pen);
}

void dragIndicator(ControlHandle control) {
    Point pt;
    do {
        GetMouse(&pt);
        ControlRecord& c = **control;
        Geometry g = geometry(c);
        int h = std::clamp<int>(pt.h, g.barLeft, g.barRight);
        auto value = std::int16_t(c.contrlMin + (h - g.barLeft) * (c.contrlMax - c.contrlMin) /
                                                    std::max(1, g.barRight - g.barLeft));
        if (value != c.contrlValue) {
            c.contrlValue = value;
            draw(control);
        }
    } while (StillDown());
}

} // namespace

long GallerySliderDefinition(std::int16_t, ControlHandle control, std::int16_t message, long param) {
    switch (message) {
    case drawCntl:
        draw(control);
        return 0;
    case testCntl:
        return PtInRect(TBControlMessagePoint(param), &(**control).contrlRect) ? inThumb : 0;
    case dragCntl:
        if (param)
            dragIndicator(control);
        return 1;
    case calcCntlRgn:
    case calcThumbRgn:
        RectRgn(reinterpret_cast<RgnHandle>(param), &(**control).contrlRect);
        return 0;
    default:
        return 0;
    }
}
