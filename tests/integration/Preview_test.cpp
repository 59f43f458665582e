// The preview: gathering the reduced source and texture, renderings by the real shaders, and the
// caches giving the same bytes as a cold rendering.
#include "LM_globals.h"
#include "LM_dispatch.h"
#include "LM_preview.h"
#include "LM_tiles.h"
#include "TestBlocks.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Deleter {
    void operator()(LM_globals* g) const { LM_globals::Delete(g); }
};

std::vector<std::uint8_t> relief(int w, int h) {
    std::vector<std::uint8_t> plane(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            plane[std::size_t(y) * w + x] = std::uint8_t((x / 9 + y / 6) % 3 * 100 + (x ^ y) % 17);
    return plane;
}

// A dialog's preview without the dialog: the geometry, the buffers and the gathered source.
struct PreviewFixture {
    TestHost host;
    std::unique_ptr<LM_globals, Deleter> g{LM_globals::New()};
    Rect frame;

    PreviewFixture(int width, int height, Rect work, Rect maxFrame)
        : host(MakeTestImage(width, height)), frame(maxFrame) {
        host.AddChannel(relief(width, height));
        std::vector<std::uint8_t> block(sizeof(foo));
        LM_InitParameterBlock(reinterpret_cast<foo*>(block.data()));
        host.SetParameterBlock(block.data(), block.size());
        host.MakeCurrent();
        g->filterRecord = &host.Record();
        EXPECT_EQ(LM_SetUpPreview(&host.Record(), g.get(), work, frame), 0);
        g->Default();
        LM_SetFirstPreviewTileRects(&host.Record(), g.get());
        while (!g->previewGathered) {
            host.Deliver();
            LM_CalcTilePreview(&host.Record(), g.get());
            LM_SetNextPreviewTileRects(&host.Record(), g.get());
        }
    }
    ~PreviewFixture() { LM_DoFinish(g.get()); }

    // The rendered preview, row by row.
    std::vector<std::uint8_t> shown() const {
        const QXPixelMap& map = g->previewMap;
        std::vector<std::uint8_t> out;
        for (int y = 0; y < g->previewSize.y; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(map.baseAddr) +
                              (g->previewOffset.y + y) * map.rowBytes + g->previewOffset.x * 3;
            out.insert(out.end(), row, row + g->previewSize.x * 3);
        }
        return out;
    }

    std::vector<std::uint8_t> render() {
        EXPECT_EQ(LM_ShadePreview(g.get()), 0);
        return shown();
    }

    // A rendering with every cache cold must give what the caches gave.
    void expectSameAsCold(const std::vector<std::uint8_t>& cached, const char* what) {
        g->InvalidateCaches();
        EXPECT_EQ(render(), cached) << what;
    }

    Image subsampled() const {
        const int s = g->previewStep;
        Image image(g->previewSize.x, g->previewSize.y);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                std::memcpy(image.at(x, y), host.Source().at(x * s, y * s), 3);
        return image;
    }

    std::vector<std::uint8_t> previewBlock() {
        std::vector<std::uint8_t> block(sizeof(foo));
        LM_InitParameterBlock(reinterpret_cast<foo*>(block.data()));
        g->ConvertToParameters(reinterpret_cast<foo*>(block.data()), true);
        return block;
    }
};

TEST(Preview, GeometryFitsAndCentresTheArea) {
    PreviewFixture p(1000, 500, {10, 10, 330, 330}, {20, 20, 220, 320}); // frame 300 x 200
    EXPECT_EQ(p.g->previewStep, 4);
    EXPECT_EQ(p.g->previewSize.x, 250);
    EXPECT_EQ(p.g->previewSize.y, 125);
    EXPECT_EQ(p.g->previewCenter.x, 170);
    EXPECT_EQ(p.g->previewCenter.y, 170);
    EXPECT_EQ(p.frame.left, 170 - 125);
    EXPECT_EQ(p.frame.top, 170 - 62);
    EXPECT_EQ(p.frame.right - p.frame.left, 250);
    EXPECT_EQ(p.g->previewOffset.x, p.frame.left - 10);
    EXPECT_EQ(p.g->previewMap.version, 0);
}

TEST(Preview, SourceIsTheAreaSubsampled) {
    PreviewFixture p(301, 200, {0, 0, 320, 320}, {10, 10, 210, 310}); // step 2 after one increase
    EXPECT_EQ(p.g->previewStep, 2);
    const Image expected = p.subsampled();
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
    const Image sub = p.subsampled();
    const Image direct =
        ShadeWhole(sub, p.previewBlock(), {0, 0, std::int16_t(sub.height), std::int16_t(sub.width)});
    EXPECT_EQ(rendered, direct.rgb);
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
    p.expectSameAsCold(p.render(), "after gloss and material");
    p.g->lights[1].position.x += 17;
    p.g->lights[1].InvalidateCaches();
    p.expectSameAsCold(p.render(), "after moving a light");
    p.g->currentLight = 1;
    p.g->DeleteCurrentLight();
    p.expectSameAsCold(p.render(), "after deleting a light");
    p.g->lights[0].isOn = false;
    p.g->lights[0].FreeCaches();
    p.g->lights[0].InvalidateCaches();
    p.expectSameAsCold(p.render(), "after switching a light off");
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
    p.g->lights[1].InvalidateCaches();
    p.expectSameAsCold(p.render(), "after moving a light");
    p.g->exposure = 90;
    p.expectSameAsCold(p.render(), "after exposure");
    p.g->SetBumpAmplitude(40);
    p.expectSameAsCold(p.render(), "after the amplitude");
    EXPECT_NE(p.render(), first);
}

TEST(Preview, TextureMapHoldsTheSubsampledChannelWithItsMargin) {
    PreviewFixture p(200, 150, {0, 0, 380, 380}, {10, 10, 110, 110}); // step 2
    p.g->SetBumpChannel(4);
    ASSERT_EQ(LM_GetPreviewBumpPixelMap(p.g.get()), 0);
    const std::vector<std::uint8_t> channel = relief(200, 150);
    const QXPixelMap& map = p.g->previewTextureMap;
    const int s = p.g->previewStep;
    for (int y = -3; y < p.g->previewSize.y + 3; ++y)
        for (int x = -3; x < p.g->previewSize.x + 3; ++x) {
            const int sx = std::clamp(x * s, 0, 199);
            const int sy = std::clamp(y * s, 0, 149);
            ASSERT_EQ(static_cast<const std::uint8_t*>(map.baseAddr)[(y + 3) * map.rowBytes + x + 3],
                      channel[std::size_t(sy) * 200 + sx])
                << x << "," << y;
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
    EXPECT_EQ(rendered, tiled.Result().rgb);
}

TEST(Preview, UnshadedCopyShowsTheSource) {
    PreviewFixture p(90, 60, {0, 0, 200, 200}, {10, 10, 190, 190});
    LM_CopyUnshadedPreview(p.g.get());
    EXPECT_EQ(p.shown(), p.subsampled().rgb);
}

} // namespace
