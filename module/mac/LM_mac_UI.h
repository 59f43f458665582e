// The parameter dialog as the run sequence sees it: construction at start, the preview geometry,
// the modal run inside a continue call, and teardown at finish.
#pragma once

#include "Dialogs.h"
#include "LM_types.h"

struct FilterRecord;
class LM_globals;

// Builds the parameter dialog (hidden) into globals->dialog; 0 or an error code.
LM_sint16 LM_ConstructParameterDialog(FilterRecord* record, LM_globals* globals);
// Fits the filtered area into the preview and allocates the preview buffers; 0 or -108.
LM_sint16 LM_CalculatePreviewScaling(FilterRecord* record, LM_globals* globals);
// Runs the dialog and tears it down; 0 on OK, 1 on Cancel, or an error code.
LM_sint16 LM_DoParameterDialog(FilterRecord* record, LM_globals* globals);
// Releases the dialog and its controls and menus; clears dialog and dialogTemplate.
void LM_DisposeParameterDialog(LM_globals* globals);
// The modal loop's filter: sliders, the light well, the small buttons, the lights on the work area
// and the keys that select and delete lights. True when it consumed the event.
Boolean LM_DialogFilter(DialogPtr dialog, EventRecord* event, std::int16_t* item);
