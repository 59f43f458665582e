// Editing the light set in whole dialog runs: drags over the preview, the well, the trash and the
// keys, modifier keys held as the scripts say, and a window session recorded with them. The work
// area is the box (12, 12)-(412, 412) with the preview centred at (212, 212), the trash (380,
// 460)-(412, 492). What a drag does to a light's shape is worked out in the unit tests.
#include "DialogRun.h"
#include "Dialogs.h"
#include "Events.h"
#include "Windows.h"

#include <SDL.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>

namespace {

using Centre = std::pair<int, int>;

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

class LightDragDialog : public DialogRun {
  protected:
    void SetUp() override {
        DialogRun::SetUp();
        ASSERT_EQ(Run("click @1\n"), 0);
        ASSERT_EQ(g().lightCount, 1);
        ASSERT_EQ(centre(0), (Centre{212, 212}));
    }

    Centre centre(int light) {
        const LM_light_UI& l = g().lights[light];
        return {l.anchor.x + l.position.x, l.anchor.y + l.position.y};
    }
    // Runs the dialog through `steps`, then OK; returns the number of preview displays it made.
    int run(const std::string& steps) {
        const int before = host.displays;
        EXPECT_EQ(Run(steps + "\nclick @1\n"), 0) << TBScriptError();
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
// work area's last row puts the light back), Option copies, the trash, the well (a light released
// outside the work area adds nothing), Tab and Shift-Tab, Delete and Forward Delete (never the last
// light: an alert instead).
TEST_F(LightDragDialog, DragsKeysAndTheWellEditTheLightSet) {
    const int quiet = run("");
    EXPECT_EQ(run("down 214,211\nmove 150,250\nmove 100,300\nup 100,300"), quiet + 1)
        << "a drag re-renders the preview once, after the release";
    const std::string toTrash = "wait 50\nsnapshot " + Shot("plain") +
                                "\ndown 250,150\nmove 395,475\nwait 100\n" + "snapshot " + Shot("over") +
                                "\nup 395,475\nsnapshot " + Shot("taken");
    const struct {
        std::string steps;
        int count, current;
        Centre shown; // of the current light
        bool alert;   // the too-few-lights alert
    } rows[] = {
        {"down 100,300\nmove 500,300\nup 500,300", 1, 0, {100, 300}, false},
        {"down 100,300\nmove 395,475\nup 395,475\nkey return", 1, 0, {100, 300}, true},
        {"down 100,300 +option\nmove 250,150 +option\nup 250,150 +option", 2, 1, {250, 150}, false},
        {"down 100,300\nmove 120,310\nup 120,310", 2, 0, {120, 310}, false},
        {"down 120,310\nmove 120,411\nup 120,411", 2, 0, {120, 310}, false},
        {"key tab", 2, 1, {250, 150}, false},
        {toTrash, 1, 0, {120, 310}, false},
        {"down @21\nmove 100,100\nup 100,100", 2, 1, {100, 100}, false},
        {"down @21\nup 500,300", 2, 1, {100, 100}, false},
        {"down @21\nmove 300,300\nup 300,300", 3, 2, {300, 300}, false},
        {"key tab", 3, 0, {120, 310}, false},
        {"key tab +shift", 3, 2, {300, 300}, false},
        {"key tab +shift", 3, 1, {100, 100}, false},
        {"key delete", 2, 0, {120, 310}, false},
        {"key forward-delete", 1, 0, {300, 300}, false},
        {"key delete\nkey return", 1, 0, {300, 300}, true},
    };
    for (const auto& row : rows) {
        const std::size_t alerts = TBAlertLog().size();
        run(row.steps);
        SCOPED_TRACE(row.steps);
        const Centre shown = centre(g().currentLight);
        EXPECT_EQ((std::array{int(g().lightCount), int(g().currentLight), shown.first, shown.second}),
                  (std::array{row.count, row.current, row.shown.first, row.shown.second}));
        EXPECT_EQ(TBAlertLog().size(), alerts + row.alert);
        EXPECT_TRUE(!row.alert || (!TBAlertLog().empty() && TBAlertLog().back() == 16002));
    }
    expectIcons("taken", {131}, {133});
    // While the light is over the trash, the trash is highlighted; after the drop it is as before.
    const Snapshot plain(Shot("plain"));
    const std::optional<Point> trash = plain.Find(IconStamp(131));
    ASSERT_TRUE(trash);
    const Rect box = {trash->v, trash->h, std::int16_t(trash->v + 32), std::int16_t(trash->h + 32)};
    EXPECT_GT(Snapshot(Shot("over")).Changed(plain, box), 200);
    EXPECT_EQ(Snapshot(Shot("taken")).Changed(plain, box), 0);
}

TEST_F(LightDragDialog, AFullSetTakesNoMoreLights) {
    for (int i = 1; i < 15; ++i)
        g().CreateNewLight(LM_sint16(30 + 20 * i), 380);
    g().currentLight = 0;
    // The sixteenth light from the well fills the set: the well shows its full icon.
    run("snapshot " + Shot("fifteen") + "\ndown @21\nmove 300,100\nup 300,100\nsnapshot " + Shot("full"));
    EXPECT_EQ(g().lightCount, 16);
    run("down @21\nmove 200,100\nup 200,100");
    run("down 212,212 +option\nmove 100,100 +option\nup 100,100 +option");
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(0), (Centre{212, 212}));
    // One deleted, the well shows its plain icon at once and works again.
    run("key delete\nsnapshot " + Shot("deleted") + "\ndown @21\nmove 250,100\nup 250,100");
    EXPECT_EQ(g().lightCount, 16);
    EXPECT_EQ(centre(15), (Centre{250, 100}));
    expectIcons("fifteen", {128, 131}, {130});
    expectIcons("full", {130}, {128});
    expectIcons("deleted", {128}, {130});
    // The same when the light goes into the trash.
    run("down 250,100\nmove 395,475\nup 395,475\nsnapshot " + Shot("trashed"));
    EXPECT_EQ(g().lightCount, 15);
    expectIcons("trashed", {128}, {});
}

void pushKey(SDL_Keycode sym, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

void pushPointer(const std::string& verb, int x, int y) {
    SDL_Event e{};
    e.type = verb == "move" ? SDL_MOUSEMOTION : verb == "down" ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    if (verb != "move")
        e.button.button = SDL_BUTTON_LEFT;
    (verb == "move" ? e.motion.x : e.button.x) = x;
    (verb == "move" ? e.motion.y : e.button.y) = y;
    SDL_PushEvent(&e);
}

// A session in a window, made of the events a hand makes, is recorded as the script a hand would
// write, with the modifier keys each press, move, release and key holds: an Option copy, a
// Command drag, Shift-Tab, and Shift taken in the middle of a drag.
TEST_F(LightDragDialog, AWindowSessionIsRecordedWithItsModifierKeys) {
    const std::string session = "down 212,212 +option\nmove 100,300 +option\nup 100,300 +option\n"
                                "down 130,330 +command\nmove 140,310 +command\nup 140,310 +command\n"
                                "key tab +shift\ndown 242,242\nmove 252,222\nmove 262,212 +shift\n"
                                "up 262,212 +shift\n";
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
    const std::string path = std::string(TBFilesRoot()) + "/session.txt";
    ASSERT_TRUE(TBStartRecording(path, &error)) << error;
    std::istringstream steps(session);
    std::string held;
    for (std::string verb, where, keys; steps >> verb >> where && std::getline(steps, keys);) {
        for (const auto& [word, sym] :
             {std::pair{"+shift", SDLK_LSHIFT}, {"+option", SDLK_LALT}, {"+command", SDLK_LCTRL}})
            if ((keys.find(word) == std::string::npos) != (held.find(word) == std::string::npos))
                pushKey(sym, keys.find(word) != std::string::npos);
        held = keys;
        if (verb == "key") {
            pushKey(SDLK_TAB, true);
            pushKey(SDLK_TAB, false);
        } else {
            pushPointer(verb, content.left + std::stoi(where),
                        content.top + std::stoi(where.substr(where.find(',') + 1)));
        }
    }
    EventRecord e;
    EventAvail(everyEvent, &e); // the backend takes the window's events
    TBStopRecording();
    DisposeWindow(standIn);
    TBShutdownBackend();
    std::ostringstream recorded;
    recorded << std::ifstream(path).rdbuf();
    EXPECT_EQ(recorded.str(), session);
}

} // namespace
