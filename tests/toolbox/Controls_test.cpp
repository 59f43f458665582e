#include "CodeResources.h"
#include "Controls.h"
#include "Memory.h"
#include "UiTestSupport.h"

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
    EXPECT_EQ((**c).contrlVariant, 3);
    EXPECT_EQ(GetControlReference(c), 77);
    for (const Message& m : messages)
        EXPECT_EQ(m.port, window_) << "message " << m.message;
    GrafPtr port;
    GetPort(&port);
    EXPECT_EQ(port, other_) << "the caller's port comes back";

    messages.clear();
    SetControlValue(c, 99);
    EXPECT_EQ(GetControlValue(c), 10) << "clamped to the maximum";
    SetControlValue(c, -3);
    EXPECT_EQ(GetControlValue(c), 0);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, drawCntl);
    EXPECT_EQ(messages[0].param, inThumb) << "only the indicator is redrawn";
    SetControlMaximum(c, -5);
    EXPECT_EQ(GetControlMaximum(c), 0) << "the maximum never goes below the minimum";

    messages.clear();
    EXPECT_EQ(TestControl(c, Point{30, 25}), inThumb);
    EXPECT_EQ(messages.back().param, (30L << 16) | 25) << "the point is packed v then h";
    HiliteControl(c, kControlInactivePart);
    messages.clear();
    EXPECT_EQ(TestControl(c, Point{30, 25}), 0) << "inactive controls are not asked";
    ControlHandle found = c;
    EXPECT_EQ(FindControl(Point{30, 25}, window_, &found), 0);
    EXPECT_EQ(found, nullptr);
    EXPECT_TRUE(messages.empty());
    HiliteControl(c, 0);
    EXPECT_EQ(FindControl(Point{30, 60}, window_, &found), inButton);
    EXPECT_EQ(found, c);

    AuxCtlHandle aux = nullptr;
    EXPECT_TRUE(GetAuxiliaryControlRecord(c, &aux));
    EXPECT_EQ((**aux).acOwner, c);

    messages.clear();
    DisposeControl(c);
    EXPECT_EQ(kinds(), (std::vector<std::int16_t>{dispCntl}));
    EXPECT_EQ(TBFirstControl(window_), nullptr);
}

TEST_F(Controls, TrackControlReportsWhereTheButtonWasReleased) {
    ControlHandle c = newRecorder();
    // Pressed inside, dragged out and back in, released inside: the part.
    script("down 60,30\nmove 200,150\nmove 70,30\nup 70,30\n");
    Point pt = nextPress(window_);
    EXPECT_EQ(TrackControl(c, pt, action), inButton);
    EXPECT_EQ((**c).contrlHilite, 0) << "unhighlighted after release";
    ASSERT_FALSE(actionParts.empty());
    for (std::int16_t part : actionParts)
        EXPECT_EQ(part, inButton) << "the action runs only while over the part";

    // Released outside: 0.
    script("down 60,30\nmove 200,150\nup 200,150\n");
    pt = nextPress(window_);
    EXPECT_EQ(TrackControl(c, pt, nullptr), 0);
    // A press outside every part is not tracked.
    script("down 200,150\nup 200,150\n");
    pt = nextPress(window_);
    EXPECT_EQ(TrackControl(c, pt, nullptr), 0);
}

TEST_F(Controls, IndicatorDragsGoThroughTheDefinition) {
    ControlHandle c = newRecorder();
    // The Control Manager drags: thumb limits, indicator outline, then the offset (horizontal only,
    // kept inside the control).
    SCOPED_TRACE("manager drag");
    script("down 22,30\nmove 60,90\nmove 300,90\nup 300,90\n");
    Point pt = nextPress(window_);
    messages.clear();
    EXPECT_EQ(TrackControl(c, pt, nullptr), inThumb);
    std::vector<std::int16_t> k = kinds();
    EXPECT_NE(std::find(k.begin(), k.end(), thumbCntl), k.end());
    EXPECT_NE(std::find(k.begin(), k.end(), calcThumbRgn), k.end());
    EXPECT_EQ(k.back(), posCntl);
    EXPECT_EQ(moved.v, 0) << "axis 1 keeps the drag horizontal";
    EXPECT_EQ(moved.h, 90) << "the indicator stops at the control's right edge (120 - 10 - 20)";

    // The definition drags itself: no thumb, no position message.
    dragAnswer = 1;
    SCOPED_TRACE("definition drag");
    script("down 22,30\nmove 60,30\nup 60,30\n");
    pt = nextPress(window_);
    messages.clear();
    EXPECT_EQ(TrackControl(c, pt, nullptr), inThumb);
    k = kinds();
    EXPECT_EQ(std::find(k.begin(), k.end(), posCntl), k.end());
    while (StillDown()) {
    }

    // A control whose own action is "default" tracks itself.
    SetControlAction(c, kControlActionDefault);
    script("down 60,30\nup 60,30\n");
    pt = nextPress(window_);
    messages.clear();
    EXPECT_EQ(TrackControl(c, pt, nullptr), inButton);
    EXPECT_EQ(messages.back().message, autoTrack);
    EXPECT_EQ(messages.back().param, inButton);
}

TEST_F(Controls, ButtonsAndPopupFromResources) {
    Rect r{10, 10, 30, 110};
    ControlHandle box = NewControl(window_, &r, PString("Check").s, true, 0, 0, 1, checkBoxProc, 0);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TestControl(box, Point{20, 15}), inCheckBox);
    script("down 15,20\nup 15,20\n");
    Point pt = nextPress(window_);
    EXPECT_EQ(TrackControl(box, pt, nullptr), inCheckBox);
    EXPECT_EQ(GetControlValue(box), 0) << "tracking never toggles a check box";

    ControlHandle popup = GetNewControl(400, window_);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetControlValue(popup), 1);
    EXPECT_EQ(GetControlMinimum(popup), 1);
    EXPECT_EQ(GetControlMaximum(popup), 3) << "the menu's item count";
    auto data = reinterpret_cast<PopupPrivateDataHandle>((**popup).contrlData);
    EXPECT_EQ((**data).mID, 500);
    script("choose 150,110 omni\n");
    pt = nextPress(window_);
    EXPECT_EQ(TrackControl(popup, pt, nullptr), inButton);
    EXPECT_EQ(GetControlValue(popup), 2);
    EXPECT_TRUE(TBScriptError().empty()) << TBScriptError();
    DisposeControl(popup);
}

} // namespace
