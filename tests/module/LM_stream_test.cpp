// Style bytes: the layout written, what reading makes of stored values, and the shipped styles.
#include "LM_stream.h"
#include "LM_test_support.h"
#include "SettingsBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <vector>

namespace {

using Globals = LM_GlobalsPtr;

// A record whose world unit is `unit` (half the preview width).
Globals record(LM_sint16 unit) {
    Globals g = MakeGlobals();
    g->previewOrigin = {10, 10};
    g->previewCenter = {LM_sint16(10 + unit), 90};
    return g;
}

// Style bytes written field by field, as the format lays them out.
struct StyleBytes {
    std::vector<unsigned char> b;
    StyleBytes& u16(int v) {
        b.push_back(std::uint8_t(v >> 8));
        b.push_back(std::uint8_t(v));
        return *this;
    }
    StyleBytes& u32(std::uint32_t v) { return u16(int(v >> 16)).u16(int(v & 0xFFFF)); }
    StyleBytes& u16s(std::initializer_list<int> values) {
        for (const int v : values)
            u16(v);
        return *this;
    }
    // Header and fixed fields: channel 2, white-is-high as given, amplitude 77, ambient (1,2,3),
    // material 5, gloss 6, exposure 7, brightness -8.
    static StyleBytes fixed(int count, int current, int unit, int white = 1) {
        StyleBytes s;
        s.u16(0x4242).u32(0x51584C4D).u32(144);
        return s.u16s({2, white, 77, 1, 2, 3, 5, 6, 7, -8, count, current, unit});
    }
    StyleBytes& light(int type, int x, int y, int isOn = 1) {
        return u16s({65535, 100, 0, 50, 128, isOn, type, x, y, 30, -30, -15, -15, 40});
    }
};

bool load(LM_globals& g, const std::vector<unsigned char>& bytes) {
    LM_memory_istream in(bytes.data(), bytes.size());
    return in.Open() && g.Read(in);
}

TEST(StyleStream, TheDefaultSetUpIsOneSpotlightIn64Bytes) {
    Globals g = record(100);
    g->Default();
    // The mark and format tag; texture channel, white is high, amplitude, ambient colour, material,
    // gloss, exposure, ambient light, light count, current light, the writer's unit; the spotlight's
    // colour (yellow), intensity, spread, on, type, position, axes and radius.
    const std::vector<unsigned char> expected = {
        0x42, 0x42, 0x51, 0x58, 0x4C, 0x4D, 0,   0,   0, 0x90, 0,   0,   0, 1,   0, 128,
        255,  255,  255,  255,  255,  255,  0,   0,   0, 128,  0,   128, 0, 16,  0, 1,
        0,    0,    0,    100,  255,  255,  255, 255, 0, 0,    0,   127, 0, 128, 0, 1,
        0,    3,    0,    0,    0,    0,    0,   30,  0, 30,   255, 241, 0, 15,  0, 30};
    EXPECT_EQ(SettingsBytes(*g), expected);
}

TEST(StyleStream, WrittenSettingsReadBack) {
    Globals a = record(100);
    a->Default();
    a->CreateNewLight(150, 60);
    a->lights[1].type = lightTypeOmni;
    a->lights[1].isOn = false;
    a->CreateNewLight(20, 20);
    a->lights[2].type = lightTypeDirectional;
    a->gloss = 33;
    a->SetWhiteIsHigh(false);
    a->SetBumpChannel(4);
    const std::vector<unsigned char> bytes = SettingsBytes(*a);
    Globals b = record(100);
    ASSERT_TRUE(load(*b, bytes));
    EXPECT_EQ(SettingsBytes(*b), bytes);
    EXPECT_EQ(b->lights[2].anchor.x, b->previewCenter.x);
}

TEST(StyleStream, CountsAreCutAndTruncatedFilesKeepWholeLights) {
    StyleBytes twenty = StyleBytes::fixed(20, 0, 100);
    for (int i = 0; i < 20; ++i)
        twenty.light(3, i, i);
    Globals g = record(100);
    ASSERT_TRUE(load(*g, twenty.b));
    EXPECT_EQ(g->lightCount, 16);

    StyleBytes cut = StyleBytes::fixed(5, 1, 100);
    for (int i = 0; i < 5; ++i)
        cut.light(3, i, i);
    cut.b.resize(36 + 28 * 3 + 10); // ends inside the fourth light
    Globals h = record(100);
    ASSERT_TRUE(load(*h, cut.b));
    EXPECT_EQ(h->lightCount, 3);
    EXPECT_EQ(h->currentLight, 1);
    EXPECT_EQ(h->BumpAmplitude(), 77);
    EXPECT_EQ(h->ambientBrightness, -8);
}

TEST(StyleStream, RefusedStylesLeaveTheSettingsAlone) {
    std::vector<std::vector<unsigned char>> refused;
    refused.push_back(StyleBytes::fixed(0, 0, 100).b);                // no lights
    refused.push_back(StyleBytes::fixed(2, 0, 100).light(3, 1, 1).b); // count 2, but the first light is cut
    refused.back().resize(refused.back().size() - 1);
    StyleBytes tag = StyleBytes::fixed(1, 0, 100).light(3, 0, 0);
    tag.b[9] = 0x91; // another format tag
    refused.push_back(tag.b);
    StyleBytes mark = StyleBytes::fixed(1, 0, 100).light(3, 0, 0);
    mark.b[0] = 0x41;
    refused.push_back(mark.b);
    refused.push_back(
        std::vector<unsigned char>(tag.b.begin(), tag.b.begin() + 20)); // cut in the fixed fields
    for (std::size_t i = 0; i < refused.size(); ++i) {
        Globals g = record(100);
        g->Default();
        g->gloss = 99;
        EXPECT_FALSE(load(*g, refused[i])) << "case " << i;
        EXPECT_EQ(g->lightCount, 1) << "case " << i;
        EXPECT_EQ(g->gloss, 99) << "case " << i;
        EXPECT_EQ(g->lights[0].color.blue, 0) << "case " << i;
    }
}

TEST(StyleStream, StoredValuesAreInterpretedAsWritten) {
    StyleBytes s = StyleBytes::fixed(4, 7, 100, /*white*/ 2);
    s.light(0, 0, 0).light(9, 0, 0).light(2, 0, 0, /*isOn*/ 2).light(1, 0, 0);
    Globals g = record(100);
    ASSERT_TRUE(load(*g, s.b));
    EXPECT_TRUE(g->WhiteIsHigh());
    EXPECT_EQ(g->currentLight, 0); // index 7 of 4 lights
    EXPECT_EQ(g->lights[0].type, lightTypeSpot);
    EXPECT_EQ(g->lights[1].type, lightTypeSpot);
    EXPECT_EQ(g->lights[2].type, lightTypeOmni);
    EXPECT_FALSE(g->lights[2].isOn);
    EXPECT_EQ(g->lights[3].type, lightTypeDirectional);
}

TEST(StyleStream, LengthsAreRescaledToTheReadersUnit) {
    Globals g = record(50);
    ASSERT_TRUE(load(*g, StyleBytes::fixed(1, 0, 100).light(3, 40, -20).b));
    EXPECT_EQ(g->lights[0].position.x, 20);
    EXPECT_EQ(g->lights[0].position.y, -10);
    EXPECT_EQ(g->lights[0].majorAxis.x, 15);
    EXPECT_EQ(g->lights[0].minorAxis.y, -8); // -7.5 rounds away from zero
    EXPECT_EQ(g->lights[0].radius, 20);
    Globals z = record(50);
    ASSERT_TRUE(load(*z, StyleBytes::fixed(1, 0, 0).light(3, 40, -20).b));
    EXPECT_EQ(z->lights[0].position.x, 0);
    EXPECT_EQ(z->lights[0].majorAxis.y, 0);
    EXPECT_EQ(z->lights[0].radius, 0);
}

TEST(StyleStream, LoadingReleasesThePreviewCaches) {
    Globals g = record(100);
    g->Default();
    g->AllocateCaches(10, 10, false);
    ASSERT_TRUE(g->posCache.Used() && g->lightCaches[0].diffuse.Used());
    ASSERT_TRUE(load(*g, StyleBytes::fixed(1, 0, 100).light(3, 0, 0).b));
    EXPECT_FALSE(g->posCache.Used());
    EXPECT_FALSE(g->lightCaches[0].diffuse.Used());
}

TEST(StyleStream, EveryShippedStyleLoadsWhole) {
    int styles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RELIGHT_STYLES_DIR)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
        Globals g = record(180);
        ASSERT_TRUE(load(*g, bytes)) << entry.path();
        EXPECT_EQ(bytes.size(), 36u + 28u * g->lightCount) << entry.path();
        EXPECT_EQ(bytes[34] * 256 + bytes[35], 180) << entry.path(); // written for a 360-pixel work area
        ++styles;
    }
    EXPECT_GE(styles, 10);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(RELIGHT_STYLES_DIR) / "Soft Spotlight"));
}

} // namespace
