#include "LM_types.h"

#include <algorithm>

namespace {

// The single-precision product widened to double, 0.5 added or subtracted, truncated; kept inside
// 16 bits.
LM_sint16 roundAway(float product) {
    const double r = product > 0 ? product + 0.5 : product - 0.5;
    return static_cast<LM_sint16>(std::clamp(LM_Trunc32(r), LM_sint32(std::numeric_limits<LM_sint16>::min()),
                                             LM_sint32(std::numeric_limits<LM_sint16>::max())));
}

} // namespace

float LM_TAN_30 = LM_TAN_30_VALUE;
LM_sint32 LM_LIGHT_INTENSITY_SCALE = LM_LIGHT_INTENSITY_SCALE_VALUE;

float LM_vectori2::Magnitude() const {
    const float fx = x;
    const float fy = y;
    return static_cast<float>(std::sqrt(static_cast<double>(fx * fx + fy * fy)));
}

LM_vectori2 LM_vectori2::Perpendicular(float k) const {
    return {roundAway(-k * y), roundAway(k * x)};
}

double LM_ATan2(double y, double x) {
    const double pi = LM_PI;
    if (x == 0.0)
        return y >= 0.0 ? pi / 2.0 : -pi / 2.0;
    if (y == 0.0)
        return x > 0.0 ? 0.0 : pi;
    if (x > 0.0)
        return std::atan(y / x);
    return y > 0.0 ? pi - std::atan(y / -x) : std::atan(y / x) - pi;
}
