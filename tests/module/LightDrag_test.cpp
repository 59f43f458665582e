// Editing the light set in whole dialog runs: drags over the preview, the well, the trash and the
// keys, modifier keys held as the scripts say, and a window session recorded with them. The work
// area is the box (12, 12)-(412, 412) with the preview centred at (212, 212), the trash (380,
// 460)-(412, 492). Which handle a press finds is worked out in the unit tests.
#include "DialogRun.h"
#include "LightTestSupport.h"
#include "Dialogs.h"
#include "Events.h"
#include "Windows.h"

#include <SDL.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

// Whether a snapshot shows each icon: the well plain (128) or full (130), the trash (131) or
// highlighted (133).
void expectIcons(const std::string& shot, std::initializer_list<std::pair<std::int16_t, bool>> icons) {
    for (const auto& [id, shown] : icons)
        EXPECT_EQ(Snapshot(Shot(shot)).Find(IconStamp(id)).has_value(), shown) << shot << ", icon " << id;
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
                                "\ndown 250,150\nmove 395,475\nwait 100\nsnapshot " + Shot("over") +
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
    expectIcons("taken", {{131, true}, {133, false}});
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
    expectIcons("fifteen", {{128, true}, {131, true}, {130, false}});
    expectIcons("full", {{130, true}, {128, false}});
    expectIcons("deleted", {{128, true}, {130, false}});
    // The same when the light goes into the trash.
    run("down 250,100\nmove 395,475\nup 395,475\nsnapshot " + Shot("trashed"));
    EXPECT_EQ(g().lightCount, 15);
    expectIcons("trashed", {{128, true}});
}

