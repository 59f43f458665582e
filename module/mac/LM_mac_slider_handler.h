// The value slider's control definition: the Control Manager's messages served for every control
// whose definition is 'CDEF' 129.
#pragma once

#include "Controls.h"
#include "LM_types.h"

class LM_slider_type_0;

constexpr LM_sint16 LM_SLIDER_CDEF = 129;

long SC_main(short variation, ControlHandle control, short message, long parameter);
// Makes the control's record from its reference value: high word the STR# of the two end labels,
// low word the title's room.
void LM_InitControl(short variation, ControlHandle control);
void LM_DispControl(LM_slider_type_0* slider);
// Follows the mouse until release; the value follows the pressed pixel along the bar.
void LM_DragIndicator(LM_slider_type_0* slider);
// Serves 'CDEF' 129 "SliderControl" from SC_main.
void LM_RegisterSliderControl();
