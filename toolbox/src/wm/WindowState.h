// What the Window Manager shares with the Event Manager and the backends.
#pragma once

#include "Windows.h"

#include <cstdint>
#include <vector>

namespace tbwm {

// Whether port is a window's port (visible or not).
bool isWindow(GrafPtr port);
// The frontmost visible window whose content needs an update, or null.
WindowPtr windowNeedingUpdate();
// The screen as the user sees it: desktop, then every visible window back to front.
void composeScreen(std::vector<std::uint32_t>* pixels, std::int16_t width, std::int16_t height);
// The window's frame and content, global.
Rect structureRect(const WindowRecord& w);
bool hasTitleBar(const WindowRecord& w);
// Draws the frame of w into the current port (the screen being composed).
void drawFrame(const WindowRecord& w, bool active);

} // namespace tbwm
