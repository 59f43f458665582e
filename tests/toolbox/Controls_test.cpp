#include "CodeResources.h"
#include "Controls.h"
#include "Memory.h"
#include "UiTestSupport.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

// A definition that records the messages it gets, the port each arrived with, and acts like a
// slider with a thumb in the left 10 pixels and a button part elsewhere.
struct Message {
    std::int16_t message;
    long param;
    GrafPtr port;
};
std::vector<Message> messages;
long dragAnswer = 0;
Point moved{0, 0};

long recorder(std::int16_t, ControlHandle c, std::int16_t message, long param) {
    GrafPtr port;
    GetPort(&port);
    messages.push_back({message, param, port});
    const Rect& r = (**c).contrlRect;
    switch (message) {
    case testCntl: {
        Point pt = TBControlMessagePoint(param);
        if (!PtInRect(pt, &r))
            return 0;
        return pt.h < r.left + 10 ? inThumb : inButton;
    }
    case initCntl:
        (**c).contrlData = NewHandle(4);
        return 0;
    case dispCntl:
        DisposeHandle((**c).contrlData);
        return 0;
    case thumbCntl: {
        auto* limits = reinterpret_cast<IndicatorDragConstraint*>(param);
        limits->limitRect = r;
        limits->slopRect = Rect{-1000, -1000, 1000, 1000};
        limits->axis = 1;
        return 0;
    }
    case calcThumbRgn: {
        Rect thumb{r.top, r.left, r.bottom, std::int16_t(r.left + 10)};
        RectRgn(reinterpret_cast<RgnHandle>(param), &thumb);
        return 0;
    }
    case posCntl:
        moved = Point{std::int16_t(param >> 16), std::int16_t(param & 0xFFFF)};
        return 0;
    case dragCntl:
        return dragAnswer;
    default:
        return 0;
    }
}

std::vector<std::int16_t> kinds() {
    std::vector<std::int16_t> k;
    for (const Message& m : messages)
        k.push_back(m.message);
    return k;
}

std::vector<std::int16_t> actionParts;
void action(ControlHandle, std::int16_t part) {
    actionParts.push_back(part);
}

class Controls : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ql_quorum_code_resource(FOUR_CHAR("CDEF"), 200, ql_quorum_passtr("Recorder"),
                                reinterpret_cast<TBCodeEntry>(&recorder));
        Rect bounds{100, 100, 300, 400};
        window_ = NewCWindow(nullptr, &bounds, PString("w").s, true, documentProc,
                             reinterpret_cast<WindowPtr>(-1), false, 0);
        other_ = TBNewOffscreenPort(&bounds, 32);
        SetPort(other_);
        messages.clear();
        actionParts.clear();
        dragAnswer = 0;
        moved = Point{0, 0};
    }
    void TearDown() override {
        DisposeWindow(window_);
        TBDisposeOffscreenPort(other_);
        TBRemoveCodeResource(FOUR_CHAR("CDEF"), 200);
        HeadlessTest::TearDown();
    }
    // Tracks `c` from the script's press.
    std::int16_t track(ControlHandle c, const std::string& text, ControlActionProcPtr act = nullptr) {
        script(text);
        const Point pt = nextPress(window_);
        messages.clear();
        return TrackControl(c, pt, act);
    }
    ControlHandle newRecorder(std::int16_t value = 5) {
        Rect r{20, 20, 40, 120};
        return NewControl(window_, &r, PString("T").s, true, value, 0, 10, 200 * 16 + 3, 77);
    }
    WindowPtr window_ = nullptr;
    GrafPtr other_ = nullptr;
};

