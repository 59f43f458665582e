#include "LM_light_UI.h"

#include <algorithm>
#include <cmath>
#include <limits>

LM_light_UI::LM_light_UI() : position{0, 0}, anchor{0, 0}, majorAxis{0, 0}, minorAxis{0, 0}, color{0, 0, 0} {}

void LM_light_UI::ConvertToRealLight(LM_light* out, LM_uint16 halfPreviewWidth, LM_bool preview) const {
    const float h = halfPreviewWidth;
    out->type = type;
    const LM_sint32 channels[3] = {color.red, color.green, color.blue};
    for (int c = 0; c < 3; ++c)
        out->radiance[c] = channels[c] * LM_sint32(intensity) / LM_LIGHT_INTENSITY_SCALE;

    if (type == lightTypeDirectional) {
        float z = 100.0 - double(majorAxis.Magnitude());
        if (z < 1)
            z = 1;
        const float dx = majorAxis.x;
        const float dy = majorAxis.y;
        const float length = std::sqrt(double(dx * dx + dy * dy + z * z));
        out->direction[0] = dx / length;
        out->direction[1] = dy / length;
        out->direction[2] = z / length;
    } else if (type == lightTypeOmni) {
        out->origin[0] = position.x / h;
        out->origin[1] = position.y / h;
        out->origin[2] = LM_TAN_30 * (radius / h);
    } else if (type == lightTypeSpot) {
        ConvertSpotLight(out, h, preview);
    }

    out->diffuseCache = 0;
    out->diffuseCacheHot = 0;
    out->specularCache = 0;
    out->specularCacheHot = 0;
}

void LM_light_UI::ConvertSpotLight(LM_light* out, float h, LM_bool preview) const {
    const bool tableBuilt = BuildSpreadTable(out, preview);
    const float ax = majorAxis.x / h;
    const float ay = -majorAxis.y / h;
    const float bx = minorAxis.x / h;
    const float by = -minorAxis.y / h;
    const float a = std::sqrt(double(ax * ax + ay * ay));
    if (!tableBuilt || a == 0) {
        ConvertDarkLight(out, preview);
        return;
    }
    const float theta = LM_ATan2(ay, ax);
    const double c = std::sqrt(double(ax * ax + ay * ay + bx * bx + by * by));

    float s = (std::sqrt(2.0) / 2.0) * c / a;
    s = std::clamp(s, 0.0f, 1.0f);
    const float phi = 2 * (std::asin(double(s)) - LM_PI / 4);
    const float hz = a * std::cos(double(phi));
    const float vz = a * std::sin(double(phi));

    out->origin[0] = position.x / h + hz * std::cos(double(theta));
    out->origin[1] = position.y / h - hz * std::sin(double(theta));
    out->origin[2] = vz;
    const float psi = LM_PI / 4 + phi / 2;
    out->direction[0] = -std::cos(double(psi)) * std::cos(double(theta));
    out->direction[1] = std::cos(double(psi)) * std::sin(double(theta));
    out->direction[2] = -std::sin(double(psi));
    out->cutoff = std::bit_cast<float>(0x3F34FDF4u);
}

bool LM_light_UI::BuildSpreadTable(LM_light* out, LM_bool preview) const {
    const int entries = preview ? LM_SPREAD_ENTRIES_PREVIEW : LM_SPREAD_ENTRIES_FINAL;
    out->spreadScale = LM_SpreadScale(entries);
    out->spreadBase = LM_SpreadBase();
    const double base = ((spread - 128) * 0.75 + 128) / 128;
    if (base < 0)
        return false;
    const float p = std::pow(base, spread / 64.0 + 1);
    const float step = (2 - std::sqrt(2.0)) / ((entries - 1) * 2);
    for (int i = 0; i < entries; ++i) {
        const float c = std::sqrt(2.0) / 2 + step * float(i);
        const float t = 2 * std::acos(double(c)) / (LM_PI / 2);
        out->spreadTable[i] = std::cos(std::pow(double(t), double(p)) * LM_PI / 2);
    }
    return true;
}

// A spotlight that cannot be built (no major axis, or a spread without a table) lights nothing,
// with every field finite so no NaN can reach the shader.
void LM_light_UI::ConvertDarkLight(LM_light* out, LM_bool preview) const {
    const int entries = preview ? LM_SPREAD_ENTRIES_PREVIEW : LM_SPREAD_ENTRIES_FINAL;
    for (int c = 0; c < 4; ++c)
        out->radiance[c] = 0;
    for (int i = 0; i < entries; ++i)
        out->spreadTable[i] = 0.0f;
    out->origin[0] = 0.0f;
    out->origin[1] = 0.0f;
    out->origin[2] = 0.0f;
    out->direction[0] = 0.0f;
    out->direction[1] = 0.0f;
    out->direction[2] = -1.0f;
    out->cutoff = std::bit_cast<float>(0x3F34FDF4u);
}

void LM_light_UI::Validate() {
    if (type != lightTypeSpot)
        return;
    const float major = majorAxis.Magnitude();
    if (major == 0)
        return;
    float r = minorAxis.Magnitude() / major;
    if (r >= 1)
        r = 1;
    minorAxis = majorAxis.Perpendicular(r);
}
