// The preview: gathering the reduced source and texture, renderings by the real shaders, and the
// caches giving the same bytes as a cold rendering.
#include "LM_globals.h"
#include "LM_memory.h"
#include "LM_preview.h"
#include "LM_tiles.h"
#include "Memory.h"
#include "TestBlocks.h"
#include "TestHost.h"
#include "TestPreview.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A rendering with every cache cold must give what the caches gave.
void expectSameAsCold(PreviewFixture& p, const std::vector<std::uint8_t>& cached, const char* what) {
    p.g->InvalidateCaches();
    EXPECT_EQ(p.render(), cached) << what;
}

TEST(Preview, GeometryFitsAndCentresTheArea) {
    PreviewFixture p(1000, 500, {10, 10, 330, 330}, {20, 20, 220, 320}); // frame 300 x 200
    const LM_globals& g = *p.g;
    EXPECT_EQ(
        std::vector<int>({g.previewStep, g.previewSize.x, g.previewSize.y, g.previewCenter.x,
                          g.previewCenter.y, p.frame.left, p.frame.top, p.frame.right, g.previewOffset.x}),
        std::vector<int>({4, 250, 125, 170, 170, 170 - 125, 170 - 62, 170 + 125, 170 - 125 - 10}));
}

TEST(Preview, SourceIsTheAreaSubsampled) {
    PreviewFixture p(301, 200, {0, 0, 320, 320}, {10, 10, 210, 310}); // step 2 after one increase
    EXPECT_EQ(p.g->previewStep, 2);
    const Pixels expected = p.subsampled();
    const QXPixelMap& map = p.g->previewSourceMap;
    for (int y = 0; y < expected.height; ++y)
        EXPECT_EQ(0, std::memcmp(static_cast<const std::uint8_t*>(map.baseAddr) + y * map.rowBytes,
                                 expected.at(0, y), std::size_t(expected.width) * 3))
            << "row " << y;
}

TEST(Preview, RenderingEqualsShadingTheSubsampledSource) {
    PreviewFixture p(700, 420, {0, 0, 380, 380}, {10, 10, 370, 370});
    p.g->CreateNewLight(100, 120);
    const std::vector<std::uint8_t> rendered = p.render();
    const Pixels sub = p.subsampled();
    const Pixels direct =
        ShadeWhole(sub, p.previewBlock(), {0, 0, std::int16_t(sub.height), std::int16_t(sub.width)});
    EXPECT_EQ(rendered, direct.samples);
}

TEST(Preview, CachesGiveTheBytesOfAColdRendering) {
    PreviewFixture p(500, 400, {0, 0, 380, 380}, {10, 10, 370, 370});
    p.g->CreateNewLight(60, 200);
    p.g->lights[1].type = lightTypeOmni;
    p.g->CreateNewLight(250, 90);
    p.g->lights[2].type = lightTypeDirectional;
    const std::vector<std::uint8_t> first = p.render();
    EXPECT_EQ(p.render(), first) << "all hot";
    p.g->gloss = 250;
    p.g->material = 180;
    expectSameAsCold(p, p.render(), "after gloss and material");
    p.g->lights[1].position.x += 17;
    p.g->LightChanged(p.g->lights[1]);
    expectSameAsCold(p, p.render(), "after moving a light");
    // The light after the deleted one moves down with its caches (still hot); the deleted light's
    // two are released.
    p.g->currentLight = 1;
    const long blocks = TBHeapLiveBlocks();
    p.g->DeleteCurrentLight();
    EXPECT_EQ(TBHeapLiveBlocks(), blocks - 2);
    expectSameAsCold(p, p.render(), "after deleting a light");
    p.g->lights[0].isOn = false;
    p.g->lightCaches[0].Free();
    p.g->LightChanged(p.g->lights[0]);
    expectSameAsCold(p, p.render(), "after switching a light off");
}

TEST(Preview, TextureCachesGiveTheBytesOfAColdRendering) {
    PreviewFixture p(600, 450, {0, 0, 380, 380}, {10, 10, 370, 370});
    p.g->SetBumpChannel(4);
    ASSERT_EQ(LM_GetPreviewBumpPixelMap(p.g.get()), 0);
    p.g->CreateNewLight(150, 150);
    p.g->lights[1].type = lightTypeOmni;
    const std::vector<std::uint8_t> first = p.render();
    EXPECT_EQ(p.render(), first) << "all hot";
    p.g->lights[1].position.y -= 30;
    p.g->LightChanged(p.g->lights[1]);
    expectSameAsCold(p, p.render(), "after moving a light");
    p.g->exposure = 90;
    expectSameAsCold(p, p.render(), "after exposure");
    p.g->SetBumpAmplitude(40);
    expectSameAsCold(p, p.render(), "after the amplitude");
    EXPECT_NE(p.render(), first);
}

