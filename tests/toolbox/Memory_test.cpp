#include "Memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace {

struct MemoryTest : ::testing::Test {
    Size limit = TBHeapLimit();
    ~MemoryTest() override {
        TBSetHeapLimit(limit);
        TBFailAllocation(0);
    }
};

TEST_F(MemoryTest, TheLimitAndInjectedFailuresRefuseAllocations) {
    TBSetHeapLimit(TBHeapLiveBytes() + 4096);
    EXPECT_EQ((std::tuple{MaxBlock(), NewPtr(4097), MemError()}), (std::tuple{4096, nullptr, memFullErr}));
    Ptr p = NewPtr(4096);
    EXPECT_EQ((std::tuple{p != nullptr, MemError(), NewHandle(1)}), (std::tuple{true, noErr, nullptr}));
    DisposePtr(p);

    TBSetHeapLimit(limit);
    TBFailAllocation(2);
    Ptr allocated[] = {NewPtr(8), NewPtr(8), NewPtr(8)};
    EXPECT_EQ((std::tuple{allocated[0] != nullptr, allocated[1], allocated[2] != nullptr}),
              (std::tuple{true, nullptr, true}))
        << "the second fails, once";
    DisposePtr(allocated[0]);
    DisposePtr(allocated[2]);
}

TEST_F(MemoryTest, PurgeableHandlesGiveBackTheirSpace) {
    TBSetHeapLimit(TBHeapLiveBytes() + 10000);
    Handle purgeable = NewHandle(6000);
    Handle locked = NewHandle(1000);
    HPurge(purgeable);
    HPurge(locked);
    HLock(locked);
    long total = 0, contig = 0;
    PurgeSpace(&total, &contig);
    // A locked block cannot be purged, and asking purges nothing.
    EXPECT_EQ((std::tuple{total, MaxBlock(), *purgeable != nullptr}), (std::tuple{3000 + 6000, 3000, true}));
    PurgeMem(5000);
    // The master pointer stays, emptied.
    EXPECT_EQ((std::tuple{*purgeable, *locked != nullptr, MaxBlock()}), (std::tuple{nullptr, true, 9000}));
    HNoPurge(locked);
    HUnlock(locked);
    Size grow = -1;
    EXPECT_EQ((std::tuple{MaxMem(&grow), grow}), (std::tuple{9000, 0})) << "not purgeable any more";
    DisposeHandle(purgeable);
    DisposeHandle(locked);
}

// That blocks are counted until disposed is checked by the module's out-of-memory sweep.
TEST_F(MemoryTest, HandlesResizeKeepingTheirContents) {
    Ptr p = NewPtrClear(1000);
    EXPECT_EQ(p[999], 0);
    DisposePtr(p);
    DisposePtr(nullptr);
    DisposeHandle(nullptr);
    Handle h = NewHandle(4);
    std::memcpy(*h, "abcd", 4);
    SetHandleSize(h, 100000);
    EXPECT_EQ((std::tuple{MemError(), GetHandleSize(h), std::memcmp(*h, "abcd", 4)}),
              (std::tuple{noErr, 100000, 0}));
    SetHandleSize(h, 2);
    HLock(h);
    SetHandleSize(h, 10); // a locked block cannot move to grow
    EXPECT_EQ((std::tuple{MemError(), GetHandleSize(h)}), (std::tuple{memLockedErr, 2}));
    DisposeHandle(h);
    EXPECT_EQ((std::tuple{GetHandleSize(nullptr), MemError()}), (std::tuple{0, nilHandleErr}));
}

} // namespace
