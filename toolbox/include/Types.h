// Basic Toolbox types shared by every manager, the module and the host.
#pragma once

#include <cstdint>

using OSErr = std::int16_t;
using OSType = std::uint32_t;
using ResType = OSType;
using Boolean = unsigned char;
using Ptr = char*;
using Handle = Ptr*;
using Size = long;
using StringPtr = unsigned char*;
using ConstStringPtr = const unsigned char*;
using Str255 = unsigned char[256];
using Str63 = unsigned char[64];
using Str31 = unsigned char[32];
using ConstStr255Param = const unsigned char*;
using StringHandle = unsigned char**;
using ProcPtr = void (*)();

enum : OSErr {
    noErr = 0,
    memFullErr = -108,
    nilHandleErr = -109,
    memWZErr = -111,
    memPurErr = -112,
    memLockedErr = -117,
};

// The vertical coordinate comes first, as in the classic layout.
struct Point {
    std::int16_t v;
    std::int16_t h;
};

struct Rect {
    std::int16_t top;
    std::int16_t left;
    std::int16_t bottom;
    std::int16_t right;
};

struct RGBColor {
    std::uint16_t red;
    std::uint16_t green;
    std::uint16_t blue;
};

// A dialog and a window are ports; the Window and Dialog Managers define the record.
struct GrafPort;
using GrafPtr = GrafPort*;
using WindowPtr = GrafPtr;
using DialogPtr = GrafPtr;

constexpr OSType FOUR_CHAR(const char (&s)[5]) {
    return (OSType(std::uint8_t(s[0])) << 24) | (OSType(std::uint8_t(s[1])) << 16) |
           (OSType(std::uint8_t(s[2])) << 8) | OSType(std::uint8_t(s[3]));
}
