#include "LM_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

void ExpectLight(const LM_light_UI& l, LM_color48 color, LM_sint16 intensity, LM_vectori2 position) {
    EXPECT_EQ(l.type, lightTypeSpot);
    EXPECT_EQ(l.color.red, color.red);
    EXPECT_EQ(l.color.green, color.green);
    EXPECT_EQ(l.color.blue, color.blue);
    EXPECT_EQ(l.intensity, intensity);
    EXPECT_EQ(l.spread, 128);
    EXPECT_EQ(l.isOn, 1);
    EXPECT_EQ(l.position.x, position.x);
    EXPECT_EQ(l.position.y, position.y);
    EXPECT_EQ(l.majorAxis.x, 30);
    EXPECT_EQ(l.majorAxis.y, 30);
    EXPECT_EQ(l.minorAxis.x, -15);
    EXPECT_EQ(l.minorAxis.y, 15);
    EXPECT_EQ(l.radius, 30);
}

// Caches for a 2 x 3 preview without texture, all marked hot.
void HotCaches(LM_globals& g) {
    g.AllocateCaches(2, 3, false);
    g.posCache.SetHot(true);
    g.diffuseSumCache.SetHot(true);
    g.specularSumCache.SetHot(true);
    g.SetLightCachesHot(true);
}

bool AllHot(const LM_globals& g) {
    return g.posCache.Hot() && g.diffuseSumCache.Hot() && g.specularSumCache.Hot() &&
           g.lightCaches[0].diffuse.Hot();
}

} // namespace

TEST(Settings, NewRecordHasNoLightsAndDefaultBuildsTheFactorySetUp) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    EXPECT_EQ(g->lightCount, 0);
    BlockHandle block;
    block->lightCount = 5;
    g->ConvertToParameters(block.block(), true);
    EXPECT_EQ(block->lightCount, 0);

    for (int i = 0; i < 16; ++i)
        g->CreateNewLight(LM_sint16(100 + i), 60);
    g->material = 7;
    g->ambientBrightness = -3;
    g->SetBumpChannel(2);
    g->previewEnabled = false;
    g->SetStyleIndex(4);
    g->SetUseCurrentSettings(true);
    g->Default();
    EXPECT_EQ(g->lightCount, 1);
    EXPECT_EQ(g->currentLight, 0);
    ExpectLight(g->lights[0], {65535, 65535, 0}, 127, {0, 0});
    EXPECT_EQ(g->lights[0].anchor.x, g->previewCenter.x);
    EXPECT_EQ(g->lights[0].anchor.y, g->previewCenter.y);
    EXPECT_EQ(g->material, 0);
    EXPECT_EQ(g->gloss, 128);
    EXPECT_EQ(g->exposure, 128);
    EXPECT_EQ(g->ambientBrightness, 16);
    EXPECT_EQ(g->BumpAmplitude(), 128);
    EXPECT_EQ(g->WhiteIsHigh(), 1);
    EXPECT_EQ(g->ambientColor.blue, 65535);
    EXPECT_EQ(g->BumpChannel(), 2) << "left unchanged";
    EXPECT_EQ(g->previewEnabled, 0);
    EXPECT_EQ(g->StyleIndex(), 4);
    EXPECT_EQ(g->UseCurrentSettings(), 1);
}

TEST(Settings, ABackupIsACopyThatRestoresSettingsButNotRunStateOrHotCaches) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    g->CreateNewLight(130, 70);
    g->gloss = 11;
    g->material = 300;
    g->exposure = 99;
    g->ambientBrightness = -20;
    g->ambientColor = {1, 2, 3};
    g->SetBumpAmplitude(-40);
    g->SetWhiteIsHigh(false);
    g->SetBumpChannel(2);
    g->SetStyleIndex(5);
    const LM_settings backup = g->Settings();

    HotCaches(*g);
    g->gloss = 1;
    g->ambientColor = {9, 9, 9};
    g->SetBumpAmplitude(7);
    g->SetWhiteIsHigh(true);
    g->SetStyleIndex(1);
    g->lights[0].intensity = -99;
    g->DeleteCurrentLight();
    HotCaches(*g);
    g->previewStep = 3;
    g->SetSettings(backup);
    EXPECT_EQ(g->gloss, 11);
    EXPECT_EQ(g->material, 300);
    EXPECT_EQ(g->exposure, 99);
    EXPECT_EQ(g->ambientBrightness, -20);
    EXPECT_EQ(g->ambientColor.green, 2);
    EXPECT_EQ(g->BumpAmplitude(), -40);
    EXPECT_EQ(g->WhiteIsHigh(), 0);
    EXPECT_EQ(g->BumpChannel(), 2);
    EXPECT_EQ(g->StyleIndex(), 5);
    EXPECT_EQ(g->lightCount, 2);
    EXPECT_EQ(g->currentLight, 1);
    ExpectLight(g->lights[0], {65535, 65535, 0}, 127, {0, 0});
    ExpectLight(g->lights[1], {65535, 65535, 65535}, 66, {LM_sint16(130 - 160), LM_sint16(70 - 90)});
    EXPECT_EQ(g->previewStep, 3) << "run state is not a setting";
    EXPECT_TRUE(g->posCache.Used() && g->lightCaches[0].diffuse.Used()) << "the caches stay, cold";
    EXPECT_FALSE(g->posCache.Hot() || g->diffuseSumCache.Hot() || g->lightCaches[0].diffuse.Hot());
}

