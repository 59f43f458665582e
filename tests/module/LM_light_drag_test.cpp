// Pressing on the lights over the preview: which handle a press finds, and what scripted drags of
// each grab handle do to the light, with the expected axes worked out by hand.
#include "LightTestSupport.h"
#include "UiTestSupport.h"

#include <array>
#include <string>

namespace {

// The dialog items the drags use, in the window's local coordinates. Centre drags, the trash and
// the well are the dialog's tests (LightDrag_test.cpp).
constexpr Rect kWorkArea = {10, 10, 160, 210}; // drag area (11, 11)-(209, 159)
constexpr Rect kTrash = {120, 220, 152, 252};  // drop area (221, 121)-(251, 151)

const LM_light_dialog_hooks kHooks = {
    [](DialogPtr, LM_sint16 item, Rect& box) { box = item == LM_ITEM_TRASH ? kTrash : kWorkArea; },
    [](DialogPtr, LM_sint16) {},
    [](DialogPtr, LM_sint16) {},
    [] {},
    [](DialogPtr, LM_globals*) {},
};

// A window standing in for the dialog, with the preview centred in the work area, on the headless
// backend.
class LightDrags : public HeadlessTest {
  protected:
    WindowPtr window = nullptr;
    LM_GlobalsPtr globals = makeGlobals({110, 85});

    void SetUp() override {
        HeadlessTest::SetUp();
        const Rect bounds = {100, 100, 300, 400};
        window = NewCWindow(nullptr, &bounds, nullptr, true, plainDBox, WindowPtr(-1), false, 0);
        SetPort(window);
    }
    void TearDown() override {
        DisposeWindow(window);
        HeadlessTest::TearDown();
    }

    LM_light_UI& current() { return globals->lights[globals->currentLight]; }

