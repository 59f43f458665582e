// Dialog creation from DLOG and DITL resources, item access and ParamText.
#include "DialogItems.h"

#include "Backend.h"
#include "Memory.h"
#include "Resources.h"
#include "Scopes.h"
#include "memory/Refusals.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

std::string paramStrings[4];

std::int16_t word(const unsigned char* p) {
    return std::int16_t(p[0] << 8 | p[1]);
}

} // namespace

namespace dialogs {

void place(Rect* bounds, std::int16_t where) {
    if (where != kCentredPosition && where != kAlertPosition)
        return;
    Rect screen;
    TBGetScreenBounds(&screen);
    std::int16_t w = std::int16_t(bounds->right - bounds->left),
                 h = std::int16_t(bounds->bottom - bounds->top);
    std::int16_t left = std::int16_t((screen.right - screen.left - w) / 2);
    std::int16_t spare = std::int16_t(screen.bottom - screen.top - h - kTBTitleBarHeight);
    std::int16_t top = std::int16_t(kTBTitleBarHeight + (where == kCentredPosition ? spare / 2 : spare / 3));
    SetRect(bounds, left, top, std::int16_t(left + w), std::int16_t(top + h));
}

} // namespace dialogs

namespace {

Handle newText(const unsigned char* bytes, int length) {
    Handle h = NewHandle(length);
    if (h)
        std::memcpy(*h, bytes, std::size_t(length));
    return h;
}

// Makes the item's handle: a control, a text handle or an icon. The box is local to the dialog.
Handle makeItemHandle(DialogPtr dialog, std::uint8_t type, const Rect& box, const unsigned char* data,
                      int length) {
    Str255 title;
    title[0] = static_cast<unsigned char>(length);
    std::memcpy(title + 1, data, std::size_t(length));
    switch (type & 0x7F) {
    case ctrlItem + btnCtrl:
    case ctrlItem + chkCtrl:
    case ctrlItem + radCtrl:
        return reinterpret_cast<Handle>(
            NewControl(dialog, &box, title, true, 0, 0, 1, (type & 0x7F) - ctrlItem, 0));
    case ctrlItem + resCtrl: {
        ControlHandle c = length >= 2 ? GetNewControl(word(data), dialog) : nullptr;
        if (c)
            MoveControl(c, box.left, box.top);
        return reinterpret_cast<Handle>(c);
    }
    case statText:
    case editText:
        return newText(data, length);
    case iconItem:
        return length >= 2 ? reinterpret_cast<Handle>(GetCIcon(word(data))) : nullptr;
    default:
        return nullptr;
    }
}

// Reads the DITL into the dialog's item list; false when it is malformed.
bool buildItems(DialogPtr dialog, Handle ditl) {
    const auto* p = reinterpret_cast<const unsigned char*>(*ditl);
    long size = GetHandleSize(ditl), at = 2;
    if (size < 2)
        return false;
    int n = word(p) + 1;
    Handle items = NewHandleClear(long(sizeof(DialogItem)) * n);
    if (!items)
        return false;
    dialogs::peek(dialog)->items = items;
    for (int i = 0; i < n; ++i) {
        if (at + 14 > size || at + 14 + p[at + 13] > size)
            return false;
        Rect box{word(p + at + 4), word(p + at + 6), word(p + at + 8), word(p + at + 10)};
        std::uint8_t type = p[at + 12];
        int length = p[at + 13];
        Handle h = makeItemHandle(dialog, type, box, p + at + 14, length);
        reinterpret_cast<DialogItem*>(*items)[i] = {h, box, type, false};
        at += 14 + length + (length & 1);
    }
    return true;
}

void disposeItems(DialogPtr dialog) {
    DialogPeek d = dialogs::peek(dialog);
    for (std::int16_t i = 1; i <= dialogs::count(dialog); ++i) {
        DialogItem* item = dialogs::item(dialog, i);
        std::uint8_t type = item->type & 0x7F;
        if (type == statText || type == editText)
            DisposeHandle(item->handle);
        else if (type == iconItem)
            DisposeCIcon(reinterpret_cast<CIconHandle>(item->handle));
    }
    KillControls(dialog);
    DisposeHandle(d->items);
    d->items = nullptr;
}

bool resolveItemBox(WindowPtr window, std::int16_t itemNo, Rect* box) {
    const DialogItem* item = dialogs::peek(window) ? dialogs::item(window, itemNo) : nullptr;
    if (item)
        *box = item->box;
    return item != nullptr;
}

void selectFirstEditItem(DialogPtr dialog) {
    for (std::int16_t i = 1; i <= dialogs::count(dialog); ++i)
        if ((dialogs::item(dialog, i)->type & 0x7F) == editText) {
            SelectDialogItemText(dialog, i, 0, 32767);
            return;
        }
}

} // namespace

