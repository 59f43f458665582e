// The parameter dialog: the run sequence's interface (LM_dialog.h) and the modal loop's filter.
#pragma once

#include "Dialogs.h"
#include "LM_dialog.h"
#include "LM_types.h"

#include <string>

struct FilterRecord;
class LM_globals;

// The dialog as the run sequence calls it.
const LM_dialog& LM_MacDialog();

// The about box's texts, one line each, for a host without a display.
std::string LM_AboutText();

LM_sint16 LM_ConstructParameterDialog(FilterRecord* record, LM_globals* globals);
LM_sint16 LM_CalculatePreviewScaling(FilterRecord* record, LM_globals* globals);
LM_sint16 LM_DoParameterDialog(FilterRecord* record, LM_globals* globals);
void LM_DisposeParameterDialog(LM_globals* globals);

// The modal loop's filter: sliders, the light well, the small buttons, the lights on the work area
// and the keys that select and delete lights. True when it consumed the event.
Boolean LM_DialogFilter(DialogPtr dialog, EventRecord* event, std::int16_t* item);
