// Out of memory at every allocation a run makes: the run ends with -108, nothing leaks, and the
// object (when it survives) serves the next run.
#include "LM_globals.h"
#include "Memory.h"
#include "TestBlocks.h"
#include "TestHost.h"

#include <gtest/gtest.h>

namespace {

struct HeapGuard {
    ~HeapGuard() {
        TBFailAllocation(0);
        TBSetHeapLimit(Size(4) << 30);
    }
};

void expectEachAllocationFailureHandled(const std::vector<std::uint8_t>& block, bool texture) {
    HeapGuard guard;
    const Image image = MakeTestImage(70, 40);
    bool completed = false;
    for (long nth = 1; !completed && nth < 50; ++nth) {
        const long liveBefore = TBHeapLiveBlocks();
        TestHost host(image);
        if (texture)
            host.AddChannel(std::vector<std::uint8_t>(70 * 40, 200));
        host.SetParameterBlock(block.data(), block.size());
        const long parameterBlocks = TBHeapLiveBlocks() - liveBefore;
        TBFailAllocation(nth);
        const std::int16_t result = host.RunWithoutDialog();
        TBFailAllocation(0);
        if (result == 0) {
            completed = true;
        } else {
            EXPECT_EQ(result, filterMemFull) << "failing allocation " << nth;
            EXPECT_EQ(host.Result().rgb, host.Source().rgb) << "failing allocation " << nth;
        }
        // Whatever failed, the next run on the same host completes.
        EXPECT_EQ(host.RunWithoutDialog(), 0) << "after failing allocation " << nth;
        host.Unload();
        EXPECT_EQ(TBHeapLiveBlocks() - liveBefore, parameterBlocks)
            << "leak after failing allocation " << nth;
    }
    EXPECT_TRUE(completed);
}

TEST(OutOfMemory, EveryAllocationOfAFlatRunFailsCleanly) {
    expectEachAllocationFailureHandled(MixedLightsBlock(), false);
}

TEST(OutOfMemory, EveryAllocationOfATexturedRunFailsCleanly) {
    expectEachAllocationFailureHandled(MixedLightsBlock(4), true);
}

TEST(OutOfMemory, GuardedAllocatorKeepsPurgeableSpaceInReserve) {
    HeapGuard guard;
    TestHost host(MakeTestImage(8, 8));
    // Room for the object itself, but not for it plus the reserve of 16384 bytes.
    TBSetHeapLimit(TBHeapLiveBytes() + Size(sizeof(LM_globals)) + 16000);
    EXPECT_EQ(host.Call(selectorAbout), filterMemFull);
    EXPECT_EQ(host.GlobalsSlot(), 0);
    TBSetHeapLimit(TBHeapLiveBytes() + Size(sizeof(LM_globals)) + 16384);
    EXPECT_EQ(host.Call(selectorAbout), 0);
    EXPECT_NE(host.GlobalsSlot(), 0);
}

TEST(OutOfMemory, TextureCaptureGrowsItsMapOnlyWhenNeeded) {
    // A full tile's map fits the block allocated at start: a textured run makes no allocation per tile.
    const std::vector<std::uint8_t> block = MixedLightsBlock(4);
    TestHost host(MakeTestImage(200, 130));
    host.AddChannel(std::vector<std::uint8_t>(200 * 130, 10));
    host.SetParameterBlock(block.data(), block.size());
    const long before = TBAllocationCount();
    ASSERT_EQ(host.RunWithoutDialog(), 0);
    EXPECT_EQ(TBAllocationCount() - before, 2); // the object and the height map
}

} // namespace
