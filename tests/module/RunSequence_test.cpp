// Whole selector sequences through the entry point, as a host drives them, flat and textured.
#include "Dialogs.h"
#include "Memory.h"
#include "TestBlocks.h"
#include "TestHost.h"
#include "Testing.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Finish before anything allocates nothing; about creates the object that serves every later
// call; an unknown selector is refused.
TEST(RunSequence, SelectorsOnAFreshLoad) {
    TestHost host(MakeTestImage(8, 8));
    const long blocks = TBHeapLiveBlocks();
    EXPECT_EQ(host.Call(selectorFinish), 0);
    EXPECT_EQ(host.GlobalsSlot(), 0);
    EXPECT_EQ(TBHeapLiveBlocks(), blocks);
    EXPECT_EQ(host.Call(selectorAbout), 0);
    const std::intptr_t object = host.GlobalsSlot();
    EXPECT_NE(object, 0);
    EXPECT_EQ(host.Call(9), filterBadSelector);
    EXPECT_EQ(host.Call(selectorAbout), 0);
    EXPECT_EQ(host.GlobalsSlot(), object);
}

TEST(RunSequence, PrepareChecksTheHostInOrder) {
    const struct {
        const char* what;
        void (*spoil)(FilterRecord&);
        std::int16_t result;
        bool alert;
    } cases[] = {
        {"no display callback", [](FilterRecord& r) { r.showPixelsProc = nullptr; }, filterStop, true},
        {"another host", [](FilterRecord& r) { r.hostSignature = FOUR_CHAR("XXXX"); }, filterStop, true},
        {"not RGB", [](FilterRecord& r) { r.colourMode = 2; }, filterBadMode, false},
        {"no deliver-now", [](FilterRecord& r) { r.deliverNowProc = nullptr; }, filterStop, true},
        {"no absolute planes", [](FilterRecord& r) { r.absolutePlanesSupported = 0; }, filterStop, true},
        {"grey and foreign: the signature is checked first",
         [](FilterRecord& r) { r.colourMode = 1, r.hostSignature = 0; }, filterStop, true},
        {"a host that offers everything", [](FilterRecord&) {}, 0, false},
    };
    for (const auto& c : cases) {
        TestHost host(MakeTestImage(8, 8));
        c.spoil(host.Record());
        TBResetForTests();
        EXPECT_EQ(host.Call(selectorPrepare), c.result) << c.what;
        EXPECT_EQ(TBAlertLog(), c.alert ? std::vector<std::int16_t>{16000} : std::vector<std::int16_t>{})
            << c.what;
    }
}

