// The screen as a script's snapshot step saved it, and what can be found on it.
#pragma once

#include "Backend.h"
#include "QuickDraw.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The pixels a drawing sets whatever lies under them, relative to its box.
struct Stamp {
    struct Ink {
        int h, v;
        std::uint32_t pixel;
    };
    std::vector<Ink> inks;
    int width = 0, height = 0;
};

// The pixels `draw` leaves on a 32-bit port of the size filled with `background`, row by row.
template <class Draw>
std::vector<std::uint32_t> Drawn(std::int16_t width, std::int16_t height, std::uint32_t background,
                                 Draw draw) {
    std::vector<std::uint32_t> pixels;
    const Rect box = {0, 0, height, width};
    GrafPtr saved;
    GetPort(&saved);
    GrafPtr port = TBNewOffscreenPort(&box, 32);
    SetPort(port);
    for (std::int16_t v = 0; v < height; ++v)
        for (std::int16_t h = 0; h < width; ++h)
            TBSetPixel(port, h, v, background);
    draw();
    for (std::int16_t v = 0; v < height; ++v)
        for (std::int16_t h = 0; h < width; ++h)
            pixels.push_back(TBGetPixel(port, h, v) & 0xFFFFFF);
    SetPort(saved);
    TBDisposeOffscreenPort(port);
    return pixels;
}

// The pixels of `drawn` (a box `width` wide) that `keep(i)` selects.
template <class Keep> Stamp StampOf(const std::vector<std::uint32_t>& drawn, int width, Keep keep) {
    Stamp stamp{{}, width, int(drawn.size()) / width};
    for (std::size_t i = 0; i < drawn.size(); ++i)
        if (keep(i))
            stamp.inks.push_back({int(i) % width, int(i) / width, drawn[i]});
    return stamp;
}

// What `draw` leaves the same on a white and on a black port: an icon where its mask covers it.
template <class Draw> Stamp MaskedStamp(std::int16_t width, std::int16_t height, Draw draw) {
    const std::vector<std::uint32_t> white = Drawn(width, height, 0xFFFFFF, draw),
                                     black = Drawn(width, height, 0, draw);
    return StampOf(white, width, [&](std::size_t i) { return white[i] == black[i]; });
}

// What `draw` inks on white: a text.
template <class Draw> Stamp InkStamp(std::int16_t width, std::int16_t height, Draw draw) {
    const std::vector<std::uint32_t> white = Drawn(width, height, 0xFFFFFF, draw);
    return StampOf(white, width, [&](std::size_t i) { return white[i] != 0xFFFFFF; });
}

struct Snapshot {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;

    explicit Snapshot(const std::string& path) {
        std::string error;
        EXPECT_TRUE(TBReadPNG(path, &width, &height, &pixels, &error)) << error;
    }
    bool operator==(const Snapshot&) const = default;
    std::uint32_t At(int h, int v) const { return pixels[std::size_t(v * width + h)] & 0xFFFFFF; }

    // Where the stamp's box is found pixel for pixel on the screen, if it is.
    std::optional<Point> Find(const Stamp& stamp) const {
        for (int y = 0; !stamp.inks.empty() && y + stamp.height <= height; ++y)
            for (int x = 0; x + stamp.width <= width; ++x) {
                bool match = true;
                for (std::size_t i = 0; i < stamp.inks.size() && match; ++i)
                    match = At(x + stamp.inks[i].h, y + stamp.inks[i].v) == stamp.inks[i].pixel;
                if (match)
                    return Point{std::int16_t(y), std::int16_t(x)};
            }
        return std::nullopt;
    }
    bool Shows(const Stamp& stamp) const { return Find(stamp).has_value(); }
    // The pixels that differ from another snapshot's.
    int Changed(const Snapshot& other) const {
        int changed = 0;
        for (std::size_t i = 0; i < pixels.size() && i < other.pixels.size(); ++i)
            changed += pixels[i] != other.pixels[i];
        return changed;
    }
};
