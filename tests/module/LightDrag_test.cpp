// Dragging lights over the preview in whole dialog runs: the work area is the box (12, 12)-(412,
// 412) with the preview centred at (212, 212), the trash (380, 460)-(412, 492).
#include "Backend.h"
#include "Dialogs.h"
#include "Events.h"
#include "LM_globals.h"
#include "TestHost.h"
#include "Testing.h"

#include <gtest/gtest.h>

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

class LightDragDialog : public ::testing::Test {
  protected:
    TestHost host{MakeTestImage(200, 150)};

    void SetUp() override {
        TBResetForTests();
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

TEST_F(LightDragDialog, GrabHandlesReshapeEachType) {
    // Spotlight (30, 30) / (-15, 15): the handle at c + major pulled to c + (40, 0).
    run({"down 242,242", "move 252,212", "up 252,212"});
    EXPECT_EQ(g().lights[0].majorAxis.x, 40);
    EXPECT_EQ(g().lights[0].majorAxis.y, 0);
    EXPECT_EQ(g().lights[0].minorAxis.x, 0);
    EXPECT_EQ(g().lights[0].minorAxis.y, 21);

    // The same with Shift: the direction stays, (30, 30) scaled to length 40.
    shapeFirst(lightTypeSpot, {30, 30}, {-15, 15}, 30);
    holdKeys({kVKShift});
    run({"down 242,242", "move 252,212", "up 252,212"});
    EXPECT_EQ(g().lights[0].majorAxis.x, 28);
    EXPECT_EQ(g().lights[0].minorAxis.x, -15);

    // Directional tip (30, 40) with Command: the length stays, pointing at c + (7, 3).
    shapeFirst(lightTypeDirectional, {30, 40}, {0, 0}, 30);
    holdKeys({kVKCommand});
    run({"down 242,252", "move 219,215", "up 219,215"});
    EXPECT_EQ(g().lights[0].majorAxis.x, 45);
    EXPECT_EQ(g().lights[0].majorAxis.y, 19);

    // Omni radius 20: the left handle, then the right one dragged beyond the work area.
    shapeFirst(lightTypeOmni, {0, 0}, {0, 0}, 20);
    holdKeys({});
    run({"down 192,212", "move 182,230", "up 182,230"});
    EXPECT_EQ(g().lights[0].radius, 30);
    run({"down 242,212", "move 450,212", "up 450,212"});
    EXPECT_EQ(g().lights[0].radius, 411 - 212);
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
    for (int i = 1; i < 16; ++i)
        g().CreateNewLight(LM_sint16(30 + 20 * i), 380);
    g().currentLight = 0;
    run({"down @21", "move 300,100", "up 300,100"});
    holdKeys({kVKOption});
    run({"down 212,212", "move 100,100", "up 100,100"});
    holdKeys({});
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(0), (Centre{212, 212}));

    // One deleted, the well works again.
    run({"key delete", "down @21", "move 300,100", "up 300,100"});
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(15), (Centre{300, 100}));
}

} // namespace