std::vector<std::uint8_t> bumpyChannel(int w, int h) {
    std::vector<std::uint8_t> plane(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            plane[std::size_t(y) * w + x] = std::uint8_t(((x / 7 + y / 5) % 2) * 180 + (x * y) % 50);
    return plane;
}

// Tiled runs, flat and textured, give what one call of the shaders over the whole area gives. A
// textured tile takes two continue calls; progress rises once a tile.
TEST(RunSequence, TiledRunsEqualOneShadingOfTheArea) {
    enum Texture { none, relief, uniform, green, trimmed }; // trimmed: a relief the host cuts to the image
    const struct {
        int width, height;
        Rect area; // empty: the whole image
        Texture texture;
        int tiles;
        int threads; // 0: one a core; any count gives the bytes of one
    } cases[] = {{100, 150, {}, none, 6, 1},
                 {100, 150, {}, none, 6, 3},
                 {128, 128, {}, none, 4, 0},
                 {1, 1, {}, none, 1, 2},
                 {65, 64, {}, none, 2, 5},
                 {90, 70, {5, 10, 55, 80}, none, 2, 0},
                 {100, 150, {}, relief, 6, 1},
                 {100, 150, {}, relief, 6, 3},
                 {70, 90, {}, uniform, 4, 0},
                 {50, 40, {}, green, 1, 0},
                 {130, 70, {}, trimmed, 6, 0},
                 {130, 70, {1, 2, 70, 130}, trimmed, 4, 5},
                 {130, 70, {0, 0, 1, 1}, trimmed, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " texture " << c.texture << " threads " << c.threads);
        const std::vector<std::uint8_t> block = MixedLightsBlock(c.texture == none    ? 0
                                                                 : c.texture == green ? 2
                                                                                      : 4);
        TestHost host(MakeTestImage(c.width, c.height));
        std::vector<std::uint8_t> channel =
            c.texture == relief || c.texture == trimmed
                ? bumpyChannel(c.width, c.height)
                : std::vector<std::uint8_t>(std::size_t(c.width) * c.height, 77);
        if (c.texture == green)
            for (std::size_t i = 0; i < channel.size(); ++i)
                channel[i] = host.Source().samples[i * 3 + 1];
        else if (c.texture != none)
            host.AddChannel(channel);
        const Rect area = c.area.right ? c.area : Rect{0, 0, std::int16_t(c.height), std::int16_t(c.width)};
        host.SetArea(area.left, area.top, area.right - area.left, area.bottom - area.top);
        host.trimTextureAtBorders = c.texture == trimmed;
        host.threads = c.threads;
        host.SetParameterBlock(block.data(), block.size());
        ASSERT_EQ(host.RunWithoutDialog(), 0);
        EXPECT_EQ(host.continueCalls, c.tiles * (c.texture == none ? 1 : 2));
        std::vector<std::pair<int, int>> progress;
        for (int done = 0; done <= c.tiles; ++done)
            progress.emplace_back(done, c.tiles);
        EXPECT_EQ(host.progress, progress);
        const Pixels whole = ShadeWhole(host.Source(), block, area, c.texture == none ? nullptr : &channel);
        EXPECT_TRUE(host.Result().samples == whole.samples);
        if (c.texture == uniform || c.texture == relief || c.texture == trimmed) {
            const bool flat = whole.samples == ShadeWhole(host.Source(), MixedLightsBlock(), area).samples;
            EXPECT_EQ(flat, c.texture == uniform) << "a uniform texture shades as flat, a relief shows";
        }
    }
}

// Which blocks are refused is the parameter check's business; a run only has to honour it.
TEST(RunSequence, RunWithoutAUsableBlockShadesNothing) {
    const std::vector<std::uint8_t> good = MixedLightsBlock();
    const std::vector<std::vector<std::uint8_t>> bad = {{}, {good.begin(), good.end() - 1}};
    for (const std::vector<std::uint8_t>& block : bad) {
        TestHost host(MakeTestImage(20, 20));
        host.SetParameterBlock(block.empty() ? nullptr : block.data(), block.size());
        EXPECT_EQ(host.RunWithoutDialog(), filterBadSelector) << block.size() << " bytes";
        EXPECT_EQ(host.continueCalls, 0);
        EXPECT_EQ(host.Result().samples, host.Source().samples);
    }
}

// An abort stops between tiles and keeps those already done; the first tile asks once, then once a
// row.
TEST(RunSequence, AbortLaterKeepsTheTilesAlreadyDone) {
    const struct { int texture, queries, calls, done; } rows[] = {{0, 0, 1, 0}, {4, 0, 1, 0}, {0, 64, 2, 1}};
    for (const auto& row : rows) {
        const std::vector<std::uint8_t> block = MixedLightsBlock(row.texture);
        TestHost host(MakeTestImage(128, 64));
        host.AddChannel(std::vector<std::uint8_t>(128 * 64, 90));
        host.SetParameterBlock(block.data(), block.size());
        host.abortAfterQueries = row.queries;
        EXPECT_EQ(host.RunWithoutDialog(), filterStop);
        EXPECT_EQ(host.continueCalls, row.calls);
        Pixels expected = host.Source();
        const Pixels whole = row.done ? ShadeWhole(host.Source(), block, {0, 0, 64, 128}) : expected;
        for (int y = 0; y < 64; ++y)
            std::memcpy(expected.at(0, y), whole.at(0, y), std::size_t(64 * 3 * row.done));
        EXPECT_TRUE(host.Result().samples == expected.samples)
            << "texture " << row.texture << ", " << row.queries;
    }
}

} // namespace
