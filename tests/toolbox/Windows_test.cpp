// Windows: stacking and hit testing, dragging by the title bar, update events, the auxiliary
// record, and snapshots of what they show.
#include "UiTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

WindowPtr inFront() {
    return reinterpret_cast<WindowPtr>(-1);
}

class Windows : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        const Rect docBounds{40, 20, 440, 620}, dlgBounds{100, 100, 300, 400};
        document =
            NewCWindow(nullptr, &docBounds, PString("Document").s, true, documentProc, inFront(), false, 7);
        dialog =
            NewCWindow(nullptr, &dlgBounds, PString("Lights").s, true, movableDBoxProc, inFront(), false, 9);
    }
    void TearDown() override {
        DisposeWindow(dialog);
        DisposeWindow(document);
        HeadlessTest::TearDown();
    }
    WindowPtr document = nullptr, dialog = nullptr;
};

} // namespace

TEST_F(Windows, StackingDecidesWhichWindowAPointHits) {
    EXPECT_EQ(FrontWindow(), dialog);
    WindowPtr hit = nullptr;
    EXPECT_EQ(FindWindow(Point{150, 200}, &hit), inContent);
    EXPECT_EQ(hit, dialog) << "the overlap belongs to the front window";
    EXPECT_EQ(FindWindow(Point{90, 200}, &hit), inDrag) << "the dialog's title bar";
    EXPECT_EQ(hit, dialog);
    EXPECT_EQ(FindWindow(Point{400, 50}, &hit), inContent);
    EXPECT_EQ(hit, document);
    EXPECT_EQ(FindWindow(Point{5, 5}, &hit), inDesk);
    EXPECT_EQ(hit, nullptr);

    SelectWindow(document);
    EXPECT_EQ(FrontWindow(), document);
    FindWindow(Point{150, 200}, &hit);
    EXPECT_EQ(hit, document);
    EventRecord e = nextEvent(activMask);
    EXPECT_EQ(e.message, reinterpret_cast<long>(dialog));
    EXPECT_EQ(e.modifiers & activeFlag, 0) << "the old front window is deactivated first";
    e = nextEvent(activMask);
    EXPECT_EQ(e.message, reinterpret_cast<long>(document));
    EXPECT_NE(e.modifiers & activeFlag, 0);

    HideWindow(document);
    EXPECT_EQ(FrontWindow(), dialog) << "hidden windows are skipped";
    FindWindow(Point{400, 50}, &hit);
    EXPECT_EQ(hit, nullptr);
    ShowWindow(document);
    EXPECT_EQ(TBNextWindow(document), dialog);
}

TEST_F(Windows, AMovableDialogIsDraggedByItsTitleBar) {
    script("down 50,-8\nmove 70,0\nmove 90,22\nup 90,22\n");
    EventRecord e = nextEvent(mDownMask);
    WindowPtr hit = nullptr;
    ASSERT_EQ(FindWindow(e.where, &hit), inDrag);
    ASSERT_EQ(hit, dialog);
    Rect screen;
    TBGetScreenBounds(&screen);
    DragWindow(hit, e.where, &screen);
    Rect content;
    TBGetWindowContentRect(dialog, &content);
    EXPECT_EQ(content.left, 140) << "moved by the drag's offset (40, 30)";
    EXPECT_EQ(content.top, 130);
    SetPort(dialog);
    Point pt{0, 0};
    LocalToGlobal(&pt);
    EXPECT_EQ(pt.h, 140) << "local coordinates follow the window";
    Point g{135, 145};
    GlobalToLocal(&g);
    EXPECT_EQ(g.h, 5);
    EXPECT_EQ(g.v, 5);
    EXPECT_EQ(FindWindow(Point{135, 145}, &hit), inContent);
}

