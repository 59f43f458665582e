// What the Event Manager, the Window Manager and the backends share: the input state, the queue, the
// clock and the polling step.
#pragma once

#include "Events.h"

#include <string>

namespace tbev {

// How much scripted input a polling call may take. A new gesture (a press, a key, a move with the
// button up, a snapshot) waits until the application asks for an event with none of its kind
// queued, so no step runs ahead of the application; a tracking loop takes the moves and the
// release of the press it tracks.
enum class Input { none, tracking, gesture };

// One polling step: the backend lets time pass and feeds input (SDL: pending window events;
// headless: one tick and at most one due script step the level allows). Every polling call of the
// Event Manager begins with it.
void poll(Input level);
// Whether waiting can bring more input (headless: script steps remain), and a short rest while
// waiting (SDL: a few milliseconds; headless: a tick while a `wait` runs, so waits take real time
// without spinning).
bool moreInputComing();
void idle();

Point mouse();
bool buttonDown();
EventModifiers modifiers();
bool keyHeld(std::uint8_t keyCode);
// Queues an event with the current time, mouse and modifiers (plus `extra`, e.g. activeFlag).
void post(EventKind what, long message, EventModifiers extra = 0);
unsigned long now();
void setNow(unsigned long ticks);
// Forgets queue, held keys and button (a fresh backend).
void reset();

// Key tables: the virtual key code and character for one typed character (shift set when the
// character needs it), and for a key name of the input scripts.
bool keyForChar(char ch, std::uint8_t* keyCode, bool* shift);
bool keyForName(const std::string& name, std::uint8_t* keyCode, std::uint8_t* charCode);
// The character a key gives, with or without Shift; 0 when the table has none.
char charForKey(std::uint8_t keyCode, bool shift);
// The script name of a key (inverse of the two above), for recording.
std::string nameForKey(std::uint8_t keyCode, std::uint8_t charCode);

// The modifier keys a script line can hold: `+shift`, `+option`, `+command`, `+control`.
bool modifierForWord(const std::string& word, EventModifiers* bit);
// The words for the modifier keys in `held`, each with a leading space; "" for none.
std::string wordsForModifiers(EventModifiers held);
// Presses and releases modifier keys so that exactly those in `held` are down (Caps Lock untouched).
void holdModifiers(EventModifiers held);

} // namespace tbev
