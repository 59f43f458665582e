// Control Manager: push buttons, check boxes, radio buttons, pop-up menus and custom controls whose
// definition procedures are code resources ('CDEF'), called with the classic message protocol.
// Titles, sizes and action procedures are fixed when a control is made: nobody changes them later.
#pragma once

#include "QuickDraw.h"

struct ControlRecord;
using ControlPtr = ControlRecord*;
using ControlHandle = ControlRecord**;
using ControlActionProcPtr = void (*)(ControlHandle control, std::int16_t part);
// The action procedure of an indicator drag takes no arguments.
using IndicatorActionProcPtr = void (*)();
// A definition procedure: long CDEF(short variation, ControlHandle, short message, long param).
using ControlDefProcPtr = long (*)(std::int16_t variation, ControlHandle control, std::int16_t message,
                                   long param);

// "Use the control's own action" (TrackControl) and "the definition tracks itself" (contrlAction).
inline ControlActionProcPtr const kControlActionDefault = reinterpret_cast<ControlActionProcPtr>(-1);

struct AuxCtlRec;
using AuxCtlHandle = AuxCtlRec**;
struct AuxCtlRec {
    AuxCtlHandle acNext;
    ControlHandle acOwner;
    Handle acCTable;
    std::int16_t acFlags;
    long acReserved;
    long acRefCon; // free for the application (wide enough for a handle)
};

struct ControlRecord {
    ControlHandle nextControl; // the window's list, newest first
    WindowPtr contrlOwner;
    Rect contrlRect;
    std::uint8_t contrlVis;    // 255 visible, 0 hidden
    std::uint8_t contrlHilite; // 0 active, 1..253 part being pressed, 255 inactive
    std::int16_t contrlValue;
    std::int16_t contrlMin;
    std::int16_t contrlMax;
    Handle contrlDefProc; // a code handle (CodeResources.h)
    Handle contrlData;    // the definition's own
    ControlActionProcPtr contrlAction;
    long contrlRfCon;
    Str255 contrlTitle;
    std::int16_t contrlVariant; // procID & 15
    AuxCtlHandle contrlAux;
};

// procIDs of the standard definitions and the variation bits.
enum : std::int16_t {
    pushButProc = 0,
    checkBoxProc = 1,
    radioButProc = 2,
    useWFont = 8,
    popupMenuProc = 1008,
    popupFixedWidth = 1,
    popupUseAddResMenu = 4,
    popupUseWFont = 8,
};

// Part codes.
enum : std::int16_t {
    kControlNoPart = 0,
    inButton = 10,
    inCheckBox = 11,
    inUpButton = 20,
    inDownButton = 21,
    inPageUp = 22,
    inPageDown = 23,
    inThumb = 129,
    kControlInactivePart = 255,
};

// Definition messages.
enum : std::int16_t {
    drawCntl = 0,
    testCntl = 1,
    calcCRgns = 2,
    initCntl = 3,
    dispCntl = 4,
    posCntl = 5,
    thumbCntl = 6,
    dragCntl = 7,
    autoTrack = 8,
    calcCntlRgn = 10,
    calcThumbRgn = 11,
};

// The record thumbCntl fills in; on entry limitRect's first four bytes hold the pressed point.
struct IndicatorDragConstraint {
    Rect limitRect;
    Rect slopRect;
    std::int16_t axis; // 0 both, 1 horizontal only, 2 vertical only
};

// The private data of a pop-up menu control (its contrlData).
struct PopupPrivateData {
    struct MenuInfo** mHandle;
    std::int16_t mID;
};
using PopupPrivateDataHandle = PopupPrivateData**;

// A new control in `window` (linked first in its list), initialised by its definition and drawn
// when visible. Null when the definition (CDEF procID >> 4) is missing or memory runs out.
ControlHandle NewControl(WindowPtr window, const Rect* bounds, ConstStr255Param title, Boolean visible,
                         std::int16_t value, std::int16_t min, std::int16_t max, std::int16_t procID,
                         long refCon);
// The control of CNTL resource `id`, or null.
ControlHandle GetNewControl(std::int16_t id, WindowPtr window);
// Erases the control, lets the definition free its data, unlinks and frees it.
void DisposeControl(ControlHandle control);
void KillControls(WindowPtr window);
// The first control of a window's list (newest first), or null.
ControlHandle TBFirstControl(WindowPtr window);

void Draw1Control(ControlHandle control);
void DrawControls(WindowPtr window);
void ShowControl(ControlHandle control);
void HideControl(ControlHandle control);
// 0 active, a part code to show it pressed, 255 inactive; redraws when it changes.
void HiliteControl(ControlHandle control, std::int16_t state);
void MoveControl(ControlHandle control, std::int16_t h, std::int16_t v);

// The part of the visible, active control under `pt` (local), 0 otherwise.
std::int16_t TestControl(ControlHandle control, Point pt);
// The part and control under `pt` among the window's visible, active controls; 0 and null if none.
std::int16_t FindControl(Point pt, WindowPtr window, ControlHandle* control);
// Follows a press at `pt` until release and returns the part released in (0 = released outside).
// actionProc: called while the button is down (with the part under the mouse, or 0 outside);
// kControlActionDefault uses the control's own action, and a control whose own action is
// kControlActionDefault is tracked by its definition (autoTrack).
std::int16_t TrackControl(ControlHandle control, Point pt, ControlActionProcPtr actionProc);

std::int16_t GetControlValue(ControlHandle control);
// Clamped into [minimum, maximum]; redraws the indicator.
void SetControlValue(ControlHandle control, std::int16_t value);
std::int16_t GetControlMinimum(ControlHandle control);
void SetControlMinimum(ControlHandle control, std::int16_t minimum);
std::int16_t GetControlMaximum(ControlHandle control);
void SetControlMaximum(ControlHandle control, std::int16_t maximum);
long GetControlReference(ControlHandle control);
void SetControlReference(ControlHandle control, long reference);
Boolean GetAuxiliaryControlRecord(ControlHandle control, AuxCtlHandle* aux);

// The point a testCntl message carries: v in the high 16 bits, h in the low 16.
inline Point TBControlMessagePoint(long param) {
    return Point{std::int16_t(param >> 16), std::int16_t(param & 0xFFFF)};
}

// Calls the control's definition with the port set to the control's owner (and restored after).
long TBCallControlDefinition(ControlHandle control, std::int16_t message, long param);
