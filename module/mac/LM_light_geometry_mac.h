// Dialog-pixel geometry shared by the light figures and the drags: 16-bit points that wrap, the
// handle boxes and where each type's grab handles sit.
#pragma once

#include "LM_types.h"
#include "QuickDraw.h"

#include <algorithm>

namespace LM_light_geometry {

// Screen points are 16-bit and wrap.
inline LM_sint16 add16(LM_sint32 a, LM_sint32 b) {
    return static_cast<LM_sint16>(
        static_cast<LM_uint16>(static_cast<LM_uint32>(a) + static_cast<LM_uint32>(b)));
}
inline LM_sint16 sub16(LM_sint32 a, LM_sint32 b) {
    return static_cast<LM_sint16>(
        static_cast<LM_uint16>(static_cast<LM_uint32>(a) - static_cast<LM_uint32>(b)));
}
inline LM_vectori2 operator+(LM_vectori2 a, LM_vectori2 b) {
    return {add16(a.x, b.x), add16(a.y, b.y)};
}
inline LM_vectori2 operator-(LM_vectori2 a, LM_vectori2 b) {
    return {sub16(a.x, b.x), sub16(a.y, b.y)};
}
inline LM_sint16 trunc16(float f) {
    return static_cast<LM_sint16>(std::clamp(LM_Trunc32(f), LM_sint32(-32768), LM_sint32(32767)));
}

// The box of half-width `below` (and one more to the right and bottom) around p.
inline Rect boxAround(LM_vectori2 p, LM_sint16 below) {
    Rect r;
    SetRect(&r, sub16(p.x, below), sub16(p.y, below), add16(p.x, below + 1), add16(p.y, below + 1));
    return r;
}
inline Rect centerBox(LM_vectori2 c) {
    return boxAround(c, 3);
}
inline Rect grabBox(LM_vectori2 p) {
    return boxAround(p, 2);
}
inline Rect circleBox(LM_vectori2 c, LM_sint16 radius) {
    Rect r;
    SetRect(&r, sub16(c.x, radius), sub16(c.y, radius), add16(c.x, radius), add16(c.y, radius));
    return r;
}

// The omni grab handles as drawn: the right and bottom ones sit one pixel inside the circle box.
inline void omniHandlePoints(LM_vectori2 c, LM_sint16 radius, LM_sint16 inside, LM_vectori2 points[4]) {
    points[0] = {sub16(c.x, radius), c.y};
    points[1] = {sub16(add16(c.x, radius), inside), c.y};
    points[2] = {c.x, sub16(c.y, radius)};
    points[3] = {c.x, sub16(add16(c.y, radius), inside)};
}

inline void spotHandlePoints(LM_vectori2 c, LM_vectori2 major, LM_vectori2 minor, LM_vectori2 points[4]) {
    points[0] = c - major;
    points[1] = c + major;
    points[2] = c - minor;
    points[3] = c + minor;
}

} // namespace LM_light_geometry
