// CopyBits scaling and clipping, and cursors read from resources.
#include "Backend.h"
#include "Memory.h"
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

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
    // Each source pixel becomes 2x2.
    EXPECT_EQ((std::vector{TBGetPixel(dst.get(), 1, 1), TBGetPixel(dst.get(), 2, 2),
                           TBGetPixel(dst.get(), 3, 1), TBGetPixel(dst.get(), 1, 3),
                           TBGetPixel(dst.get(), 4, 4), std::uint32_t(dst.countNonWhite())}),
              (std::vector<std::uint32_t>{0xFF0000u, 0xFF0000u, 0x00FF00u, 0x0000FFu, 0x101010u, 16}));

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
    // Source (7,5) lands at (2,2); outside the source is left alone.
    EXPECT_EQ(
        (std::tuple{TBGetPixel(dst.get(), 2, 2), TBGetPixel(dst.get(), 4, 4), TBGetPixel(dst.get(), 1, 1)}),
        (std::tuple{0x102030u, 0x405060u, 0xFFFFFFu}));
    TBDisposeOffscreenPort(src);
}

namespace {
Handle cursorResource = nullptr;
Handle fetchCursor(ResType type, std::int16_t id) {
    return type == FOUR_CHAR("CURS") && id == 128 ? cursorResource : nullptr;
}
} // namespace

// The watch and the arrow are checked by the dialog's rendering test; the module's own cursor is a resource.
TEST(Cursors, ResourceCursorsAreReadBigEndian) {
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
    EXPECT_EQ((std::tuple{(**c).data[0], (**c).mask[0], (**c).hotSpot.v, (**c).hotSpot.h}),
              (std::tuple{0x8000, 0x0001, 3, 5}));
    TBSetResourceFetcher(nullptr);
    DisposeHandle(cursorResource);
}
