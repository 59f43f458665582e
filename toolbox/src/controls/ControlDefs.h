// Internal: the standard control definitions, served as code resources CDEF 0 (buttons, check boxes,
// radio buttons) and CDEF 63 (pop-up menus). They draw in the port's current font, which is the
// dialog's system font unless a caller sets another around the call.
#pragma once

#include "Controls.h"

// Registers the standard definitions once (later calls do nothing).
void TBRegisterStandardControlDefinitions();

long TBButtonDefinition(std::int16_t variation, ControlHandle control, std::int16_t message, long param);
long TBPopupDefinition(std::int16_t variation, ControlHandle control, std::int16_t message, long param);

// The foreground for drawing a control: black, or grey while it is inactive.
void TBControlForeColor(const ControlRecord& c);

// Answers the region messages with the control's rectangle; 0 for every other message.
long TBRectangleRegions(ControlHandle control, std::int16_t message, long param);

// The baseline that centres one line of text vertically in r.
std::int16_t TBCentredBaseline(const Rect& r);
// Draws `text` from (h, baseline), cut with "..." to fit `width`.
void TBDrawTruncated(ConstStr255Param text, std::int16_t h, std::int16_t baseline, std::int16_t width);
