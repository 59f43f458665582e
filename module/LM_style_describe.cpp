#include "LM_style_describe.h"

#include "LM_globals.h"
#include "LM_mac_slider_control.h"
#include "LM_style_json.h"
#include "Memory.h"
#include "Resources.h"

#include <cstdio>
#include <sstream>

namespace {

// The dialog's sliders by control resource.
enum Slider : LM_sint16 {
    kGloss = 16013,
    kMaterial,
    kExposure,
    kAmbient,
    kIntensity,
    kSpread,
    kHeight,
};
// Ambient brightness and intensity are signed; their sliders hold them plus this.
constexpr LM_sint32 kSignedOffset = 127;

// The text `slider` shows for its control value; its range comes from its resource, whose fields
// are bounds, value, visibility, then the maximum.
LM_sint32 shown(Slider slider, LM_sint32 value) {
    LM_sint32 max = 255;
    if (Handle h = GetResource(FOUR_CHAR("CNTL"), slider); h && GetHandleSize(h) >= 14) {
        const auto* b = reinterpret_cast<const unsigned char*>(*h);
        max = LM_sint16(b[12] << 8 | b[13]);
    }
    return LM_SliderText(value, max, slider == kHeight);
}

std::string hex(const LM_color48& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red >> 8, c.green >> 8, c.blue >> 8);
    return text;
}

void describeLight(std::ostream& out, int number, const LM_light_UI& light) {
    out << "  " << number << ": " << LM_LightTypeName(light.type) << " at " << light.position.x << ','
        << light.position.y << ", colour " << hex(light.color) << ", intensity "
        << shown(kIntensity, light.intensity + kSignedOffset) << ", focus " << shown(kSpread, light.spread)
        << ", " << (light.isOn ? "on" : "off") << '\n';
}

} // namespace

std::string LM_DescribeStyle(const LM_globals& g) {
    std::ostringstream out;
    out << "surface: gloss " << shown(kGloss, g.gloss) << ", material " << shown(kMaterial, g.material)
        << ", exposure " << shown(kExposure, g.exposure) << '\n';
    out << "ambient: colour " << hex(g.ambientColor) << ", brightness "
        << shown(kAmbient, g.ambientBrightness + kSignedOffset) << '\n';
    out << "texture: ";
    if (g.BumpChannel() == 0)
        out << "none\n";
    else
        out << "channel " << g.BumpChannel() << ", height " << shown(kHeight, g.BumpAmplitude()) << ", "
            << (g.WhiteIsHigh() ? "white is high" : "black is high") << '\n';
    out << "lights: " << g.lightCount << " (current " << g.currentLight + 1
        << "; positions in hundredths of half the preview's width, from its centre)\n";
    for (int i = 0; i < g.lightCount; ++i)
        describeLight(out, i + 1, g.lights[i]);
    return out.str();
}
