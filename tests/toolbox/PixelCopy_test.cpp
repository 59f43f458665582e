// CopyBits scaling and clipping, colour icons through their masks, and cursors.
#include "Backend.h"
#include "Memory.h"
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CopyBits, ScalesByNearestNeighbourAndClipsToMaskAndPortClip) {
    const Rect srcBounds{0, 0, 2, 2};
    GrafPtr src = TBNewOffscreenPort(&srcBounds, 32);
    TBSetPixel(src, 0, 0, 0xFF0000);
    TBSetPixel(src, 1, 0, 0x00FF00);
    TBSetPixel(src, 0, 1, 0x0000FF);
    TBSetPixel(src, 1, 1, 0x101010);
    ScratchPort dst(6, 6);
    Rect to{1, 1, 5, 5};
    CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(dst.get()), &srcBounds, &to, srcCopy,
             nullptr);
    EXPECT_EQ(TBGetPixel(dst.get(), 1, 1), 0xFF0000u);
    EXPECT_EQ(TBGetPixel(dst.get(), 2, 2), 0xFF0000u) << "each source pixel becomes 2x2";
    EXPECT_EQ(TBGetPixel(dst.get(), 3, 1), 0x00FF00u);
    EXPECT_EQ(TBGetPixel(dst.get(), 1, 3), 0x0000FFu);
    EXPECT_EQ(TBGetPixel(dst.get(), 4, 4), 0x101010u);
    EXPECT_EQ(dst.countNonWhite(), 16);

    EraseRect(&dst.get()->portRect);
    RgnHandle mask = NewRgn();
    SetRectRgn(mask, 0, 0, 3, 6);
    Rect clip{0, 0, 2, 6};
    ClipRect(&clip);
    CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(dst.get()), &srcBounds, &to, srcCopy,
             mask);
    EXPECT_EQ(dst.picture(), rows({"......", ".##...", "......", "......", "......", "......"}))
        << "mask (columns < 3) and the current port's clip (rows < 2) both apply";
    DisposeRgn(mask);
    TBDisposeOffscreenPort(src);
}

TEST(CopyBits, SameSizeCopiesHonourBothMapsBoundsAndOnlyCopyWhatTheSourceHas) {
    const Rect srcBounds{5, 7, 8, 10}; // a 3x3 map whose local origin is not its corner
    GrafPtr src = TBNewOffscreenPort(&srcBounds, 32);
    TBSetPixel(src, 7, 5, 0xFF000000u | 0x102030u);
    TBSetPixel(src, 9, 7, 0x405060u);
    ScratchPort dst(6, 6);
    const Rect from{4, 6, 8, 10}; // reaches one row and column outside the source
    const Rect to{1, 1, 5, 5};
    CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(dst.get()), &from, &to, srcCopy,
             nullptr);
    EXPECT_EQ(TBGetPixel(dst.get(), 2, 2), 0x102030u) << "source (7,5) lands at (2,2)";
    EXPECT_EQ(TBGetPixel(dst.get(), 4, 4), 0x405060u);
    EXPECT_EQ(TBGetPixel(dst.get(), 1, 1), 0xFFFFFFu) << "outside the source: left alone";
    TBDisposeOffscreenPort(src);
}

namespace {
const std::uint32_t pixels[4] = {0x112233, 0x445566, 0x778899, 0xAABBCC};
}

TEST(ColourIcons, PlotThroughTheMaskWithExactColoursWhateverTheForeColour) {
    const std::uint8_t mask[4] = {1, 0, 1, 1};
    CIconHandle icon = TBNewCIcon(2, 2, pixels, mask);
    ASSERT_NE(icon, nullptr);
    ScratchPort p(4, 4);
    RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    Rect at{0, 0, 4, 4};
    PlotCIcon(&at, icon);
    EXPECT_EQ(TBGetPixel(p.get(), 0, 0), 0x112233u);
    EXPECT_EQ(TBGetPixel(p.get(), 3, 3), 0xAABBCCu) << "scaled to the rect";
    EXPECT_EQ(TBGetPixel(p.get(), 2, 0), 0xFFFFFFu) << "masked out pixels are left alone";
    EXPECT_EQ(p.get()->rgbFgColor.red, 0xFFFF) << "colours restored";
    DisposeCIcon(icon);

    const long before = TBHeapLiveBlocks();
    TBFailAllocation(2);
    EXPECT_EQ(TBNewCIcon(2, 2, pixels, nullptr), nullptr) << "out of memory gives null";
    EXPECT_EQ(TBHeapLiveBlocks(), before) << "and leaks nothing";
    EXPECT_EQ(GetCIcon(128), nullptr) << "no icon builder registered";
    TBSetIconBuilder([](std::int16_t id) { return id == 128 ? TBNewCIcon(1, 1, pixels, nullptr) : nullptr; });
    CIconHandle built = GetCIcon(128);
    ASSERT_NE(built, nullptr);
    EXPECT_EQ((**built).pixels[0], 0x112233u);
    DisposeCIcon(built);
    TBSetIconBuilder(nullptr);
}

namespace {
Handle cursorResource = nullptr;
Handle fetchCursor(ResType type, std::int16_t id) {
    return type == FOUR_CHAR("CURS") && id == 128 ? cursorResource : nullptr;
}
} // namespace

TEST(Cursors, SystemCursorsExistAndResourceCursorsAreReadBigEndian) {
    InitCursor();
    EXPECT_EQ(std::memcmp(TBCurrentCursor(), &qd.arrow, sizeof(Cursor)), 0);
    CursHandle watch = GetCursor(watchCursor);
    ASSERT_NE(watch, nullptr);
    SetCursor(*watch);
    EXPECT_EQ(std::memcmp(TBCurrentCursor(), *watch, sizeof(Cursor)), 0);
    HideCursor();
    EXPECT_FALSE(TBCursorVisible());
    SetArrowCursor();
    EXPECT_FALSE(TBCursorVisible()) << "SetArrowCursor leaves the hide level";
    ShowCursor();
    ShowCursor();
    EXPECT_TRUE(TBCursorVisible());
    HideCursor();
    InitCursor();
    EXPECT_TRUE(TBCursorVisible()) << "InitCursor shows it";

    EXPECT_EQ(GetCursor(128), nullptr);
    cursorResource = NewHandleClear(68);
    auto* bytes = reinterpret_cast<std::uint8_t*>(*cursorResource);
    bytes[0] = 0x80;  // data row 0: leftmost pixel
    bytes[33] = 0x01; // mask row 0 = 0x0001
    bytes[65] = 3;    // hot spot v
    bytes[67] = 5;    // hot spot h
    TBSetResourceFetcher(fetchCursor);
    CursHandle c = GetCursor(128);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ((**c).data[0], 0x8000);
    EXPECT_EQ((**c).mask[0], 0x0001);
    EXPECT_EQ((**c).hotSpot.v, 3);
    EXPECT_EQ((**c).hotSpot.h, 5);
    TBSetResourceFetcher(nullptr);
    DisposeHandle(cursorResource);
}
