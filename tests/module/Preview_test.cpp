// The preview: gathering the reduced source and texture, renderings by the real shaders, and the
// caches giving the same bytes as a cold rendering.
#include "LM_globals.h"
#include "LM_preview.h"
#include "Memory.h"
#include "TestBlocks.h"
#include "TestHost.h"
#include "TestPreview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(Preview, GeometryFitsAndCentresTheArea) {
    PreviewFixture p(1000, 500, {10, 10, 330, 330}, {20, 20, 220, 320}); // frame 300 x 200
    const LM_globals& g = *p.g;
    EXPECT_EQ(
        std::vector<int>({g.previewStep, g.previewSize.x, g.previewSize.y, g.previewCenter.x,
                          g.previewCenter.y, p.frame.left, p.frame.top, p.frame.right, g.previewOffset.x}),
        std::vector<int>({4, 250, 125, 170, 170, 170 - 125, 170 - 62, 170 + 125, 170 - 125 - 10}));
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

// After each change the caches must give what a rendering with every cache cold gives.
TEST(Preview, CachesGiveTheBytesOfAColdRendering) {
    const std::pair<const char*, void (*)(LM_globals&)> changes[] = {
        {"gloss and material", [](LM_globals& g) { g.gloss = 250, g.material = 180; }},
        {"exposure", [](LM_globals& g) { g.exposure = 90; }},
        {"the amplitude", [](LM_globals& g) { g.SetBumpAmplitude(40); }},
        {"moving a light", [](LM_globals& g) { g.lights[1].position.y -= 30, g.LightChanged(g.lights[1]); }},
        // The light after the deleted one moves down with its caches, still hot.
        {"deleting a light", [](LM_globals& g) { g.currentLight = 1, g.DeleteCurrentLight(); }},
        {"switching a light off",
         [](LM_globals& g) {
             g.lights[0].isOn = false, g.lightCaches[0].Free(), g.LightChanged(g.lights[0]);
         }},
    };
    for (const bool texture : {false, true}) {
        PreviewFixture p(600, 450, {0, 0, 380, 380}, {10, 10, 370, 370});
        p.g->SetBumpChannel(texture ? 4 : 0);
        ASSERT_EQ(texture ? LM_GetPreviewBumpPixelMap(p.g.get()) : 0, 0);
        p.g->CreateNewLight(60, 200);
        p.g->lights[1].type = lightTypeOmni;
        p.g->CreateNewLight(250, 90);
        p.g->lights[2].type = lightTypeDirectional;
        const std::vector<std::uint8_t> first = p.render();
        EXPECT_EQ(p.render(), first) << "all hot";
        for (const auto& [what, change] : changes) {
            change(*p.g);
            const std::vector<std::uint8_t> cached = p.render();
            p.g->InvalidateCaches();
            EXPECT_EQ(p.render(), cached) << "after " << what << (texture ? ", textured" : "");
        }
        EXPECT_NE(p.render(), first);
    }
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

// The copy shows the gathered source as it is.
TEST(Preview, UnshadedCopyShowsTheAreaSubsampled) {
    PreviewFixture p(301, 200, {0, 0, 320, 320}, {10, 10, 210, 310}); // step 2 after one increase
    ASSERT_EQ(p.g->previewStep, 2);
    LM_CopyUnshadedPreview(p.g.get());
    EXPECT_EQ(p.shown(), p.subsampled().samples);
}

constexpr LM_sint32 kPoison = 123456;

// Which lights the last rendering evaluated, as '1' and '0'; then fills every light's caches with a
// value no light gives: a rendering that evaluates a light overwrites its caches, one that reuses
// them adds the poison into its sums.
std::string evaluatedThenPoison(LM_globals& g, std::size_t samples) {
    std::string evaluated;
    for (int i = 0; i < g.lightCount; ++i) {
        const LM_color96* d = g.lightCaches[i].diffuse.Data();
        evaluated += d && d->red != kPoison ? '1' : '0';
        for (LM_color96* c : {g.lightCaches[i].diffuse.Data(), g.lightCaches[i].specular.Data()})
            if (c)
                std::fill_n(c, samples, LM_color96{kPoison, -654321, 777, 0});
    }
    return evaluated;
}

TEST(Preview, RenderingsEvaluateOnlyTheLightsThatChanged) {
    PreviewFixture p(500, 400, {0, 0, 380, 380}, {10, 10, 370, 370});
    p.g->CreateNewLight(60, 200);
    p.g->CreateNewLight(250, 90);
    p.render();
    const std::size_t n = std::size_t(p.g->previewSize.x) * p.g->previewSize.y;
    EXPECT_EQ(evaluatedThenPoison(*p.g, n), "111");
    p.g->gloss = 40;
    p.render();
    EXPECT_EQ(evaluatedThenPoison(*p.g, n), "000") << "gloss only recombines the sums";
    p.g->lights[1].position.x += 9;
    p.g->LightChanged(p.g->lights[1]);
    p.render();
    EXPECT_EQ(evaluatedThenPoison(*p.g, n), "010");
    // The deleted light's two caches are released.
    p.g->currentLight = 0;
    const long blocks = TBHeapLiveBlocks();
    p.g->DeleteCurrentLight();
    EXPECT_EQ(TBHeapLiveBlocks(), blocks - 2);
    p.render();
    EXPECT_EQ(evaluatedThenPoison(*p.g, n), "00") << "the later lights move down with their caches";

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

} // namespace
