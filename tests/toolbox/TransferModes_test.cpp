// Transfer modes: arithmetic per channel and the indexed behaviour of depth-8 ports. That the
// reversible modes give the port back is checked by the module's light figures at both depths.
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(TransferModes, ArithmeticModesWorkPerEightBitChannel) {
    ScratchPort p(1, 1);
    RGBColor half{0x8000, 0x8000, 0x8000};
    OpColor(&half);
    const struct {
        std::uint32_t under;
        std::uint16_t fore;
        std::int16_t mode;
        std::uint32_t result;
        const char* why;
    } cases[] = {{0xF0F0F0, 0x2020, addOver, 0x101010, "addOver wraps"},
                 {0x000000, 0xFFFF, blend, 0x808080, "half-way blend"},
                 {0x808080, 0x4040, patOr, 0x404040, "patOr"},
                 {0x808080, 0x4040, patBic, 0xFFFFFF, "bic paints back"},
                 {0x808080, 0x4040, notPatOr, 0x808080, "inverted black pattern has no on pixels"}};
    for (const auto& c : cases) {
        TBSetPixel(p.get(), 0, 0, c.under);
        RGBColor fore{c.fore, c.fore, c.fore};
        RGBForeColor(&fore);
        PenMode(c.mode);
        PaintRect(&p.get()->portRect);
        EXPECT_EQ(TBGetPixel(p.get(), 0, 0), c.result) << c.why;
    }
}

TEST(TransferModes, InvertingFlipsChannelsOnDirectPortsAndTableIndicesOnIndexedOnes) {
    // White becomes black; on a depth-8 port white is index 0 and red index 35, which becomes
    // index 220, dark red.
    for (const auto& [depth, pixel, inverted] :
         {std::tuple{32, 0x123456u, 0xEDCBA9u}, {8, 0xFF0000u, 0x770000u}}) {
        ScratchPort p(2, 1, std::int16_t(depth));
        TBSetPixel(p.get(), 1, 0, pixel);
        InvertRect(&p.get()->portRect);
        EXPECT_EQ((std::tuple{TBGetPixel(p.get(), 0, 0), TBGetPixel(p.get(), 1, 0)}),
                  (std::tuple{0u, inverted}));
        TBSetPixel(p.get(), 0, 0, 0x123456);
        EXPECT_EQ(TBGetPixel(p.get(), 0, 0), depth == 8 ? 0x003366u : 0x123456u)
            << "depth-8 ports keep the nearest table colour";
    }
    ScratchPort p(2, 1);
    TBSetPixel(p.get(), 1, 0, 0x123456);
    PenMode(hilite);
    PaintRect(&p.get()->portRect);
    const std::uint32_t background = TBGetPixel(p.get(), 0, 0);
    EXPECT_EQ((std::tuple{background != 0xFFFFFF, TBGetPixel(p.get(), 1, 0)}), (std::tuple{true, 0x123456u}))
        << "background pixels take the highlight colour, other colours stay";
    PaintRect(&p.get()->portRect);
    EXPECT_EQ(TBGetPixel(p.get(), 0, 0), 0xFFFFFFu) << "highlighting twice restores";
}
