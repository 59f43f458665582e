// Dialog Manager: dialogs and alerts built from DLOG, ALRT and DITL resources, their items, editable
// text, the modal loops and ParamText. Alerts are also recorded, so that headless runs and tests can
// see them.
// Only stop alerts are offered (no note or caution alerts, no alert stages), and items are never
// hidden or shown once the dialog is made.
#pragma once

#include "Controls.h"
#include "Events.h"
#include "Windows.h"

#include <string>
#include <vector>

using ModalFilterProcPtr = Boolean (*)(DialogPtr dialog, EventRecord* event, std::int16_t* itemHit);
using UserItemProcPtr = void (*)(DialogPtr dialog, std::int16_t item);
using DialogEventProcPtr = void (*)(EventRecord* event);

// Item kinds (the DITL type byte).
enum : std::int16_t {
    userItem = 0,
    ctrlItem = 4,
    btnCtrl = 0,
    chkCtrl = 1,
    radCtrl = 2,
    resCtrl = 3,
    statText = 8,
    editText = 16,
    iconItem = 32,
    picItem = 64,
    itemDisable = 128,
};

enum : std::int16_t { kStdOkItemIndex = 1, kStdCancelItemIndex = 2 };

struct DialogItem; // private

// A dialog is a window record followed by the Dialog Manager's fields.
struct DialogRecord {
    WindowRecord window;
    Handle items;           // the item list (private layout)
    Handle textH;           // reserved
    std::int16_t editField; // the active edit item - 1, or -1
    std::int16_t editOpen;
    std::int16_t aDefItem;   // the default item, initially 1
    std::int16_t cancelItem; // the item Escape and Command-period press, initially 2
    Boolean ownsRecord;      // the Dialog Manager allocated this record
};
using DialogPeek = DialogRecord*;

// The dialog of DLOG `dialogID` with its DITL, in front of `behind` ((WindowPtr)-1 = all), hidden
// unless the DLOG is visible. storage null = allocated. Null when a resource is missing.
DialogPtr GetNewDialog(std::int16_t dialogID, void* storage, WindowPtr behind);
// Disposes the window, its controls and its items.
void DisposeDialog(DialogPtr dialog);

// Draws every control, then every other item in order.
void DrawDialog(DialogPtr dialog);
// Draws the items whose box meets `region` (local).
void UpdateDialog(DialogPtr dialog, RgnHandle region);

// kind: the type byte (with itemDisable); item: the control handle of control items, the text handle
// of text items, the draw procedure of user items (cast to Handle). Out of range: left untouched.
void GetDialogItem(DialogPtr dialog, std::int16_t itemNo, std::int16_t* kind, Handle* item, Rect* box);
void SetDialogItem(DialogPtr dialog, std::int16_t itemNo, std::int16_t kind, Handle item, const Rect* box);
// The number of the first item whose box contains pt, minus 1; -1 when none.
std::int16_t FindDialogItem(DialogPtr dialog, Point pt);
std::int16_t CountDITL(DialogPtr dialog);

// Makes `proc` the drawing procedure of user item `itemNo`, keeping its kind and box.
void TBSetUserItemProc(DialogPtr dialog, std::int16_t itemNo, UserItemProcPtr proc);

// Text of a statText or editText item, through the handle GetDialogItem gives.
void GetDialogItemText(Handle item, Str255 text);
// Replaces the text and redraws the item at once.
void SetDialogItemText(Handle item, ConstStr255Param text);
// Makes edit item `itemNo` active with [start, end) selected (0, 32767 = all).
void SelectDialogItemText(DialogPtr dialog, std::int16_t itemNo, std::int16_t start, std::int16_t end);
// The active edit item (1-based) or 0, and its selection.
std::int16_t TBDialogEditItem(DialogPtr dialog, std::int16_t* start, std::int16_t* end);

// Stores up to four strings for ^0..^3 in static text (null leaves a slot unchanged).
void ParamText(ConstStr255Param s0, ConstStr255Param s1, ConstStr255Param s2, ConstStr255Param s3);

void SetDialogDefaultItem(DialogPtr dialog, std::int16_t item);
void SetDialogCancelItem(DialogPtr dialog, std::int16_t item);

Boolean DialogSelect(const EventRecord* event, DialogPtr* dialog, std::int16_t* itemHit);

// Runs the frontmost dialog until an enabled item is hit. The filter sees every event first (null
// events too) and returning true ends the call with its *itemHit. Without a filter Return and Enter
// press the default item, Escape and Command-period the cancel item. On the headless backend a
// script that has run out while the dialog is up answers the cancel item (2).
void ModalDialog(ModalFilterProcPtr filterProc, std::int16_t* itemHit);
// As ModalDialog for a movable modal dialog: its title bar drags it, and events for other windows
// go to eventProc (null: dropped).
void MoveableModalDialog(DialogPtr dialog, DialogEventProcPtr eventProc, ModalFilterProcPtr filterProc,
                         std::int16_t* itemHit);
// Shows the button pressed for a moment.
void TBFlashDialogItem(DialogPtr dialog, std::int16_t item);
// The outline of the default button: 3 pixels thick, 4 outside `button`'s box, dimmed if inactive.
void TBDrawDefaultOutline(DialogPtr dialog, std::int16_t button);

std::int16_t StopAlert(std::int16_t alertID, ModalFilterProcPtr filterProc);

// The ids of the alerts shown since the last reset (TBResetForTests), oldest first, and the texts they showed
// after ^ substitution (tests and automation read them; headless runs also print them to stderr).
const std::vector<std::int16_t>& TBAlertLog();
const std::vector<std::string>& TBAlertTextLog();
