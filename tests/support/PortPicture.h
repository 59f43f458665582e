// Test helpers: a small white off-screen port made current, and its pixels as text pictures so
// expectations can be drawn by hand.
#pragma once

#include "QuickDraw.h"

#include <cstdint>
#include <string>

class ScratchPort {
  public:
    ScratchPort(std::int16_t width, std::int16_t height, std::int16_t depth = 32) {
        const Rect bounds{0, 0, height, width};
        port_ = TBNewOffscreenPort(&bounds, depth);
        SetPort(port_);
    }
    ~ScratchPort() { TBDisposeOffscreenPort(port_); }
    ScratchPort(const ScratchPort&) = delete;
    ScratchPort& operator=(const ScratchPort&) = delete;
    GrafPtr get() const { return port_; }

    // One line per row: '#' for a pixel that is not white, '.' for white.
    std::string picture() const {
        std::string out;
        const Rect& r = port_->portRect;
        for (std::int16_t v = r.top; v < r.bottom; ++v) {
            for (std::int16_t h = r.left; h < r.right; ++h)
                out += TBGetPixel(port_, h, v) == 0xFFFFFF ? '.' : '#';
            out += '\n';
        }
        return out;
    }

  private:
    GrafPtr port_;
};

// The picture `draw` leaves on a fresh white port of the size.
template <class Draw> std::string drawn(std::int16_t width, std::int16_t height, Draw draw) {
    ScratchPort port(width, height);
    draw();
    return port.picture();
}

// Joins rows into a picture string.
inline std::string rows(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* l : lines)
        out += std::string(l) + "\n";
    return out;
}
