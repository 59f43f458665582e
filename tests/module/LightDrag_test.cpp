// Editing the light set in whole dialog runs: drags over the preview, the well, the trash and the
// keys, modifier keys held as the scripts say, and a window session recorded with them. The work
// area is the box (12, 12)-(412, 412) with the preview centred at (212, 212), the trash (380,
// 460)-(412, 492). What a drag does to a light's shape is worked out in the unit tests.
#include "Backend.h"
#include "Dialogs.h"
#include "Events.h"
#include "QuickDraw.h"
#include "LM_globals.h"
#include "Snapshot.h"
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

// The steps as script lines.
std::string lines(const std::vector<std::string>& steps) {
    std::string script;
    for (const std::string& step : steps)
        script += step + "\n";
    return script;
}

struct Centre {
    int x, y;
    bool operator==(const Centre&) const = default;
};

void PrintTo(const Centre& c, std::ostream* out) {
    *out << "(" << c.x << ", " << c.y << ")";
}

// Colour icon `id` where its mask covers it.
Stamp IconStamp(std::int16_t id) {
    const auto plot = [id] {
        const Rect box = {0, 0, 32, 32};
        CIconHandle icon = GetCIcon(id);
        EXPECT_NE(icon, nullptr) << id;
        PlotCIcon(&box, icon);
        DisposeCIcon(icon);
    };
    return StampOf(32, 32, plot, [](std::uint32_t white, std::uint32_t black) { return white == black; });
}

std::string Shot(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("relight_lights_" + name + ".png")).string();
}

class LightDragDialog : public ::testing::Test {
  protected:
    TestHost host{MakeTestImage(200, 150)};

    void SetUp() override {
        TBResetForTests();
        ASSERT_EQ(host.RunWithDialog(lines({"click @1"})), 0);
        ASSERT_EQ(g().lightCount, 1);
        ASSERT_EQ(centre(0), (Centre{212, 212}));
    }

    LM_globals& g() { return *reinterpret_cast<LM_globals*>(host.GlobalsSlot()); }
    Centre centre(int light) {
        const LM_light_UI& l = g().lights[light];
        return {l.anchor.x + l.position.x, l.anchor.y + l.position.y};
    }
    // Runs the dialog through `steps`, then OK; returns the number of preview displays it made.
    int run(const std::vector<std::string>& steps) {
        const int before = host.displays;
        std::string script = lines(steps) + "click @1\n";
        EXPECT_EQ(host.RunWithDialog(script), 0) << TBScriptError();
        return host.displays - before;
    }
};

// Whether each snapshot shows the well's plain icon (128) or its full one (130), and the trash (131)
// without its highlight (133).
void expectIcons(const std::string& shot, std::initializer_list<std::int16_t> shown,
                 std::initializer_list<std::int16_t> hidden) {
    for (const std::int16_t id : shown)
        EXPECT_TRUE(Snapshot(Shot(shot)).Shows(IconStamp(id))) << shot << " shows " << id;
    for (const std::int16_t id : hidden)
        EXPECT_FALSE(Snapshot(Shot(shot)).Shows(IconStamp(id))) << shot << " hides " << id;
}

