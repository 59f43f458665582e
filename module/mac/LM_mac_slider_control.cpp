#include "LM_mac_slider_control.h"

#include "Fonts.h"
#include "TextUtils.h"

#include <cstdlib>

namespace {

// Text of the slider: the application font at 9, put back to the port's defaults after each use.
class SliderText {
  public:
    SliderText() {
        TextFont(applFont);
        TextSize(9);
        TextFace(normal);
    }
    ~SliderText() {
        TextFont(0);
        TextSize(0);
    }
};

void drawStringAt(LM_sint16 h, LM_sint16 v, ConstStr255Param text) {
    MoveTo(h, v);
    DrawString(text);
}

} // namespace

void* LM_slider_type_0::operator new(std::size_t size) noexcept {
    return std::malloc(size);
}

void LM_slider_type_0::operator delete(void* p) {
    std::free(p);
}

LM_sint16 LM_slider_type_0::BarMinX() const {
    return LM_sint16(Bounds().left + barOffset + 4);
}

LM_sint16 LM_slider_type_0::BarMaxX() const {
    return LM_sint16(Bounds().right - 5);
}

LM_sint16 LM_slider_type_0::BarY() const {
    return LM_sint16((Bounds().top + Bounds().bottom) / 2 + 1);
}

LM_sint16 LM_slider_type_0::IndicatorY() const {
    return LM_sint16(BarY() + 1);
}

// A slider without a range or without a bar keeps its indicator at the bar's left end.
LM_sint16 LM_slider_type_0::IndicatorX() const {
    const ControlRecord& c = **control;
    const LM_sint32 range = LM_sint32(c.contrlMax) - c.contrlMin;
    const LM_sint32 length = BarMaxX() - BarMinX();
    if (range == 0 || length == 0)
        return BarMinX();
    const LM_sint32 f = LM_WrapMul(LM_sint32(c.contrlValue) - c.contrlMin, 65536) / range;
    return LM_sint16(BarMinX() + (LM_WrapMul(f, length) >> 16));
}

void LM_slider_type_0::DrawBar() const {
    const LM_sint16 minX = BarMinX(), maxX = BarMaxX(), y = BarY();
    const LM_sint16 middle = LM_sint16((minX + maxX) / 2);
    MoveTo(minX, LM_sint16(y - 1));
    LineTo(minX, y);
    LineTo(maxX, y);
    LineTo(maxX, LM_sint16(y - 1));
    MoveTo(middle, LM_sint16(y - 1));
    LineTo(middle, y);
}

void LM_slider_type_0::DrawTitle() const {
    SliderText text;
    drawStringAt(Bounds().left, BarY(), (**control).contrlTitle);
}

void LM_slider_type_0::DrawLabels() const {
    SliderText text;
    const LM_sint16 baseline = LM_sint16(BarY() - 3);
    drawStringAt(LM_sint16(BarMinX() + 1), baseline, leftLabel);
    drawStringAt(LM_sint16(BarMaxX() - StringWidth(rightLabel)), baseline, rightLabel);
}

void LM_slider_type_0::EraseAreaBelowBar() const {
    const Rect& r = Bounds();
    Rect area;
    SetRect(&area, LM_sint16(r.left + barOffset), LM_sint16(BarY() + 1), r.right, LM_sint16(r.bottom - 1));
    EraseRect(&area);
}

LM_sint32 LM_SliderText(LM_sint32 value, LM_sint32 max, bool percent) {
    if (percent)
        return max == 0 ? 0 : value * 100 / max;
    return max == 0 ? -100 : value * 200 / max - 100;
}

LM_sint32 LM_slider_type_0::DisplayedValue() const {
    return LM_SliderText((**control).contrlValue, (**control).contrlMax, valueDisplay == 1);
}

void LM_slider_type_0::DrawValue() const {
    const LM_sint16 middle = LM_sint16((BarMinX() + BarMaxX()) / 2);
    Rect area;
    SetRect(&area, LM_sint16(middle - 12), Bounds().top, LM_sint16(middle + 12), LM_sint16(BarY() - 2));
    EraseRect(&area);
    SliderText text;
    Str255 number;
    NumToString(DisplayedValue(), number);
    drawStringAt(LM_sint16(middle - StringWidth(number) / 2), LM_sint16(BarY() - 3), number);
}

void LM_slider_type_0::DrawIndicator() const {
    MoveTo(IndicatorX(), IndicatorY());
    DrawPISlider();
    DrawValue();
}

LM_sint16 LM_slider_type_0::PartNumberForPoint(LM_sint16 h, LM_sint16 v) const {
    const bool alongBar = BarMinX() - 4 <= h && h <= BarMaxX() + 4;
    const bool belowBar = IndicatorY() - 2 <= v && v <= IndicatorY() + 6;
    return alongBar && belowBar ? LM_SLIDER_PART : 0;
}

void LM_slider_type_0::CalcControlRegion(RgnHandle region) const {
    const Rect& r = Bounds();
    const LM_sint16 w = LM_sint16(r.right - r.left), h = LM_sint16(r.bottom - r.top);
    OpenRgn();
    MoveTo(0, 0);
    LineTo(w, 0);
    LineTo(w, h);
    LineTo(0, h);
    LineTo(0, 0);
    CloseRgn(region);
}

void LM_slider_type_0::CalcIndicatorRegion(RgnHandle region) const {
    OpenRgn();
    DrawIndicator();
    CloseRgn(region);
}

void LM_slider_type_0::UpdateIndicatorPosition(LM_sint16 dx) const {
    ControlRecord& c = **control;
    const LM_sint32 length = BarMaxX() - BarMinX();
    const LM_sint32 f = length == 0 ? 0 : LM_WrapMul(IndicatorX() + dx - BarMinX(), 65536) / length;
    PenState saved;
    GetPenState(&saved);
    PenNormal();
    PenPat(&qd.white);
    Rect old;
    SetRect(&old, LM_sint16(IndicatorX() - 6), IndicatorY(), LM_sint16(IndicatorX() + 6),
            LM_sint16(IndicatorY() + 6));
    PaintRect(&old);
    const LM_sint32 range = LM_sint32(c.contrlMax) - c.contrlMin;
    c.contrlValue = LM_sint16(c.contrlMin + (LM_WrapMul(f, range) >> 16));
    PenNormal();
    DrawIndicator();
    SetPenState(&saved);
}
