// Regions: set operations, recording outlines between OpenRgn and CloseRgn, and clipping, each
// region shown as the picture of the pixels PtInRgn finds in it.
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

// A region owned by the test.
struct Rgn {
    RgnHandle h = NewRgn();
    ~Rgn() { DisposeRgn(h); }
    operator RgnHandle() const { return h; }
};

// The pixels of `rgn` in the 8 x 6 rectangle at the origin.
std::string picture(RgnHandle rgn) {
    std::string out;
    for (std::int16_t v = 0; v < 6; ++v) {
        for (std::int16_t h = 0; h < 8; ++h)
            out += PtInRgn(Point{v, h}, rgn) ? '#' : '.';
        out += '\n';
    }
    return out;
}

// The region `make` leaves in its argument, made while a scratch port is current.
std::string made(const std::function<void(RgnHandle)>& make) {
    ScratchPort p(8, 6);
    Rgn r;
    make(r);
    return picture(r);
}

void twoSquares(RgnHandle a, RgnHandle b) {
    SetRectRgn(a, 0, 0, 4, 4);
    SetRectRgn(b, 2, 2, 6, 6);
}

// Squares at (0, 0) and (2, 2), four pixels a side, combined by `op` into the first (the
// destination may be a source).
std::function<void(RgnHandle)> onTwoSquares(void (*op)(RgnHandle, RgnHandle, RgnHandle)) {
    return [op](RgnHandle out) {
        Rgn b;
        twoSquares(out, b);
        op(out, b, out);
    };
}

} // namespace

TEST(Regions, OperationsCoverExactlyTheirPixels) {
    const std::tuple<const char*, std::function<void(RgnHandle)>, std::string> cases[] = {
        {"union", onTwoSquares(UnionRgn),
         rows({"####....", "####....", "######..", "######..", "..####..", "..####.."})},
        {"intersection", onTwoSquares(SectRgn),
         rows({"........", "........", "..##....", "..##....", "........", "........"})},
        {"difference", onTwoSquares(DiffRgn),
         rows({"####....", "####....", "##......", "##......", "........", "........"})},
        {"offset and inset",
         [](RgnHandle out) {
             SetRectRgn(out, 0, 0, 4, 4);
             OffsetRgn(out, 3, 1);
             InsetRgn(out, 1, -1);
         },
         rows({"....##..", "....##..", "....##..", "....##..", "....##..", "....##.."})},
        // A closed path along grid lines encloses the pixels inside it; nothing is drawn meanwhile.
        {"line path",
         [](RgnHandle out) {
             OpenRgn();
             MoveTo(1, 1);
             LineTo(5, 1);
             LineTo(5, 4);
             LineTo(1, 4);
             LineTo(1, 1);
             CloseRgn(out);
         },
         rows({"........", ".####...", ".####...", ".####...", "........", "........"})},
        // Overlapping framed shapes cancel; paints add nothing.
        {"framed rects even-odd",
         [](RgnHandle out) {
             OpenRgn();
             const Rect r1{0, 0, 4, 4}, r2{2, 2, 6, 6};
             FrameRect(&r1);
             FrameRect(&r2);
             PaintRect(&r1);
             CloseRgn(out);
         },
         rows({"####....", "####....", "##..##..", "##..##..", "..####..", "..####.."})},
        {"framed oval",
         [](RgnHandle out) {
             OpenRgn();
             const Rect box{0, 0, 6, 8};
             FrameOval(&box);
             CloseRgn(out);
         },
         rows({"..####..", ".######.", "########", "########", ".######.", "..####.."})},
        // The slider indicator records the area its outline encloses, from the pen, which stays;
        // drawn, it hangs below and right of the outline, as pens do (QuickDrawShapes).
        {"slider indicator",
         [](RgnHandle out) {
             MoveTo(6, 0);
             OpenRgn();
             DrawPISlider();
             CloseRgn(out);
             EXPECT_EQ((std::tuple{qd.thePort->pnLoc.h, qd.thePort->pnLoc.v, qd.thePort->pnVis}),
                       (std::tuple{6, 0, 0}));
         },
         rows({".....#..", "....###.", "...#####", "..######", ".#######", "........"})},
    };
    for (const auto& [what, make, expected] : cases)
        EXPECT_EQ(made(make), expected) << what;
    Rgn a, b;
    twoSquares(a, b);
    SectRgn(a, b, a);
    DiffRgn(a, a, a);
    const Rect probe{0, 0, 6, 8};
    EXPECT_EQ((std::tuple{(**b.h).rgnSize, EmptyRgn(a), RectInRgn(&probe, a)}), (std::tuple{10, true, false}))
        << "a rectangular region is just its header";
}
