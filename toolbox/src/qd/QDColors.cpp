// Port colours and the standard 8-bit colour table that depth-8 ports are limited to.
#include "QDInternal.h"

#include <array>
#include <mutex>
#include <unordered_map>

namespace qdraw {

std::uint32_t toPixel(const RGBColor& c) {
    return (std::uint32_t(c.red >> 8) << 16) | (std::uint32_t(c.green >> 8) << 8) |
           std::uint32_t(c.blue >> 8);
}

RGBColor toRGB(std::uint32_t pixel) {
    auto wide = [](std::uint32_t c) { return std::uint16_t((c & 0xFF) * 0x0101); };
    return RGBColor{wide(pixel >> 16), wide(pixel >> 8), wide(pixel)};
}

namespace {

// 0..214: the 6x6x6 cube (red slowest) from white; then red, green, blue and grey ramps; 255 black.
std::array<std::uint32_t, 256> buildClut() {
    std::array<std::uint32_t, 256> t{};
    for (int i = 0; i < 215; ++i) {
        std::uint32_t r = 0xFF - (i / 36) * 0x33, g = 0xFF - (i / 6 % 6) * 0x33, b = 0xFF - (i % 6) * 0x33;
        t[i] = (r << 16) | (g << 8) | b;
    }
    const std::uint32_t ramp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
    for (int k = 0; k < 10; ++k) {
        t[215 + k] = ramp[k] << 16;
        t[225 + k] = ramp[k] << 8;
        t[235 + k] = ramp[k];
        t[245 + k] = ramp[k] * 0x010101;
    }
    t[255] = 0;
    return t;
}

const std::array<std::uint32_t, 256>& clut() {
    static const auto table = buildClut();
    return table;
}

std::uint8_t nearestIndex(std::uint32_t pixel) {
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < 256; ++i) {
        std::uint32_t c = clut()[i];
        long dr = long((c >> 16) & 0xFF) - long((pixel >> 16) & 0xFF);
        long dg = long((c >> 8) & 0xFF) - long((pixel >> 8) & 0xFF);
        long db = long(c & 0xFF) - long(pixel & 0xFF);
        long d = dr * dr + dg * dg + db * db;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return std::uint8_t(best);
}

} // namespace

std::uint8_t clutIndex(std::uint32_t pixel) {
    static std::mutex lock;
    static std::unordered_map<std::uint32_t, std::uint8_t> memo;
    std::lock_guard g(lock);
    auto it = memo.find(pixel & 0xFFFFFF);
    if (it != memo.end())
        return it->second;
    std::uint8_t index = nearestIndex(pixel & 0xFFFFFF);
    memo.emplace(pixel & 0xFFFFFF, index);
    return index;
}

std::uint32_t clutColor(std::uint8_t index) {
    return clut()[index];
}

std::uint32_t representable(const GrafPort& port, std::uint32_t pixel) {
    return depthOf(port) == 8 ? clutColor(clutIndex(pixel)) : (pixel & 0xFFFFFF);
}

} // namespace qdraw

void RGBForeColor(const RGBColor* color) {
    qdraw::port().rgbFgColor = *color;
}
void RGBBackColor(const RGBColor* color) {
    qdraw::port().rgbBkColor = *color;
}
void GetForeColor(RGBColor* color) {
    *color = qdraw::port().rgbFgColor;
}
void OpColor(const RGBColor* color) {
    qdraw::port().rgbOpColor = *color;
}

namespace {
RGBColor classicColor(long c) {
    switch (c) {
    case whiteColor:
        return {0xFFFF, 0xFFFF, 0xFFFF};
    case redColor:
        return {0xDD6B, 0x08C2, 0x06A2};
    case greenColor:
        return {0x0000, 0x64AF, 0x11B0};
    case blueColor:
        return {0x0000, 0x0000, 0xD400};
    case cyanColor:
        return {0x0241, 0xAB54, 0xEAFF};
    case magentaColor:
        return {0xF2D7, 0x0856, 0x84EC};
    case yellowColor:
        return {0xFC00, 0xF37D, 0x052F};
    default:
        return {0, 0, 0};
    }
}
} // namespace

void ForeColor(long c) {
    qdraw::port().rgbFgColor = classicColor(c);
}