TEST_F(Windows, InvalidatedContentComesBackAsOneUpdateEventUntilRedrawn) {
    EventRecord e = nextEvent(updateMask);
    EXPECT_EQ(e.what, updateEvt);
    EXPECT_EQ(e.message, reinterpret_cast<long>(dialog)) << "front window first";
    BeginUpdate(dialog);
    EndUpdate(dialog);
    e = nextEvent(updateMask);
    EXPECT_EQ(e.message, reinterpret_cast<long>(document));
    BeginUpdate(document);
    EndUpdate(document);
    EXPECT_FALSE(GetNextEvent(updateMask, &e)) << "nothing left to update";

    SetPort(dialog);
    Rect r{10, 10, 20, 20};
    InvalRect(&r);
    e = nextEvent(updateMask);
    ASSERT_EQ(e.message, reinterpret_cast<long>(dialog));
    BeginUpdate(dialog);
    EXPECT_TRUE(PtInRgn(Point{15, 15}, dialog->visRgn)) << "visRgn narrows to the update area";
    EXPECT_FALSE(PtInRgn(Point{50, 50}, dialog->visRgn));
    PaintRect(&dialog->portRect);
    EndUpdate(dialog);
    EXPECT_EQ(TBGetPixel(dialog, 50, 50), 0xFFFFFFu) << "drawing during the update stayed inside it";
    EXPECT_EQ(TBGetPixel(dialog, 15, 15), 0x000000u);
    InvalRect(&r);
    ValidRect(&r);
    EXPECT_FALSE(GetNextEvent(updateMask, &e));
}

TEST_F(Windows, RecordsKeepReferenceWordsAndTitles) {
    EXPECT_EQ(GetWRefCon(document), 7);
    AuxWinHandle aux = nullptr, again = nullptr;
    ASSERT_TRUE(GetAuxWin(dialog, &aux));
    ASSERT_NE(aux, nullptr);
    int owner = 0;
    (**aux).awRefCon = reinterpret_cast<long>(&owner);
    GetAuxWin(dialog, &again);
    EXPECT_EQ(reinterpret_cast<int*>((**again).awRefCon), &owner) << "the reference word carries a pointer";
    Str255 t;
    GetWTitle(dialog, t);
    EXPECT_EQ(pstr(t), "Lights");
    SetPort(dialog);
    const Rect bounds{0, 0, 10, 10};
    WindowRecord storage;
    WindowPtr own = NewCWindow(&storage, &bounds, nullptr, false, plainDBox, nullptr, false, 0);
    EXPECT_EQ(own, &storage.port) << "caller storage is used";
    DisposeWindow(own);
    GrafPtr current;
    GetPort(&current);
    EXPECT_EQ(current, dialog);
}

TEST_F(Windows, PatternsInWindowsAlignToTheScreenGrid) {
    SetPort(document); // content at global (20, 40)
    const Pattern dot{{0x80, 0, 0, 0, 0, 0, 0, 0}};
    Rect r{0, 0, 16, 16};
    FillRect(&r, &dot);
    EXPECT_EQ(TBGetPixel(document, 4, 0), 0x000000u) << "global (24, 40) is a pattern origin";
    EXPECT_EQ(TBGetPixel(document, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(TBGetPixel(document, 12, 8), 0x000000u);
}

TEST_F(Windows, SnapshotsRoundTripThroughPNG) {
    SetPort(dialog);
    RGBColor c{0x1234, 0x5678, 0x9ABC};
    RGBForeColor(&c);
    Rect r{5, 5, 25, 45};
    PaintRect(&r);
    const std::string dir = ::testing::TempDir();
    const std::string windowFile = dir + "/tb-window-" + std::to_string(getpid()) + ".png";
    const std::string screenFile = dir + "/tb-screen-" + std::to_string(getpid()) + ".png";
    std::string error;
    ASSERT_TRUE(TBSnapshotWindow(dialog, windowFile, &error)) << error;
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    ASSERT_TRUE(TBReadPNG(windowFile, &w, &h, &px, &error)) << error;
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(px[std::size_t(10 * w + 10)], 0x12569Au);
    EXPECT_EQ(px[0], 0xFFFFFFu);

    ASSERT_TRUE(TBSnapshotScreen(screenFile, &error)) << error;
    ASSERT_TRUE(TBReadPNG(screenFile, &w, &h, &px, &error)) << error;
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_EQ(px[std::size_t((100 + 10) * w + 100 + 10)], 0x12569Au) << "the window's content on the screen";
    EXPECT_EQ(px, TBComposeScreen());
    EXPECT_FALSE(std::filesystem::exists(screenFile + ".tmp"));
    std::remove(windowFile.c_str());
    std::remove(screenFile.c_str());
    EXPECT_FALSE(TBSnapshotScreen("/nonexistent/dir/x.png", &error));
    EXPECT_FALSE(error.empty());
}
