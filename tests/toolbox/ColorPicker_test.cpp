#include "ColorPicker.h"
#include "UiTestSupport.h"

#include <tuple>

namespace {

class ColorPicker : public HeadlessTest {
  protected:
    // Whether the picker was accepted for `in` under the script, and the colour it gave.
    static std::tuple<bool, int, int, int> pick(const std::string& text, RGBColor in) {
        script(text);
        RGBColor out{1, 2, 3};
        const bool accepted = GetColor(Point{0, 0}, PString("Pick").s, &in, &out);
        return {accepted, out.red, out.green, out.blue};
    }
};

TEST_F(ColorPicker, TypedValuesOnOKAndNothingOnCancel) {
    const RGBColor in{0x1234, 0x8000, 0xFFFF};
    // The red field is active with its text selected: typing replaces it; untouched channels keep
    // their 16 bits; more than 255 counts as 255.
    EXPECT_EQ(pick("type 255\nclick @1\n", in), std::tuple(true, 0xFFFF, 0x8000, 0xFFFF));
    EXPECT_EQ(pick("type 0\nkey tab\ntype 16\nclick @2\n", in), std::tuple(false, 0x1234, 0x8000, 0xFFFF));
    EXPECT_EQ(pick("key tab\ntype 16\nkey tab\ntype 999\nkey return\n", in),
              std::tuple(true, 0x1234, 16 * 257, 0xFFFF));
    // A click in the top-right corner of the area: full saturation and value at the hue of red.
    const auto red = pick("click @4:0.99,0.0\nclick @1\n", RGBColor{0xFFFF, 0, 0});
    EXPECT_TRUE(std::get<0>(red) && std::get<1>(red) == 0xFFFF && std::get<2>(red) < 0x0800 &&
                std::get<3>(red) < 0x0800);
}

} // namespace
