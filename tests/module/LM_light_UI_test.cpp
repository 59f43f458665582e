#include "LM_light_UI.h"
#include "LM_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {

LM_light_UI Spot(LM_vectori2 major, LM_vectori2 minor, LM_sint16 spread = 128,
                 LM_vectori2 position = {0, 0}) {
    LM_light_UI l;
    l.type = lightTypeSpot;
    l.position = position;
    l.majorAxis = major;
    l.minorAxis = minor;
    l.radius = 30;
    l.color = {65535, 65535, 65535};
    l.intensity = 32;
    l.spread = spread;
    l.isOn = true;
    return l;
}

bool AllFinite(const LM_light& l, int entries) {
    std::vector<float> v = {l.origin[0],    l.origin[1], l.origin[2],   l.direction[0], l.direction[1],
                            l.direction[2], l.cutoff,    l.spreadScale, l.spreadBase};
    for (int i = 0; i < entries; ++i)
        v.push_back(l.spreadTable[i]);
    return std::all_of(v.begin(), v.end(), [](float f) { return std::isfinite(f); });
}

} // namespace

TEST(LightConversion, RadianceIsColourTimesIntensityOver32TowardZero) {
    BlockHandle block;
    LM_light& out = block->lights[0];
    struct Case {
        LM_color48 color;
        LM_sint16 intensity;
        LM_sint32 red, green, blue;
    } cases[] = {
        {{65535, 32768, 1}, 32, 65535, 32768, 1},
        {{65535, 32768, 1}, -32, -65535, -32768, -1},
        {{65535, 65535, 0}, 127, 260092, 260092, 0}, // 8322945 / 32 = 260092.03
        {{65535, 31, 33}, -1, -2047, 0, -1},         // -65535/32 = -2047.97, -31/32 -> 0, -33/32 -> -1
        {{65535, 65535, 65535}, 32767, 67105792, 67105792, 67105792},
        {{65535, 1, 0}, -32768, -67107840, -1024, 0},
    };
    for (const Case& c : cases)
        for (LM_sint32 type : {lightTypeOmni, lightTypeDirectional, lightTypeSpot}) {
            LM_light_UI l = Spot({30, 30}, {-15, 15});
            l.type = type;
            l.color = c.color;
            l.intensity = c.intensity;
            out.radiance[3] = 0x12345678;
            l.ConvertToRealLight(&out, 60, true);
            SCOPED_TRACE(testing::Message() << "intensity " << c.intensity << " type " << type);
            EXPECT_EQ(out.type, type);
            EXPECT_EQ((std::array<LM_sint32, 4>{out.radiance[0], out.radiance[1], out.radiance[2],
                                                out.radiance[3]}),
                      (std::array<LM_sint32, 4>{c.red, c.green, c.blue, 0x12345678}))
                << "the fourth word is not set";
        }
}

// Where each type of light stands and where it points, worked out by hand for a unit of 60.
TEST(LightConversion, LightsStandAndPointAsTheirHandlesSay) {
    BlockHandle block;
    LM_light& out = block->lights[0];
    const double r = std::sqrt(0.5), z = 0.57735026 * 40 / 60; // tan 30 degrees of the radius
    const struct {
        LM_sint32 type;
        LM_vectori2 major, minor, position;
        double origin[3], direction[3];
    } cases[] = {
        // The omni light stands where its circle's edge is sixty degrees off.
        {lightTypeOmni, {}, {}, {30, -60}, {0.5, -1, z}, {}},
        // A directional light points along (handle x, handle y, 100 - length), the height at least 1.
        {lightTypeDirectional, {0, 0}, {}, {}, {}, {0, 0, 1}},
        {lightTypeDirectional, {30, 40}, {}, {}, {}, {0.3 * r * 2, 0.4 * r * 2, 0.5 * r * 2}},
        {lightTypeDirectional, {0, 99}, {}, {}, {}, {0, 99 / std::sqrt(9802.0), 1 / std::sqrt(9802.0)}},
        {lightTypeDirectional, {-150, 0}, {}, {}, {}, {-150 / std::sqrt(22501.0), 0, 1 / std::sqrt(22501.0)}},
        // |B| = |A|: a spotlight straight above the centre at height |A| / h, pointing down.
        {lightTypeSpot, {30, 30}, {-30, 30}, {60, -30}, {1, -0.5, r}, {0, 0, -1}},
        // B -> 0: on the ground at distance |A| along A, tilted 45 degrees back toward the centre.
        {lightTypeSpot, {60, 0}, {0, 0}, {0, 0}, {1, 0, 0}, {-r, 0, -r}},
        // A pointing up the screen (y negative) puts the light above the centre on screen.
        {lightTypeSpot, {0, -60}, {0, 0}, {0, 0}, {0, -1, 0}, {0, r, -r}},
    };
    for (const auto& c : cases) {
        LM_light_UI l = Spot(c.major, c.minor, 128, c.position);
        l.type = c.type;
        l.radius = 40;
        l.ConvertToRealLight(&out, 60, true);
        SCOPED_TRACE(testing::Message() << "type " << c.type << " major " << c.major.x << "," << c.major.y);
        // A directional light has no origin, an omni light no direction: their rows give zeros.
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(c.type == lightTypeDirectional ? 0.0 : double(out.origin[k]), c.origin[k], 1e-6) << k;
            EXPECT_NEAR(c.type == lightTypeOmni ? 0.0 : double(out.direction[k]), c.direction[k], 1e-6) << k;
        }
    }
    EXPECT_EQ(Bits(out.cutoff.get()), 0x3F34FDF4u) << "0.707";
}

