#include "LM_test_support.h"
#include "SettingsBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {

// What the user sets of a light, as one comparable value.
auto Shape(const LM_light_UI& l) {
    return std::tuple(l.type, l.color.red, l.color.green, l.color.blue, l.intensity, l.spread, l.isOn,
                      l.position.x, l.position.y, l.majorAxis.x, l.majorAxis.y, l.minorAxis.x, l.minorAxis.y,
                      l.radius);
}

// Caches for a 2 x 3 preview, all marked hot.
void HotCaches(LM_globals& g, bool texture = false) {
    g.AllocateCaches(2, 3, texture);
    const auto hot = [](auto&... c) { (c.SetHot(true), ...); };
    hot(g.posCache, g.normCache, g.sampleCountCache, g.diffuseSumCache, g.specularSumCache);
    g.SetLightCachesHot(true);
}

// Each cache as '-' (no buffer), 'c' (cold) or 'H' (hot): positions, normals, weights, base colours,
// sample counts, the two sums and the first light's two.
std::string Caches(const LM_globals& g) {
    std::string s;
    const auto add = [&](const auto&... c) { ((s += !c.Used() ? '-' : c.Hot() ? 'H' : 'c'), ...); };
    add(g.posCache, g.normCache, g.weightCache, g.baseCache, g.sampleCountCache, g.diffuseSumCache,
        g.specularSumCache, g.lightCaches[0].diffuse, g.lightCaches[0].specular);
    return s;
}

} // namespace

TEST(Settings, ABackupIsACopyThatRestoresSettingsButNotRunStateOrHotCaches) {
    LM_GlobalsPtr g = MakeThreeLights();
    ApplyLook(*g, kLooks[4]);
    g->SetBumpAmplitude(-40);
    g->SetWhiteIsHigh(false);
    g->SetBumpChannel(2);
    g->SetStyleIndex(5);
    const std::vector<unsigned char> saved = SettingsBytes(*g);
    const LM_settings backup = g->Settings();
    g->Default();
    g->SetBumpChannel(0);
    g->SetStyleIndex(1);
    HotCaches(*g);
    g->previewStep = 3;
    g->SetSettings(backup);
    EXPECT_EQ(SettingsBytes(*g), saved);
    EXPECT_EQ(g->StyleIndex(), 5);
    EXPECT_EQ(g->previewStep, 3) << "run state is not a setting";
    EXPECT_EQ(Caches(*g), "c----cccc") << "the caches stay, cold";
}

TEST(Settings, SettersSpareOrReleaseTheCaches) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    HotCaches(*g);
    g->SetBumpAmplitude(128);
    g->SetWhiteIsHigh(true);
    EXPECT_EQ(Caches(*g), "H----HHHH") << "unchanged values leave the caches hot";
    g->SetBumpAmplitude(129);
    EXPECT_EQ(Caches(*g), "c----cccc");
    HotCaches(*g);
    g->SetWhiteIsHigh(false);
    EXPECT_EQ(Caches(*g), "c----cccc");
    g->SetBumpChannel(2); // texture switched on: released
    EXPECT_EQ(Caches(*g), "---------");
    HotCaches(*g, true);
    const LM_vector3f* normals = g->normCache.Data();
    g->SetBumpChannel(2);
    EXPECT_EQ(Caches(*g), "HHccHHHHH") << "the same channel does nothing";
    g->SetBumpChannel(3); // another channel: kept, cold
    EXPECT_EQ(g->normCache.Data(), normals);
    EXPECT_EQ(Caches(*g), "ccccccccc");
    g->SetBumpChannel(0); // texture switched off: released
    g->posCache.SetHot(true);
    EXPECT_EQ(Caches(*g), "---------") << "no flag without its buffer";
}

