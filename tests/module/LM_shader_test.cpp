#include "LM_shader.h"
#include "LM_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using Pixels = std::vector<unsigned char>;
// kDown: a directional light straight overhead, L = (0, 0, 1).
const LM_vector3f kNone = {0, 0, 0}, kDown = {0, 0, 1};

struct Sums {
    std::vector<LM_color96> diffuse, specular;
};

// Lights the positions with one light of the block, from zero.
Sums Light(const LM_light& light, const std::vector<LM_vector2f>& positions) {
    Sums s{std::vector<LM_color96>(positions.size()), std::vector<LM_color96>(positions.size())};
    LM_ShadeLight(light, LM_uint16(positions.size()), positions.data(), s.diffuse.data(), s.specular.data());
    return s;
}

using V = std::vector<LM_sint32>;

// One channel of each sum.
V Of(const std::vector<LM_color96>& sums, LM_sint32 LM_color96::*channel) {
    V out;
    for (const LM_color96& s : sums)
        out.push_back(s.*channel);
    return out;
}

struct FlatShader : ::testing::Test {
    LM_GlobalsPtr g = MakeGlobals();
    BlockHandle block;

    // Shades one row of pixels of the given colours in a one-row area.
    Pixels shadeRow(const Pixels& colours) {
        const int n = int(colours.size() / 3);
        TileRun run(block, n, 1, {0, 0, 1, std::int16_t(n)});
        run.source = colours;
        run.view.in.data = run.source.data();
        LM_ShadeTile(run.view, run.block, g.get());
        return run.result;
    }
    // Combines given sums with one pixel colour.
    Pixels combine(LM_color96 d, LM_color96 s, Pixels colour) {
        Pixels out(3, 0xA5);
        const LM_vector2f position = {0, 0};
        LM_Shade(block.block(), 1, &position, colour.data(), &d, &s, true, out.data(), g.get());
        return out;
    }
    void setAmbient(LM_sint32 a) { block->ambient[0] = block->ambient[1] = block->ambient[2] = a; }
};

} // namespace

TEST_F(FlatShader, FullStraightLightGivesTheSourceByteMinusOne) {
    SetSurface(block.block(), 0, 0, 128);
    AddLight(block.block(), lightTypeDirectional, 65535, kNone, kDown);
    const Pixels source = {255, 128, 0, 1, 2, 100};
    EXPECT_EQ(shadeRow(source), (Pixels{254, 127, 0, 0, 1, 99}));
    block->exposure = 0; // black, whatever the light and ambient
    setAmbient(60000);
    EXPECT_EQ(shadeRow(source), Pixels(6, 0));
    // Bright: clamps at 255 and 0 stays 0; but (125535 x 255 >> 8) x 32767 = 115083 x 32767 wraps
    // negative, and the wrapped product gives 0.
    block->exposure = 32767;
    EXPECT_EQ(shadeRow(source), (Pixels{0, 255, 0, 255, 255, 255}));
    block->exposure = 128;
    setAmbient(0);
    block->lights[0].radiance[0] = -65535; // a darkening light: negative sums clamp to 0
    block->lights[0].radiance[2] = -1;
    EXPECT_EQ(shadeRow(source), (Pixels{0, 127, 0, 0, 1, 0}));
    block->lightCount = 0; // only the ambient term: 16383 x 100 >> 8 = 6399; x 128 >> 15 = 24
    setAmbient(16383);
    EXPECT_EQ(shadeRow({100, 0, 255}), (Pixels{24, 0, 63}));
}

TEST_F(FlatShader, MaterialBlendsTheHighlightBetweenPlasticAndMetal) {
    // D = S = 25600 (S >> 8 = 100), gloss 128, exposure 128, no ambient; colours 100 and 0.
    SetSurface(block.block(), 128, 0, 128);
    AddLight(block.block(), lightTypeDirectional, 25600, kNone, kDown);
    struct Case {
        LM_sint16 material;
        unsigned char lit, dark;
    } cases[] = {
        {0, 88, 49},   // 2560000 + 100 x 32640 = 5824000 -> 88; 3264000 -> 49
        {-50, 88, 49}, // at or below 0 is plastic
        {256, 58, 0},  // (25600 + 12800) x 100 = 3840000 -> 58
        {300, 58, 0},  // at or above 256 is metal
        {128, 73, 24}, // 2560000 + 12800 x 177 = 4825600 -> 73; 12800 x 127 -> 24
        {1, 88, 49},   // weight (100 + 65025) >> 8 = 254 -> 5811200 -> 88
        {255, 58, 0},  // weight (25500 + 255) >> 8 = 100 -> 3840000 -> 58
    };
    for (const Case& c : cases) {
        block->material = c.material;
        EXPECT_EQ(shadeRow({100, 0, 100}), (Pixels{c.lit, c.dark, c.lit})) << "m " << c.material;
    }
}