TEST(Settings, SettersSpareOrReleaseTheCaches) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    HotCaches(*g);
    g->SetBumpAmplitude(128);
    g->SetWhiteIsHigh(true);
    EXPECT_TRUE(AllHot(*g)) << "unchanged values leave the caches hot";
    g->SetBumpAmplitude(129);
    EXPECT_FALSE(g->posCache.Hot() || g->diffuseSumCache.Hot() || g->lightCaches[0].diffuse.Hot());
    EXPECT_TRUE(g->posCache.Used());
    HotCaches(*g);
    g->SetWhiteIsHigh(false);
    EXPECT_FALSE(g->posCache.Hot() || g->specularSumCache.Hot() || g->lightCaches[0].specular.Hot());

    g->SetBumpChannel(2); // texture switched on: released
    EXPECT_FALSE(g->posCache.Used() || g->diffuseSumCache.Used() || g->lightCaches[0].diffuse.Used());
    g->AllocateCaches(2, 3, true);
    g->posCache.SetHot(true);
    g->normCache.SetHot(true);
    g->sampleCountCache.SetHot(true);
    g->lightCaches[0].diffuse.SetHot(true);
    LM_vector3f* normals = g->normCache.Data();
    g->SetBumpChannel(2);
    EXPECT_TRUE(g->posCache.Hot() && g->normCache.Hot()) << "the same channel does nothing";
    g->SetBumpChannel(3); // another channel: kept, cold
    EXPECT_EQ(g->normCache.Data(), normals);
    EXPECT_TRUE(g->weightCache.Used() && g->baseCache.Used() && g->sampleCountCache.Used());
    EXPECT_FALSE(g->posCache.Hot() || g->normCache.Hot() || g->sampleCountCache.Hot() ||
                 g->lightCaches[0].diffuse.Hot());
    g->SetBumpChannel(0); // texture switched off: released
    EXPECT_FALSE(g->normCache.Used() || g->posCache.Used() || g->lightCaches[0].specular.Used());
    g->posCache.SetHot(true);
    EXPECT_FALSE(g->posCache.Hot()) << "no flag without its buffer";
    EXPECT_EQ(g->BumpChannel(), 0);
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

TEST(Settings, EllipseTableIsTheUnitCircle) {
    LM_GlobalsPtr g = MakeGlobals();
    EXPECT_EQ(g->ellipseX[0], 1.0f);
    EXPECT_EQ(g->ellipseY[0], 0.0f);
    EXPECT_NEAR(g->ellipseX[10], 0.0, 1e-6);
    EXPECT_NEAR(g->ellipseY[10], 1.0, 1e-6);
    EXPECT_NEAR(g->ellipseX[20], -1.0, 1e-6);
    EXPECT_NEAR(g->ellipseY[30], -1.0, 1e-6);
}

TEST(Settings, ConversionFillsSurfaceAmbientAndTextureFields) {
    LM_GlobalsPtr g = MakeGlobals(60, 150);
    g->Default();
    BlockHandle block;
    struct Case {
        LM_sint16 brightness;
        LM_color48 color;
        LM_sint32 red, green, blue;
    } cases[] = {
        {16, {65535, 65535, 65535}, 16383, 16383, 16383}, // 16 x 65535 / 64 = 16383.75
        {-127, {65535, 32768, 1}, -130046, -65024, -1},   // toward zero, not down
        {0, {65535, 65535, 65535}, 0, 0, 0},
        {128, {65535, 64, 63}, 131070, 128, 126},
    };
    for (const Case& c : cases) {
        g->ambientBrightness = c.brightness;
        g->ambientColor = c.color;
        g->ConvertToParameters(block.block(), true);
        EXPECT_EQ(block->ambient[0], c.red) << c.brightness;
        EXPECT_EQ(block->ambient[1], c.green) << c.brightness;
        EXPECT_EQ(block->ambient[2], c.blue) << c.brightness;
    }
    EXPECT_EQ(block->worldWidth, 2.5f) << "150 preview pixels over a unit of 60";
    g->SetWhiteIsHigh(false);
    g->ConvertToParameters(block.block(), true);
    EXPECT_EQ(block->textureHeightScale, -256);
    g->SetBumpAmplitude(-5);
    g->ConvertToParameters(block.block(), true);
    EXPECT_EQ(block->textureHeightScale, 10);
    g->SetWhiteIsHigh(true);
    g->SetBumpChannel(4);
    g->ConvertToParameters(block.block(), true);
    EXPECT_EQ(block->textureHeightScale, -10);
    EXPECT_EQ(block->textureChannel, 4);
}

