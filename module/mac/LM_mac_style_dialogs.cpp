#include "LM_mac_style_dialogs.h"

#include "HostUtils.h"
#include "LM_mac_items.h"
#include "Memory.h"
#include "Resources.h"
#include "relight_filter.h"

#include <cstring>

namespace {

constexpr LM_sint16 kSaveAsDialog = 16002;
constexpr LM_sint16 kConfirmOverwriteDialog = 16004;
constexpr LM_sint16 kConfirmDeleteDialog = 16005;
constexpr LM_sint16 kSaveErrorAlert = 16007;
constexpr LM_sint16 kLoadErrorAlert = 16008;
constexpr LM_sint16 kDeleteLockedAlert = 16009;
constexpr LM_sint16 kSaveLockedAlert = 16010;
constexpr LM_sint16 kNameItem = 4;
constexpr LM_sint16 kKeepItem = 1;
constexpr LM_sint16 kConfirmItem = 2;
constexpr unsigned char kEmpty[1] = {0};

// A style dialog in front of the parameter dialog: the template stays loaded while it is up, and
// the port the caller drew in is current again afterwards.
class StyleDialog {
  public:
    explicit StyleDialog(LM_sint16 id) : template_(GetResource(FOUR_CHAR("DLOG"), id)) {
        GetPort(&savedPort_);
        if (!template_)
            return;
        HNoPurge(template_);
        CenterDialog(template_);
    }
    ~StyleDialog() {
        if (dialog)
            DisposeDialog(dialog);
        if (template_)
            HPurge(template_);
        SetPort(savedPort_);
    }
    StyleDialog(const StyleDialog&) = delete;
    StyleDialog& operator=(const StyleDialog&) = delete;

    void Create(LM_sint16 id) {
        if (!template_)
            return;
        dialog = GetNewDialog(id, nullptr, reinterpret_cast<WindowPtr>(-1));
        if (dialog)
            LM_UserItemSetDrawProc(dialog, kItemOKOutline, LM_DrawOKOutline);
    }
    Handle Template() const { return template_; }

    DialogPtr dialog = nullptr;

  private:
    Handle template_;
    GrafPtr savedPort_ = nullptr;
};

Handle itemHandle(DialogPtr dialog, LM_sint16 item) {
    std::int16_t kind = 0;
    Handle h = nullptr;
    Rect box;
    GetDialogItem(dialog, item, &kind, &h, &box);
    return h;
}

// Names lose their surrounding spaces, here as in every command, so that a name typed either way
// finds the same file.
void trimSpaces(Str255 name) {
    int first = 1, last = name[0];
    while (first <= last && name[first] == ' ')
        ++first;
    while (last >= first && name[last] == ' ')
        --last;
    const int length = last - first + 1;
    std::memmove(name + 1, name + first, std::size_t(length));
    name[0] = static_cast<unsigned char>(length);
}

LM_bool confirm(LM_sint16 id, ConstStr255Param name) {
    StyleDialog confirmation(id);
    ParamText(name, kEmpty, kEmpty, kEmpty);
    confirmation.Create(id);
    if (!confirmation.dialog)
        return false;
    // Item 2 is the one that destroys: nothing that cancels may choose it.
    SetDialogCancelItem(confirmation.dialog, kKeepItem);
    ShowWindow(confirmation.dialog);
    std::int16_t item = 0;
    do
        ModalDialog(LM_ConfirmDialogFilter, &item);
    while (item != kKeepItem && item != kConfirmItem);
    return item == kConfirmItem;
}

void stopAlert(LM_sint16 id) {
    GrafPtr saved;
    GetPort(&saved);
    StopAlert(id, nullptr);
    SetPort(saved);
}

void namedStopAlert(LM_sint16 id, ConstStr255Param name) {
    ParamText(name, kEmpty, kEmpty, kEmpty);
    stopAlert(id);
}

} // namespace

LM_bool LM_AskSaveAsName(FilterRecord* record, Str255 name) {
    StyleDialog ask(kSaveAsDialog);
    if (ask.Template())
        SetUpMoveableModal(ask.Template(), record->hostSignature);
    ask.Create(kSaveAsDialog);
    if (!ask.dialog) {
        if (MemError() == memFullErr)
            LM_ShowStyleSaveError();
        return false;
    }
    Handle text = itemHandle(ask.dialog, kNameItem);
    SetDialogItemText(text, name);
    SelectDialogItemText(ask.dialog, kNameItem, 0, 32767);
    ShowWindow(ask.dialog);
    std::int16_t item = 0;
    Str255 typed = {0};
    for (;;) {
        MoveableModalDialog(ask.dialog, record->eventProc, nullptr, &item);
        if (item == kStdCancelItemIndex)
            return false;
        if (item != kStdOkItemIndex)
            continue;
        GetDialogItemText(text, typed);
        trimSpaces(typed);
        if (typed[0] > 0)
            break;
        SelectDialogItemText(ask.dialog, kNameItem, 0, 32767);
    }
    LM_PStringCopy(name, typed);
    if (name[0] > 0 && name[1] == '.')
        name[1] = '*';
    return true;
}

LM_bool LM_ConfirmOverwrite(ConstStr255Param name) {
    return confirm(kConfirmOverwriteDialog, name);
}

LM_bool LM_ConfirmDelete(ConstStr255Param name) {
    return confirm(kConfirmDeleteDialog, name);
}

Boolean LM_ConfirmDialogFilter(DialogPtr dialog, EventRecord* event, std::int16_t* item) {
    if (event->what != keyDown)
        return false;
    const unsigned char c = static_cast<unsigned char>(event->message & charCodeMask);
    const bool commandPeriod = c == '.' && (event->modifiers & cmdKey) != 0;
    if (c != '\r' && c != 3 && c != 27 && !commandPeriod)
        return false;
    *item = kKeepItem;
    TBFlashDialogItem(dialog, kKeepItem);
    return true;
}

void LM_ShowStyleSaveError() {
    stopAlert(kSaveErrorAlert);
}

void LM_ShowStyleLoadError() {
    stopAlert(kLoadErrorAlert);
}

void LM_FileDeleteLockedError(ConstStr255Param name) {
    namedStopAlert(kDeleteLockedAlert, name);
}

void LM_FileSaveLockedError(ConstStr255Param name) {
    namedStopAlert(kSaveLockedAlert, name);
}