// Lights below the surface or shining up are the row kernels' comparison with this scalar shading.
TEST_F(FlatShader, LightsFollowTheirGeometry) {
    const std::vector<LM_vector2f> at = {{0, 0}, {1.5f, 0}, {0, -2}, {0.5f, 0}};
    // Omni 2 above the origin: |L| = 2, 2.5, 2.828: diffuse Lz/|L|, specular Lz^2/|L|.
    Sums s = Light(AddLight(block.block(), lightTypeOmni, 1000, {0, 0, 2}, kNone), at);
    EXPECT_EQ(Of(s.diffuse, &LM_color96::red), (V{1000, 800, 707, 970}));
    EXPECT_EQ(Of(s.diffuse, &LM_color96::blue), (V{1000, 800, 707, 970}));
    EXPECT_EQ(Of(s.specular, &LM_color96::green), (V{2000, 1600, 1414, 1940}));
    EXPECT_EQ(Of(s.diffuse, &LM_color96::unused), V(4, 0)) << "the fourth word is not touched";
    // Spot 1 above the origin pointing down, table 0.5: outside the 45 degree cone nothing; at
    // (0.5, 0) |L| = 1.118, 0.5 x 0.8944.
    s = Light(AddLight(block.block(), lightTypeSpot, 1000, {0, 0, 1}, {0, 0, -1}, 0.5f), at);
    EXPECT_EQ(Of(s.diffuse, &LM_color96::green), (V{500, 0, 0, 447}));
    EXPECT_EQ(Of(s.specular, &LM_color96::green), (V{500, 0, 0, 447}));
}

TEST_F(FlatShader, ConeEdgeAndSpreadIndexRules) {
    LM_light& spot = AddLight(block.block(), lightTypeSpot, 1000, {0, 0, 1}, {0, 0, -1}, 0.9f);
    spot.spreadTable[0] = 0.5f;
    // Just inside the 0.707 cone: cosA = 0.70707 lies below the table base, entry 0.
    const float lx = -1.0001f;
    const float inv = float(1.0 / std::sqrt(double(lx * lx + 1.0f)));
    Sums s = Light(spot, {{1.0001f, 0}, {1.0005f, 0}});
    EXPECT_EQ(s.diffuse[0].red, 353) << "1000 x ((1 x 0.5) x 1 / |L|)";
    EXPECT_EQ(s.diffuse[1].red, 0) << "cosA 0.70693 is outside";
    // Exactly on the edge: unlit.
    spot.cutoff = inv;
    s = Light(spot, {{1.0001f, 0}});
    EXPECT_EQ(s.diffuse[0].red | s.specular[0].red, 0);
    // An index past the filled entries takes the last filled one: 255 of a preview table, 1023
    // of a final one (a base of 0 sends cosA 1 to index 870 or 3492).
    spot.cutoff = 0.707f;
    spot.spreadBase = 0.0f;
    std::fill(spot.spreadTable + 256, spot.spreadTable + 1024, 1000.0f);
    spot.spreadTable[255] = 0.25f;
    spot.spreadTable[1023] = 0.125f;
    spot.spreadScale = LM_SpreadScale(LM_SPREAD_ENTRIES_PREVIEW);
    EXPECT_EQ(Light(spot, {{0, 0}}).diffuse[0].red, 250);
    spot.spreadScale = LM_SpreadScale(LM_SPREAD_ENTRIES_FINAL);
    EXPECT_EQ(Light(spot, {{0, 0}}).diffuse[0].red, 125);
}

TEST_F(FlatShader, ProductsSaturateAndSumsWrap) {
    // Two lights 100000 above: fs = 100000, radiance x fs saturates to 2^31 - 1 for each, and the
    // two wrap to -2; the diffuse terms (fd = 1) add up to 134211584.
    LM_light& high = AddLight(block.block(), lightTypeOmni, 67105792, {0, 0, 100000}, kNone);
    std::vector<LM_color96> d(1), sp(1);
    const LM_vector2f origin = {0, 0};
    LM_ShadeLight(high, 1, &origin, d.data(), sp.data());
    EXPECT_EQ(sp[0].red, 2147483647);
    EXPECT_EQ(d[0].red, 67105792);
    LM_ShadeLight(high, 1, &origin, d.data(), sp.data());
    EXPECT_EQ(sp[0].red, -2);
    EXPECT_EQ(d[0].red, 134211584);
    high.radiance[1] = -67107840;
    sp[0].green = 0;
    LM_ShadeLight(high, 1, &origin, d.data(), sp.data());
    EXPECT_EQ(sp[0].green, -2147483647 - 1) << "saturates low as well";

    // Combination: D x p wraps. 134211584 x 16 = 2147385344 stays positive; x 17 wraps negative.
    SetSurface(block.block(), 128, 0, 128);
    EXPECT_EQ(combine({134211584, 134211584, 0, 0}, {-2, -2, 0, 0}, {16, 17, 0}), (Pixels{255, 0, 0}));
    // (S >> 8) x (g x 255) with gloss 32767: 200 x 8355585 fits, 300 x 8355585 wraps negative.
    SetSurface(block.block(), 32767, 0, 128);
    EXPECT_EQ(combine({0, 0, 0, 0}, {51200, 76800, 0, 0}, {0, 0, 0}), (Pixels{255, 0, 0}));
}

// Where pixels lie in the area is the whole-tile comparison's (TileShading).
TEST_F(FlatShader, TileRefusesRowsOver1024) {
    SetSurface(block.block(), 0, 0, 128);
    AddLight(block.block(), lightTypeDirectional, 25600, kNone, kDown);
    for (int width : {1024, 1025}) {
        block->worldWidth = float(width);
        TileRun wide(block, width, 1, {0, 0, 1, std::int16_t(width)});
        LM_ShadeTile(wide.view, wide.block, g.get());
        EXPECT_EQ(std::count(wide.result.begin(), wide.result.end(), 0xA5), width == 1024 ? 0 : 3 * width)
            << width << " pixels: untouched bytes";
    }
    TileRun empty(block, 0, 1, {0, 0, 1, 1});
    LM_ShadeTile(empty.view, empty.block, g.get());
    EXPECT_EQ(empty.result, Pixels(3, 0xA5)) << "an empty area";
}
