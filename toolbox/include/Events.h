// Event Manager: one queue of mouse, key, update and activate events fed by the backend, mouse and
// keyboard state, and the tick clock. On the headless backend every polling call below advances the
// input script by one step, so tracking loops replay deterministically.
// Applications post no events of their own, and StillDown is the only button query.
#pragma once

#include "Types.h"

struct Region;
using RgnHandle = Region**;

using EventKind = std::uint16_t;
using EventMask = std::uint16_t;
using EventModifiers = std::uint16_t;

enum : EventKind {
    nullEvent = 0,
    mouseDown = 1,
    mouseUp = 2,
    keyDown = 3,
    keyUp = 4,
    autoKey = 5,
    updateEvt = 6,
    diskEvt = 7,
    activateEvt = 8,
    osEvt = 15,
};

enum : EventMask {
    mDownMask = 1 << mouseDown,
    mUpMask = 1 << mouseUp,
    keyDownMask = 1 << keyDown,
    keyUpMask = 1 << keyUp,
    autoKeyMask = 1 << autoKey,
    updateMask = 1 << updateEvt,
    diskMask = 1 << diskEvt,
    activMask = 1 << activateEvt,
    osMask = 1 << osEvt,
    everyEvent = 0xFFFF,
};

enum : EventModifiers {
    activeFlag = 0x0001,
    btnState = 0x0080, // set while the button is UP
    cmdKey = 0x0100,
    shiftKey = 0x0200,
    alphaLock = 0x0400,
    optionKey = 0x0800,
    controlKey = 0x1000,
};

// Key message: bits 0-7 character code, bits 8-15 virtual key code.
enum : long { charCodeMask = 0xFF, keyCodeMask = 0xFF00 };

// Virtual key codes of the keys the interface uses (US layout).
enum : std::uint8_t {
    kVKReturn = 36,
    kVKTab = 48,
    kVKSpace = 49,
    kVKDelete = 51, // backspace
    kVKEscape = 53,
    kVKCommand = 55,
    kVKShift = 56,
    kVKCapsLock = 57,
    kVKOption = 58,
    kVKControl = 59,
    kVKKeypadEnter = 76,
    kVKForwardDelete = 117,
    kVKLeftArrow = 123,
    kVKRightArrow = 124,
    kVKDownArrow = 125,
    kVKUpArrow = 126,
    kVKText = 127, // no key: one byte of UTF-8 text that an input method delivered
};

struct EventRecord {
    EventKind what;
    long message; // key message, or the WindowPtr of update and activate events
    unsigned long when;
    Point where; // global (screen) coordinates
    EventModifiers modifiers;
};

// Takes the first event of a kind in mask off the queue; pending update events come after queued
// input. False (and a null event) when there is none.
Boolean GetNextEvent(EventMask mask, EventRecord* event);
// As GetNextEvent, but lets up to `sleep` ticks pass waiting for one.
Boolean WaitNextEvent(EventMask mask, EventRecord* event, unsigned long sleep, RgnHandle mouseRgn);
// As GetNextEvent but leaves the event queued.
Boolean EventAvail(EventMask mask, EventRecord* event);
// Removes queued events in mask up to the first event in stopMask.
void FlushEvents(EventMask mask, EventMask stopMask);

// Mouse position in the current port's local coordinates.
void GetMouse(Point* pt);
// True while the button is down and no mouse-down or mouse-up event is queued.
Boolean StillDown();

// Held keys, 128 bits, laid out as the big-endian original read as 32-bit words: key code k is
// word k >> 5, bit (k & 7) + 8 * (3 - ((k >> 3) & 3)). So word 1 holds Shift (bit 0), Option (bit 2)
// and Command (bit 15).
using KeyMap = std::uint32_t[4];
void GetKeys(KeyMap keys);

// Ticks (1/60 s) since start-up.
unsigned long TickCount();
