// Editing the light set in whole dialog runs: drags over the preview, the well, the trash and the
// keys. The work area is the box (12, 12)-(412, 412) with the preview centred at (212, 212), the
// trash (380, 460)-(412, 492). What a drag does to a light's shape is worked out in the unit tests.
#include "Backend.h"
#include "Dialogs.h"
#include "Events.h"
#include "QuickDraw.h"
#include "LM_globals.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

namespace {

// One step every 100 ms once the dialog has drawn itself, as a hand would give them, so that a
// tracking loop sees each position.
std::string paced(std::initializer_list<std::string> steps) {
    std::string script = "wait 100\n";
    for (const std::string& step : steps)
        script += step + "\nwait 100\n";
    return script;
}

struct Centre {
    int x, y;
    bool operator==(const Centre&) const = default;
};

void PrintTo(const Centre& c, std::ostream* out) {
    *out << "(" << c.x << ", " << c.y << ")";
}

// Whether the screen in `snapshot` shows colour icon `id` pixel for pixel somewhere; only the
// pixels the icon's mask covers count (those that come out the same over white and black).
bool ShowsIcon(const std::string& snapshot, std::int16_t id) {
    int width = 0, height = 0;
    std::vector<std::uint32_t> screen;
    std::string error;
    EXPECT_TRUE(TBReadPNG(snapshot, &width, &height, &screen, &error)) << error;
    const Rect box = {0, 0, 32, 32};
    std::vector<std::uint32_t> over[2];
    for (int b = 0; b < 2; ++b) {
        GrafPtr saved;
        GetPort(&saved);
        GrafPtr port = TBNewOffscreenPort(&box, 32);
        SetPort(port);
        for (std::int16_t v = 0; v < 32; ++v)
            for (std::int16_t h = 0; h < 32; ++h)
                TBSetPixel(port, h, v, b ? 0 : 0xFFFFFF);
        CIconHandle icon = GetCIcon(id);
        EXPECT_NE(icon, nullptr) << id;
        PlotCIcon(&box, icon);
        DisposeCIcon(icon);
        for (std::int16_t v = 0; v < 32; ++v)
            for (std::int16_t h = 0; h < 32; ++h)
                over[b].push_back(TBGetPixel(port, h, v) & 0xFFFFFF);
        SetPort(saved);
        TBDisposeOffscreenPort(port);
    }
    for (int y = 0; y + 32 <= height; ++y)
        for (int x = 0; x + 32 <= width; ++x) {
            bool match = true;
            for (int i = 0; i < 32 * 32 && match; ++i)
                match = over[0][i] != over[1][i] ||
                        (screen[std::size_t((y + i / 32) * width + x + i % 32)] & 0xFFFFFF) == over[0][i];
            if (match)
                return true;
        }
    return false;
}

std::string Shot(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("relight_lights_" + name + ".png")).string();
}

class LightDragDialog : public ::testing::Test {
  protected:
    TestHost host{MakeTestImage(200, 150)};

    void SetUp() override {
        TBClearAlertLog();
        ASSERT_EQ(host.RunWithDialog(paced({"click @1"})), 0);
        ASSERT_EQ(g().lightCount, 1);
        ASSERT_EQ(centre(0), (Centre{212, 212}));
    }
    void TearDown() override { holdKeys({}); }

    LM_globals& g() { return *reinterpret_cast<LM_globals*>(host.GlobalsSlot()); }
    Centre centre(int light) {
        const LM_light_UI& l = g().lights[light];
        return {l.anchor.x + l.position.x, l.anchor.y + l.position.y};
    }
    // Runs the dialog through `steps`, then OK; returns the number of preview displays it made.
    int run(std::initializer_list<std::string> steps) {
        const int before = host.displays;
        std::string script = paced(steps) + "click @1\n";
        EXPECT_EQ(host.RunWithDialog(script), 0) << TBScriptError();
        return host.displays - before;
    }
    static void holdKeys(std::initializer_list<std::uint8_t> keys) {
        for (const std::uint8_t key : {kVKShift, kVKCommand, kVKOption})
            TBInputKey(key, 0, false);
        for (const std::uint8_t key : keys)
            TBInputKey(key, 0, true);
    }
    void shapeFirst(LM_sint32 type, LM_vectori2 major, LM_vectori2 minor, LM_sint16 radius) {
        LM_light_UI& l = g().lights[0];
        l.type = type;
        l.majorAxis = major;
        l.minorAxis = minor;
        l.radius = radius;
    }
};

