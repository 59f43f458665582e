// Editing the light set in whole dialog runs: drags over the preview, the well, the trash and the
// keys, modifier keys held as the scripts say, and a window session recorded with them. The work
// area is the box (12, 12)-(412, 412) with the preview centred at (212, 212), the trash (380,
// 460)-(412, 492). What a drag does to a light's shape is worked out in the unit tests.
#include "Backend.h"
#include "Dialogs.h"
#include "Events.h"
#include "QuickDraw.h"
#include "LM_globals.h"
#include "TestHost.h"
#include "Testing.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
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
        TBResetForTests();
        ASSERT_EQ(host.RunWithDialog(paced({"click @1"})), 0);
        ASSERT_EQ(g().lightCount, 1);
        ASSERT_EQ(centre(0), (Centre{212, 212}));
    }

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
    run({"down 100,300 +option", "move 250,150 +option", "up 250,150 +option"});
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
    run({"down 242,242 +shift", "move 252,212 +shift", "up 252,212 +shift"});
    EXPECT_EQ(g().lights[0].majorAxis.x, 28);
    EXPECT_EQ(g().lights[0].minorAxis.x, -15);

    // Directional tip (30, 40) with Command: the length stays, pointing at c + (7, 3).
    shapeFirst(lightTypeDirectional, {30, 40}, {0, 0}, 30);
    run({"down 242,252 +command", "move 219,215 +command", "up 219,215 +command"});
    EXPECT_EQ(g().lights[0].majorAxis.x, 45);
    EXPECT_EQ(g().lights[0].majorAxis.y, 19);

    // Omni radius 20: the left handle, then the right one dragged beyond the work area.
    shapeFirst(lightTypeOmni, {0, 0}, {0, 0}, 20);
    run({"down 192,212", "move 182,230", "up 182,230"});
    EXPECT_EQ(g().lights[0].radius, 30);
    run({"down 242,212", "move 450,212", "up 450,212"});
    EXPECT_EQ(g().lights[0].radius, 411 - 212);
}

TEST_F(LightDragDialog, PressesPreferTheCurrentLightsHandles) {
    // Light 0 sits on the current light's handle at c + major.
    run({"down 212,212 +option", "move 242,242 +option", "up 242,242 +option"});
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
    run({"down 212,212 +option", "move 100,100 +option", "up 100,100 +option"});
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(0), (Centre{212, 212}));

    // One deleted, the well shows its plain icon at once and works again.
    run({"key delete", "snapshot " + Shot("deleted"), "down @21", "move 250,100", "up 250,100"});
    EXPECT_TRUE(ShowsIcon(Shot("deleted"), 128));
    EXPECT_FALSE(ShowsIcon(Shot("deleted"), 130));
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(15), (Centre{250, 100}));
    // The same when the light goes into the trash.
    run({"down 250,100", "move 395,475", "up 395,475", "snapshot " + Shot("trashed")});
    EXPECT_EQ(g().lightCount, 15);
    EXPECT_TRUE(ShowsIcon(Shot("trashed"), 128));
}

TEST_F(LightDragDialog, TheTrashShowsItsIconBeforeAndAfterTakingALight) {
    run({"snapshot " + Shot("rest"), "down 212,212 +option", "move 250,150 +option", "up 250,150 +option"});
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
    const std::size_t alerts = TBAlertLog().size();
    run({"key delete", "key return"});
    ASSERT_EQ(TBAlertLog().size(), alerts + 1);
    EXPECT_EQ(TBAlertLog().back(), 16002);
    EXPECT_EQ(g().lightCount, 1);
}

// The window backend's keys for the modifiers, and their script words.
const struct {
    EventModifiers bit;
    SDL_Keycode sym;
    const char* word;
} kModifierKeys[] = {{shiftKey, SDLK_LSHIFT, " +shift"},
                     {optionKey, SDLK_LALT, " +option"},
                     {cmdKey, SDLK_LCTRL, " +command"}};

