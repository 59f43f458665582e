// The parameter dialog is not part of this build yet: a dialog run ends at its start, honestly,
// with "selector not recognised", and nothing is ever constructed that would need disposing.
#include "LM_mac_UI.h"

#include "relight_filter.h"

LM_sint16 LM_ConstructParameterDialog(FilterRecord*, LM_globals*) { return filterBadSelector; }

LM_sint16 LM_CalculatePreviewScaling(FilterRecord*, LM_globals*) { return filterBadSelector; }

LM_sint16 LM_DoParameterDialog(FilterRecord*, LM_globals*) { return filterBadSelector; }

void LM_DisposeParameterDialog(LM_globals*) {}