    // Replays the press at `from` as the dialog's event loop would, then hands the script lines
    // `moves` to the drag of the grab handle `result`.
    void dragHandle(LM_sint16 result, LM_vectori2 from, const std::string& moves) {
        script("down " + std::to_string(from.x) + "," + std::to_string(from.y) + "\n" + moves);
        ASSERT_EQ(nextEvent(mDownMask).what, mouseDown);
        LM_light_figure(current()).DragGrabHandle(window, globals.get(), result, kHooks);
        EXPECT_TRUE(TBScriptFinished());
        EXPECT_EQ(TBScriptError(), "");
        // The dialog's loop takes the release.
        FlushEvents(everyEvent, 0);
    }
};

TEST_F(LightDrags, HitTestFindsGrabHandlesBeforeTheCentreInOrder) {
    // The centre is the oval in (c - 3, c + 4). Omni handle areas are centred on c -/+ radius, the
    // right and bottom ones a pixel beyond their drawn handles; at radius 1 all four cover the
    // centre and the order 2, 4, 3, 5 decides. A directional light's tip of length 0 covers the
    // centre. A spotlight's handles: c - major, c + major, c - minor, c + minor.
    const struct {
        LM_sint32 type;
        LM_vectori2 major, minor;
        LM_sint16 radius;
    } shapes[] = {{lightTypeOmni, {}, {}, 10},
                  {lightTypeOmni, {}, {}, 1},
                  {lightTypeDirectional, {20, -10}, {}, 1},
                  {lightTypeDirectional, {0, 0}, {}, 1},
                  {lightTypeSpot, {30, 10}, {-5, 15}, 1}};
    const struct {
        int shape;
        LM_sint16 h, v;
        LM_bool withGrab;
        LM_sint16 result;
    } hits[] = {
        {0, 103, 80, 0, LM_HIT_CENTER}, {0, 97, 80, 0, LM_HIT_CENTER},  {0, 104, 80, 0, LM_HIT_NONE},
        {0, 97, 77, 0, LM_HIT_NONE},    {0, 88, 80, 1, LM_HIT_GRAB_2},  {0, 87, 80, 1, LM_HIT_NONE},
        {0, 112, 82, 1, LM_HIT_GRAB_4}, {0, 113, 80, 1, LM_HIT_NONE},   {0, 100, 68, 1, LM_HIT_GRAB_3},
        {0, 98, 92, 1, LM_HIT_GRAB_5},  {0, 112, 80, 0, LM_HIT_NONE},   {1, 100, 80, 1, LM_HIT_GRAB_2},
        {1, 102, 80, 1, LM_HIT_GRAB_4}, {1, 100, 77, 1, LM_HIT_GRAB_3}, {1, 100, 83, 1, LM_HIT_GRAB_5},
        {1, 100, 80, 0, LM_HIT_CENTER}, {2, 122, 72, 1, LM_HIT_GRAB_2}, {2, 80, 90, 1, LM_HIT_NONE},
        {3, 100, 80, 1, LM_HIT_GRAB_2}, {4, 70, 70, 1, LM_HIT_GRAB_2},  {4, 130, 90, 1, LM_HIT_GRAB_4},
        {4, 105, 65, 1, LM_HIT_GRAB_3}, {4, 95, 95, 1, LM_HIT_GRAB_5},  {4, 101, 81, 1, LM_HIT_CENTER},
        {4, 115, 75, 1, LM_HIT_NONE}};
    for (const auto& hit : hits) {
        const auto& s = shapes[hit.shape];
        shapeLight(*globals, current(), s.type, {100, 80}, s.major, s.minor, s.radius);
        EXPECT_EQ(LM_light_figure(current()).HitTest({hit.v, hit.h}, hit.withGrab), hit.result)
            << "shape " << hit.shape << " at " << hit.h << "," << hit.v;
    }
}

// Overlapping centres go to the current light, else to the lowest index; only the current light's
// grab handles count (a spotlight's handle at c + major lies on the others' centres).
TEST_F(LightDrags, PressesFindTheCurrentLightFirstThenTheLowestIndex) {
    globals->CreateNewLight(0, 0);
    globals->CreateNewLight(0, 0);
    LM_light_UI* lights = globals->lights;
    shapeLight(*globals, lights[0], lightTypeOmni, {100, 80}, {}, {}, 10);
    shapeLight(*globals, lights[1], lightTypeOmni, {100, 80}, {}, {}, 10);
    const struct {
        LM_uint16 current;
        LM_sint16 major, h; // the spotlight's major axis (x), where the press is
        LM_sint16 result;
        LM_uint16 found;
    } presses[] = {{1, -30, 100, LM_HIT_CENTER, 1},
                   {2, -30, 100, LM_HIT_GRAB_4, 2},
                   {2, -40, 100, LM_HIT_CENTER, 0},
                   {2, -40, 112, LM_HIT_NONE, 99},
                   {1, -40, 112, LM_HIT_GRAB_4, 1}};
    for (const auto& p : presses) {
        shapeLight(*globals, lights[2], lightTypeSpot, {130, 80}, {p.major, 0}, {0, 10});
        globals->currentLight = p.current;
        LM_uint16 found = 99;
        EXPECT_EQ(LM_HitTestLights(globals.get(), {80, p.h}, &found), p.result) << p.current << ", " << p.h;
        EXPECT_EQ(found, p.found) << p.current << ", " << p.h;
    }
}

// The script lines that pull a handle straight to (x, y) with the modifier keys `keys` held.
std::string to(int x, int y, const std::string& keys = "") {
    const std::string at = std::to_string(x) + "," + std::to_string(y) + " " + keys + "\n";
    return "move " + at + "up " + at;
}

// Grab-handle drags of a light centred at c = (100, 80): a directional light with its tip at
// (30, 40), length 50; an omni light of radius 20; a spotlight with the axes (30, 30) and (-15, 15),
// of lengths 42.426407 and 21.213203. The shapes they leave are worked out by hand.
TEST_F(LightDrags, GrabHandleDragsReshapeTheLight) {
    constexpr LM_sint32 tip = lightTypeDirectional, omni = lightTypeOmni, spot = lightTypeSpot;
    const struct {
        LM_sint32 type;
        LM_sint16 result;
        LM_vectori2 from;
        std::string moves;
        std::array<int, 5> shape; // major axis, minor axis, radius
        LM_vectori2 minor = {-15, 15};
    } drags[] = {
        // The tip to the mouse at c + (7, 3), |d| = 7.6157732.
        {tip, LM_HIT_GRAB_2, {130, 120}, to(107, 83), {7, 3, 0, 0, 1}},
        {tip, LM_HIT_GRAB_2, {130, 120}, to(107, 83, "+shift"), {4, 6, 0, 0, 1}}, // (30, 40) * 0.15231546
        // trunc(7 * 50) / 7.6157732, trunc(3 * 50) / 7.6157732
        {tip, LM_HIT_GRAB_2, {130, 120}, to(107, 83, "+command"), {45, 19, 0, 0, 1}},
        {tip, LM_HIT_GRAB_2, {130, 120}, to(93, 83, "+command"), {-45, 19, 0, 0, 1}},
        {tip,
         LM_HIT_GRAB_2,
         {130, 120},
         to(107, 83, "+shift +command"),
         {4, 6, 0, 0, 1}},                                                 // both act as Shift
        {tip, LM_HIT_GRAB_2, {130, 120}, to(300, 5), {109, -69, 0, 0, 1}}, // clamped to (209, 11)
        // Shift pressed on the way counts from there; let go at the release without a move, it
        // changes nothing.
        {tip, LM_HIT_GRAB_2, {130, 120}, "move 120,90\nmove 107,83 +shift\nup 107,83\n", {4, 6, 0, 0, 1}},
        // Let go in the middle of the drag: the tip follows the mouse again, to c + (8, 3).
        {tip, LM_HIT_GRAB_2, {130, 120}, "move 107,83 +shift\nmove 108,83\nup 108,83\n", {8, 3, 0, 0, 1}},
        {tip, LM_HIT_GRAB_2, {130, 120}, to(100, 80, "+command"), {30, 40, 0, 0, 1}}, // no direction to keep
        // An omni handle sets the radius from one coordinate; the keys change nothing.
        {omni, LM_HIT_GRAB_2, {80, 80}, to(85, 95, "+shift"), {0, 0, 0, 0, 15}},
        {omni, LM_HIT_GRAB_4, {120, 80}, to(130, 20, "+shift"), {0, 0, 0, 0, 30}},
        {omni, LM_HIT_GRAB_3, {100, 60}, to(10, 50, "+shift"), {0, 0, 0, 0, 30}},
        {omni, LM_HIT_GRAB_5, {100, 100}, to(140, 70, "+shift"), {0, 0, 0, 0, 1}}, // past the centre
        {omni,
         LM_HIT_GRAB_4,
         {120, 80},
         to(390, 80, "+shift"),
         {0, 0, 0, 0, 109}}, // clamped to the work area
        // Major handle to c + (40, 0): minor = R(0.5303301 * (-0, 40)).
        {spot, LM_HIT_GRAB_4, {130, 110}, to(140, 80), {40, 0, 0, 21, 1}},
        // Keep direction: (30, 30) * 0.94280905 = (28, 28); minor 15/28 of it.
        {spot, LM_HIT_GRAB_4, {130, 110}, to(140, 80, "+shift"), {28, 28, -15, 15, 1}},
        // Keep length: trunc(40 * 42.426407) / 40 = 42; minor 21.213203 / 42 of it.
        {spot, LM_HIT_GRAB_4, {130, 110}, to(140, 80, "+command"), {42, 0, 0, 21, 1}},
        // Minor handle to c + (30, 40), |d| = 50. Keep direction: (-15, 15) * 2.3570226 = (-35, 35),
        // the major axis rebuilt at k = 1.
        {spot, LM_HIT_GRAB_5, {130, 110}, to(130, 120, "+shift"), {35, 35, -35, 35, 1}},
        // Keep length: trunc(30 * 21.213203) / 50 = 12, trunc(40 * 21.213203) / 50 = 16; the major
        // axis at k = 42.426407 / 20 is R(33.941125, -25.455844).
        {spot, LM_HIT_GRAB_5, {130, 110}, to(130, 120, "+command"), {34, -25, 12, 16, 1}},
        // The negative end pulls the other way: d = c - m. The minor axis is held to the major's
        // length 20, and regains its own length when the major axis is long again.
        {spot, LM_HIT_GRAB_2, {130, 110}, to(100, 60), {0, 20, -20, 0, 1}},
        {spot, LM_HIT_GRAB_2, {130, 110}, to(100, 30), {0, 50, -21, 0, 1}},
        // Minor handle beyond the major's length: major = 1 * (40, -20).
        {spot, LM_HIT_GRAB_5, {130, 110}, to(120, 120), {40, -20, 20, 40, 1}},
        // Short minor: major = 3 * (10, 10), rounded.
        {spot, LM_HIT_GRAB_3, {130, 110}, to(110, 70), {30, 30, -10, 10, 1}},
        // Clamped into the work area: d = (109, -69).
        {spot, LM_HIT_GRAB_5, {130, 110}, to(300, 0), {-69, -109, 109, -69, 1}},
        // The major axis dragged onto the centre: the minor axis is not rebuilt from it.
        {spot, LM_HIT_GRAB_4, {130, 110}, to(100, 80), {0, 0, -15, 15, 1}},
        // No direction to keep for a minor axis of length zero: both axes stay.
        {spot, LM_HIT_GRAB_5, {100, 80}, to(120, 90, "+shift"), {30, 30, 0, 0, 1}, {0, 0}},
    };
    for (const auto& d : drags) {
        const LM_vectori2 major = d.type == omni  ? LM_vectori2{0, 0}
                                  : d.type == tip ? LM_vectori2{30, 40}
                                                  : LM_vectori2{30, 30};
        shapeLight(*globals, current(), d.type, {100, 80}, major,
                   d.type == spot ? d.minor : LM_vectori2{0, 0}, d.type == omni ? 20 : 1);
        dragHandle(d.result, d.from, d.moves);
        const LM_light_UI& l = current();
        EXPECT_EQ((std::array<int, 7>{l.majorAxis.x, l.majorAxis.y, l.minorAxis.x, l.minorAxis.y, l.radius,
                                      l.position.x, l.position.y}),
                  (std::array<int, 7>{d.shape[0], d.shape[1], d.shape[2], d.shape[3], d.shape[4], -10, -5}))
            << "type " << d.type << ", result " << d.result << ": " << d.moves;
    }
}

} // namespace
