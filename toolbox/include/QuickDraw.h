// QuickDraw: ports, pen, colours, patterns, shapes, regions, clipping, icons, CopyBits and cursors.
//
// Every port draws into 32-bit pixels (0x00RRGGBB in native byte order). A port reports a pixel depth
// of 32 (the default) or 8; at depth 8 every stored pixel is a colour of the standard 8-bit colour
// table and the exclusive-or modes invert the table index, as an indexed screen would.
// Coordinates name the grid lines between pixels: a Rect holds the pixels left <= h < right,
// top <= v < bottom. Drawing is clipped to the port's pixel map, its visRgn and its clipRgn.
// Not offered, as nothing draws that way: background patterns, relative pen moves, fills with
// one-bit patterns, drawing a region, rectangle and region comparisons, and hiding the cursor.
#pragma once

#include "Types.h"
#include "Fonts.h"

// ---- Records -------------------------------------------------------------------------------------

struct Pattern {
    std::uint8_t pat[8]; // row i is byte i; bit 7 is the leftmost pixel; 1 = foreground
};
using PatPtr = Pattern*;
using ConstPatternParam = const Pattern*;

// A pixel map. Pixels are always stored as 32-bit words; pixelSize is the depth the port reports
// (32 or 8). Also serves as the BitMap that CopyBits reads and writes.
struct PixMap {
    Ptr baseAddr;
    std::int32_t rowBytes; // bytes per row of the 32-bit buffer
    Rect bounds;           // local coordinates of the buffer's top-left pixel and its extent
    std::int16_t pixelSize;
};
using BitMap = PixMap;
using PixMapPtr = PixMap*;
using PixMapHandle = PixMap**;

// Pattern types.
enum : std::int16_t { kOldPattern = 0, kFullColorPattern = 1, kRGBPattern = 2 };

struct PixPat {
    std::int16_t patType; // kOldPattern: pat1Data coloured with fg/bk; kRGBPattern: solid rgb
    Pattern pat1Data;
    RGBColor rgb;
};
using PixPatPtr = PixPat*;
using PixPatHandle = PixPat**;

// A region: a set of pixels. The header mirrors the classic one; the scan lines are private.
struct RegionSpans;
struct Region {
    std::int16_t rgnSize; // 10 for an empty or rectangular region, more otherwise
    Rect rgnBBox;
    RegionSpans* spans;
};
using RgnPtr = Region*;
using RgnHandle = Region**;

struct PenState {
    Point pnLoc;
    Point pnSize;
    std::int16_t pnMode;
    Pattern pnPat;
    PixPatHandle pnPixPat; // the port's pen pixel pattern, or null
};

// Transfer modes.
enum : std::int16_t {
    srcCopy = 0,
    srcOr = 1,
    srcXor = 2,
    srcBic = 3,
    notSrcCopy = 4,
    notSrcOr = 5,
    notSrcXor = 6,
    notSrcBic = 7,
    patCopy = 8,
    patOr = 9,
    patXor = 10,
    patBic = 11,
    notPatCopy = 12,
    notPatOr = 13,
    notPatXor = 14,
    notPatBic = 15,
    // Of the arithmetic modes only blend and addOver draw; the others (33, 35-39) leave the pixel.
    blend = 32,
    addOver = 34,
    grayishTextOr = 49,
    hilite = 50,
    ditherCopy = 64,
};

struct RegionRecorder; // the outlines collected between OpenRgn and CloseRgn

// A colour graphics port. Windows and dialogs begin with one. Treat fields as read-only and use the
// calls below to change them.
struct GrafPort {
    PixMapHandle portPixMap;
    Rect portRect;
    RgnHandle visRgn;
    RgnHandle clipRgn;
    Point globalOrigin; // screen position of local (0, 0); used by GlobalToLocal/LocalToGlobal
    RGBColor rgbFgColor;
    RGBColor rgbBkColor;
    RGBColor rgbOpColor;
    Point pnLoc;
    Point pnSize;
    std::int16_t pnMode;
    Pattern pnPat;
    PixPatHandle pnPixPat; // null: the pen uses pnPat
    Pattern bkPat;
    PixPatHandle bkPixPat; // null: the background uses bkPat
    std::int16_t pnVis;    // drawing happens only while >= 0
    std::int16_t txFont;
    Style txFace;
    std::int16_t txMode;
    std::int16_t txSize;
    RegionRecorder* rgnSave;
};
using CGrafPort = GrafPort;
using CGrafPtr = GrafPort*;

// Colour icon: 32-bit pixels plus a one-byte-per-pixel mask (non-zero = opaque), both
// width x height, row by row. Build one with TBNewCIcon.
struct CIcon {
    Rect bounds; // (0, 0, height, width)
    std::uint32_t* pixels;
    std::uint8_t* mask;
};
using CIconPtr = CIcon*;
using CIconHandle = CIcon**;

