// The screen behind the Toolbox: a host picks the headless backend (a framebuffer, a script of
// timed input, PNG snapshots) or the SDL backend (a real window), sizes the screen, and may hand in
// an input script. Both live in the one toolbox library.
#pragma once

#include "Types.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TBBackendKind { headless, sdl };

struct TBBackendOptions {
    TBBackendKind kind = TBBackendKind::headless;
    std::int16_t width = 1024; // the screen, in Toolbox pixels
    std::int16_t height = 768;
    std::int16_t depth = 32;    // reported by window ports: 32 or 8
    int scale = 1;              // 1 or 2 screen pixels per Toolbox pixel, nearest (crisp), in the window
                                // and in screen snapshots; SDL 0: 2 when the display is dense (144 DPI or
                                // more, or twice the screen each way), headless 0: 1
    std::int16_t fitMargin = 0; // > 0: a window opened on an empty desktop resizes the screen to its
                                // frame with this margin all round, and moves into the middle
    std::string title;          // SDL: the window's title
};

// Starts (or restarts) the backend with an empty desktop. False with a message when the SDL window
// cannot be opened. Without a call the headless backend runs with the default options.
bool TBInitBackend(const TBBackendOptions& options, std::string* error);
// Closes the SDL window and forgets the script, the event queue and the input state (windows stay).
void TBShutdownBackend();
TBBackendKind TBCurrentBackend();
void TBGetScreenBounds(Rect* bounds); // global, top-left (0, 0)
std::int16_t TBScreenDepth();

// Shows the composed screen now (SDL; nothing on headless). Polling calls also present it.
void TBPresent();

// Asked at every event of a modal dialog and every step of a tracked press: once it answers true
// (a signal asked the program to stop), the press ends and the dialog closes as Cancel, on either
// backend. Null (the default): never. The check must be safe to call often.
using TBStopCheck = bool (*)();
void TBSetStopCheck(TBStopCheck check);
bool TBStopRequested();

// ---- Input scripts (headless) -----------------------------------------------------------------------
// One event per line, '#' starts a comment:
//   move POS MODS | down POS MODS | up POS MODS | click POS MODS | choose POS TEXT
//   key NAME MODS   (NAME: one character, return, enter, escape, tab, delete, forward-delete, left, right,
//                    up, down)
//   type TEXT (UTF-8) | wait MS | snapshot FILE
// MODS is any of +shift +option +command +control: the modifier keys held from that line until the next
// pointer or key line (choose holds none, type only Shift for a character that needs it), as GetKeys and
// the events' modifiers report them. A script that ends lets go of them.
// POS is X,Y (pixels in the frontmost window's content), @N (centre of dialog item N's box) or
// @N:FX,FY (fractions of that box). While the button is down, positions stay relative to where the
// window was at the press, so dragging a window by its title bar replays as recorded. Every polling call
// (GetNextEvent, WaitNextEvent, EventAvail, StillDown, GetMouse, TickCount) lets one
// tick pass; those that wait for input (all but GetMouse and TickCount) also carry out at most one due step,
// so a loop of StillDown and GetMouse sees every scripted move. `wait` makes the next step due MS later.

// Loads a script (replacing any), checking its syntax. False with "line N: ..." on a bad line.
bool TBLoadInputScript(const std::string& text, std::string* error);
bool TBLoadInputScriptFile(const std::string& path, std::string* error);
// True once every step has been carried out (or the script failed, or there was none).
bool TBScriptFinished();
// Non-empty after a step could not be carried out, naming the line; the script stops there.
const std::string& TBScriptError();
// Called by a manager that cannot carry out the current step (e.g. no such menu entry).
void TBScriptFail(const std::string& message);

// Dialog item boxes for @N positions: the Dialog Manager registers a resolver giving item N's box
// (local to `window`). Without one, @N positions fail the script.
using TBItemBoxResolver = bool (*)(WindowPtr window, std::int16_t item, Rect* localBox);
void TBSetItemBoxResolver(TBItemBoxResolver resolver);

// `choose POS TEXT` presses at POS and leaves TEXT here for the pop-up menu that the press opens:
// its tracking takes it (true, once) and picks the entry, then waits for the release that follows.
bool TBTakeScriptedChoice(std::string* text);

// ---- Recording --------------------------------------------------------------------------------------
// While recording, input from the real (SDL) backend is written as script lines, positions relative
// to the frontmost window's content. False with a message when the file cannot be written.
bool TBStartRecording(const std::string& path, std::string* error);
void TBStopRecording();

// ---- Direct input (tests and the backends) --------------------------------------------------------
void TBInputMouseMove(Point global);
void TBInputMouseButton(bool down);
// Press or release of virtual key `keyCode` producing `charCode`; modifier keys set GetKeys bits and
// the modifiers of the events that follow.
void TBInputKey(std::uint8_t keyCode, std::uint8_t charCode, bool down);
// Text typed beyond the keys (accented and other non-ASCII characters, UTF-8): a key-down event
// of kVKText for each byte, so that an edit field takes the character whole.
void TBInputText(const std::string& text);
void TBAdvanceTicks(unsigned long ticks);

// ---- Snapshots ------------------------------------------------------------------------------------
// Writes the composed screen as an 8-bit RGB PNG (via a temporary file).
bool TBSnapshotScreen(const std::string& path, std::string* error);
// The composed screen as 0x00RRGGBB pixels, row by row (width x height of the screen).
std::vector<std::uint32_t> TBComposeScreen();
// Reads an 8-bit RGB/RGBA PNG into 0x00RRGGBB pixels (tests compare snapshots with it).
bool TBReadPNG(const std::string& path, int* width, int* height, std::vector<std::uint32_t>* pixels,
               std::string* error);

// ---- Resources the graphics need ------------------------------------------------------------------
// The Resource Manager registers these so that GetCursor ('CURS' handles as stored) and GetCIcon
// (a new icon built with TBNewCIcon) find the module's resources.
using TBResourceFetcher = Handle (*)(ResType type, std::int16_t id);
void TBSetResourceFetcher(TBResourceFetcher fetch);
struct CIcon;
using TBIconBuilder = CIcon** (*)(std::int16_t id);
void TBSetIconBuilder(TBIconBuilder build);
