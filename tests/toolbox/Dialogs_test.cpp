#include "CodeResources.h"
#include "Dialogs.h"
#include "HostUtils.h"
#include "Memory.h"
#include "Menus.h"
#include "Resources.h"
#include "Testing.h"
#include "UiTestSupport.h"

#include <tuple>

namespace {

enum : std::int16_t { kOK = 1, kCancel, kCheck, kRadio, kStatic, kEdit, kUser, kPopup, kSlider };

long sliderDef(std::int16_t, ControlHandle c, std::int16_t message, long param) {
    if (message != testCntl)
        return 0;
    return PtInRect(TBControlMessagePoint(param), &(**c).contrlRect) ? inButton : 0;
}

class Dialogs : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ql_quorum_code_resource(FOUR_CHAR("CDEF"), 129, ql_quorum_passtr("SliderControl"),
                                reinterpret_cast<TBCodeEntry>(&sliderDef));
        dialog_ = GetNewDialog(300, nullptr, reinterpret_cast<WindowPtr>(-1));
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_);
        DrawDialog(dialog_);
        TBResetForTests();
    }
    void TearDown() override {
        DisposeDialog(dialog_);
        TBRemoveCodeResource(FOUR_CHAR("CDEF"), 129);
        HeadlessTest::TearDown();
    }
    // The item of the first ModalDialog call (or, `throughEdits`, of the first not the edit item).
    std::int16_t run(const std::string& text, ModalFilterProcPtr filter = nullptr,
                     bool throughEdits = false) {
        script(text);
        std::int16_t item = 0;
        do
            ModalDialog(filter, &item);
        while (throughEdits && item == kEdit);
        return item;
    }
    Handle itemHandle(std::int16_t n) {
        std::int16_t kind;
        Handle h = nullptr;
        Rect box;
        GetDialogItem(dialog_, n, &kind, &h, &box);
        return h;
    }
    std::string editText() {
        Str255 s;
        GetDialogItemText(itemHandle(kEdit), s);
        return pstr(s);
    }
    DialogPtr dialog_ = nullptr;
};

TEST_F(Dialogs, ModalDialogReportsEnabledItems) {
    // Enabled static text reports on press; a disabled item does not, and a finished script cancels;
    // a button released outside is not hit; the slider is a custom control.
    const std::pair<const char*, std::int16_t> presses[] = {
        {"click @1\n", kOK},     {"click @3\n", kCheck},           {"click @4\n", kRadio},
        {"click @5\n", kStatic}, {"click @7\nwait 50\n", kCancel}, {"key return\n", kOK},
        {"key enter\n", kOK},    {"key escape\n", kCancel},        {"key . +command\n", kCancel},
        {"click @9\n", kSlider}, {"click 1,1\n", kCancel}};
    for (const auto& [text, item] : presses)
        EXPECT_EQ(run(text), item) << text;
    EXPECT_EQ(run("down @1\nmove 5,5\nup 5,5\nclick @2\n"), kCancel);
    EXPECT_EQ(GetControlValue(reinterpret_cast<ControlHandle>(itemHandle(kCheck))), 0)
        << "the application toggles check boxes";

    // A pop-up reports the press, chosen or not; a disabled entry is not chosen.
    auto popup = reinterpret_cast<ControlHandle>(itemHandle(kPopup));
    for (const char* choice : {"OMNI", "spot", "nothing"}) {
        EXPECT_EQ(run(std::string("choose @8 ") + choice + "\n"), kPopup);
        EXPECT_EQ(GetControlValue(popup), 2) << choice;
    }
    EXPECT_NE(TBScriptError().find("nothing"), std::string::npos) << TBScriptError();
}

TEST_F(Dialogs, EditTextFollowsTheKeyboard) {
    // Typing replaces the selection (all of "abc" at first); each key reports the item.
    EXPECT_EQ(run("type xy\n"), kEdit);
    EXPECT_EQ(editText(), "x");
    EXPECT_EQ(run("", nullptr, true), kCancel);
    SelectDialogItemText(dialog_, kEdit, 0, 32767);
    EXPECT_EQ(run("type hello\nkey delete\nkey left\nkey left\ntype L\nkey forward-delete\nkey return\n",
                  nullptr, true),
              kOK);
    EXPECT_EQ(editText(), "heLl");
    run("key a +command\ntype Z\nkey up\ntype <\nkey down\ntype >\nkey escape\n", nullptr, true);
    EXPECT_EQ(editText(), "<Z>");

    // UTF-8 text is typed, deleted and stepped over a character at a time.
    run("key a +command\ntype Grüße\nkey delete\nkey left\nkey delete\ntype ñ\nkey escape\n", nullptr, true);
    EXPECT_EQ(editText(), "Grñß");
    run("key a +command\ntype <Z>\nkey escape\n", nullptr, true);

    // A click places the caret at the nearest character boundary.
    run("click @6:0.0,0.5\ntype !\nkey return\n", nullptr, true);
    EXPECT_EQ(editText(), "!<Z>");
    SetDialogItemText(itemHandle(kEdit), PString("set").s);
    EXPECT_EQ(editText(), "set");
}

int hostUpdates = 0;
void hostEvents(EventRecord* e) {
    if (e->what != updateEvt)
        return;
    ++hostUpdates;
    auto window = reinterpret_cast<WindowPtr>(e->message);
    BeginUpdate(window);
    EndUpdate(window);
}

TEST_F(Dialogs, MoveableModalDialogServesTheHostAndMoves) {
    // A host window behind the dialog that needs drawing: its update goes to the host's callback.
    window({400, 600, 500, 800}, documentProc);
    SelectWindow(dialog_);
    Rect before, after;
    TBGetWindowContentRect(dialog_, &before);
    hostUpdates = 0;
    // Drag the title bar (above the content), then press OK. Positions are relative to the dialog,
    // which moves under the pointer, so only the direction of the move is certain.
    script("wait 50\ndown 100,-8\nmove 130,12\nup 130,12\nclick @1\n");
    std::int16_t item = 0;
    MoveableModalDialog(dialog_, hostEvents, nullptr, &item);
    EXPECT_EQ((std::tuple{item, hostUpdates > 0}), (std::tuple{kOK, true})) << "the host drew its own window";
    TBGetWindowContentRect(dialog_, &after);
    EXPECT_TRUE(after.left - before.left >= 30 && after.top - before.top >= 20);
}

TEST_F(Dialogs, HostUtilities) {
    // A copy of the template: the resource itself is shared.
    Handle dlog = GetResource(FOUR_CHAR("DLOG"), 300);
    Handle copy = NewHandle(GetHandleSize(dlog));
    BlockMove(*dlog, *copy, GetHandleSize(dlog));
    (*copy)[9] = 0; // procID documentProc
    CenterDialog(copy);
    SetUpMoveableModal(copy, FOUR_CHAR("VLMK"));
    // 300 x 200 on the 1024 x 768 screen, below the 20-pixel title bar, a third of the spare height
    // above: top 20 + 548 / 3 = 202, left 362, bottom 402, right 662, as words, then the procID.
    EXPECT_EQ(std::vector<unsigned char>(*copy, *copy + 10),
              (std::vector<unsigned char>{0, 202, 1, 106, 1, 146, 2, 150, 0, movableDBoxProc}));
    DisposeHandle(copy);

    // The about box closes on a click anywhere.
    script("click 5,5\n");
    ShowAbout(300);
    EXPECT_EQ(FrontWindow(), dialog_);
}

} // namespace