// Grab-handle drags of a light centred at c = (302, 82), where the work area's corner (411, 13)
// lies at c + (109, -69): a directional light with its tip at (30, 40), length 50; an omni light of
// radius 20; a spotlight with the axes (30, 30) and (-15, 15), of lengths 42.426407 and 21.213203.
// Positions are given from c; the shapes the drags leave are worked out by hand.
TEST_F(LightDragDialog, GrabHandleDragsReshapeTheLight) {
    const auto at = [](int dx, int dy) { return std::to_string(302 + dx) + "," + std::to_string(82 + dy); };
    const auto to = [&](int dx, int dy, const std::string& keys = "") {
        return "move " + at(dx, dy) + " " + keys + "\nup " + at(dx, dy) + " " + keys;
    };
    constexpr LM_sint32 tip = lightTypeDirectional, omni = lightTypeOmni, spot = lightTypeSpot;
    const struct {
        LM_sint32 type;
        LM_vectori2 from;
        std::string moves;
        std::array<int, 5> shape; // major axis, minor axis, radius
        LM_vectori2 minor = {-15, 15};
    } drags[] = {
        // The tip to the mouse at c + (7, 3), |d| = 7.6157732.
        {tip, {30, 40}, to(7, 3), {7, 3, 0, 0, 1}},
        {tip, {30, 40}, to(7, 3, "+shift"), {4, 6, 0, 0, 1}}, // (30, 40) * 0.15231546 truncated
        // trunc(7 * 50) / 7.6157732, trunc(3 * 50) / 7.6157732
        {tip, {30, 40}, to(7, 3, "+command"), {45, 19, 0, 0, 1}},
        {tip, {30, 40}, to(-7, 3, "+command"), {-45, 19, 0, 0, 1}},
        {tip, {30, 40}, to(7, 3, "+shift +command"), {4, 6, 0, 0, 1}}, // both keys act as Shift
        {tip, {30, 40}, to(200, -75), {109, -69, 0, 0, 1}},            // clamped to the corner
        // Shift pressed on the way counts from there; let go at the release without a move, it
        // changes nothing.
        {tip,
         {30, 40},
         "move " + at(20, 10) + "\nmove " + at(7, 3) + " +shift\nup " + at(7, 3),
         {4, 6, 0, 0, 1}},
        // Let go in the middle of the drag: the tip follows the mouse again, to c + (8, 3).
        {tip,
         {30, 40},
         "move " + at(7, 3) + " +shift\nmove " + at(8, 3) + "\nup " + at(8, 3),
         {8, 3, 0, 0, 1}},
        {tip, {30, 40}, to(0, 0, "+command"), {30, 40, 0, 0, 1}}, // no direction to keep the length in
        // An omni handle sets the radius from one coordinate; the keys change nothing.
        {omni, {-20, 0}, to(-15, 15, "+shift"), {0, 0, 0, 0, 15}},
        {omni, {20, 0}, to(30, -60, "+shift"), {0, 0, 0, 0, 30}},
        {omni, {0, -20}, to(-90, -30, "+shift"), {0, 0, 0, 0, 30}},
        {omni, {0, 20}, to(40, -10, "+shift"), {0, 0, 0, 0, 1}},  // past the centre
        {omni, {20, 0}, to(290, 0, "+shift"), {0, 0, 0, 0, 109}}, // clamped to the work area
        // Major handle to c + (40, 0): minor = R(0.5303301 * (-0, 40)).
        {spot, {30, 30}, to(40, 0), {40, 0, 0, 21, 1}},
        // Keep direction: (30, 30) * 0.94280905 = (28, 28); minor 15/28 of it.
        {spot, {30, 30}, to(40, 0, "+shift"), {28, 28, -15, 15, 1}},
        // Keep length: trunc(40 * 42.426407) / 40 = 42; minor 21.213203 / 42 of it.
        {spot, {30, 30}, to(40, 0, "+command"), {42, 0, 0, 21, 1}},
        // trunc(4 * 42.426407) / 4.1231056 = 40 (41 had only the quotient been truncated), and
        // trunc(42.426407) / 4.1231056 = 10; minor R(21.213203 / 41.231056 * (-10, 40)).
        {spot, {30, 30}, to(4, 1, "+command"), {40, 10, -5, 21, 1}},
        // Minor handle to c + (30, 40), |d| = 50. Keep direction: (-15, 15) * 2.3570226 = (-35, 35),
        // the major axis rebuilt at k = 1.
        {spot, {-15, 15}, to(30, 40, "+shift"), {35, 35, -35, 35, 1}},
        // Keep length: trunc(30 * 21.213203) / 50 = 12, trunc(40 * 21.213203) / 50 = 16; the major
        // axis at k = 42.426407 / 20 is R(33.941125, -25.455844).
        {spot, {-15, 15}, to(30, 40, "+command"), {34, -25, 12, 16, 1}},
        // The negative end pulls the other way: d = c - m. The minor axis is held to the major's
        // length 20, and regains its own length when the major axis is long again.
        {spot, {-30, -30}, to(0, -20), {0, 20, -20, 0, 1}},
        {spot, {-30, -30}, to(0, -50), {0, 50, -21, 0, 1}},
        // Minor handle beyond the major's length: major = 1 * (40, -20).
        {spot, {-15, 15}, to(20, 40), {40, -20, 20, 40, 1}},
        // Short minor: major = 3 * (10, 10), rounded.
        {spot, {15, -15}, to(10, -10), {30, 30, -10, 10, 1}},
        // Clamped to the corner: d = (109, -69).
        {spot, {-15, 15}, to(200, -80), {-69, -109, 109, -69, 1}},
        // The major axis dragged onto the centre: the minor axis is not rebuilt from it.
        {spot, {30, 30}, to(0, 0), {0, 0, -15, 15, 1}},
        // A minor axis of length zero has no direction to keep: both axes stay.
        {spot, {0, 0}, to(20, 10, "+shift"), {30, 30, 0, 0, 1}, {0, 0}},
    };
    // Each type's major axis and radius before the drag.
    const std::pair<LM_vectori2, LM_sint16> start[] = {{{}, 20}, {{30, 40}, 1}, {{30, 30}, 1}};
    for (const auto& d : drags) {
        LM_light_UI& light = g().lights[0];
        shapeLight(g(), light, d.type, {302, 82}, start[d.type].first,
                   d.type == spot ? d.minor : LM_vectori2{}, start[d.type].second);
        run("down " + at(d.from.x, d.from.y) + "\n" + d.moves);
        EXPECT_EQ((std::array<int, 7>{light.majorAxis.x, light.majorAxis.y, light.minorAxis.x,
                                      light.minorAxis.y, light.radius, centre(0).first, centre(0).second}),
                  (std::array<int, 7>{d.shape[0], d.shape[1], d.shape[2], d.shape[3], d.shape[4], 302, 82}))
            << "type " << d.type << " from " << at(d.from.x, d.from.y) << ": " << d.moves;
    }
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
    std::ifstream recorded(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(recorded), {}), session);
}

} // namespace
