// Styles as JSON text, the readable form the shipped styles are written in. A field left out takes
// the value a new light or a new dialog has (a spotlight's minor axis left out is made perpendicular
// to its major axis); every field given is checked, and an unknown one is refused, so that a typing
// error never passes unnoticed.
#pragma once

#include "LM_types.h"

#include <string>

class LM_globals;

// Lengths are in dialog pixels of a work area whose half width is "unit" (this when left out).
constexpr LM_sint16 LM_STYLE_JSON_UNIT = 180;

// A light type's word in the JSON form: "omni", "directional" or "spot".
const char* LM_LightTypeName(LM_sint32 type);

// Reads the style in `text` into `g`, whose preview centre and origin become those of the style's
// unit; `name` gets its "name" (empty when there is none). False with the reason in `why` (the
// line for a syntax error, the field for a bad value); `g` is then not to be used.
bool LM_ReadStyleJSON(const std::string& text, LM_globals& g, std::string& name, std::string& why);

// `g` as JSON with every field, lengths in its own unit; read back, it gives the same settings.
std::string LM_WriteStyleJSON(const LM_globals& g, const std::string& name);
