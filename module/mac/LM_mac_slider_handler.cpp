#include "LM_mac_slider_handler.h"

#include "CodeResources.h"
#include "Events.h"
#include "LM_mac_slider_control.h"
#include "Resources.h"

#include <algorithm>

namespace {

constexpr LM_sint16 kPercentLabels = 134; // sliders labelled from these strings count 0 to 100
constexpr short kDrawIndicatorArea = 129;
// The region handle of a region message may carry the indicator flag in its top bit.
constexpr unsigned long kIndicatorRegionFlag = 1ul << (sizeof(long) * 8 - 1);

LM_slider_type_0* sliderOf(ControlHandle control) {
    return reinterpret_cast<LM_slider_type_0*>(GetControlReference(control));
}

RgnHandle regionOf(unsigned long parameter) {
    return reinterpret_cast<RgnHandle>(parameter);
}

void draw(const LM_slider_type_0& slider, long parameter) {
    const ControlRecord& c = **slider.control;
    if (!c.contrlVis)
        return;
    PenState saved;
    GetPenState(&saved);
    PenNormal();
    const bool grey = c.contrlHilite == kControlInactivePart;
    if (grey) {
        const RGBColor dim = {32767, 32767, 32767};
        RGBForeColor(&dim);
    }
    const short part = short(parameter & 0xFFFF);
    if (part == 0) {
        // Antialiased text drawn twice over itself darkens: the whole control starts from blank.
        EraseRect(&c.contrlRect);
        slider.DrawBar();
        slider.DrawLabels();
        slider.EraseAreaBelowBar();
        slider.DrawTitle();
    } else if (part == kDrawIndicatorArea) {
        slider.EraseAreaBelowBar();
    }
    slider.DrawIndicator();
    if (grey)
        ForeColor(blackColor);
    SetPenState(&saved);
}

void calcRegions(const LM_slider_type_0& slider, long parameter) {
    const unsigned long bits = static_cast<unsigned long>(parameter);
    if (bits & kIndicatorRegionFlag)
        slider.CalcIndicatorRegion(regionOf(bits & ~kIndicatorRegionFlag));
    else
        slider.CalcControlRegion(regionOf(bits));
}

LM_sint16 clampedMouseH(const LM_slider_type_0& slider) {
    Point pt;
    GetMouse(&pt);
    return std::clamp(pt.h, slider.BarMinX(), slider.BarMaxX());
}

} // namespace

void LM_InitControl(short, ControlHandle control) {
    auto* slider = new LM_slider_type_0;
    if (!slider)
        return;
    const LM_uint32 reference = LM_uint32(GetControlReference(control));
    slider->barOffset = LM_sint16(reference & 0xFFFF);
    const LM_sint16 id = LM_sint16(reference >> 16);
    GetIndString(slider->leftLabel, id, 1);
    GetIndString(slider->rightLabel, id, 2);
    if (id == kPercentLabels)
        slider->valueDisplay = 1;
    slider->control = control;
    SetControlReference(control, reinterpret_cast<long>(slider));
}

void LM_DispControl(LM_slider_type_0* slider) {
    delete slider;
}

void LM_DragIndicator(LM_slider_type_0* slider) {
    LM_sint16 x = clampedMouseH(*slider);
    slider->UpdateIndicatorPosition(LM_sint16(x - slider->IndicatorX()));
    while (StillDown()) {
        const LM_sint16 now = clampedMouseH(*slider);
        if (now != x)
            slider->UpdateIndicatorPosition(LM_sint16(now - slider->IndicatorX()));
        x = now;
    }
    const LM_sint16 last = clampedMouseH(*slider);
    if (last != x)
        slider->UpdateIndicatorPosition(LM_sint16(last - slider->IndicatorX()));
}

long SC_main(short variation, ControlHandle control, short message, long parameter) {
    if (message == initCntl) {
        LM_InitControl(variation, control);
        return 0;
    }
    LM_slider_type_0* slider = sliderOf(control);
    if (!slider)
        return 0;
    switch (message) {
    case drawCntl:
        draw(*slider, parameter);
        return 0;
    case testCntl:
        return slider->PartNumberForPoint(LM_sint16(parameter & 0xFFFF),
                                          LM_sint16((parameter >> 16) & 0xFFFF));
    case calcCRgns:
        calcRegions(*slider, parameter);
        return 0;
    case dispCntl:
        LM_DispControl(slider);
        SetControlReference(control, 0);
        return 0;
    case posCntl:
        slider->UpdateIndicatorPosition(LM_sint16(parameter & 0xFFFF));
        return 0;
    case dragCntl:
        if (parameter != 0)
            LM_DragIndicator(slider);
        return 1;
    case calcCntlRgn:
        slider->CalcControlRegion(regionOf(static_cast<unsigned long>(parameter)));
        return 0;
    case calcThumbRgn:
        slider->CalcIndicatorRegion(regionOf(static_cast<unsigned long>(parameter)));
        return 0;
    default:
        return 0;
    }
}

void LM_RegisterSliderControl() {
    ql_quorum_code_resource(FOUR_CHAR("CDEF"), LM_SLIDER_CDEF, ql_quorum_passtr("SliderControl"),
                            reinterpret_cast<TBCodeEntry>(&SC_main));
}