TEST(Settings, ConversionPacksLightsThatAreOnAndLeavesTrailingSlots) {
    LM_GlobalsPtr g = MakeThreeLights();
    BlockHandle block;
    for (LM_befloat& e : block->lights[0].spreadTable)
        e = 7.0f;
    g->ConvertToParameters(block.block(), true);
    EXPECT_EQ(block->lightCount, 3);
    EXPECT_EQ(block->lights[0].spreadTable[255], 1.0f);
    EXPECT_EQ(block->lights[0].spreadTable[256], 7.0f) << "a preview table has 256 entries";
    g->ConvertToParameters(block.block(), false);
    EXPECT_EQ(block->lights[0].spreadTable[1023], 1.0f) << "a final table has 1024";
    EXPECT_NE(block->lights[0].spreadTable[256], 7.0f);

    g->lights[0].isOn = false;
    g->ConvertToParameters(block.block(), false);
    EXPECT_EQ(block->lightCount, 2);
    EXPECT_EQ(block->lights[0].type, lightTypeOmni) << "lights that are off leave no gap";
    EXPECT_EQ(block->lights[1].type, lightTypeDirectional);
    EXPECT_EQ(block->lights[2].type, lightTypeDirectional) << "the old third light stays past the count";
    EXPECT_EQ(block->lights[0].origin[0], -0.5f) << "(130 - 160) / 60";
}

TEST(LightSet, NewLightsTakeTheirDefaultsAndCopiesTheirSource) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    g->CreateNewLight(170, 80); // from the well: white, intensity 66
    EXPECT_EQ(g->lightCount, 2);
    EXPECT_EQ(g->currentLight, 1);
    ExpectLight(g->lights[1], {65535, 65535, 65535}, 66, {10, -10});
    EXPECT_EQ(g->lights[1].anchor.x, 160);
    EXPECT_EQ(g->lights[1].anchor.y, 90);

    LM_light_UI& source = g->lights[1];
    source.isOn = false;
    source.type = lightTypeOmni;
    source.color = {1, 2, 3};
    source.intensity = -7;
    source.spread = 200;
    source.radius = 12;
    source.majorAxis = {5, 6};
    source.minorAxis = {-6, 5};
    g->CopyNewLight(150, 95);
    EXPECT_EQ(g->lightCount, 3);
    EXPECT_EQ(g->currentLight, 2);
    const LM_light_UI& copy = g->lights[2];
    EXPECT_EQ(copy.isOn, 1) << "a copy is on even when its source is off";
    EXPECT_EQ(copy.type, lightTypeOmni);
    EXPECT_EQ(copy.color.blue, 3);
    EXPECT_EQ(copy.intensity, -7);
    EXPECT_EQ(copy.spread, 200);
    EXPECT_EQ(copy.radius, 12);
    EXPECT_EQ(copy.majorAxis.y, 6);
    EXPECT_EQ(copy.minorAxis.x, -6);
    EXPECT_EQ(copy.position.x, -10);
    EXPECT_EQ(copy.position.y, 5);
}

TEST(LightSet, AFullSetIgnoresAddsAndMarksSumsColdOnChange) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    for (int i = 1; i < 16; ++i)
        g->CreateNewLight(LM_sint16(i), LM_sint16(i));
    ASSERT_EQ(g->lightCount, 16);
    g->currentLight = 4;
    HotCaches(*g);
    g->CreateNewLight(0, 0);
    g->CopyNewLight(0, 0);
    EXPECT_EQ(g->lightCount, 16);
    EXPECT_EQ(g->currentLight, 4);
    EXPECT_TRUE(g->diffuseSumCache.Hot() && g->specularSumCache.Hot()) << "nothing changed";
    EXPECT_EQ(g->lights[15].position.x, 15 - 160);

    LM_GlobalsPtr h = MakeGlobals(60, 120);
    h->Default();
    HotCaches(*h);
    h->CreateNewLight(0, 0);
    EXPECT_FALSE(h->diffuseSumCache.Hot() || h->specularSumCache.Hot());
    EXPECT_TRUE(h->posCache.Hot());
}

