// Pixel coverage of rectangles, ovals and lines against hand-drawn expectations.
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

TEST(QuickDrawRects, FramePaintAndEraseCoverExactlyTheirPixels) {
    {
        ScratchPort p(32, 24);
        Rect r{10, 10, 20, 30};
        FrameRect(&r);
        // 2*20 + 2*8 pixels of a 1-pixel frame: the corners drawn, inside and the right edge not.
        EXPECT_EQ((std::tuple{p.countNonWhite(), TBGetPixel(p.get(), 10, 10), TBGetPixel(p.get(), 29, 19),
                              TBGetPixel(p.get(), 11, 11), TBGetPixel(p.get(), 30, 10)}),
                  (std::tuple{56, 0u, 0u, 0xFFFFFFu, 0xFFFFFFu}));
    }
    EXPECT_EQ(drawn(10, 8,
                    [] {
                        const Rect r{0, 0, 6, 8};
                        PenSize(3, 2);
                        FrameRect(&r);
                    }),
              rows({"########..", "########..", "###..###..", "###..###..", "########..", "########..",
                    "..........", ".........."}));
    {
        ScratchPort p(10, 8);
        Rect r{0, 0, 6, 8};
        PenSize(5, 5);
        FrameRect(&r);
        EXPECT_EQ(p.countNonWhite(), 48) << "a pen too large for the frame paints the whole rect";
        EraseRect(&r);
        Rect empty{4, 4, 4, 9};
        PaintRect(&empty);
        PenSize(0, 1);
        FrameRect(&r);
        EXPECT_EQ(p.countNonWhite(), 0) << "empty rects and zero-width pens draw nothing";
    }
    {
        ScratchPort p(8, 8);
        Rect r{2, 2, 7, 7};
        PaintRect(&r);
        EXPECT_EQ(p.countNonWhite(), 25);
        RGBColor grey{0x8080, 0x8080, 0x8080};
        RGBBackColor(&grey);
        EraseRect(&r);
        EXPECT_EQ(TBGetPixel(p.get(), 2, 2), 0x808080u) << "erase paints the background colour";
    }
}

TEST(QuickDrawRects, PatternsAreAlignedToThePixelGridAndColouredWithForeAndBack) {
    ScratchPort p(8, 2);
    Rect r{0, 0, 2, 8};
    FillRect(&r, &qd.gray);
    EXPECT_EQ(p.picture(), rows({"#.#.#.#.", ".#.#.#.#"}));
    RGBColor red{0xFFFF, 0, 0}, blue{0, 0, 0xFFFF};
    RGBForeColor(&red);
    RGBBackColor(&blue);
    PenPat(&qd.gray);
    PaintRect(&r);
    // Pattern 1 bits take the foreground, 0 bits the background in patCopy.
    EXPECT_EQ((std::tuple{TBGetPixel(p.get(), 0, 0), TBGetPixel(p.get(), 1, 0)}),
              (std::tuple{0xFF0000u, 0x0000FFu}));
}

// `shape` over the whole of a fresh port of the size.
template <class Shape> std::string whole(std::int16_t width, std::int16_t height, Shape shape) {
    return drawn(width, height, [&] {
        Rect r{0, 0, height, width};
        shape(&r);
    });
}

TEST(QuickDrawOvals, PixelCentresInsideTheEllipseAreCovered) {
    const std::string tenBySix =
        rows({"..######..", ".########.", "##########", "##########", ".########.", "..######.."});
    EXPECT_EQ(whole(8, 8, PaintOval), rows({"..####..", ".######.", "########", "########", "########",
                                            "########", ".######.", "..####.."}));
    EXPECT_EQ(whole(5, 5, PaintOval), rows({".###.", "#####", "#####", "#####", ".###."}));
    EXPECT_EQ(whole(10, 6, PaintOval), tenBySix);
    EXPECT_EQ(whole(10, 6, FrameOval),
              rows({"..######..", ".#......#.", "#........#", "#........#", ".#......#.", "..######.."}))
        << "frame = oval minus the oval inset by the pen";
    // Corner diameters clamp to the rect (8x6), its top rows going to the top corners; corner ovals
    // below 4x4 give a plain rect.
    EXPECT_EQ(whole(10, 6, [](const Rect* r) { PaintRoundRect(r, 8, 8); }), tenBySix);
    const std::string plain = whole(10, 6, [](const Rect* r) { PaintRoundRect(r, 3, 3); });
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '#'), 60);
}

// A line between the points with a square pen of the size.
std::string line(std::int16_t width, std::int16_t height, std::int16_t pen, Point from, Point to) {
    return drawn(width, height, [&] {
        PenSize(pen, pen);
        MoveTo(from.h, from.v);
        LineTo(to.h, to.v);
    });
}

TEST(QuickDrawLines, BothEndsAreDrawnAndThickPensHangBelowRight) {
    {
        ScratchPort p(12, 5);
        MoveTo(1, 1);
        PenSize(3, 3);
        LineTo(6, 1);
        Point pen;
        GetPen(&pen);
        EXPECT_EQ((std::tuple{p.countNonWhite(), TBGetPixel(p.get(), 8, 3), pen.h}), (std::tuple{24, 0u, 6}))
            << "(1,1)-(6,1) with a 3x3 pen covers 8 x 3";
    }
    EXPECT_EQ(line(5, 5, 3, {0, 0}, {2, 2}), rows({"###..", "####.", "#####", ".####", "..###"}));
    EXPECT_EQ(line(3, 3, 1, {1, 1}, {1, 1}), rows({"...", ".#.", "..."})) << "a zero-length line is one pen";
}

TEST(QuickDrawLines, DiagonalsAreCutInEvenRunsWhicheverWayTheyAreDrawn) {
    EXPECT_EQ(line(10, 2, 1, {0, 0}, {1, 9}), rows({"#####.....", ".....#####"}));
    EXPECT_EQ(line(10, 2, 1, {1, 9}, {0, 0}), rows({"#####.....", ".....#####"})) << "reversed line";
    EXPECT_EQ(line(8, 4, 1, {0, 0}, {3, 7}), rows({"##......", "..##....", "....#...", ".....###"}));
    EXPECT_EQ(line(2, 10, 1, {0, 0}, {9, 1}),
              rows({"#.", "#.", "#.", "#.", "#.", ".#", ".#", ".#", ".#", ".#"}));
}

TEST(QuickDrawPen, RGBPatternsFillSolidInTheirOwnColour) {
    ScratchPort p(4, 4);
    PixPatHandle pat = NewPixPat();
    RGBColor teal{0x1234, 0x8899, 0xAABB};
    MakeRGBPat(pat, &teal);
    Rect r{0, 0, 4, 4};
    FillCRect(&r, pat);
    const std::uint32_t filled = TBGetPixel(p.get(), 3, 3);
    RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    EraseRect(&r);
    FillCOval(&r, pat);
    EXPECT_EQ((std::tuple{filled, TBGetPixel(p.get(), 1, 1)}), (std::tuple{0x1288AAu, 0x1288AAu}))
        << "fore colour does not tint an RGB pattern";
    DisposePixPat(pat);
}