void pushKey(SDL_Keycode sym, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

void pushPointer(const std::string& verb, int x, int y) {
    SDL_Event e{};
    e.type = verb == "move" ? SDL_MOUSEMOTION : verb == "down" ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    if (verb == "move") {
        e.motion.x = x;
        e.motion.y = y;
    } else {
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
    }
    SDL_PushEvent(&e);
}

// Parameter block and pixels after the dialog ran `script` (paced) and OK. The host hands in a
// cleared block, so the bytes the dialog leaves alone (unused lights and fields) compare too.
std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>> outcome(const std::string& script) {
    TestHost host{MakeTestImage(200, 150)};
    const std::vector<std::uint8_t> cleared(sizeof(foo));
    host.SetParameterBlock(cleared.data(), cleared.size());
    EXPECT_EQ(host.RunWithDialog(PacedScript(script + "click @1\n")), 0) << TBScriptError();
    EXPECT_EQ(reinterpret_cast<LM_globals*>(host.GlobalsSlot())->lightCount, 2) << "Option copied light 0";
    return {host.ParameterBlock(), host.Result().samples};
}

// A session in a window, given as the events a hand makes, is recorded with the keys each press,
// move, release and key holds, and replays headless to what the same script written by hand gives.
TEST_F(LightDragDialog, AWindowSessionReplaysWithItsModifierKeys) {
    const struct {
        const char* verb; // down, move and up at (x, y); key presses Tab
        int x, y;
        EventModifiers held;
    } session[] = {
        // Light 0 copied onto (100, 300); the copy's major-axis handle turned, keeping its length.
        {"down", 212, 212, optionKey},
        {"move", 100, 300, optionKey},
        {"up", 100, 300, optionKey},
        {"down", 130, 330, cmdKey},
        {"move", 140, 310, cmdKey},
        {"up", 140, 310, cmdKey},
        // Back to light 0, whose handle takes Shift in the middle of the drag.
        {"key", 0, 0, shiftKey},
        {"down", 242, 242, 0},
        {"move", 252, 222, 0},
        {"move", 262, 212, shiftKey},
        {"up", 262, 212, shiftKey},
    };
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    TBBackendOptions window;
    window.kind = TBBackendKind::sdl;
    std::string error;
    ASSERT_TRUE(TBInitBackend(window, &error)) << error;
    // The recorder writes positions relative to the front window: one stands in for the dialog.
    const Rect bounds{40, 30, 560, 830};
    WindowPtr standIn = NewCWindow(nullptr, &bounds, nullptr, true, plainDBox, WindowPtr(-1), false, 0);
    Rect content;
    TBGetWindowContentRect(standIn, &content);
    const std::string path =
        (std::filesystem::temp_directory_path() / "relight_modifier_session.txt").string();
    ASSERT_TRUE(TBStartRecording(path, &error)) << error;
    std::string byHand;
    EventModifiers held = 0;
    for (const auto& step : session) {
        for (const auto& k : kModifierKeys)
            if ((step.held ^ held) & k.bit)
                pushKey(k.sym, step.held & k.bit);
        held = step.held;
        const std::string verb = step.verb;
        if (verb == "key") {
            pushKey(SDLK_TAB, true);
            pushKey(SDLK_TAB, false);
            byHand += "key tab";
        } else {
            pushPointer(verb, content.left + step.x, content.top + step.y);
            byHand += verb + " " + std::to_string(step.x) + "," + std::to_string(step.y);
        }
        for (const auto& k : kModifierKeys)
            byHand += held & k.bit ? k.word : "";
        byHand += "\n";
    }
    EventRecord e;
    EventAvail(everyEvent, &e); // the backend takes the window's events
    TBStopRecording();
    DisposeWindow(standIn);
    TBShutdownBackend();
    std::ifstream in(path);
    std::ostringstream recorded;
    recorded << in.rdbuf();
    std::filesystem::remove(path);

    EXPECT_EQ(outcome(recorded.str()), outcome(byHand)) << recorded.str();
}

} // namespace
