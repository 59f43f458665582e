// The colour picker.
#pragma once

#include "Types.h"

// Shows the modal colour picker with `prompt`: a hue/saturation/value area and typed red, green and
// blue (0 to 255 each, more counts as 255; channels left alone keep their 16 bits). `where` is the dialog's
// top-left (global); (0, 0) centres it. True on OK with the colour in *outColor; false on Cancel,
// with *outColor = *inColor.
Boolean GetColor(Point where, ConstStr255Param prompt, const RGBColor* inColor, RGBColor* outColor);
