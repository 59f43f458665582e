// Internal: a dialog's items and editing state, shared by the Dialog Manager's files.
#pragma once

#include "Dialogs.h"

#include <string>

struct DialogItem {
    Handle handle; // control, text (bytes without a length), icon, or user item procedure
    Rect box;
    std::uint8_t type; // the DITL type byte, itemDisable included
    bool hidden;
};

namespace dialogs {

// What a DLOG or ALRT says about the window.
struct Template {
    Rect bounds; // global
    std::int16_t procID;
    bool visible;
    bool goAway;
    long refCon;
    Str255 title;
};
// A dialog with the items of `ditl`; null when memory runs out or the DITL is malformed.
DialogPtr create(const Template& t, Handle ditl, void* storage, WindowPtr behind);
bool appendItem(DialogPtr dialog, const DialogItem& item);

constexpr std::int16_t kCentredPosition = 0x280A;
constexpr std::int16_t kAlertPosition = 0x300A;
// Moves global `bounds` as a position word says (centred, or the alert position with a third of
// the spare height above); other words leave it.
void place(Rect* bounds, std::int16_t where);

// The dialog's record, or null for a window that is not a dialog of ours.
DialogPeek peek(WindowPtr window);
std::int16_t count(DialogPtr dialog);
// Item `itemNo` (from 1), or null out of range.
DialogItem* item(DialogPtr dialog, std::int16_t itemNo);
// The item whose handle is `control`, 0 if none.
std::int16_t itemOfControl(DialogPtr dialog, ControlHandle control);
std::string itemText(const DialogItem& item);
void setItemText(DialogItem& item, const std::string& text);
// Static text with ^0..^3 replaced by the ParamText strings.
std::string substituted(const std::string& text);

void drawItem(DialogPtr dialog, std::int16_t itemNo);

// The editing state kept per dialog.
struct EditState {
    std::int16_t item = 0; // 1-based, 0 none
    std::int16_t start = 0;
    std::int16_t end = 0;
};
EditState& edit(DialogPtr dialog);
void forgetEdit(DialogPtr dialog);
// Handles a key for the active edit item; true when it was used.
bool editKey(DialogPtr dialog, const EventRecord& event);
// A press in edit item `itemNo`: places the caret, follows a drag to select.
void editClick(DialogPtr dialog, std::int16_t itemNo, Point pt);
// The width of the first `chars` bytes of the edit text in the dialog's font.
std::int16_t textOffset(const std::string& text, std::int16_t chars);

} // namespace dialogs
