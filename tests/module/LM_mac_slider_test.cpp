// The value slider on a window of the headless backend: value from pixel on the dialog's own
// sliders, value text, hit test and the degenerate ranges. The values the dialog's presses and
// drags give and its inactive sliders drawn in grey are Dialog_test's.
#include "LM_mac_slider_control.h"
#include "LM_mac_slider_handler.h"
#include "LM_test_support.h"
#include "Windows.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A slider whose bar runs from pixel 10 to 110 (left 0, title room 6, right 115) at BarY 16.
class Slider : public ::testing::Test {
  protected:
    void SetUp() override {
        LM_RegisterSliderControl();
        const Rect bounds = {100, 100, 200, 300};
        window = NewCWindow(nullptr, &bounds, reinterpret_cast<ConstStr255Param>("\0"), true, plainDBox,
                            reinterpret_cast<WindowPtr>(-1), false, 0);
        SetPort(window);
    }
    void TearDown() override { DisposeWindow(window); }

    ControlHandle Make(std::int16_t min, std::int16_t max, std::int16_t labels = 200,
                       std::int16_t right = 115) {
        const Rect r = {0, 0, 30, right};
        ControlHandle c = NewControl(window, &r, reinterpret_cast<ConstStr255Param>("\x01T"), true, min, min,
                                     max, LM_SLIDER_CDEF * 16, long(labels) << 16 | 6);
        EXPECT_NE(c, nullptr);
        return c;
    }
    static LM_slider_type_0& Of(ControlHandle c) {
        return *reinterpret_cast<LM_slider_type_0*>(GetControlReference(c));
    }
    // Moves the indicator to `pixel` as a press there would.
    static std::int16_t ValueAt(ControlHandle c, std::int16_t pixel) {
        Of(c).UpdateIndicatorPosition(std::int16_t(pixel - Of(c).IndicatorX()));
        return GetControlValue(c);
    }

    WindowPtr window = nullptr;
};

// Each slider of the dialog reaches every value of its range, its default among them, by a press at
// some pixel of its bar.
TEST_F(Slider, EveryValueOfTheDialogsSlidersHasAPixel) {
    const LM_GlobalsPtr g = MakeGlobals();
    g->Default();
    const LM_light_UI& light = g->lights[0];
    // The defaults of the sliders 16013 to 16019 in the dialog's order.
    const int defaults[] = {
        g->gloss,     g->material,       g->exposure, g->ambientBrightness + 127, light.intensity + 127,
        light.spread, g->BumpAmplitude()};
    for (int i = 0; i < 7; ++i) {
        const int id = 16013 + i;
        ControlHandle c = GetNewControl(std::int16_t(id), window);
        ASSERT_NE(c, nullptr) << id;
        std::set<int> reached;
        for (std::int16_t pixel = Of(c).BarMinX(); pixel <= Of(c).BarMaxX(); ++pixel)
            reached.insert(ValueAt(c, pixel));
        EXPECT_EQ(int(reached.size()), GetControlMaximum(c) - GetControlMinimum(c) + 1) << id;
        EXPECT_EQ(reached.count(defaults[i]), 1u) << id << " default " << defaults[i];
    }
}

// The text over either scale, and the band below the bar that takes presses (a press there and the
// drag after it are the dialog's).
TEST_F(Slider, ValueTextRunsOverEitherScaleAndPressesHitTheBandBelowTheBar) {
    ControlHandle signedScale = Make(0, 255);
    ControlHandle percent = Make(0, 255, 134);
    for (auto [value, text, percentText] : {std::tuple{0, -100, 0}, {128, 0, 50}, {255, 100, 100}}) {
        SetControlValue(signedScale, std::int16_t(value));
        SetControlValue(percent, std::int16_t(value));
        EXPECT_EQ(Of(signedScale).DisplayedValue(), text) << "value " << value;
        EXPECT_EQ(Of(percent).DisplayedValue(), percentText) << "value " << value;
    }
    EXPECT_EQ(TestControl(signedScale, Point{17, 6}), LM_SLIDER_PART) << "4 pixels before the bar";
    EXPECT_EQ(TestControl(signedScale, Point{23, 114}), LM_SLIDER_PART);
    EXPECT_EQ(TestControl(signedScale, Point{14, 60}), 0) << "above the band";
    EXPECT_EQ(TestControl(signedScale, Point{17, 115}), 0) << "beyond the band";
}

TEST_F(Slider, DegenerateRangesDoNotDivideByZero) {
    ControlHandle flat = Make(5, 5);
    EXPECT_EQ(Of(flat).IndicatorX(), Of(flat).BarMinX());
    EXPECT_EQ(ValueAt(flat, 80), 5);
    ControlHandle zeroMax = Make(-10, 0);
    EXPECT_EQ(Of(zeroMax).DisplayedValue(), -100);
    ControlHandle noBar = Make(0, 255, 200, 15); // BarMinX = BarMaxX = 10
    EXPECT_EQ(ValueAt(noBar, 10), 0);
    SetControlValue(noBar, 200);
    EXPECT_EQ(Of(noBar).IndicatorX(), 10);
}

} // namespace
