#include "ColorPicker.h"
#include "UiTestSupport.h"

namespace {

class ColorPicker : public HeadlessTest {};

TEST_F(ColorPicker, TypedValuesOnOKAndNothingOnCancel) {
    const RGBColor in{0x1234, 0x8000, 0xFFFF};
    RGBColor out{1, 2, 3};

    // The red field is active with its text selected: typing replaces it.
    script("type 255\nclick @1\n");
    EXPECT_TRUE(GetColor(Point{0, 0}, PString("Pick").s, &in, &out));
    EXPECT_EQ(out.red, 0xFFFF);
    EXPECT_EQ(out.green, 0x8000) << "untouched channels keep their 16 bits";
    EXPECT_EQ(out.blue, 0xFFFF);

    script("type 0\nkey tab\ntype 16\nclick @2\n");
    out = RGBColor{1, 2, 3};
    EXPECT_FALSE(GetColor(Point{0, 0}, PString("Pick").s, &in, &out));
    EXPECT_EQ(out.red, in.red);
    EXPECT_EQ(out.green, in.green);
    EXPECT_EQ(out.blue, in.blue);

    script("key tab\ntype 16\nkey tab\ntype 999\nkey return\n");
    EXPECT_TRUE(GetColor(Point{0, 0}, PString("Pick").s, &in, &out));
    EXPECT_EQ(out.green, 16 * 257);
    EXPECT_EQ(out.blue, 0xFFFF) << "more than 255 counts as 255";

    // A click in the top-right corner of the area: full saturation and value at the hue of red.
    const RGBColor red{0xFFFF, 0, 0};
    script("click @4:0.99,0.0\nclick @1\n");
    EXPECT_TRUE(GetColor(Point{0, 0}, PString("Pick").s, &red, &out));
    EXPECT_EQ(out.red, 0xFFFF);
    EXPECT_LT(out.green, 0x0800);
    EXPECT_LT(out.blue, 0x0800);
}

} // namespace
