// Choosing the ambient colour and a light's colour: the host's colour services first, the Toolbox
// colour picker when the host has none.
#pragma once

#include "Dialogs.h"
#include "LM_types.h"

class LM_globals;

// True when a colour was chosen; `out` is written only then.
LM_bool QXGetColor(Point where, ConstStr255Param prompt, const RGBColor& in, RGBColor& out,
                   LM_globals* globals);
void LM_PickAmbientColor(DialogPtr dialog, LM_sint16 item, LM_globals* globals);
void LM_PickLightColor(DialogPtr dialog, LM_sint16 item, LM_globals* globals);
