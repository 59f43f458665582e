// The light figures on the preview: what is drawn where, in which mode, and that drawing a shape
// twice gives the image under it back.
#include "LightTestSupport.h"
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kShape = 0x7F7F7F; // grey added to white

// A port whose pixels vary (all of them colours of the standard 8-bit table), so that a mode that
// does not restore them cannot pass by luck.
struct Port : ScratchPort {
    Port(std::int16_t depth, bool patterned) : ScratchPort(160, 120, depth) {
        for (std::int16_t v = 0; patterned && v < 120; ++v)
            for (std::int16_t h = 0; h < 160; ++h)
                TBSetPixel(get(), h, v, (h % 6) * 0x330000u + (v % 6) * 0x3300u + ((h + v) % 6) * 0x33u);
    }
    std::uint32_t at(std::int16_t h, std::int16_t v) const { return TBGetPixel(get(), h, v); }
};

TEST(LightFigures, ReversibleFiguresDrawnTwiceRestoreThePort) {
    LM_GlobalsPtr globals = makeGlobals({80, 60});
    LM_light_UI& light = globals->lights[0];
    const struct {
        LM_sint32 type;
        LM_vectori2 major, minor;
        LM_sint16 radius;
    } shapes[] = {
        {lightTypeOmni, {0, 0}, {0, 0}, 25},
        {lightTypeDirectional, {37, -21}, {0, 0}, 1},
        {lightTypeSpot, {30, 30}, {-15, 15}, 1},
        {lightTypeSpot, {-40, 5}, {0, 0}, 1}, // a flat ellipse, traced out and back
    };
    for (const std::int16_t depth : {8, 32})
        for (const auto& s : shapes)
            for (const auto& [withCentre, withGrab] :
                 {std::pair<LM_bool, LM_bool>{0, 0}, {0, 1}, {1, 0}, {1, 1}}) {
                Port port(depth, true);
                shapeLight(*globals, light, s.type, {80, 60}, s.major, s.minor, s.radius);
                const std::vector<std::uint32_t> before = portPixels(port.get());
                LM_light_figure(light).DrawXORActive(withCentre, withGrab, globals.get());
                EXPECT_NE(portPixels(port.get()), before) << "nothing drawn: type " << s.type;
                LM_light_figure(light).DrawXORActive(withCentre, withGrab, globals.get());
                EXPECT_EQ(portPixels(port.get()), before) << "depth " << depth << " type " << s.type
                                                          << " centre " << withCentre << " grab " << withGrab;
            }
}

TEST(LightFigures, ShapeLinesInvertOnIndexedAndAddGreyOnDirectPorts) {
    LM_GlobalsPtr globals = makeGlobals({80, 60});
    LM_light_UI& light = globals->lights[0];
    shapeLight(*globals, light, lightTypeDirectional, {40, 40}, {30, 0});
    for (const auto& [depth, expected] : {std::pair{std::int16_t(8), kBlack}, {std::int16_t(32), kShape}}) {
        Port port(depth, false);
        PenSize(3, 2);
        PenMode(patOr);
        MoveTo(5, 7);
        LM_light_figure(light).DrawActive(globals.get(), true);
        EXPECT_EQ(port.at(55, 40), expected) << "depth " << depth;
        EXPECT_EQ(port.at(55, 41), kWhite) << "depth " << depth;
        // The pen is left as it was, and black as the foreground.
        PenState pen;
        GetPenState(&pen);
        RGBColor fg;
        GetForeColor(&fg);
        EXPECT_EQ((std::array<int, 6>{pen.pnSize.h, pen.pnSize.v, pen.pnMode, pen.pnLoc.h, pen.pnLoc.v,
                                      fg.red | fg.green | fg.blue}),
                  (std::array<int, 6>{3, 2, patOr, 5, 7, 0}));
    }
}

// Omni radius 10: the left and top handles at distance 10, the right and bottom ones at 9; at
// radius 1 the right and bottom handles sit on the centre itself. Without grab handles only the
// centre and the circle are drawn. A directional light of length 0 has its handle on the centre.
// A spotlight always shows its four handles: c -/+ majorAxis, c -/+ minorAxis.
TEST(LightFigures, HandlesSitOnTheirPoints) {
    LM_GlobalsPtr globals = makeGlobals({80, 60});
    LM_light_UI& light = globals->lights[0];
    light.color = {65535, 0, 0};
    const struct {
        LM_sint32 type;
        LM_vectori2 c, major, minor;
        LM_sint16 radius;
        LM_bool withGrab;
    } figures[] = {{lightTypeOmni, {60, 50}, {}, {}, 10, 1},
                   {lightTypeOmni, {60, 50}, {}, {}, 1, 1},
                   {lightTypeOmni, {60, 50}, {}, {}, 10, 0},
                   {lightTypeDirectional, {60, 50}, {}, {}, 1, 1},
                   {lightTypeSpot, {80, 60}, {30, 10}, {-5, 15}, 1, 0}};
    const struct {
        int figure;
        std::int16_t h, v;
        std::uint32_t colour;
    } probes[] = {{0, 60, 50, kRed},   {0, 57, 50, kBlack}, {0, 57, 47, kWhite}, {0, 48, 50, kGrey},
                  {0, 47, 50, kWhite}, {0, 71, 50, kGrey},  {0, 72, 50, kWhite}, {0, 60, 38, kGrey},
                  {0, 60, 37, kWhite}, {0, 60, 61, kGrey},  {0, 60, 62, kWhite}, {1, 57, 50, kGrey},
                  {1, 62, 50, kGrey},  {1, 63, 50, kBlack}, {1, 60, 47, kGrey},  {1, 60, 53, kBlack},
                  {2, 48, 50, kWhite}, {2, 50, 50, kShape}, {3, 60, 50, kGrey},  {3, 63, 50, kBlack},
                  {4, 48, 48, kGrey},  {4, 52, 52, kGrey},  {4, 108, 68, kGrey}, {4, 112, 72, kGrey},
                  {4, 83, 43, kGrey},  {4, 87, 47, kGrey},  {4, 73, 73, kGrey},  {4, 77, 77, kGrey}};
    for (const auto& p : probes) {
        const auto& f = figures[p.figure];
        Port port(32, false);
        shapeLight(*globals, light, f.type, f.c, f.major, f.minor, f.radius);
        LM_light_figure(light).DrawActive(globals.get(), f.withGrab);
        EXPECT_EQ(port.at(p.h, p.v), p.colour) << "figure " << p.figure << " at " << p.h << "," << p.v;
    }
}