TEST_F(Controls, DefinitionGetsTheMessageProtocolInTheOwnersPort) {
    ControlHandle c = newRecorder();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(kinds(), (std::vector<std::int16_t>{initCntl, drawCntl}));
    EXPECT_EQ((std::tuple{(**c).contrlVariant, GetControlReference(c)}), (std::tuple{3, 77}));
    for (const Message& m : messages)
        EXPECT_EQ(m.port, window_) << "message " << m.message;
    GrafPtr port;
    GetPort(&port);
    EXPECT_EQ(port, other_) << "the caller's port comes back";

    // Values are clamped to the range, and only the indicator is redrawn.
    messages.clear();
    SetControlValue(c, 99);
    const std::int16_t high = GetControlValue(c);
    SetControlValue(c, -3);
    EXPECT_EQ((std::tuple{high, GetControlValue(c), messages.size(), messages[0].message, messages[0].param}),
              (std::tuple{10, 0, 2u, drawCntl, long(inThumb)}));
    SetControlMaximum(c, -5);
    EXPECT_EQ(GetControlMaximum(c), 0) << "the maximum never goes below the minimum";

    messages.clear();
    EXPECT_EQ((std::tuple{TestControl(c, Point{30, 25}), messages.back().param}),
              (std::tuple{inThumb, (30L << 16) | 25}))
        << "the point is packed v then h";
    HiliteControl(c, kControlInactivePart);
    messages.clear();
    ControlHandle found = c;
    EXPECT_EQ((std::tuple{TestControl(c, Point{30, 25}), FindControl(Point{30, 25}, window_, &found), found,
                          messages.empty()}),
              (std::tuple{0, 0, nullptr, true}))
        << "inactive controls are not asked";
    HiliteControl(c, 0);
    EXPECT_EQ((std::tuple{FindControl(Point{30, 60}, window_, &found), found}), (std::tuple{inButton, c}));
    AuxCtlHandle aux = nullptr;
    EXPECT_TRUE(GetAuxiliaryControlRecord(c, &aux) && (**aux).acOwner == c);

    messages.clear();
    DisposeControl(c);
    EXPECT_EQ(kinds(), (std::vector<std::int16_t>{dispCntl}));
    EXPECT_EQ(TBFirstControl(window_), nullptr);
}

TEST_F(Controls, TrackControlReportsWhereTheButtonWasReleased) {
    ControlHandle c = newRecorder();
    // Pressed inside, dragged out and back in, released inside: the part; the action runs only
    // while over the part.
    EXPECT_EQ(track(c, "down 60,30\nmove 200,150\nmove 70,30\nup 70,30\n", action), inButton);
    EXPECT_EQ((**c).contrlHilite, 0) << "unhighlighted after release";
    EXPECT_EQ(actionParts, std::vector<std::int16_t>(std::max<std::size_t>(actionParts.size(), 1), inButton));
    // Released outside, and pressed outside every part: 0.
    EXPECT_EQ(track(c, "down 60,30\nmove 200,150\nup 200,150\n"), 0);
    EXPECT_EQ(track(c, "down 200,150\nup 200,150\n"), 0);
}

TEST_F(Controls, IndicatorDragsGoThroughTheDefinition) {
    ControlHandle c = newRecorder();
    const auto sent = [](std::int16_t message) {
        const std::vector<std::int16_t> k = kinds();
        return std::count(k.begin(), k.end(), message) > 0;
    };
    // The Control Manager drags: thumb limits, indicator outline, then the offset (horizontal only,
    // kept inside the control: it stops at the right edge, 120 - 10 - 20).
    EXPECT_EQ(track(c, "down 22,30\nmove 60,90\nmove 300,90\nup 300,90\n"), inThumb);
    EXPECT_EQ((std::tuple{sent(thumbCntl), sent(calcThumbRgn), kinds().back(), moved.v, moved.h}),
              (std::tuple{true, true, posCntl, 0, 90}));
    // The definition drags itself: no position message.
    dragAnswer = 1;
    EXPECT_EQ(track(c, "down 22,30\nmove 60,30\nup 60,30\n"), inThumb);
    EXPECT_FALSE(sent(posCntl));
    while (StillDown()) {
    }
    // A control whose own action is "default" tracks itself.
    SetControlAction(c, kControlActionDefault);
    EXPECT_EQ(track(c, "down 60,30\nup 60,30\n"), inButton);
    EXPECT_EQ((std::tuple{messages.back().message, messages.back().param}),
              (std::tuple{autoTrack, long(inButton)}));
}

TEST_F(Controls, ButtonsAndPopupFromResources) {
    Rect r{10, 10, 30, 110};
    ControlHandle box = NewControl(window_, &r, PString("Check").s, true, 0, 0, 1, checkBoxProc, 0);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TestControl(box, Point{20, 15}), inCheckBox);
    EXPECT_EQ(track(box, "down 15,20\nup 15,20\n"), inCheckBox);
    EXPECT_EQ(GetControlValue(box), 0) << "tracking never toggles a check box";

    // The pop-up's range is its menu's items.
    ControlHandle popup = GetNewControl(400, window_);
    ASSERT_NE(popup, nullptr);
    auto data = reinterpret_cast<PopupPrivateDataHandle>((**popup).contrlData);
    EXPECT_EQ((std::tuple{GetControlValue(popup), GetControlMinimum(popup), GetControlMaximum(popup),
                          (**data).mID}),
              (std::tuple{1, 1, 3, 500}));
    EXPECT_EQ(track(popup, "choose 150,110 omni\n"), inButton);
    EXPECT_EQ((std::tuple{GetControlValue(popup), TBScriptError()}), (std::tuple{2, ""}));
    DisposeControl(popup);
}

} // namespace
