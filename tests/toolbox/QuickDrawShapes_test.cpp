// Pixel coverage of rectangles, ovals and lines against hand-drawn expectations.
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

// A line between the points with a square pen of the size, which it leaves at its end.
std::function<void()> line(std::int16_t pen, Point from, Point to) {
    return [=] {
        PenSize(pen, pen);
        MoveTo(from.h, from.v);
        LineTo(to.h, to.v);
        EXPECT_EQ((std::tuple{qd.thePort->pnLoc.h, qd.thePort->pnLoc.v}), (std::tuple{to.h, to.v}));
    };
}

// `draw` of the rect with a pen of the size.
std::function<void()> shape(const std::function<void(const Rect*)>& draw, Rect r, std::int16_t penWidth = 1,
                            std::int16_t penHeight = 1) {
    return [=] {
        PenSize(penWidth, penHeight);
        draw(&r);
    };
}

const std::string kTenBySixOval =
    rows({"..######..", ".########.", "##########", "##########", ".########.", "..######.."});

} // namespace

TEST(QuickDrawShapes, EachCoversExactlyItsPixels) {
    struct Case {
        const char* what;
        std::int16_t width, height;
        std::function<void()> draw;
        std::string expected;
    };
    const Case cases[] = {
        {"a frame lies inside its rect, pnSize wide", 10, 8,
         shape(FrameRect, {0, 0, 6, 8}, 3, 2),
         rows({"########..", "########..", "###..###..", "###..###..", "########..", "########..",
               "..........", ".........."})},
        {"oval 8x8", 8, 8, shape(PaintOval, {0, 0, 8, 8}),
         rows({"..####..", ".######.", "########", "########", "########", "########", ".######.",
               "..####.."})},
        {"oval 5x5", 5, 5, shape(PaintOval, {0, 0, 5, 5}), rows({".###.", "#####", "#####", "#####", ".###."})},
        {"oval 10x6", 10, 6, shape(PaintOval, {0, 0, 6, 10}), kTenBySixOval},
        {"a framed oval is the oval less the oval inset by the pen", 10, 6, shape(FrameOval, {0, 0, 6, 10}),
         rows({"..######..", ".#......#.", "#........#", "#........#", ".#......#.", "..######.."})},
        // Corner diameters clamp to the rect; corner ovals below 4x4 give a plain rect.
        {"round rect with corners past the rect", 10, 6,
         shape([](const Rect* r) { PaintRoundRect(r, 8, 8); }, {0, 0, 6, 10}),
         kTenBySixOval},
        {"round rect with small corners", 4, 3,
         shape([](const Rect* r) { PaintRoundRect(r, 3, 3); }, {0, 0, 3, 4}),
         rows({"####", "####", "####"})},
        {"thick pens hang below right", 5, 5, line(3, {0, 0}, {2, 2}),
         rows({"###..", "####.", "#####", ".####", "..###"})},
        {"a thick line covers its pen at every point", 12, 5, line(3, {1, 1}, {1, 6}),
         rows({"............", ".########...", ".########...", ".########...", "............"})},
        {"a zero-length line is one pen", 3, 3, line(1, {1, 1}, {1, 1}), rows({"...", ".#.", "..."})},
        // Diagonals are cut in even runs whichever way they are drawn.
        {"shallow diagonal", 10, 2, line(1, {0, 0}, {1, 9}), rows({"#####.....", ".....#####"})},
        {"reversed", 10, 2, line(1, {1, 9}, {0, 0}), rows({"#####.....", ".....#####"})},
        {"uneven", 8, 4, line(1, {0, 0}, {3, 7}), rows({"##......", "..##....", "....#...", ".....###"})},
        {"steep", 2, 10, line(1, {0, 0}, {9, 1}),
         rows({"#.", "#.", "#.", "#.", "#.", ".#", ".#", ".#", ".#", ".#"})},
        {"a pen too large for the frame paints the whole rect", 4, 3,
         shape(FrameRect, {0, 0, 2, 3}, 5, 5),
         rows({"###.", "###.", "...."})},
        {"empty rects and zero-width pens draw nothing", 4, 3,
         [] {
             const Rect empty{1, 1, 1, 3}, r{0, 0, 3, 4};
             PaintRect(&empty);
             PenSize(0, 1);
             FrameRect(&r);
         },
         rows({"....", "....", "...."})},
        {"patterns align to the pixel grid", 8, 2,
         [] {
             PenPat(&qd.gray);
             PaintRect(&qd.thePort->portRect);
         },
         rows({"#.#.#.#.", ".#.#.#.#"})},
        {"the clip limits rects, lines and ovals", 6, 6,
         [] {
             const Rect clip{2, 2, 5, 5}, all{0, 0, 6, 6};
             ClipRect(&clip);
             PaintRect(&all);
             MoveTo(0, 4);
             LineTo(5, 4);
             PaintOval(&all);
         },
         rows({"......", "......", "..###.", "..###.", "..###.", "......"})},
        {"a hidden pen draws nothing", 2, 1,
         [] {
             HidePen();
             PaintRect(&qd.thePort->portRect);
             ShowPen();
         },
         rows({".."})},
        // The slider's indicator, as QuickDraw draws it for the module.
        {"the slider indicator hangs below right of its outline", 12, 6,
         [] {
             MoveTo(6, 0);
             DrawPISlider();
         },
         rows({"......#.....", ".....###....", "....#####...", "...#######..", "..#########.",
               ".###########"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(drawn(c.width, c.height, c.draw), c.expected) << c.what;
}

// Pattern bits take the foreground colour, the others the background. (Erasing and RGB patterns
// are checked by the module's light figures and dialogs.)
TEST(QuickDrawShapes, PatternBitsTakeTheForeColourAndTheOthersTheBackColour) {
    ScratchPort p(2, 1);
    RGBColor red{0xFFFF, 0, 0}, blue{0, 0, 0xFFFF};
    RGBForeColor(&red);
    RGBBackColor(&blue);
    PenPat(&qd.gray);
    PaintRect(&p.get()->portRect);
    EXPECT_EQ((std::tuple{TBGetPixel(p.get(), 0, 0), TBGetPixel(p.get(), 1, 0)}),
              (std::tuple{0xFF0000u, 0x0000FFu}));
}