TEST(LightFigures, EllipseOffsetsTruncateTowardZero) {
    // Offsets (20 cos, 10 sin) of the 40 outline angles, each truncated toward zero: -19.75 gives
    // -19 and -1.56 gives -1.
    const LM_vectori2 offsets[40] = {
        {20, 0},   {19, 1},   {19, 3},   {17, 4},  {16, 5},  {14, 7},   {11, 8},   {9, 8},
        {6, 9},    {3, 9},    {0, 10},   {-3, 9},  {-6, 9},  {-9, 8},   {-11, 8},  {-14, 7},
        {-16, 5},  {-17, 4},  {-19, 3},  {-19, 1}, {-20, 0}, {-19, -1}, {-19, -3}, {-17, -4},
        {-16, -5}, {-14, -7}, {-11, -8}, {-9, -8}, {-6, -9}, {-3, -9},  {0, -10},  {3, -9},
        {6, -9},   {9, -8},   {11, -8},  {14, -7}, {16, -5}, {17, -4},  {19, -3},  {19, -1},
    };
    const LM_vectori2 c = {80, 60};
    LM_GlobalsPtr globals = makeGlobals(c);
    LM_light_UI& light = globals->lights[0];
    shapeLight(*globals, light, lightTypeSpot, c, {20, 0}, {0, 10});

    Port expected(32, true);
    const RGBColor grey = {32768, 32768, 32768};
    RGBForeColor(&grey);
    PenMode(addOver);
    MoveTo(c.x, c.y);
    LineTo(c.x + 20, c.y);
    MoveTo(c.x + offsets[0].x, c.y + offsets[0].y);
    for (int i = 1; i <= 40; ++i)
        LineTo(c.x + offsets[i % 40].x, c.y + offsets[i % 40].y);

    Port drawn(32, true);
    LM_light_figure(light).DrawActive(globals.get(), true);
    // The same everywhere but in the boxes of the centre handle and of the grab handles, which the
    // figure paints over whatever lies under them.
    const auto handle = [c](int h, int v) {
        const auto near = [&](LM_vectori2 p, int r) {
            return std::abs(h - p.x) <= r && std::abs(v - p.y) <= r;
        };
        return near(c, 3) || near({60, 60}, 2) || near({100, 60}, 2) || near({80, 50}, 2) ||
               near({80, 70}, 2);
    };
    for (std::int16_t v = 0; v < 120; ++v)
        for (std::int16_t h = 0; h < 160; ++h)
            ASSERT_TRUE(handle(h, v) || drawn.at(h, v) == expected.at(h, v)) << "h=" << h << " v=" << v;
}

TEST(LightFigures, CurrentLightIsDrawnLastAndInactiveLightsShowOnlyTheirCentre) {
    LM_GlobalsPtr globals = makeGlobals({80, 60});
    globals->CreateNewLight(80, 60);
    globals->lights[0].color = {65535, 0, 0};
    globals->lights[1].color = {0, 65535, 0};
    for (LM_light_UI& light : globals->lights)
        shapeLight(*globals, light, lightTypeSpot, {80, 60}, {30, 0}, {0, 10});
    // The centre shows the last light drawn; the current one's shape is drawn, the others' are not.
    const struct {
        LM_uint16 current;
        void (*draw)(LM_globals*);
        std::uint32_t centre, shape;
    } drawings[] = {{0, LM_DrawLights, kRed, kShape},
                    {1, LM_DrawLights, 0x00FF00u, kShape},
                    {0, LM_DrawInactiveLights, 0x00FF00u, kWhite}};
    for (const auto& d : drawings) {
        Port port(32, false);
        globals->currentLight = d.current;
        d.draw(globals.get());
        EXPECT_EQ((std::array{port.at(80, 60), port.at(90, 60)}), (std::array{d.centre, d.shape}))
            << "current " << d.current;
    }
    // A light of no known type shows only its centre, and only when inactive.
    Port port(32, false);
    LM_light_UI& odd = globals->lights[0];
    odd.type = 7;
    const std::vector<std::uint32_t> before = portPixels(port.get());
    LM_light_figure(odd).DrawActive(globals.get(), true);
    LM_light_figure(odd).DrawXORActive(true, true, globals.get());
    EXPECT_EQ(portPixels(port.get()), before);
    LM_light_figure(odd).DrawInactive();
    EXPECT_EQ(port.at(80, 60), kRed);
}

} // namespace
