// Whole selector sequences through the entry point, as a host drives them.
#include "Dialogs.h"
#include "LM_globals.h"
#include "Memory.h"
#include "TestBlocks.h"
#include "TestHost.h"
#include "Testing.h"
#include "Windows.h"

#include <gtest/gtest.h>

namespace {

bool sameImage(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

TEST(RunSequence, FinishBeforeAnythingAllocatesNothing) {
    TestHost host(MakeTestImage(8, 8));
    const long blocks = TBHeapLiveBlocks();
    EXPECT_EQ(host.Call(selectorFinish), 0);
    EXPECT_EQ(host.GlobalsSlot(), 0);
    EXPECT_EQ(TBHeapLiveBlocks(), blocks);
}

TEST(RunSequence, AboutOnAFreshLoadCreatesTheObject) {
    TestHost host(MakeTestImage(8, 8));
    EXPECT_EQ(host.Call(selectorAbout), 0);
    EXPECT_NE(host.GlobalsSlot(), 0);
    EXPECT_EQ(host.Call(selectorAbout), 0); // the same object serves every later call
}

TEST(RunSequence, UnknownSelectorIsRefused) {
    TestHost host(MakeTestImage(8, 8));
    EXPECT_EQ(host.Call(9), filterBadSelector);
}

TEST(RunSequence, PrepareChecksTheHostInOrder) {
    struct Case {
        const char* what;
        void (*spoil)(FilterRecord&);
        std::int16_t result;
        bool alert;
    };
    const Case cases[] = {
        {"no display callback", [](FilterRecord& r) { r.showPixelsProc = nullptr; }, filterStop, true},
        {"another host", [](FilterRecord& r) { r.hostSignature = FOUR_CHAR("XXXX"); }, filterStop, true},
        {"not RGB", [](FilterRecord& r) { r.colourMode = 2; }, filterBadMode, false},
        {"no deliver-now", [](FilterRecord& r) { r.deliverNowProc = nullptr; }, filterStop, true},
        {"no absolute planes", [](FilterRecord& r) { r.absolutePlanesSupported = 0; }, filterStop, true},
        {"grey and foreign: the signature is checked first",
         [](FilterRecord& r) {
             r.colourMode = 1;
             r.hostSignature = 0;
         },
         filterStop, true},
    };
    for (const Case& c : cases) {
        TestHost host(MakeTestImage(8, 8));
        c.spoil(host.Record());
        TBResetForTests();
        EXPECT_EQ(host.Call(selectorPrepare), c.result) << c.what;
        EXPECT_EQ(TBAlertLog().size(), c.alert ? 1u : 0u) << c.what;
        if (c.alert && !TBAlertLog().empty()) {
            EXPECT_EQ(TBAlertLog()[0], 16000) << c.what;
        }
    }
    TestHost good(MakeTestImage(8, 8));
    EXPECT_EQ(good.Call(selectorPrepare), 0);
}

struct AreaCase {
    int width, height, tiles, threads;
};

TEST(RunSequence, FlatRunCoversTheAreaTileByTile) {
    const std::vector<std::uint8_t> block = MixedLightsBlock();
    // Rows shared among threads give the bytes of one thread, whatever the count.
    for (const AreaCase c : {AreaCase{100, 150, 6, 1}, AreaCase{128, 128, 4, 3}, AreaCase{1, 1, 1, 2},
                             AreaCase{65, 64, 2, 5}, AreaCase{100, 150, 6, 3}}) {
        TestHost host(MakeTestImage(c.width, c.height));
        host.threads = c.threads;
        host.SetParameterBlock(block.data(), block.size());
        ASSERT_EQ(host.RunWithoutDialog(), 0) << c.width << "x" << c.height;
        EXPECT_EQ(host.continueCalls, c.tiles);
        ASSERT_FALSE(host.progress.empty());
        EXPECT_EQ(host.progress.front(), std::make_pair(0, c.tiles));
        EXPECT_EQ(host.progress.back(), std::make_pair(c.tiles, c.tiles));
        const Rect area = {0, 0, std::int16_t(c.height), std::int16_t(c.width)};
        EXPECT_TRUE(sameImage(host.Result(), ShadeWhole(host.Source(), block, area)))
            << c.width << "x" << c.height;
    }
}

TEST(RunSequence, OnlyTheFilteredAreaChanges) {
    const std::vector<std::uint8_t> block = MixedLightsBlock();
    TestHost host(MakeTestImage(90, 70));
    host.SetArea(10, 5, 70, 50);
    host.SetParameterBlock(block.data(), block.size());
    ASSERT_EQ(host.RunWithoutDialog(), 0);
    const Rect area = {5, 10, 55, 80};
    EXPECT_TRUE(sameImage(host.Result(), ShadeWhole(host.Source(), block, area)));
    EXPECT_NE(host.Result().rgb, host.Source().rgb);
}

TEST(RunSequence, ObjectAndSettingsSurviveAcrossRuns) {
    const std::vector<std::uint8_t> block = MixedLightsBlock();
    TestHost host(MakeTestImage(40, 30));
    host.SetParameterBlock(block.data(), block.size());
    ASSERT_EQ(host.RunWithoutDialog(), 0);
    const std::intptr_t object = host.GlobalsSlot();
    const Image first = host.Result();
    const LM_globals* g = reinterpret_cast<const LM_globals*>(object);
    EXPECT_TRUE(g->UseCurrentSettings());
    EXPECT_EQ(g->bumpMap.heights, nullptr); // finish released the per-run buffers
    ASSERT_EQ(host.RunWithoutDialog(), 0);
    EXPECT_EQ(host.GlobalsSlot(), object);
    EXPECT_TRUE(sameImage(host.Result(), first));
}

TEST(RunSequence, RunWithoutAUsableBlockShadesNothing) {
    const std::vector<std::uint8_t> good = MixedLightsBlock();
    std::vector<std::vector<std::uint8_t>> bad;
    bad.push_back({});                                                      // no handle at all
    bad.push_back(std::vector<std::uint8_t>(good.begin(), good.end() - 1)); // short
    bad.push_back(good);
    bad.back()[0] ^= 0xFF; // foreign signature
    bad.push_back(good);
    bad.back()[7] = 2; // unknown version
    bad.push_back(good);
    bad.back()[37] = 17; // more than 16 lights
    bad.push_back(good);
    bad.back()[40 + 3] = 7; // light 0 of an unknown type
    for (std::size_t i = 0; i < bad.size(); ++i) {
        TestHost host(MakeTestImage(20, 20));
        host.SetParameterBlock(bad[i].empty() ? nullptr : bad[i].data(), bad[i].size());
        EXPECT_EQ(host.RunWithoutDialog(), filterBadSelector) << "case " << i;
        EXPECT_EQ(host.continueCalls, 0) << "case " << i;
        EXPECT_EQ(host.Result().rgb, host.Source().rgb) << "case " << i;
    }
}

TEST(RunSequence, StartBuildsTheDialogHiddenAndFinishTearsItDown) {
    TestHost host(MakeTestImage(20, 20));
    EXPECT_EQ(host.Call(selectorParameters), 0);
    EXPECT_EQ(host.Call(selectorPrepare), 0);
    EXPECT_EQ(host.Call(selectorStart), 0);
    const LM_globals* g = reinterpret_cast<const LM_globals*>(host.GlobalsSlot());
    ASSERT_NE(g, nullptr);
    ASSERT_NE(g->dialog, nullptr);
    EXPECT_FALSE(reinterpret_cast<WindowPeek>(g->dialog)->visible);
    EXPECT_EQ(g->previewSize.x, 20) << "a small area is previewed at full size";
    EXPECT_EQ(host.Call(selectorFinish), 0);
    EXPECT_EQ(g->dialog, nullptr);
    EXPECT_EQ(g->dialogTemplate, nullptr);
    EXPECT_EQ(g->previewMap.baseAddr, nullptr);
}

TEST(RunSequence, AbortStopsBetweenTiles) {
    const std::vector<std::uint8_t> flat = MixedLightsBlock();
    const std::vector<std::uint8_t> textured = MixedLightsBlock(4);
    for (const auto* block : {&flat, &textured}) {
        TestHost host(MakeTestImage(200, 130));
        host.AddChannel(std::vector<std::uint8_t>(200 * 130, 90));
        host.SetParameterBlock(block->data(), block->size());
        host.abortAfterQueries = 0;
        EXPECT_EQ(host.RunWithoutDialog(), filterStop);
        EXPECT_EQ(host.continueCalls, 1);
        EXPECT_EQ(host.Result().rgb, host.Source().rgb); // stopped before any tile was shaded
    }
}

TEST(RunSequence, AbortLaterKeepsTheTilesAlreadyDone) {
    const std::vector<std::uint8_t> block = MixedLightsBlock();
    TestHost host(MakeTestImage(128, 64));
    host.SetParameterBlock(block.data(), block.size());
    host.abortAfterQueries = 64; // the first tile asks once, then once per row
    EXPECT_EQ(host.RunWithoutDialog(), filterStop);
    EXPECT_EQ(host.continueCalls, 2);
    const Image whole = ShadeWhole(host.Source(), block, {0, 0, 64, 128});
    for (int y = 0; y < 64; ++y) {
        EXPECT_EQ(0, std::memcmp(host.Result().at(0, y), whole.at(0, y), 64 * 3)) << y;
        EXPECT_EQ(0, std::memcmp(host.Result().at(64, y), host.Source().at(64, y), 64 * 3)) << y;
    }
}

} // namespace