TEST(LightSet, DeletingMovesLaterLightsDownWithTheirCaches) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    for (int i = 1; i < 4; ++i)
        g->CreateNewLight(LM_sint16(160 + i), 90);
    HotCaches(*g);
    g->lightCaches[3].specular.SetHot(false);
    LM_color96* third = g->lightCaches[2].diffuse.Data();
    LM_color96* fourth = g->lightCaches[3].specular.Data();
    const long blocks = TBHeapLiveBlocks();
    g->currentLight = 1; // the second of four
    EXPECT_EQ(g->DeleteCurrentLight(), 1);
    EXPECT_EQ(TBHeapLiveBlocks(), blocks - 2) << "the deleted light's two caches are released";
    EXPECT_EQ(g->lightCount, 3);
    EXPECT_EQ(g->currentLight, 0);
    EXPECT_EQ(g->lights[1].position.x, 2);
    EXPECT_EQ(g->lights[2].position.x, 3);
    EXPECT_EQ(g->lightCaches[1].diffuse.Data(), third);
    EXPECT_EQ(g->lightCaches[2].specular.Data(), fourth);
    EXPECT_TRUE(g->lightCaches[1].diffuse.Hot() && g->lightCaches[1].specular.Hot());
    EXPECT_TRUE(g->lightCaches[2].diffuse.Hot());
    EXPECT_FALSE(g->lightCaches[2].specular.Hot());
    EXPECT_FALSE(g->lightCaches[3].diffuse.Used() || g->lightCaches[3].specular.Used())
        << "vacated slot detached";
    EXPECT_FALSE(g->diffuseSumCache.Hot() || g->specularSumCache.Hot());

    g->currentLight = 2; // the last one
    EXPECT_EQ(g->DeleteCurrentLight(), 1);
    EXPECT_EQ(g->lightCount, 2);
    EXPECT_EQ(g->currentLight, 0);
    EXPECT_EQ(g->lights[1].position.x, 2);
    EXPECT_EQ(g->lightCaches[1].diffuse.Data(), third);
    EXPECT_EQ(g->DeleteCurrentLight(), 1);
    EXPECT_EQ(g->lights[0].position.x, 2);
    EXPECT_EQ(g->DeleteCurrentLight(), 0) << "the only light stays";
    EXPECT_EQ(g->lightCount, 1);
}

TEST(Caches, AllocationFollowsTheTextureAndFlagsNeedBuffers) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    g->CreateNewLight(0, 0);
    g->lights[1].isOn = false;
    g->AllocateCaches(3, 5, false);
    EXPECT_TRUE(g->posCache.Used() && g->diffuseSumCache.Used() && g->specularSumCache.Used());
    EXPECT_FALSE(g->normCache.Used() || g->weightCache.Used() || g->baseCache.Used() ||
                 g->sampleCountCache.Used());
    EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(g->posCache.Data())), 15 * long(sizeof(LM_vector2f)));
    EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(g->lightCaches[0].diffuse.Data())),
              15 * long(sizeof(LM_color96)));
    EXPECT_FALSE(g->lightCaches[1].diffuse.Used()) << "a light that is off gets none";
    EXPECT_FALSE(g->posCache.Hot()) << "new buffers start cold";
    g->FreeCaches();
    g->AllocateCaches(3, 5, true);
    EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(g->posCache.Data())), 60 * long(sizeof(LM_vector2f)));
    EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(g->normCache.Data())), 60 * long(sizeof(LM_vector3f)));
    EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(g->weightCache.Data())), 75 * 4L);
    EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(g->baseCache.Data())), 180L);
    EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(g->sampleCountCache.Data())), 12L);
    EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(g->specularSumCache.Data())), 60 * long(sizeof(LM_color96)));
    g->weightCache.SetHot(true);
    g->lightCaches[0].diffuse.SetHot(true);
    g->InvalidateCaches();
    EXPECT_FALSE(g->weightCache.Hot() || g->lightCaches[0].diffuse.Hot());
    EXPECT_TRUE(g->weightCache.Used());
    g->FreeCaches();
    EXPECT_FALSE(g->weightCache.Used() || g->posCache.Used() || g->lightCaches[0].diffuse.Used());
}