// A cursor, exactly the 68-byte 'CURS' resource: row r is data[r]/mask[r], bit 15 is the leftmost
// pixel. data 1/mask 1 black, 0/1 white, 0/0 transparent, 1/0 inverts the screen.
struct Cursor {
    std::uint16_t data[16];
    std::uint16_t mask[16];
    Point hotSpot;
};
using CursPtr = Cursor*;
using CursHandle = Cursor**;

enum : std::int16_t { iBeamCursor = 1, crossCursor = 2, plusCursor = 3, watchCursor = 4 };

// Classic globals: standard patterns, the arrow, the screen and the current port.
struct QDGlobals {
    Pattern white;
    Pattern black;
    Pattern gray;
    Pattern ltGray;
    Pattern dkGray;
    Cursor arrow;
    PixMap screenBits;
    GrafPtr thePort;
};
extern QDGlobals qd;

// ---- Ports ---------------------------------------------------------------------------------------

// Makes `port` current; all drawing calls draw into the current port.
void SetPort(GrafPtr port);
void GetPort(GrafPtr* port);
// Reported depth of the port's pixel map (32 or 8).
std::int16_t GetPixDepth(PixMapHandle pm);
PixMapHandle GetPortPixMap(CGrafPtr port);
// The port's pixel map in the form CopyBits takes.
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);

// Off-screen ports with their own white pixels, bounds local (0,0)-based at `bounds`; depth 32 or 8.
// The new port is not made current. Null when memory runs out.
GrafPtr TBNewOffscreenPort(const Rect* bounds, std::int16_t depth);
void TBDisposeOffscreenPort(GrafPtr port);
// Initialises or releases a port record over caller-owned pixels (used by the Window Manager).
// False, with nothing held, when memory runs out.
bool TBOpenPortOnPixels(GrafPtr port, PixMap pixels);
void TBClosePort(GrafPtr port);
// Reads and writes single pixels of a port in local coordinates (tests and snapshots).
std::uint32_t TBGetPixel(GrafPtr port, std::int16_t h, std::int16_t v);
void TBSetPixel(GrafPtr port, std::int16_t h, std::int16_t v, std::uint32_t pixel);

void GlobalToLocal(Point* pt); // screen to the current port's local coordinates
void LocalToGlobal(Point* pt);

// ---- Pen and colours -----------------------------------------------------------------------------

void GetPenState(PenState* ps);
void SetPenState(const PenState* ps);
// Size 1x1, mode patCopy, pattern black (a pen pixel pattern is dropped). Leaves pnLoc alone.
void PenNormal();
// Sets the pen mode; source modes 0..7 act as the matching pattern modes on shapes and lines.
void PenMode(std::int16_t mode);
void PenSize(std::int16_t width, std::int16_t height);
void PenPat(const Pattern* pat);
// The port keeps the handle (no copy): do not dispose a pattern that is still the pen.
void PenPixPat(PixPatHandle ppat);
void HidePen();
void ShowPen();

void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void OpColor(const RGBColor* color); // the weight of blend
void ForeColor(long classicColor);   // blackColor 33, whiteColor 30, redColor 205 ...
enum : long {
    blackColor = 33,
    whiteColor = 30,
    redColor = 205,
    greenColor = 341,
    blueColor = 409,
    cyanColor = 273,
    magentaColor = 137,
    yellowColor = 69,
};

// A new old-style pattern (black), or null when memory runs out.
PixPatHandle NewPixPat();
// Turns ppat into a pattern of the colour `color` (drawn solid on these ports).
void MakeRGBPat(PixPatHandle ppat, const RGBColor* color);
void DisposePixPat(PixPatHandle ppat); // null is ignored

// ---- Lines and shapes ----------------------------------------------------------------------------

void MoveTo(std::int16_t h, std::int16_t v);
// Draws from the pen location to (h, v) with the pen hanging below-right; both ends drawn.
void LineTo(std::int16_t h, std::int16_t v);
void Line(std::int16_t dh, std::int16_t dv);

// Frame*: the outline lies inside r, pnSize wide. Paint*: pen pattern and mode. Erase*: background
// pattern, patCopy. Invert*: every bit inverted. Fill*: the given pattern, patCopy.
void FrameRect(const Rect* r);
void PaintRect(const Rect* r);
void EraseRect(const Rect* r);
void InvertRect(const Rect* r);
void FillCRect(const Rect* r, PixPatHandle ppat);

// Ovals: a pixel is inside when its centre is inside the ellipse inscribed in r.
void FrameOval(const Rect* r);
void PaintOval(const Rect* r);
void EraseOval(const Rect* r);
void FillCOval(const Rect* r, PixPatHandle ppat);