TEST(Preview, WideTexturePreviewIsShadedInPiecesWithTheSameBytes) {
    // 600 preview pixels a row hold up to 2400 samples: more than the row buffers.
    PreviewFixture p(600, 120, {0, 0, 200, 640}, {10, 10, 190, 630}); // step 1
    ASSERT_EQ(p.g->previewStep, 1);
    p.g->SetBumpChannel(4);
    ASSERT_EQ(LM_GetPreviewBumpPixelMap(p.g.get()), 0);
    const std::vector<std::uint8_t> rendered = p.render();
    // The same block over 64-pixel tiles, where one piece holds each row; the final run
    // captures with twice the preview's amplitude at step 1.
    std::vector<std::uint8_t> block = p.previewBlock();
    foo* b = reinterpret_cast<foo*>(block.data());
    b->textureHeightScale = b->textureHeightScale / 2;
    TestHost tiled(MakeTestImage(600, 120));
    tiled.AddChannel(relief(600, 120));
    tiled.SetParameterBlock(block.data(), block.size());
    ASSERT_EQ(tiled.RunWithoutDialog(), 0);
    EXPECT_EQ(rendered, tiled.Result().samples);
}

TEST(Preview, UnshadedCopyShowsTheSource) {
    PreviewFixture p(90, 60, {0, 0, 200, 200}, {10, 10, 190, 190});
    LM_CopyUnshadedPreview(p.g.get());
    EXPECT_EQ(p.shown(), p.subsampled().samples);
}

} // namespace

namespace {

constexpr LM_color96 kPoison = {123456, -654321, 777, 0};

// Fills a cache with a value no light gives; a rendering that evaluates the cache's owner
// overwrites it, one that reuses the cache adds the poison into its sums.
void poison(LM_color96* cache, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        cache[i] = kPoison;
}

bool poisoned(const LM_color96* cache) {
    return cache[0].red == kPoison.red && cache[0].green == kPoison.green;
}

// Lights whose diffuse cache no longer holds the poison were evaluated by the last rendering.
int evaluated(const LM_globals& g) {
    int n = 0;
    for (int i = 0; i < g.lightCount; ++i)
        n += g.lightCaches[i].diffuse.Data() && !poisoned(g.lightCaches[i].diffuse.Data());
    return n;
}

void poisonLights(LM_globals& g, std::size_t samples) {
    for (int i = 0; i < g.lightCount; ++i) {
        poison(g.lightCaches[i].diffuse.Data(), samples);
        poison(g.lightCaches[i].specular.Data(), samples);
    }
}

} // namespace

TEST(Preview, RenderingsEvaluateOnlyTheLightsThatChanged) {
    PreviewFixture p(500, 400, {0, 0, 380, 380}, {10, 10, 370, 370});
    p.g->CreateNewLight(60, 200);
    p.g->CreateNewLight(250, 90);
    p.render();
    const std::size_t n = std::size_t(p.g->previewSize.x) * p.g->previewSize.y;

    poisonLights(*p.g, n);
    p.g->gloss = 40;
    p.render();
    EXPECT_EQ(evaluated(*p.g), 0) << "gloss only recombines the sums";

    poisonLights(*p.g, n);
    p.g->lights[1].position.x += 9;
    p.g->LightChanged(p.g->lights[1]);
    p.render();
    EXPECT_EQ(evaluated(*p.g), 1) << "moving one of three lights";
    EXPECT_FALSE(poisoned(p.g->lightCaches[1].diffuse.Data()));
    poisonLights(*p.g, n);
    p.g->currentLight = 0;
    p.g->DeleteCurrentLight();
    p.render();
    EXPECT_EQ(evaluated(*p.g), 0) << "the later lights move down with their caches";

    // With a texture every light is evaluated again, but the sample geometry is reused.
    p.g->SetBumpChannel(4);
    ASSERT_EQ(LM_GetPreviewBumpPixelMap(p.g.get()), 0);
    p.render();
    ASSERT_TRUE(p.g->posCache.Hot() && p.g->normCache.Hot());
    p.g->posCache.Data()[0] = {1e6f, 1e6f}; // reused geometry keeps this; recomputed geometry would not
    p.g->lights[0].position.y += 5;
    p.g->LightChanged(p.g->lights[0]);
    p.render();
    EXPECT_EQ(p.g->posCache.Data()[0].x, 1e6f) << "positions are not computed again";
}