// The bits of spotlight placements and spread tables, folded into one number each: any change in
// the order or precision of their float arithmetic changes the shading. Spread 128 is a plain cosine
// of the angle, cos(2 acos c); a preview table fills 256 entries and leaves the rest.
TEST(LightConversion, PlacementsAndSpreadTablesKeepTheirBits) {
    BlockHandle block;
    LM_light& out = block->lights[0];
    const auto fold = [](std::uint64_t& hash, float f) { hash = (hash ^ Bits(f)) * 1099511628211u; };
    std::uint64_t placement = 14695981039346656037u, spread = placement;
    for (const LM_vectori2& A : {LM_vectori2{30, 30}, {60, 0}, {-45, 17}, {0, -80}, {-7, -3}, {200, -130}})
        for (const LM_vectori2& B : {LM_vectori2{-15, 15}, {0, 0}, {3, 8}, {-29, 29}, {120, 40}})
            for (LM_uint16 h : {60, 137}) {
                Spot(A, B, 128, {LM_sint16(A.y - 11), LM_sint16(B.x + 5)}).ConvertToRealLight(&out, h, false);
                for (int k = 0; k < 3; ++k) {
                    fold(placement, out.origin[k]);
                    fold(placement, out.direction[k]);
                }
            }
    for (LM_bool preview : {1, 0})
        for (int f : {128, 0, 255, -42, 64, 1000}) {
            for (LM_befloat& e : out.spreadTable)
                e = 7.0f;
            Spot({30, 30}, {-15, 15}, LM_sint16(f)).ConvertToRealLight(&out, 60, preview);
            for (const LM_befloat& e : out.spreadTable)
                fold(spread, e);
            fold(spread, out.spreadScale);
            fold(spread, out.spreadBase);
        }
    EXPECT_EQ(placement, 1066556297950048465u);
    EXPECT_EQ(spread, 3317478157095953604u);
    EXPECT_EQ(out.spreadTable[1023], 1.0f);
    const double step = (2 - std::sqrt(2.0)) / 2046;
    Spot({30, 30}, {-15, 15}, 128).ConvertToRealLight(&out, 60, false);
    for (int i = 0; i < 1024; i += 31)
        EXPECT_NEAR(out.spreadTable[i], std::cos(2 * std::acos(std::sqrt(0.5) + step * i)), 2e-6) << i;
}

TEST(LightConversion, UnbuildableSpotlightsLightNothingAndStayFinite) {
    BlockHandle block;
    LM_light& out = block->lights[0];
    struct Case {
        LM_vectori2 major;
        LM_sint16 spread;
        bool dark;
    } cases[] = {
        {{0, 0}, 128, true},   // no major axis: the placement divides by zero
        {{30, 30}, -43, true}, // pow of a negative base
        {{30, 30}, -32768, true}, {{0, 0}, -100, true}, {{30, 30}, -42, false}, // base 1/256: still a table
        {{30, 30}, 32767, false}, // p overflows to infinity, the table stays finite
    };
    for (const Case& c : cases)
        for (LM_bool preview : {1, 0}) {
            for (LM_befloat& e : out.spreadTable)
                e = std::nanf("");
            Spot(c.major, {-15, 15}, c.spread).ConvertToRealLight(&out, 60, preview);
            EXPECT_TRUE(AllFinite(out, preview ? 256 : 1024)) << "spread " << c.spread;
            EXPECT_EQ(out.radiance[0] == 0 && out.radiance[1] == 0 && out.radiance[2] == 0, c.dark)
                << "spread " << c.spread;
            EXPECT_EQ(out.type, lightTypeSpot);
        }
}

TEST(LightConversion, ValidateMakesTheMinorAxisPerpendicularAndNoLonger) {
    struct Case {
        LM_vectori2 major, minor, expected;
    } cases[] = {
        {{10, 0}, {3, 7}, {0, 8}},         // r = 0.7616: (0, 7.616) rounds to (0, 8)
        {{10, 0}, {20, 20}, {0, 10}},      // r lowered to 1
        {{0, 10}, {7, 3}, {-8, 0}},        // -7.616 rounds away from zero
        {{4, 2}, {1, 2}, {-1, 2}},         // r = 0.5 exactly
        {{-30, 30}, {15, 15}, {-15, -15}}, // r = 0.5: already perpendicular, turned to (-r Ay, r Ax)
    };
    for (const Case& c : cases) {
        LM_light_UI l = Spot(c.major, c.minor);
        l.Validate();
        EXPECT_EQ(std::pair(l.minorAxis.x, l.minorAxis.y), std::pair(c.expected.x, c.expected.y))
            << "A " << c.major.x << "," << c.major.y;
    }
    for (const LM_sint32 type : {lightTypeOmni, lightTypeSpot}) {
        LM_light_UI left = Spot(type == lightTypeOmni ? LM_vectori2{10, 0} : LM_vectori2{0, 0}, {3, 7});
        left.type = type;
        left.Validate();
        EXPECT_EQ(std::pair(left.minorAxis.x, left.minorAxis.y), (std::pair<LM_sint16, LM_sint16>(3, 7)))
            << "an omni light, or no major axis";
    }
}
