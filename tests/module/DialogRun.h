// Whole dialog runs through the entry point on the headless backend, and the screens their
// snapshot steps save.
#pragma once

#include "Backend.h"
#include "Files.h"
#include "LM_globals.h"
#include "QuickDraw.h"
#include "TestHost.h"
#include "Testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
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

// The pixels `draw` leaves on a 32-bit port of the size that `keep(overWhite, overBlack)` selects
// from what it leaves over a white and over a black background: the same over both for an icon's
// masked pixels, not white over white for a text's ink.
template <class Draw, class Keep>
Stamp StampOf(std::int16_t width, std::int16_t height, Draw draw, Keep keep) {
    std::vector<std::uint32_t> over[2];
    const Rect box = {0, 0, height, width};
    for (int b = 0; b < 2; ++b) {
        GrafPtr saved;
        GetPort(&saved);
        GrafPtr port = TBNewOffscreenPort(&box, 32);
        SetPort(port);
        for (std::int16_t v = 0; v < height; ++v)
            for (std::int16_t h = 0; h < width; ++h)
                TBSetPixel(port, h, v, b ? 0 : 0xFFFFFF);
        draw();
        for (std::int16_t v = 0; v < height; ++v)
            for (std::int16_t h = 0; h < width; ++h)
                over[b].push_back(TBGetPixel(port, h, v) & 0xFFFFFF);
        SetPort(saved);
        TBDisposeOffscreenPort(port);
    }
    Stamp stamp{{}, width, height};
    for (std::size_t i = 0; i < over[0].size(); ++i)
        if (keep(over[0][i], over[1][i]))
            stamp.inks.push_back({int(i) % width, int(i) / width, over[0][i]});
    return stamp;
}

struct Snapshot {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;

    explicit Snapshot(const std::string& path) {
        std::string error;
        EXPECT_TRUE(TBReadPNG(path, &width, &height, &pixels, &error)) << error;
    }
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
    // The pixels in `box` (screen coordinates) that differ from another snapshot's (a missing
    // snapshot has none).
    int Changed(const Snapshot& other, Rect box = {0, 0, 32767, 32767}) const {
        int changed = 0;
        for (int v = box.top; v < std::min({int(box.bottom), height, other.height}); ++v)
            for (int h = box.left; h < std::min({int(box.right), width, other.width}); ++h)
                changed += At(h, v) != other.At(h, v);
        return changed;
    }
};

// Where a snapshot step saves the screen as `name`: the scratch data folder.
inline std::string Shot(const std::string& name) {
    return std::string(TBFilesRoot()) + "/" + name + ".png";
}

// A fresh Toolbox for each test, and the host's settings once a run has made them.
class DialogRun : public ::testing::Test {
  protected:
    void SetUp() override { TBResetForTests(); }
    std::int16_t Run(const std::string& script) { return host.RunWithDialog(script); }
    void Ok(const std::string& script) { ASSERT_EQ(Run(script), 0) << TBScriptError(); }
    // A test whose runs left no settings ends here.
    LM_globals& g() const {
        if (!host.GlobalsSlot())
            throw std::runtime_error("no dialog ended in OK: no settings");
        return *reinterpret_cast<LM_globals*>(host.GlobalsSlot());
    }

    TestHost host{MakeTestImage(200, 150)};
};