// Round rects: ovalWidth/ovalHeight are the corner oval's diameters.
void FrameRoundRect(const Rect* r, std::int16_t ovalWidth, std::int16_t ovalHeight);
void PaintRoundRect(const Rect* r, std::int16_t ovalWidth, std::int16_t ovalHeight);
void EraseRoundRect(const Rect* r, std::int16_t ovalWidth, std::int16_t ovalHeight);

// ---- Rectangle and point arithmetic --------------------------------------------------------------

void SetRect(Rect* r, std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom);
void OffsetRect(Rect* r, std::int16_t dh, std::int16_t dv);
// Moves the sides inward (negative grows); a result narrower or shorter than 1 becomes (0,0,0,0).
void InsetRect(Rect* r, std::int16_t dh, std::int16_t dv);
Boolean EmptyRect(const Rect* r);
// True when the pixel below-right of pt lies in r.
Boolean PtInRect(Point pt, const Rect* r);
Boolean EqualPt(Point a, Point b);

// ---- Regions and clipping ------------------------------------------------------------------------

// An empty region, or null when memory runs out.
RgnHandle NewRgn();
void DisposeRgn(RgnHandle rgn); // null is ignored
void CopyRgn(RgnHandle src, RgnHandle dst);
void SetEmptyRgn(RgnHandle rgn);
void RectRgn(RgnHandle rgn, const Rect* r);
void SetRectRgn(RgnHandle rgn, std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom);
void OffsetRgn(RgnHandle rgn, std::int16_t dh, std::int16_t dv);
void InsetRgn(RgnHandle rgn, std::int16_t dh, std::int16_t dv);
// Set operations; dst may be one of the sources.
void SectRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
Boolean EmptyRgn(RgnHandle rgn);
Boolean PtInRgn(Point pt, RgnHandle rgn);
Boolean RectInRgn(const Rect* r, RgnHandle rgn);

// Starts recording outlines into the current port (and hides the pen): LineTo paths enclose their
// interior, FrameRect/FrameOval/FrameRoundRect add their area; areas combine even-odd.
void OpenRgn();
// Ends the recording, stores the result in rgn (an allocated region) and shows the pen again.
void CloseRgn(RgnHandle rgn);

void FrameRgn(RgnHandle rgn);

// The clip region of the current port: GetClip copies it out, SetClip copies rgn in (the caller
// keeps rgn), ClipRect sets it to r.
void GetClip(RgnHandle rgn);
void SetClip(RgnHandle rgn);
void ClipRect(const Rect* r);

// ---- Pixels: CopyBits and icons ------------------------------------------------------------------

// Copies srcRect of src into dstRect of dst, scaled by nearest neighbour, in `mode` (srcCopy and the
// other boolean and arithmetic modes), clipped to dst's bounds, to maskRgn (destination coordinates;
// null = none) and, when dst is the current port's pixel map, to its visRgn and clipRgn.
void CopyBits(const BitMap* src, const BitMap* dst, const Rect* srcRect, const Rect* dstRect,
              std::int16_t mode, RgnHandle maskRgn);

// A colour icon built from width x height pixels (0x00RRGGBB) and a mask (non-zero = opaque; null =
// all opaque); the data are copied. Null when memory runs out.
CIconHandle TBNewCIcon(std::int16_t width, std::int16_t height, const std::uint32_t* pixels,
                       const std::uint8_t* mask);
// The icon of 'cicn' resource `id` as a new handle, null if there is none.
CIconHandle GetCIcon(std::int16_t id);
// Draws the icon through its mask, scaled to r, with exact colours.
void PlotCIcon(const Rect* r, CIconHandle icon);
void DisposeCIcon(CIconHandle icon); // null is ignored

// ---- Interface helpers of the porting layer ------------------------------------------------------

// Frames r (1 pixel, inside r) in interface colour `index`: 0 control frame, 1 well frame,
// 2 light edge, 3 face; in the foreground colour instead when that is not black (a dimmed, disabled
// item). Pen and colours are left as they were.
void ql_quorum_frame_gui_color(const Rect* r, std::int16_t index);
// The interface colour `index` (as above).
RGBColor TBInterfaceColor(std::int16_t index);
// Draws the slider indicator with its tip at the pen location: a triangle pointing up, 11 pixels
// wide and 6 tall (columns pen.h-5 .. pen.h+5, rows pen.v .. pen.v+5). Between OpenRgn and CloseRgn
// it contributes the interior of the triangle's outline (grid lines through its corners). The
// outline is in the foreground colour when that is not black (an inactive slider). The pen is left
// where it was.
void DrawPISlider();

// ---- Cursors -------------------------------------------------------------------------------------

void SetCursor(const Cursor* cursor);
void SetArrowCursor();
// The cursor of 'CURS' resource `id`; the system cursors 1..4 exist even without a resource.
// Null if there is none.
CursHandle GetCursor(std::int16_t id);
// The cursor in force (tests and the backends read it).
const Cursor* TBCurrentCursor();
