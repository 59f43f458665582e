// Runs with a texture channel: two continue calls a tile, captures at image borders, and the
// relief against the flat result.
#include "LM_globals.h"
#include "TestBlocks.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::uint8_t> bumpyChannel(int w, int h) {
    std::vector<std::uint8_t> plane(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            plane[std::size_t(y) * w + x] = std::uint8_t(((x / 7 + y / 5) % 2) * 180 + (x * y) % 50);
    return plane;
}

TEST(TextureRun, EachTileTakesTwoCallsAndProgressRisesOnTheFirst) {
    const std::vector<std::uint8_t> block = MixedLightsBlock(4);
    TestHost host(MakeTestImage(100, 150));
    host.threads = 3; // the rows shared out give the bytes of one thread
    host.AddChannel(bumpyChannel(100, 150));
    host.SetParameterBlock(block.data(), block.size());
    ASSERT_EQ(host.RunWithoutDialog(), 0);
    EXPECT_EQ(host.continueCalls, 12);
    EXPECT_EQ(host.textureDeliveries, 6);
    std::vector<std::pair<int, int>> expected;
    for (int done = 0; done <= 6; ++done)
        expected.emplace_back(done, 6);
    EXPECT_EQ(host.progress, expected);
    const Rect area = {0, 0, 150, 100};
    const std::vector<std::uint8_t> channel = bumpyChannel(100, 150);
    const Image whole = ShadeWhole(host.Source(), block, area, &channel);
    EXPECT_EQ(host.Result().rgb, whole.rgb);
}

TEST(TextureRun, UniformTextureGivesTheFlatResult) {
    const std::vector<std::uint8_t> textured = MixedLightsBlock(4);
    const std::vector<std::uint8_t> flat = MixedLightsBlock(0);
    for (std::uint8_t level : {0, 77, 255}) {
        TestHost host(MakeTestImage(70, 90));
        host.AddChannel(std::vector<std::uint8_t>(70 * 90, level));
        host.SetParameterBlock(textured.data(), textured.size());
        ASSERT_EQ(host.RunWithoutDialog(), 0);
        EXPECT_EQ(host.Result().rgb, ShadeWhole(host.Source(), flat, {0, 0, 90, 70}).rgb) << int(level);
    }
}

TEST(TextureRun, ReliefChangesTheImage) {
    const std::vector<std::uint8_t> textured = MixedLightsBlock(4);
    TestHost host(MakeTestImage(64, 64));
    host.AddChannel(bumpyChannel(64, 64));
    host.SetParameterBlock(textured.data(), textured.size());
    ASSERT_EQ(host.RunWithoutDialog(), 0);
    EXPECT_NE(host.Result().rgb, ShadeWhole(host.Source(), MixedLightsBlock(0), {0, 0, 64, 64}).rgb);
}

TEST(TextureRun, ColourPlanesServeAsTextureByAbsoluteIndex) {
    // Channel 2 is Green: a texture read from the image itself.
    const std::vector<std::uint8_t> block = MixedLightsBlock(2);
    const Image image = MakeTestImage(50, 40);
    TestHost host(image);
    host.SetParameterBlock(block.data(), block.size());
    ASSERT_EQ(host.RunWithoutDialog(), 0);
    std::vector<std::uint8_t> green(50 * 40);
    for (int i = 0; i < 50 * 40; ++i)
        green[std::size_t(i)] = image.rgb[std::size_t(i) * 3 + 1];
    EXPECT_EQ(host.Result().rgb, ShadeWhole(image, block, {0, 0, 40, 50}, &green).rgb);
}

TEST(TextureRun, BlocksTrimmedAtTheBordersAreCompletedFromTheirEdges) {
    // An area touching every border: the host that repeats edges and the host that trims the
    // block to the image must give the same image.
    const std::vector<std::uint8_t> block = MixedLightsBlock(4);
    struct AreaCase {
        int left, top, width, height;
    };
    for (const AreaCase a : {AreaCase{0, 0, 130, 70}, AreaCase{2, 1, 128, 69}, AreaCase{0, 0, 1, 1}}) {
        TestHost repeating(MakeTestImage(130, 70));
        TestHost trimming(MakeTestImage(130, 70));
        trimming.trimTextureAtBorders = true;
        for (TestHost* host : {&repeating, &trimming}) {
            host->AddChannel(bumpyChannel(130, 70));
            host->SetArea(a.left, a.top, a.width, a.height);
            host->SetParameterBlock(block.data(), block.size());
            ASSERT_EQ(host->RunWithoutDialog(), 0);
        }
        EXPECT_EQ(repeating.Result().rgb, trimming.Result().rgb) << a.left << "," << a.top;
    }
}

} // namespace