TEST_F(LightDragDialog, CentreDragsMoveCopyAndDelete) {
    const int quiet = run({});
    // Each drag re-renders the preview once, after the release.
    EXPECT_EQ(run({"down 214,211", "move 150,250", "move 100,300", "up 100,300"}), quiet + 1);
    EXPECT_EQ(centre(0), (Centre{100, 300}));

    // Released outside the work area and the trash: put back.
    run({"down 100,300", "move 500,300", "up 500,300"});
    EXPECT_EQ(centre(0), (Centre{100, 300}));

    // The only light on the trash: the alert, and the light goes back.
    run({"down 100,300", "move 395,475", "up 395,475", "key return"});
    EXPECT_EQ(TBAlertLog(), std::vector<std::int16_t>{16002});
    EXPECT_EQ(g().lightCount, 1);
    EXPECT_EQ(centre(0), (Centre{100, 300}));

    // Option copies the light to where it is released; the original stays.
    holdKeys({kVKOption});
    run({"down 100,300", "move 250,150", "up 250,150"});
    holdKeys({});
    ASSERT_EQ(g().lightCount, 2);
    EXPECT_EQ(centre(0), (Centre{100, 300}));
    EXPECT_EQ(centre(1), (Centre{250, 150}));
    EXPECT_EQ(g().currentLight, 1);

    // With two lights the trash takes one, and light 0 becomes current.
    run({"down 250,150", "move 395,475", "up 395,475"});
    EXPECT_EQ(g().lightCount, 1);
    EXPECT_EQ(g().currentLight, 0);
    EXPECT_EQ(centre(0), (Centre{100, 300}));
}

TEST_F(LightDragDialog, PressesPreferTheCurrentLightsHandles) {
    // Light 0 sits on the current light's handle at c + major.
    holdKeys({kVKOption});
    run({"down 212,212", "move 242,242", "up 242,242"});
    holdKeys({});
    run({"key tab"});
    ASSERT_EQ(g().currentLight, 0);
    run({"down 242,242", "move 252,212", "up 252,212"});
    EXPECT_EQ(g().lights[0].majorAxis.x, 40) << "light 0's grab handle, not light 1's centre";
    EXPECT_EQ(centre(1), (Centre{242, 242}));

    // A press on another light's centre selects it and drags it.
    run({"down 242,242", "move 300,100", "up 300,100"});
    EXPECT_EQ(g().currentLight, 1);
    EXPECT_EQ(centre(1), (Centre{300, 100}));
    EXPECT_EQ(centre(0), (Centre{212, 212}));
}

TEST_F(LightDragDialog, AFullSetTakesNoMoreLights) {
    for (int i = 1; i < 15; ++i)
        g().CreateNewLight(LM_sint16(30 + 20 * i), 380);
    g().currentLight = 0;
    // The fifteenth light from the well fills the set: the well shows its full icon.
    run({"snapshot " + Shot("fifteen"), "down @21", "move 300,100", "up 300,100",
         "snapshot " + Shot("full")});
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_TRUE(ShowsIcon(Shot("fifteen"), 128));
    EXPECT_FALSE(ShowsIcon(Shot("fifteen"), 130));
    EXPECT_TRUE(ShowsIcon(Shot("full"), 130));
    EXPECT_FALSE(ShowsIcon(Shot("full"), 128));
    run({"down @21", "move 200,100", "up 200,100"});
    holdKeys({kVKOption});
    run({"down 212,212", "move 100,100", "up 100,100"});
    holdKeys({});
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(0), (Centre{212, 212}));

    // One deleted, the well shows its plain icon when it is next drawn and works again.
    run({"key delete"});
    run({"snapshot " + Shot("deleted"), "down @21", "move 250,100", "up 250,100"});
    EXPECT_TRUE(ShowsIcon(Shot("deleted"), 128));
    EXPECT_FALSE(ShowsIcon(Shot("deleted"), 130));
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(15), (Centre{250, 100}));
}

TEST_F(LightDragDialog, TheTrashShowsItsIconBeforeAndAfterTakingALight) {
    holdKeys({kVKOption});
    run({"snapshot " + Shot("rest"), "down 212,212", "move 250,150", "up 250,150"});
    holdKeys({});
    run({"down 250,150", "move 395,475", "up 395,475", "snapshot " + Shot("taken")});
    EXPECT_TRUE(ShowsIcon(Shot("rest"), 131));
    EXPECT_TRUE(ShowsIcon(Shot("taken"), 131));
    EXPECT_FALSE(ShowsIcon(Shot("taken"), 133)) << "the highlight is gone with the light";
    EXPECT_EQ(g().lightCount, 1);
}

// Keys and the well: Tab walks the lights forward, Shift-Tab back; Delete and Forward Delete take
// the current one but never the last (an alert instead); a light from the well released outside
// the work area adds nothing.
TEST_F(LightDragDialog, KeysAndTheWellEditTheLightSet) {
    run({"down @21", "move 100,100", "up 100,100", "down @21", "move 300,300", "up 300,300", "down @21",
         "up 500,300"});
    ASSERT_EQ(g().lightCount, 3);
    EXPECT_EQ(g().currentLight, 2);
    const struct {
        const char* key;
        int current, count;
    } steps[] = {
        {"key tab", 0, 3},    {"key tab +shift", 2, 3},     {"key tab +shift", 1, 3},
        {"key delete", 0, 2}, {"key forward-delete", 0, 1},
    };
    for (const auto& step : steps) {
        run({step.key});
        EXPECT_EQ(g().currentLight, step.current) << step.key;
        EXPECT_EQ(g().lightCount, step.count) << step.key;
    }
    EXPECT_EQ(centre(0), (Centre{300, 300})) << "the last light left";
    TBClearAlertLog();
    run({"key delete", "key return"});
    EXPECT_EQ(TBAlertLog(), std::vector<std::int16_t>{16002});
    EXPECT_EQ(g().lightCount, 1);
}

} // namespace