namespace dialogs {

DialogPeek peek(WindowPtr window) {
    auto* w = reinterpret_cast<WindowPeek>(window);
    return w && w->windowKind == dialogKind ? reinterpret_cast<DialogPeek>(w) : nullptr;
}

std::int16_t count(DialogPtr dialog) {
    DialogPeek d = peek(dialog);
    return d && d->items ? std::int16_t(GetHandleSize(d->items) / long(sizeof(DialogItem))) : 0;
}

DialogItem* item(DialogPtr dialog, std::int16_t itemNo) {
    if (itemNo < 1 || itemNo > count(dialog))
        return nullptr;
    return reinterpret_cast<DialogItem*>(*peek(dialog)->items) + (itemNo - 1);
}

std::int16_t itemOfControl(DialogPtr dialog, ControlHandle control) {
    for (std::int16_t i = 1; i <= count(dialog); ++i)
        if ((item(dialog, i)->type & 0x7F) >= ctrlItem &&
            (item(dialog, i)->type & 0x7F) <= ctrlItem + resCtrl &&
            item(dialog, i)->handle == reinterpret_cast<Handle>(control))
            return i;
    return 0;
}

std::string itemText(const DialogItem& item) {
    if (!item.handle || !*item.handle)
        return {};
    return std::string(*item.handle, std::size_t(GetHandleSize(item.handle)));
}

void setItemText(DialogItem& item, const std::string& text) {
    SetHandleSize(item.handle, long(text.size()));
    if (MemError() == noErr)
        std::memcpy(*item.handle, text.data(), text.size());
}

std::string substituted(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3')
            out += paramStrings[text[++i] - '0'];
        else
            out += text[i];
    }
    return out;
}

} // namespace dialogs

DialogPtr GetNewDialog(std::int16_t dialogID, void* storage, WindowPtr behind) {
    Handle dlog = GetResource(FOUR_CHAR("DLOG"), dialogID);
    if (!dlog || GetHandleSize(dlog) < 21)
        return nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(*dlog);
    if (GetHandleSize(dlog) < 21 + p[20]) // the title runs past the end
        return nullptr;
    Handle ditl = GetResource(FOUR_CHAR("DITL"), word(p + 18));
    if (!ditl)
        return nullptr;
    Rect bounds{word(p), word(p + 2), word(p + 4), word(p + 6)};
    long titleEnd = 21 + p[20];
    if (GetHandleSize(dlog) >= titleEnd + (titleEnd & 1) + 2)
        dialogs::place(&bounds, word(p + titleEnd + (titleEnd & 1)));
    dialogs::Template t{
        bounds,
        word(p + 8),
        p[10] != 0,
        p[12] != 0,
        long(std::uint32_t(p[14]) << 24 | std::uint32_t(p[15]) << 16 | std::uint32_t(p[16]) << 8 | p[17]),
        {}};
    std::memcpy(t.title, p + 20, std::size_t(p[20]) + 1);
    return dialogs::create(t, ditl, storage, behind);
}

namespace dialogs {

DialogPtr create(const Template& t, Handle ditl, void* storage, WindowPtr behind) {
    TBSetItemBoxResolver(resolveItemBox);
    // A dialog missing an item, a control's menu or a region for want of memory is no dialog.
    const long refusals = memory::Refusals();
    void* record = storage ? storage : NewPtrClear(sizeof(DialogRecord));
    if (!record)
        return nullptr;
    WindowPtr window = NewCWindow(record, &t.bounds, t.title, false, t.procID, behind, t.goAway, t.refCon);
    if (!window) {
        if (!storage)
            DisposePtr(static_cast<Ptr>(record));
        return nullptr;
    }
    auto* d = static_cast<DialogRecord*>(record);
    d->window.windowKind = dialogKind;
    d->editField = -1;
    d->aDefItem = 1;
    d->cancelItem = 2;
    d->ownsRecord = storage == nullptr;
    SetPort(window);
    TextFont(systemFont);
    TextSize(0);
    if (!buildItems(window, ditl) || memory::Refusals() != refusals) {
        const bool outOfMemory = memory::Refusals() != refusals;
        DisposeDialog(window);
        if (outOfMemory)
            memory::SetMemFull();
        return nullptr;
    }
    selectFirstEditItem(window);
    if (t.visible)
        ShowWindow(window);
    return window;
}

bool appendItem(DialogPtr dialog, const DialogItem& item) {
    DialogPeek d = peek(dialog);
    std::int16_t n = count(dialog);
    SetHandleSize(d->items, long(sizeof(DialogItem)) * (n + 1));
    if (MemError() != noErr)
        return false;
    reinterpret_cast<DialogItem*>(*d->items)[n] = item;
    return true;
}

} // namespace dialogs

