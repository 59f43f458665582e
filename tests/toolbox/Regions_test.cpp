// Regions: set operations, recording outlines between OpenRgn and CloseRgn, and clipping.
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {
// A region owned by the test.
struct Rgn {
    RgnHandle h = NewRgn();
    ~Rgn() { DisposeRgn(h); }
    operator RgnHandle() const { return h; }
};
} // namespace

TEST(Regions, SetOperationsAndPointTestsFollowTheHalfOpenGrid) {
    Rgn a, b, out;
    SetRectRgn(a, 0, 0, 10, 10);
    SetRectRgn(b, 5, 5, 15, 15);
    EXPECT_EQ((**a.h).rgnSize, 10) << "a rectangular region is just its header";
    UnionRgn(a, b, out);
    EXPECT_TRUE(PtInRgn(Point{12, 12}, out));
    EXPECT_FALSE(PtInRgn(Point{12, 2}, out)) << "the union is not its bounding box";
    EXPECT_GT((**out.h).rgnSize, 10);
    const Rect box{0, 0, 15, 15};
    EXPECT_TRUE(EqualRect(&(**out.h).rgnBBox, &box));
    SectRgn(a, b, out);
    Rgn expected;
    SetRectRgn(expected, 5, 5, 10, 10);
    EXPECT_TRUE(EqualRgn(out, expected));
    EXPECT_FALSE(PtInRgn(Point{10, 9}, out)) << "bottom edge excluded";
    DiffRgn(a, b, out);
    EXPECT_TRUE(PtInRgn(Point{4, 9}, out));
    EXPECT_FALSE(PtInRgn(Point{6, 6}, out));
    XorRgn(a, a, a);
    EXPECT_TRUE(EmptyRgn(a)) << "destination may be a source";
    OffsetRgn(b, 10, -5);
    EXPECT_TRUE(PtInRgn(Point{0, 15}, b));
    InsetRgn(b, 2, 3);
    SetRectRgn(expected, 17, 3, 23, 7);
    EXPECT_TRUE(EqualRgn(b, expected));
    Rect probe{9, 16, 12, 18};
    EXPECT_FALSE(RectInRgn(&probe, b));
}

TEST(Regions, OpenRgnRecordsLinePathsAndFramedShapesEvenOdd) {
    ScratchPort p(40, 40);
    Rgn path;
    OpenRgn();
    MoveTo(10, 10);
    LineTo(20, 10);
    LineTo(20, 20);
    LineTo(10, 20);
    LineTo(10, 10);
    CloseRgn(path);
    Rgn square;
    SetRectRgn(square, 10, 10, 20, 20);
    EXPECT_TRUE(EqualRgn(path, square)) << "a closed path along grid lines encloses exactly 100 pixels";
    EXPECT_EQ(p.countNonWhite(), 0) << "nothing is drawn while recording";
    EXPECT_EQ(p.get()->pnVis, 0) << "CloseRgn shows the pen again";

    Rgn two;
    OpenRgn();
    Rect r1{0, 0, 10, 10}, r2{5, 5, 15, 15};
    FrameRect(&r1);
    FrameRect(&r2);
    PaintRect(&r1); // paints add nothing
    CloseRgn(two);
    EXPECT_TRUE(PtInRgn(Point{0, 0}, two));
    EXPECT_TRUE(PtInRgn(Point{12, 12}, two));
    EXPECT_FALSE(PtInRgn(Point{7, 7}, two)) << "overlapping framed shapes cancel";

    Rgn oval;
    Rect box{3, 3, 13, 11};
    OpenRgn();
    FrameOval(&box);
    CloseRgn(oval);
    PaintRgn(oval);
    const std::string fromRegion = p.picture();
    EraseRect(&p.get()->portRect);
    PaintOval(&box);
    EXPECT_EQ(p.picture(), fromRegion) << "a framed oval records the area PaintOval covers";
}

// The indicator drawn hangs below and right of its outline, as pens do; the region it records is
// the area the outline encloses. Both start at the pen, which stays where it was.
TEST(Regions, SliderIndicatorTracesItsOutlineIntoAnOpenRegion) {
    ScratchPort p(12, 8);
    MoveTo(6, 2);
    DrawPISlider();
    EXPECT_EQ(p.picture(), rows({"............", "............", "......#.....", ".....###....",
                                 "....#####...", "...#######..", "..#########.", ".###########"}));
    EraseRect(&p.get()->portRect);
    Rgn indicator;
    OpenRgn();
    DrawPISlider();
    CloseRgn(indicator);
    PaintRgn(indicator);
    EXPECT_EQ(p.picture(), rows({"............", "............", ".....#......", "....###.....",
                                 "...#####....", "..#######...", ".#########..", "............"}));
    Point pen;
    GetPen(&pen);
    EXPECT_EQ((std::tuple{pen.h, pen.v}), (std::tuple{6, 2}));
}

TEST(Regions, ClippingLimitsEveryDrawingCall) {
    ScratchPort p(10, 10);
    Rgn saved;
    GetClip(saved);
    Rect clip{2, 2, 5, 5}, all{0, 0, 10, 10};
    ClipRect(&clip);
    PaintRect(&all);
    EXPECT_EQ(p.countNonWhite(), 9);
    MoveTo(0, 8);
    LineTo(9, 8);
    PaintOval(&all);
    EXPECT_EQ(p.countNonWhite(), 9) << "lines and ovals are clipped too";
    SetClip(saved);
    Rgn now;
    GetClip(now);
    EXPECT_TRUE(EqualRgn(now, saved));
    EXPECT_TRUE(PtInRgn(Point{-30000, 30000}, now)) << "a new port's clip is wide open";
    PaintRect(&all);
    EXPECT_EQ(p.countNonWhite(), 100);
    HidePen();
    EraseRect(&all);
    EXPECT_EQ(p.countNonWhite(), 100) << "a hidden pen draws nothing";
    ShowPen();
}
