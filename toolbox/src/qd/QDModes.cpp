// Transfer modes on one pixel. Boolean modes follow the colour-port table (on pixels / off pixels);
// arithmetic modes work per 8-bit channel, so addOver wraps each channel on its own and drawing a
// grey of 0x80 twice adds 0x100, i.e. nothing.
#include "QDInternal.h"

namespace qdraw {

namespace {

constexpr std::uint32_t kHilitePixel = 0xB4D4FF;

std::uint32_t perChannel(std::uint32_t a, std::uint32_t b, std::uint32_t (*f)(std::uint32_t, std::uint32_t)) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= (f((a >> shift) & 0xFF, (b >> shift) & 0xFF) & 0xFF) << shift;
    return out;
}

std::uint32_t blendPixels(std::uint32_t s, std::uint32_t d, std::uint32_t weight) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        std::uint32_t w = ((weight >> shift) & 0xFF) * 0x0101;
        std::uint32_t sc = ((s >> shift) & 0xFF) * 0x0101, dc = ((d >> shift) & 0xFF) * 0x0101;
        std::uint32_t c = (sc * w + dc * (65535 - w)) / 65535;
        out |= (c >> 8) << shift;
    }
    return out;
}

std::uint32_t arithmetic(const Transfer& t, std::uint32_t d, std::uint32_t s) {
    switch (t.mode) {
    case blend:
        return blendPixels(s, d, t.op);
    case addOver:
        return perChannel(s, d, [](std::uint32_t a, std::uint32_t b) { return a + b; });
    default:
        return d;
    }
}

std::uint32_t inverted(const Transfer& t, std::uint32_t d) {
    return t.depth == 8 ? clutColor(std::uint8_t(255 - clutIndex(d))) : (~d & 0xFFFFFF);
}

std::uint32_t xorColour(const Transfer& t, std::uint32_t d, std::uint32_t s) {
    return t.depth == 8 ? clutColor(clutIndex(d) ^ clutIndex(s)) : ((d ^ s) & 0xFFFFFF);
}

std::uint32_t booleanPattern(const Transfer& t, std::uint32_t d, bool on) {
    switch (t.mode & 3) {
    case 0:
        return on ? t.fg : t.bk;
    case 1:
        return on ? t.fg : d;
    case 2:
        return on ? inverted(t, d) : d;
    default:
        return on ? t.bk : d;
    }
}

// A multi-bit source: a pixel is "off" where it is white.
std::uint32_t booleanColour(const Transfer& t, std::uint32_t d, std::uint32_t s) {
    switch (t.mode & 3) {
    case 0:
        return s;
    case 1:
        return s == kWhitePixel ? d : s;
    case 2:
        return xorColour(t, d, s);
    default:
        return s == kWhitePixel ? d : t.bk;
    }
}

std::uint32_t hiliteOf(const Transfer& t, std::uint32_t d, bool on) {
    if (!on)
        return d;
    if (d == t.bk)
        return kHilitePixel;
    return d == kHilitePixel ? t.bk : d;
}

std::uint32_t quantised(const Transfer& t, std::uint32_t pixel) {
    return t.depth == 8 ? clutColor(clutIndex(pixel)) : (pixel & 0xFFFFFF);
}

} // namespace

Transfer transferFor(const GrafPort& port, std::int16_t mode, bool colourSource) {
    Transfer t;
    t.mode = mode;
    t.depth = depthOf(port);
    t.fg = representable(port, toPixel(port.rgbFgColor));
    t.bk = representable(port, toPixel(port.rgbBkColor));
    t.op = toPixel(port.rgbOpColor);
    t.colourSource = colourSource;
    return t;
}

std::uint32_t transferPixel(const Transfer& t, std::uint32_t dst, bool on, std::uint32_t src) {
    if (t.mode == hilite)
        return hiliteOf(t, dst, on);
    if (t.mode >= blend && t.mode < grayishTextOr)
        return quantised(t, arithmetic(t, dst, src));
    bool notVariant = t.mode & 4;
    if (t.colourSource)
        return quantised(t, booleanColour(t, dst, notVariant ? (~src & 0xFFFFFF) : src));
    return booleanPattern(t, dst, notVariant ? !on : on);
}

std::int16_t shapeMode(std::int16_t penMode) {
    return penMode < patCopy ? std::int16_t(penMode | patCopy) : penMode;
}

} // namespace qdraw