// One session of edits in a row, each line run as its own dialog: centre drags (a release on the
// work area's last row puts the light back), Option copies, the trash, the well (a light released outside the
// work area adds nothing), Tab and Shift-Tab, Delete and Forward Delete (never the last light: an alert
// instead).
TEST_F(LightDragDialog, DragsKeysAndTheWellEditTheLightSet) {
    const int quiet = run({});
    EXPECT_EQ(run({"down 214,211", "move 150,250", "move 100,300", "up 100,300"}), quiet + 1)
        << "a drag re-renders the preview once, after the release";
    const struct {
        std::vector<std::string> steps;
        int count, current;
        Centre shown; // of the current light
        bool alert;   // the too-few-lights alert
    } rows[] = {
        {{"down 100,300", "move 500,300", "up 500,300"}, 1, 0, {100, 300}, false},
        {{"down 100,300", "move 395,475", "up 395,475", "key return"}, 1, 0, {100, 300}, true},
        {{"down 100,300 +option", "move 250,150 +option", "up 250,150 +option"}, 2, 1, {250, 150}, false},
        {{"down 100,300", "move 120,310", "up 120,310"}, 2, 0, {120, 310}, false},
        {{"down 120,310", "move 120,411", "up 120,411"}, 2, 0, {120, 310}, false},
        {{"key tab"}, 2, 1, {250, 150}, false},
        {{"wait 50", "snapshot " + Shot("plain"), "down 250,150", "move 395,475", "wait 100",
          "snapshot " + Shot("over"), "up 395,475", "snapshot " + Shot("taken")},
         1,
         0,
         {120, 310},
         false},
        {{"down @21", "move 100,100", "up 100,100"}, 2, 1, {100, 100}, false},
        {{"down @21", "up 500,300"}, 2, 1, {100, 100}, false},
        {{"down @21", "move 300,300", "up 300,300"}, 3, 2, {300, 300}, false},
        {{"key tab"}, 3, 0, {120, 310}, false},
        {{"key tab +shift"}, 3, 2, {300, 300}, false},
        {{"key tab +shift"}, 3, 1, {100, 100}, false},
        {{"key delete"}, 2, 0, {120, 310}, false},
        {{"key forward-delete"}, 1, 0, {300, 300}, false},
        {{"key delete", "key return"}, 1, 0, {300, 300}, true},
    };
    for (const auto& row : rows) {
        const std::size_t alerts = TBAlertLog().size();
        run(row.steps);
        SCOPED_TRACE(row.steps.front());
        EXPECT_EQ(g().lightCount, row.count);
        EXPECT_EQ(g().currentLight, row.current);
        EXPECT_EQ(centre(g().currentLight), row.shown);
        EXPECT_EQ(TBAlertLog().size(), alerts + row.alert);
        if (row.alert && !TBAlertLog().empty()) {
            EXPECT_EQ(TBAlertLog().back(), 16002);
        }
    }
    expectIcons("taken", {131}, {133});
    // While the light is over the trash, the trash is highlighted; after the drop it is as before.
    const Snapshot plain(Shot("plain"));
    const std::optional<Point> trash = plain.Find(IconStamp(131));
    ASSERT_TRUE(trash);
    const auto changed = [&](const Snapshot& shot) {
        int pixels = 0;
        for (int v = trash->v; v < trash->v + 32; ++v)
            for (int h = trash->h; h < trash->h + 32; ++h)
                pixels += shot.At(h, v) != plain.At(h, v);
        return pixels;
    };
    EXPECT_GT(changed(Snapshot(Shot("over"))), 200);
    EXPECT_EQ(changed(Snapshot(Shot("taken"))), 0);
}

TEST_F(LightDragDialog, AFullSetTakesNoMoreLights) {
    for (int i = 1; i < 15; ++i)
        g().CreateNewLight(LM_sint16(30 + 20 * i), 380);
    g().currentLight = 0;
    // The sixteenth light from the well fills the set: the well shows its full icon.
    run({"snapshot " + Shot("fifteen"), "down @21", "move 300,100", "up 300,100",
         "snapshot " + Shot("full")});
    EXPECT_EQ(g().lightCount, 16);
    run({"down @21", "move 200,100", "up 200,100"});
    run({"down 212,212 +option", "move 100,100 +option", "up 100,100 +option"});
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(0), (Centre{212, 212}));
    // One deleted, the well shows its plain icon at once and works again.
    run({"key delete", "snapshot " + Shot("deleted"), "down @21", "move 250,100", "up 250,100"});
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(15), (Centre{250, 100}));
    expectIcons("fifteen", {128, 131}, {130});
    expectIcons("full", {130}, {128});
    expectIcons("deleted", {128}, {130});
    // The same when the light goes into the trash.
    run({"down 250,100", "move 395,475", "up 395,475", "snapshot " + Shot("trashed")});
    EXPECT_EQ(g().lightCount, 15);
    expectIcons("trashed", {128}, {});
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

// A session in a window, given as the events a hand makes, is recorded with the keys each press,
// move, release and key holds: the script a hand would write. What the dialog does with those keys
// is the unit drag tests' and the session table's.
TEST_F(LightDragDialog, AWindowSessionIsRecordedWithItsModifierKeys) {
    // Light 0 copied onto (100, 300); the copy's major-axis handle turned, keeping its length. Back
    // to light 0 (Shift-Tab), whose handle takes Shift in the middle of the drag.
    const struct {
        const char* verb; // down, move and up at (x, y); key presses Tab
        int x, y;
        EventModifiers held;
    } session[] = {{"down", 212, 212, optionKey}, {"move", 100, 300, optionKey}, {"up", 100, 300, optionKey},
                   {"down", 130, 330, cmdKey},    {"move", 140, 310, cmdKey},    {"up", 140, 310, cmdKey},
                   {"key", 0, 0, shiftKey},       {"down", 242, 242, 0},         {"move", 252, 222, 0},
                   {"move", 262, 212, shiftKey},  {"up", 262, 212, shiftKey}};
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

    EXPECT_EQ(recorded.str(), byHand);
}

} // namespace
