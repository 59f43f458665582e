// Window Manager: windows stacked on one screen, each with its own content pixels (the port), a
// light grey frame and, for document and movable modal windows, a title bar to drag it by.
// The screen is composed from the windows back to front when the backend shows or snapshots it.
// Titles are set when a window is made, windows are never hidden again, and only a new window's
// content needs updating (each window keeps its own pixels, so nothing is ever uncovered).
#pragma once

#include "QuickDraw.h"

// Window definitions (procID).
enum : std::int16_t {
    documentProc = 0,
    dBoxProc = 1,
    plainDBox = 2,
    altDBoxProc = 3,
    noGrowDocProc = 4,
    movableDBoxProc = 5,
};

enum : std::int16_t { dialogKind = 2, userKind = 8 };

// FindWindow part codes.
enum : std::int16_t {
    inDesk = 0,
    inMenuBar = 1,
    inSysWindow = 2,
    inContent = 3,
    inDrag = 4,
    inGrow = 5,
    inGoAway = 6,
};

// Frame geometry: a border round the content (3 pixels for dBoxProc, else 1) and, for documentProc,
// noGrowDocProc and movableDBoxProc, a title bar of this height above it.
constexpr std::int16_t kTBTitleBarHeight = 20;

struct AuxWinRec;
using AuxWinPtr = AuxWinRec*;
using AuxWinHandle = AuxWinRec**;
struct AuxWinRec {
    AuxWinHandle awNext;
    WindowPtr awOwner;
    Handle awCTable;
    Handle dialogCItem;
    long awFlags;
    Handle awReserved;
    long awRefCon; // free for the application (wide enough for a pointer)
};

// The window record; a DialogRecord begins with it. portRect is the content in local coordinates,
// (0, 0) at the content's top-left.
struct WindowRecord {
    GrafPort port;
    std::int16_t windowKind;
    Boolean visible;
    Boolean hilited;
    Boolean goAwayFlag;
    Boolean ownsStorage; // the record was allocated by NewCWindow
    std::int16_t procID;
    RgnHandle strucRgn;  // frame and content, global
    RgnHandle contRgn;   // content, global
    RgnHandle updateRgn; // the content still to redraw, global
    WindowRecord* nextWindow;
    long refCon;
    AuxWinHandle auxWin;
    Str255 titleText;
};
using WindowPeek = WindowRecord*;
using CWindowRecord = WindowRecord;

// A new window with its content at `bounds` (global), stacked behind `behind` ((WindowPtr)-1 =
// in front of all, null = behind all). storage null = allocated here, else caller storage of at
// least sizeof(WindowRecord). A visible window gets an update event for its whole content. Null when
// memory runs out.
WindowPtr NewCWindow(void* storage, const Rect* bounds, ConstStr255Param title, Boolean visible,
                     std::int16_t procID, WindowPtr behind, Boolean goAwayFlag, long refCon);
inline WindowPtr NewWindow(void* storage, const Rect* bounds, ConstStr255Param title, Boolean visible,
                           std::int16_t procID, WindowPtr behind, Boolean goAwayFlag, long refCon) {
    return NewCWindow(storage, bounds, title, visible, procID, behind, goAwayFlag, refCon);
}
// Removes the window and frees what NewCWindow allocated; the port stops being current.
void DisposeWindow(WindowPtr window);
// As DisposeWindow but leaves caller storage's memory to the caller (same as DisposeWindow here).
void CloseWindow(WindowPtr window);

void ShowWindow(WindowPtr window);
// Brings the window to the front and makes it active (activate events for the old and new front).
void SelectWindow(WindowPtr window);
void BringToFront(WindowPtr window);
// The frontmost visible window, or null.
WindowPtr FrontWindow();
// The part of the screen under pt (global) and the window there (null for inDesk).
std::int16_t FindWindow(Point pt, WindowPtr* window);
// Follows the mouse while the button stays down (StillDown/GetMouse) and moves the window by the
// drag's offset, kept inside limit (global; null = the screen).
void DragWindow(WindowPtr window, Point startPt, const Rect* limit);
// Moves the content's top-left to (h, v) global; front = also bring it to the front.
void MoveWindow(WindowPtr window, std::int16_t h, std::int16_t v, Boolean front);

long GetWRefCon(WindowPtr window);
void SetWRefCon(WindowPtr window, long refCon);
// The window's auxiliary record (created with the window); true when the window has its own.
Boolean GetAuxWin(WindowPtr window, AuxWinHandle* aux);

// Between BeginUpdate and EndUpdate drawing is limited to the region needing the update, and
// visRgn holds it (local); EndUpdate clears it.
void BeginUpdate(WindowPtr window);
void EndUpdate(WindowPtr window);

// The window's global content rectangle.
void TBGetWindowContentRect(WindowPtr window, Rect* globalRect);
// The window under pt, frontmost first, skipping hidden windows; null when none.
WindowPtr TBWindowAt(Point globalPt);
// Visible windows from the front, for the backends and tests.
WindowPtr TBNextWindow(WindowPtr window); // null = the front one
