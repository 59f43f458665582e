// The modal loops: events go to the filter first, then to the standard keys (Return and Enter press
// the default item, Escape and Command-period the cancel item), then to DialogSelect.
#include "DialogItems.h"

#include "Backend.h"
#include "Scopes.h"

namespace {

constexpr unsigned char kReturn = 0x0D, kEnter = 0x03, kEscape = 0x1B;
constexpr unsigned long kFlashTicks = 8;

bool isControl(const DialogItem& item) {
    return (item.type & 0x7F) >= ctrlItem && (item.type & 0x7F) <= ctrlItem + resCtrl;
}

bool enabled(const DialogItem& item) {
    return !(item.type & itemDisable) && !item.hidden;
}

// A button that can be pressed from the keyboard: a visible, active control item.
bool pressable(DialogPtr dialog, std::int16_t itemNo) {
    const DialogItem* it = dialogs::item(dialog, itemNo);
    if (!it || !isControl(*it) || !it->handle)
        return false;
    auto c = reinterpret_cast<ControlHandle>(it->handle);
    return (**c).contrlVis && (**c).contrlHilite != kControlInactivePart;
}

bool standardKey(DialogPtr dialog, const EventRecord& e, std::int16_t* itemHit) {
    if (e.what != keyDown && e.what != autoKey)
        return false;
    auto c = static_cast<unsigned char>(e.message & charCodeMask);
    DialogPeek d = dialogs::peek(dialog);
    std::int16_t item = 0;
    if (c == kReturn || c == kEnter)
        item = d->aDefItem;
    else if (c == kEscape || (c == '.' && (e.modifiers & cmdKey)))
        item = d->cancelItem;
    if (!item || !pressable(dialog, item))
        return false;
    TBFlashDialogItem(dialog, item);
    *itemHit = item;
    return true;
}

bool mouseInDialog(DialogPtr dialog, const EventRecord& e, std::int16_t* itemHit) {
    Point pt = e.where;
    {
        PortScope port(dialog);
        GlobalToLocal(&pt);
    }
    std::int16_t itemNo = std::int16_t(FindDialogItem(dialog, pt) + 1);
    DialogItem* it = dialogs::item(dialog, itemNo);
    if (!it)
        return false;
    if (isControl(*it)) {
        ControlHandle c;
        if (!FindControl(pt, dialog, &c))
            return false;
        std::int16_t owner = dialogs::itemOfControl(dialog, c);
        if (!TrackControl(c, pt, kControlActionDefault) || !owner || !enabled(*dialogs::item(dialog, owner)))
            return false;
        *itemHit = owner;
        return true;
    }
    if ((it->type & 0x7F) == editText)
        dialogs::editClick(dialog, itemNo, pt);
    if (!enabled(*it))
        return false;
    *itemHit = itemNo;
    return true;
}

void update(WindowPtr window) {
    PortScope port(window);
    BeginUpdate(window);
    DrawDialog(window);
    EndUpdate(window);
}

// Our dialogs redraw themselves; other windows are the host's (eventProc). An update nobody serves
// is cleared, or it would come back for ever and no null event would ever arrive.
void updateWindow(WindowPtr window, DialogEventProcPtr eventProc) {
    if (dialogs::peek(window)) {
        update(window);
    } else if (eventProc) {
        EventRecord e{updateEvt, reinterpret_cast<long>(window), TickCount(), Point{0, 0}, 0};
        eventProc(&e);
    } else {
        BeginUpdate(window);
        EndUpdate(window);
    }
}

// On the headless backend, a script that has run out (or stopped) cannot close the dialog itself;
// nor can a user whose program was asked to stop.
bool mustCancel() {
    return TBStopRequested() || (TBCurrentBackend() == TBBackendKind::headless && TBScriptFinished());
}

// The shared loop. movable: the title bar drags the dialog and other windows' events go to eventProc.
void run(DialogPtr dialog, bool movable, DialogEventProcPtr eventProc, ModalFilterProcPtr filter,
         std::int16_t* itemHit) {
    for (;;) {
        EventRecord e{};
        WaitNextEvent(everyEvent, &e, 1, nullptr);
        if (e.what == nullEvent && mustCancel()) {
            DialogPeek d = dialogs::peek(dialog);
            *itemHit = pressable(dialog, d->cancelItem) ? d->cancelItem : d->aDefItem;
            return;
        }
        if (filter && filter(dialog, &e, itemHit))
            return;
        if (standardKey(dialog, e, itemHit))
            return;
        if (e.what == updateEvt) {
            updateWindow(reinterpret_cast<WindowPtr>(e.message), eventProc);
            continue;
        }
        if (e.what == mouseDown) {
            WindowPtr hit = nullptr;
            std::int16_t part = FindWindow(e.where, &hit);
            if (movable && part == inDrag && hit == dialog)
                DragWindow(dialog, e.where, nullptr);
            if (hit != dialog || part != inContent)
                continue; // a click outside a modal dialog is dropped
        } else if (e.what == activateEvt) {
            if (eventProc)
                eventProc(&e);
            continue;
        }
        DialogPtr which = nullptr;
        if (DialogSelect(&e, &which, itemHit) && which == dialog)
            return;
    }
}

} // namespace

Boolean DialogSelect(const EventRecord* event, DialogPtr* dialog, std::int16_t* itemHit) {
    DialogPtr front = FrontWindow();
    if (event->what == mouseDown) {
        WindowPtr hit = nullptr;
        FindWindow(event->where, &hit);
        front = hit;
    }
    if (!dialogs::peek(front))
        return false;
    *dialog = front;
    if (event->what == mouseDown)
        return mouseInDialog(front, *event, itemHit);
    if (event->what == keyDown || event->what == autoKey) {
        std::int16_t editItem = dialogs::edit(front).item;
        if (!dialogs::editKey(front, *event) || !enabled(*dialogs::item(front, editItem)))
            return false;
        *itemHit = editItem;
        return true;
    }
    if (event->what == updateEvt && reinterpret_cast<WindowPtr>(event->message) == front)
        update(front);
    return false;
}

void ModalDialog(ModalFilterProcPtr filterProc, std::int16_t* itemHit) {
    DialogPtr dialog = FrontWindow();
    if (!dialogs::peek(dialog)) {
        *itemHit = -1;
        return;
    }
    run(dialog, false, nullptr, filterProc, itemHit);
}

void MoveableModalDialog(DialogPtr dialog, DialogEventProcPtr eventProc, ModalFilterProcPtr filterProc,
                         std::int16_t* itemHit) {
    run(dialog, true, eventProc, filterProc, itemHit);
}

void TBFlashDialogItem(DialogPtr dialog, std::int16_t item) {
    const DialogItem* it = dialogs::item(dialog, item);
    if (!it || !isControl(*it))
        return;
    auto c = reinterpret_cast<ControlHandle>(it->handle);
    HiliteControl(c, inButton);
    TBAdvanceTicks(kFlashTicks);
    TBPresent();
    HiliteControl(c, 0);
}
