// The value slider's own record: geometry, drawing, hit test, regions and indicator moves. A thin
// bar with end and middle ticks, a title at the left, a label at each end, an indicator below the
// bar and the value written above its middle.
#pragma once

#include "Controls.h"
#include "LM_types.h"

#include <cstddef>

class LM_slider_type_0 {
  public:
    ControlHandle control = nullptr;
    LM_sint16 barOffset = 0; // room for the title; the bar starts 4 pixels further right
    Str255 leftLabel = {0};
    Str255 rightLabel = {0};
    LM_sint16 valueDisplay = 0; // 0: the text runs from -100 to 100; 1: from 0 to 100

    // From the general heap; null when it is exhausted.
    static void* operator new(std::size_t size) noexcept;
    static void operator delete(void* p);

    LM_sint16 BarMinX() const;
    LM_sint16 BarMaxX() const;
    LM_sint16 BarY() const;
    LM_sint16 IndicatorX() const;
    LM_sint16 IndicatorY() const;

    void DrawBar() const;
    void DrawTitle() const;
    void DrawLabels() const;
    void EraseAreaBelowBar() const;
    void DrawValue() const;
    void DrawIndicator() const;

    // 130 anywhere in the band under the bar, else 0.
    LM_sint16 PartNumberForPoint(LM_sint16 h, LM_sint16 v) const;
    // The control's size traced at (0, 0); the outline the indicator drawing traces.
    void CalcControlRegion(RgnHandle region) const;
    void CalcIndicatorRegion(RgnHandle region) const;
    // Moves the indicator by dx pixels and stores the value that place stands for.
    void UpdateIndicatorPosition(LM_sint16 dx) const;

    // The number the value text shows.
    LM_sint32 DisplayedValue() const;

  private:
    const Rect& Bounds() const { return (**control).contrlRect; }
};

constexpr LM_sint16 LM_SLIDER_PART = 130;

// The number a slider shows for `value` of the range 0 to `max`: -100 to 100, or 0 to 100 when
// `percent`.
LM_sint32 LM_SliderText(LM_sint32 value, LM_sint32 max, bool percent);