TEST(Settings, TranslateWorldUnitsRoundsHalvesAwayFromZero) {
    struct Case {
        LM_sint16 value, from, to, expected;
    } cases[] = {
        {10, 0, 50, 0},  {3, 2, 1, 2},        {-3, 2, 1, -2},       {5, 10, 3, 2},
        {4, 10, 3, 1},   {-5, 10, 3, -2},     {-4, 10, 3, -1},      {7, -1, 3, -21},
        {-7, -1, 3, 21}, {120, 60, 100, 200}, {300, 1, 300, 24464}, // 90000 cut to 16 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(LM_globals::LM_TranslateWorldUnits(c.value, c.from, c.to), c.expected)
            << c.value << " x " << c.to << " / " << c.from;
}

TEST(Settings, ConversionFillsSurfaceAmbientAndTextureFields) {
    LM_GlobalsPtr g = MakeGlobals(60, 150);
    g->Default();
    BlockHandle block;
    const auto convert = [&] {
        g->ConvertToParameters(block.block(), true);
        return std::tuple(block->ambient[0].get(), block->ambient[1].get(), block->ambient[2].get(),
                          block->textureHeightScale.get(), block->textureChannel.get());
    };
    // Ambient: brightness x colour / 64 toward zero; the height scale: 2 x amplitude, negated when
    // white is low.
    EXPECT_EQ(convert(), std::tuple(16383, 16383, 16383, 256, 0)) << "16 x 65535 / 64 = 16383.75";
    g->ambientBrightness = -127;
    g->ambientColor = {65535, 32768, 1};
    g->SetBumpChannel(4);
    EXPECT_EQ(convert(), std::tuple(-130046, -65024, -1, 256, 4)) << "toward zero, not down";
    g->ambientBrightness = 128;
    g->ambientColor = {65535, 64, 63};
    g->SetWhiteIsHigh(false);
    g->SetBumpAmplitude(-5);
    EXPECT_EQ(convert(), std::tuple(131070, 128, 126, 10, 4));
    g->ambientBrightness = 0;
    g->SetWhiteIsHigh(true);
    EXPECT_EQ(convert(), std::tuple(0, 0, 0, -10, 4));
    EXPECT_EQ(block->worldWidth, 2.5f) << "150 preview pixels over a unit of 60";
}

TEST(Settings, ConversionPacksLightsThatAreOnWithTheirCachesAndLeavesTrailingSlots) {
    LM_GlobalsPtr g = MakeThreeLights();
    BlockHandle block;
    std::fill(std::begin(block->lights[0].spreadTable), std::end(block->lights[0].spreadTable), 7.0f);
    g->ConvertToParameters(block.block(), true);
    EXPECT_EQ(block->lightCount, 3);
    EXPECT_EQ(block->lights[0].spreadTable[255], 1.0f);
    EXPECT_EQ(block->lights[0].spreadTable[256], 7.0f) << "a preview table has 256 entries";
    g->lights[0].isOn = false;
    g->AllocateCaches(2, 2, false);
    g->lightCaches[2].diffuse.SetHot(true);
    g->ConvertToParameters(block.block(), true);
    EXPECT_EQ(block->lightCount, 2);
    EXPECT_EQ(
        std::tuple(block->lights[0].type.get(), block->lights[1].type.get(), block->lights[2].type.get()),
        std::tuple(lightTypeOmni, lightTypeDirectional, lightTypeDirectional))
        << "lights that are off leave no gap; the old third light stays past the count";
    EXPECT_EQ(block->lights[0].origin[0], -0.5f) << "(130 - 160) / 60";
    // Caches are named by the light's slot + 1, with their hot flags.
    EXPECT_EQ(std::tuple(block->lights[0].diffuseCache.get(), block->lights[1].specularCache.get()),
              std::tuple(2u, 3u));
    EXPECT_EQ(std::pair(block->lights[1].diffuseCacheHot.get(), block->lights[1].specularCacheHot.get()),
              std::pair(1, 0));
}

// A full set taking no more lights is the dialog's test (LightDrag_test.cpp).
TEST(LightSet, NewLightsTakeTheirDefaultsAndCopiesTheirSource) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    HotCaches(*g);
    g->CreateNewLight(170, 80); // from the well: white, intensity 66
    EXPECT_EQ(std::tuple(g->lightCount, g->currentLight), std::tuple(LM_uint16(2), LM_uint16(1)));
    EXPECT_EQ(Caches(*g), "H----ccHH") << "the geometry stays";
    LM_light_UI expected = g->lights[0]; // the default spotlight, white at intensity 66
    expected.color = {65535, 65535, 65535};
    expected.intensity = 66;
    expected.position = {10, -10};
    EXPECT_EQ(Shape(g->lights[1]), Shape(expected));
    EXPECT_EQ(std::tuple(g->lights[1].anchor.x, g->lights[1].anchor.y), std::tuple(160, 90));

    LM_light_UI& source = g->lights[1];
    source.type = lightTypeOmni;
    source.color = {1, 2, 3};
    source.intensity = -7;
    source.spread = 200;
    source.radius = 12;
    source.majorAxis = {5, 6};
    source.minorAxis = {-6, 5};
    source.isOn = false;
    g->CopyNewLight(150, 95);
    EXPECT_EQ(std::tuple(g->lightCount, g->currentLight), std::tuple(LM_uint16(3), LM_uint16(2)));
    expected = source;
    expected.isOn = true; // a copy is on even when its source is off
    expected.position = {-10, 5};
    EXPECT_EQ(Shape(g->lights[2]), Shape(expected));
}
