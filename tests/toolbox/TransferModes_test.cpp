// Transfer modes: the involutions the light figures rely on, arithmetic per channel, and the
// indexed behaviour of depth-8 ports.
#include "PortPicture.h"

#include <gtest/gtest.h>

namespace {

// Fills the port with many different colours (exact table colours at depth 8).
void paintBackground(GrafPtr port) {
    const Rect& r = port->portRect;
    for (std::int16_t v = r.top; v < r.bottom; ++v)
        for (std::int16_t h = r.left; h < r.right; ++h)
            TBSetPixel(port, h, v, std::uint32_t(h * 0x0B1F37 + v * 0x2D0913) & 0xFFFFFF);
}

// The figure the light handles draw: a thick line, a framed oval, a painted rect and a grab box.
void drawFigure() {
    PenSize(2, 2);
    MoveTo(2, 3);
    LineTo(27, 17);
    PenSize(1, 1);
    Rect oval{4, 4, 20, 26}, box{10, 12, 15, 17};
    FrameOval(&oval);
    PaintOval(&box);
    PaintRect(&box);
}

void expectFigureTwiceRestores(std::int16_t depth, std::int16_t mode, const RGBColor& fore) {
    ScratchPort p(30, 20, depth);
    paintBackground(p.get());
    const auto before = p.pixels();
    RGBForeColor(&fore);
    PenMode(mode);
    drawFigure();
    EXPECT_NE(p.pixels(), before) << "depth " << depth << " mode " << mode << " drew nothing";
    drawFigure();
    EXPECT_EQ(p.pixels(), before) << "depth " << depth << " mode " << mode;
}

} // namespace

TEST(TransferModes, FiguresDrawnTwiceInTheReversibleModesRestoreEveryPixel) {
    const RGBColor grey{0x8000, 0x8000, 0x8000}, red{0xFFFF, 0, 0};
    expectFigureTwiceRestores(32, patXor, red);
    expectFigureTwiceRestores(8, patXor, red);
    expectFigureTwiceRestores(32, addOver, grey);
    expectFigureTwiceRestores(32, srcXor, red); // source modes act as pattern modes on shapes
}

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
    EXPECT_EQ(paintOver(0x204060, RGBColor{0x4040, 0x2020, 0x1010}, adMax), 0x404060u);
    EXPECT_EQ(paintOver(0x204060, RGBColor{0x4040, 0x2020, 0x1010}, adMin), 0x202010u);
    RGBColor half{0x8000, 0x8000, 0x8000};
    OpColor(&half);
    EXPECT_EQ(paintOver(0x000000, RGBColor{0xFFFF, 0xFFFF, 0xFFFF}, blend), 0x808080u) << "half-way blend";
    RGBColor pin{0x9000, 0xFFFF, 0x3000};
    OpColor(&pin);
    EXPECT_EQ(paintOver(0x808080, RGBColor{0x4040, 0x4040, 0x4040}, addPin), 0x90C030u)
        << "sum pinned at opColor";
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
