// CopyBits: scaling, clipping, and maps whose bounds do not start at the origin.
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
    EXPECT_EQ(
        (std::vector{TBGetPixel(dst.get(), 1, 1), TBGetPixel(dst.get(), 2, 2), TBGetPixel(dst.get(), 3, 1),
                     TBGetPixel(dst.get(), 1, 3), TBGetPixel(dst.get(), 4, 4)}),
        (std::vector<std::uint32_t>{0xFF0000u, 0xFF0000u, 0x00FF00u, 0x0000FFu, 0x101010u}));
    EXPECT_EQ(dst.picture(), rows({"......", ".####.", ".####.", ".####.", ".####.", "......"}));

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
