// Pressing on the lights over the preview: which handle a press finds, with the handle areas worked
// out by hand. What a drag of each handle does is the dialog's test (LightDrag_test.cpp).
#include "LightTestSupport.h"
#include "PortPicture.h"

#include <gtest/gtest.h>

namespace {

TEST(LightHits, GrabHandlesComeBeforeTheCentreInOrder) {
    ScratchPort port(200, 160); // hit areas are regions
    LM_GlobalsPtr globals = makeGlobals({110, 85});
    LM_light_UI& current = globals->lights[0];
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
        shapeLight(*globals, current, s.type, {100, 80}, s.major, s.minor, s.radius);
        EXPECT_EQ(LM_light_figure(current).HitTest({hit.v, hit.h}, hit.withGrab), hit.result)
            << "shape " << hit.shape << " at " << hit.h << "," << hit.v;
    }
}

// Overlapping centres go to the current light, else to the lowest index; only the current light's
// grab handles count (a spotlight's handle at c + major lies on the others' centres).
TEST(LightHits, PressesFindTheCurrentLightFirstThenTheLowestIndex) {
    ScratchPort port(200, 160);
    LM_GlobalsPtr globals = makeGlobals({110, 85});
    globals->CreateNewLight(0, 0);
    globals->CreateNewLight(0, 0);
    shapeLight(*globals, globals->lights[0], lightTypeOmni, {100, 80}, {}, {}, 10);
    shapeLight(*globals, globals->lights[1], lightTypeOmni, {100, 80}, {}, {}, 10);
    const struct {
        LM_uint16 current;
        LM_sint16 major, h; // the spotlight's major axis (x), where the press is
        LM_sint16 result;
        LM_uint16 found; // 99: left as it was
    } presses[] = {{1, -30, 100, LM_HIT_CENTER, 1},
                   {2, -30, 100, LM_HIT_GRAB_4, 2},
                   {2, -40, 100, LM_HIT_CENTER, 0},
                   {2, -40, 112, LM_HIT_NONE, 99},
                   {1, -40, 112, LM_HIT_GRAB_4, 1}};
    for (const auto& p : presses) {
        shapeLight(*globals, globals->lights[2], lightTypeSpot, {130, 80}, {p.major, 0}, {0, 10});
        globals->currentLight = p.current;
        LM_uint16 found = 99;
        EXPECT_EQ(LM_HitTestLights(globals.get(), {80, p.h}, &found), p.result) << p.current << ", " << p.h;
        EXPECT_EQ(found, p.found) << p.current << ", " << p.h;
    }
}

} // namespace
