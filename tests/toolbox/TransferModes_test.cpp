// Transfer modes: arithmetic per channel and the indexed behaviour of depth-8 ports. That the
// reversible modes give the port back is checked by the module's light figures at both depths.
#include "PortPicture.h"

#include <gtest/gtest.h>

TEST(TransferModes, ArithmeticModesWorkPerEightBitChannel) {
    ScratchPort p(1, 1);
    Rect r{0, 0, 1, 1};
    auto paintOver = [&](std::uint32_t under, RGBColor fore, std::int16_t mode) {
        TBSetPixel(p.get(), 0, 0, under);
        RGBForeColor(&fore);
        PenMode(mode);
        PaintRect(&r);
        return TBGetPixel(p.get(), 0, 0);
    };
    EXPECT_EQ(paintOver(0xF0F0F0, RGBColor{0x2020, 0x2020, 0x2020}, addOver), 0x101010u) << "addOver wraps";
    RGBColor half{0x8000, 0x8000, 0x8000};
    OpColor(&half);
    EXPECT_EQ(paintOver(0x000000, RGBColor{0xFFFF, 0xFFFF, 0xFFFF}, blend), 0x808080u) << "half-way blend";
    EXPECT_EQ(paintOver(0x808080, RGBColor{0x4040, 0x4040, 0x4040}, patOr), 0x404040u);
    EXPECT_EQ(paintOver(0x808080, RGBColor{0x4040, 0x4040, 0x4040}, patBic), 0xFFFFFFu) << "bic paints back";
    EXPECT_EQ(paintOver(0x808080, RGBColor{0x4040, 0x4040, 0x4040}, notPatOr), 0x808080u)
        << "inverted black pattern has no on pixels";
}

TEST(TransferModes, InvertingFlipsChannelsOnDirectPortsAndTableIndicesOnIndexedOnes) {
    {
        ScratchPort p(2, 1);
        TBSetPixel(p.get(), 1, 0, 0x123456);
        Rect r{0, 0, 1, 2};
        InvertRect(&r);
        EXPECT_EQ(TBGetPixel(p.get(), 0, 0), 0x000000u);
        EXPECT_EQ(TBGetPixel(p.get(), 1, 0), 0xEDCBA9u);
    }
    {
        ScratchPort p(2, 1, 8);
        TBSetPixel(p.get(), 1, 0, 0xFF0000);
        Rect r{0, 0, 1, 2};
        InvertRect(&r);
        EXPECT_EQ(TBGetPixel(p.get(), 0, 0), 0x000000u) << "white (index 0) becomes black (255)";
        EXPECT_EQ(TBGetPixel(p.get(), 1, 0), 0x770000u) << "red (index 35) becomes index 220, dark red";
        TBSetPixel(p.get(), 0, 0, 0x123456);
        EXPECT_EQ(TBGetPixel(p.get(), 0, 0), 0x003366u) << "depth-8 ports keep the nearest table colour";
    }
    {
        ScratchPort p(2, 1);
        TBSetPixel(p.get(), 1, 0, 0x123456);
        Rect r{0, 0, 1, 2};
        PenMode(hilite);
        PaintRect(&r);
        EXPECT_NE(TBGetPixel(p.get(), 0, 0), 0xFFFFFFu) << "background pixels take the highlight colour";
        EXPECT_EQ(TBGetPixel(p.get(), 1, 0), 0x123456u) << "other colours stay";
        PaintRect(&r);
        EXPECT_EQ(TBGetPixel(p.get(), 0, 0), 0xFFFFFFu) << "highlighting twice restores";
    }
}
