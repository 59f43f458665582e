// Windows: stacking and hit testing, update events, and patterns aligned to the screen.
#include "UiTestSupport.h"

#include <tuple>

namespace {

class Windows : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        document = window({40, 20, 440, 620}, documentProc);
        dialog = window({100, 100, 300, 400});
    }
    using Hits = std::vector<std::pair<std::int16_t, WindowPtr>>;
    // The part and window each point (v, h) hits.
    static Hits hits(std::initializer_list<Point> points) {
        Hits out;
        for (const Point p : points) {
            WindowPtr hit = nullptr;
            const std::int16_t part = FindWindow(p, &hit);
            out.emplace_back(part, hit);
        }
        return out;
    }
    WindowPtr document = nullptr, dialog = nullptr;
};

} // namespace

TEST_F(Windows, StackingDecidesWhichWindowAPointHits) {
    EXPECT_EQ(FrontWindow(), dialog);
    // The overlap belongs to the front window; then the dialog's title bar, the document, the desk.
    EXPECT_EQ(hits({{150, 200}, {90, 200}, {400, 50}, {5, 5}}),
              (Hits{{inContent, dialog}, {inDrag, dialog}, {inContent, document}, {inDesk, nullptr}}));
    SelectWindow(document);
    EXPECT_EQ(FrontWindow(), document);
    EXPECT_EQ(hits({{150, 200}}), (Hits{{inContent, document}}));
    // The old front window is deactivated first.
    const EventRecord off = nextEvent(activMask), on = nextEvent(activMask);
    EXPECT_EQ(
        (std::tuple{off.message, off.modifiers & activeFlag, on.message, on.modifiers & activeFlag}),
        (std::tuple{reinterpret_cast<long>(dialog), 0, reinterpret_cast<long>(document), int(activeFlag)}));
    EXPECT_EQ(TBNextWindow(document), dialog);
}

TEST_F(Windows, NewWindowsAskForOneUpdateEachFrontFirst) {
    // Front window first, then nothing left to update.
    EventRecord e;
    for (WindowPtr w : {dialog, document}) {
        e = nextEvent(updateMask);
        EXPECT_EQ((std::tuple{e.what, e.message}), (std::tuple{updateEvt, reinterpret_cast<long>(w)}));
        BeginUpdate(w);
        EndUpdate(w);
    }
    EXPECT_FALSE(GetNextEvent(updateMask, &e));
    SelectWindow(document);
    EXPECT_FALSE(GetNextEvent(updateMask, &e)) << "each window keeps its own pixels";
}

TEST_F(Windows, PatternsInWindowsAlignToTheScreenGrid) {
    SetPort(document); // content at global (20, 40)
    const Pattern dot{{0x80, 0, 0, 0, 0, 0, 0, 0}};
    Rect r{0, 0, 16, 16};
    PenPat(&dot);
    PaintRect(&r);
    // Global (24, 40) is a pattern origin.
    EXPECT_EQ(
        (std::tuple{TBGetPixel(document, 4, 0), TBGetPixel(document, 0, 0), TBGetPixel(document, 12, 8)}),
        (std::tuple{0u, 0xFFFFFFu, 0u}));
}
