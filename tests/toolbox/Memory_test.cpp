#include "Memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct MemoryTest : ::testing::Test {
    Size limit = TBHeapLimit();
    ~MemoryTest() override {
        TBSetHeapLimit(limit);
        TBFailAllocation(0);
    }
};

TEST_F(MemoryTest, BlocksAreCountedUntilDisposed) {
    const Size bytes = TBHeapLiveBytes();
    const long blocks = TBHeapLiveBlocks();
    Ptr p = NewPtrClear(1000);
    Handle h = NewHandle(500);
    ASSERT_TRUE(p && h && *h);
    EXPECT_EQ(p[999], 0);
    EXPECT_EQ(GetPtrSize(p), 1000);
    EXPECT_EQ(GetHandleSize(h), 500);
    EXPECT_EQ(TBHeapLiveBytes() - bytes, 1500);
    EXPECT_EQ(TBHeapLiveBlocks() - blocks, 2);
    DisposePtr(p);
    DisposeHandle(h);
    DisposePtr(nullptr);
    DisposeHandle(nullptr);
    EXPECT_EQ(TBHeapLiveBytes(), bytes);
    EXPECT_EQ(TBHeapLiveBlocks(), blocks);
}

TEST_F(MemoryTest, TheLimitAndInjectedFailuresRefuseAllocations) {
    TBSetHeapLimit(TBHeapLiveBytes() + 4096);
    EXPECT_EQ(MaxBlock(), 4096);
    EXPECT_EQ(NewPtr(4097), nullptr);
    EXPECT_EQ(MemError(), memFullErr);
    Ptr p = NewPtr(4096);
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(NewHandle(1), nullptr);
    DisposePtr(p);

    TBSetHeapLimit(limit);
    TBFailAllocation(2);
    Ptr first = NewPtr(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(NewPtr(8), nullptr); // the second fails, once
    Ptr third = NewPtr(8);
    EXPECT_NE(third, nullptr);
    DisposePtr(first);
    DisposePtr(third);
}

TEST_F(MemoryTest, PurgeableHandlesGiveBackTheirSpace) {
    TBSetHeapLimit(TBHeapLiveBytes() + 10000);
    Handle purgeable = NewHandle(6000);
    Handle locked = NewHandle(1000);
    HPurge(purgeable);
    HPurge(locked);
    HLock(locked);
    EXPECT_EQ(HGetState(purgeable) & 0x40, 0x40);
    EXPECT_EQ(HGetState(locked) & 0x80, 0x80);
    long total = 0, contig = 0;
    PurgeSpace(&total, &contig);
    EXPECT_EQ(total, 3000 + 6000); // a locked block cannot be purged
    EXPECT_EQ(MaxBlock(), 3000);   // nothing purged by asking
    ASSERT_NE(*purgeable, nullptr);
    PurgeMem(5000);
    EXPECT_EQ(*purgeable, nullptr); // the master pointer stays, emptied
    EXPECT_NE(*locked, nullptr);
    EXPECT_EQ(MaxBlock(), 9000);
    HNoPurge(locked);
    HUnlock(locked);
    EXPECT_EQ(HGetState(locked), 0);
    Size grow = -1;
    EXPECT_EQ(MaxMem(&grow), 9000); // not purgeable any more
    EXPECT_EQ(grow, 0);
    DisposeHandle(purgeable);
    DisposeHandle(locked);
}

TEST_F(MemoryTest, HandlesResizeKeepingTheirContents) {
    Handle h = NewHandle(4);
    std::memcpy(*h, "abcd", 4);
    SetHandleSize(h, 100000);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(GetHandleSize(h), 100000);
    EXPECT_EQ(std::memcmp(*h, "abcd", 4), 0);
    SetHandleSize(h, 2);
    EXPECT_EQ(GetHandleSize(h), 2);
    HLock(h);
    SetHandleSize(h, 10); // a locked block cannot move to grow
    EXPECT_EQ(MemError(), memLockedErr);
    EXPECT_EQ(GetHandleSize(h), 2);
    DisposeHandle(h);
    EXPECT_EQ(GetHandleSize(nullptr), 0);
    EXPECT_EQ(MemError(), nilHandleErr);
}

TEST_F(MemoryTest, BlockMoveHandlesOverlap) {
    char text[] = "0123456789";
    BlockMove(text, text + 2, 6);
    EXPECT_STREQ(text, "0101234589");
    BlockMoveData(text + 2, text, 6);
    EXPECT_STREQ(text, "0123454589");
}

} // namespace