void DisposeDialog(DialogPtr dialog) {
    DialogPeek d = dialogs::peek(dialog);
    if (!d)
        return;
    bool owned = d->ownsRecord;
    dialogs::forgetEdit(dialog);
    disposeItems(dialog);
    DisposeWindow(dialog);
    if (owned)
        DisposePtr(reinterpret_cast<Ptr>(d));
}

void GetDialogItem(DialogPtr dialog, std::int16_t itemNo, std::int16_t* kind, Handle* item, Rect* box) {
    const DialogItem* it = dialogs::item(dialog, itemNo);
    if (!it)
        return;
    if (kind)
        *kind = it->type;
    if (item)
        *item = it->handle;
    if (box)
        *box = it->box;
}

void SetDialogItem(DialogPtr dialog, std::int16_t itemNo, std::int16_t kind, Handle item, const Rect* box) {
    DialogItem* it = dialogs::item(dialog, itemNo);
    if (!it)
        return;
    it->type = std::uint8_t(kind);
    it->handle = item;
    it->box = *box;
}

void TBSetUserItemProc(DialogPtr dialog, std::int16_t itemNo, UserItemProcPtr proc) {
    if (DialogItem* it = dialogs::item(dialog, itemNo))
        it->handle = reinterpret_cast<Handle>(proc);
}

std::int16_t FindDialogItem(DialogPtr dialog, Point pt) {
    for (std::int16_t i = 1; i <= dialogs::count(dialog); ++i) {
        const DialogItem* it = dialogs::item(dialog, i);
        if (!it->hidden && PtInRect(pt, &it->box))
            return std::int16_t(i - 1);
    }
    return -1;
}

std::int16_t CountDITL(DialogPtr dialog) {
    return dialogs::count(dialog);
}

void GetDialogItemText(Handle item, Str255 text) {
    long length = item && *item ? std::min<long>(GetHandleSize(item), 255) : 0;
    text[0] = static_cast<unsigned char>(length);
    if (length)
        std::memcpy(text + 1, *item, std::size_t(length));
}

void SetDialogItemText(Handle item, ConstStr255Param text) {
    if (!item)
        return;
    SetHandleSize(item, text[0]);
    if (MemError() != noErr)
        return;
    std::memcpy(*item, text + 1, text[0]);
    // Redraw at once: find the item among the windows' dialogs.
    for (WindowPtr w = TBNextWindow(nullptr); w; w = TBNextWindow(w))
        for (std::int16_t i = 1; dialogs::peek(w) && i <= dialogs::count(w); ++i)
            if (dialogs::item(w, i)->handle == item) {
                dialogs::EditState& e = dialogs::edit(w);
                if (e.item == i)
                    e.start = e.end = std::min<std::int16_t>(e.end, text[0]);
                dialogs::drawItem(w, i);
            }
}

void ParamText(ConstStr255Param s0, ConstStr255Param s1, ConstStr255Param s2, ConstStr255Param s3) {
    ConstStr255Param all[4] = {s0, s1, s2, s3};
    for (int i = 0; i < 4; ++i)
        if (all[i])
            paramStrings[i].assign(reinterpret_cast<const char*>(all[i] + 1), all[i][0]);
}

void SetDialogDefaultItem(DialogPtr dialog, std::int16_t item) {
    if (DialogPeek d = dialogs::peek(dialog))
        d->aDefItem = item;
}

void SetDialogCancelItem(DialogPtr dialog, std::int16_t item) {
    if (DialogPeek d = dialogs::peek(dialog))
        d->cancelItem = item;
}
