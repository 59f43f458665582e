// The pieces behind Backend.h: the script player (headless), the SDL window and the recorder.
#pragma once

#include "Backend.h"
#include "EventState.h"
#include "Events.h"

#include <string>

namespace tbback {

const TBBackendOptions& options();
// The screen takes the new size (the SDL window too); false, and nothing changed, when the window
// cannot follow.
bool resizeScreen(std::int16_t width, std::int16_t height);
// Pixels shown per screen pixel each way: the window's, or 2 on headless when asked for.
int screenScale();

// Script player: carries out at most one due step the input level allows.
void scriptStep(tbev::Input level);
bool scriptHasSteps();
// While the next step waits for its time: one tick of real time passes, asleep.
void scriptIdle();
void scriptReset();

// SDL window.
bool sdlOpen(const TBBackendOptions& opts, std::string* error);
void sdlClose();
// The window (shown now, if it was hidden) and its texture take the options' screen size.
bool sdlResize(const TBBackendOptions& opts);
int sdlScale();
void sdlPump();
void sdlPresent(bool force);
unsigned long sdlTicks();
void sdlIdle();

// Recorder: the SDL backend reports input as it feeds it to the Event Manager; each line takes the
// modifier keys held as the Event Manager has them then.
void recordPointer(const char* verb, Point global, unsigned long ticks);
void recordKey(std::uint8_t keyCode, std::uint8_t charCode, unsigned long ticks);
void recordText(const std::string& text, unsigned long ticks);

} // namespace tbback
