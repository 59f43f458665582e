// The entry point's run sequence over the selectors.
#pragma once

#include "LM_types.h"
#include "relight_filter.h"

class LM_dialog;
class LM_globals;

// The entry point's body: one selector call with the platform's dialog.
void LM_Main(const LM_dialog& ui, std::int32_t selector, void* record, std::intptr_t* globalsSlot,
             std::int16_t* result);

LM_sint16 LM_DoAbout(AboutRecord* about, const LM_dialog& ui);
LM_sint16 LM_DoPrepare(FilterRecord* record, const LM_dialog& ui);
LM_sint16 LM_DoStart(FilterRecord* record, LM_globals* globals, const LM_dialog& ui);
LM_sint16 LM_DoContinue(FilterRecord* record, LM_globals* globals, const LM_dialog& ui);
LM_sint16 LM_DoFinish(LM_globals* globals, const LM_dialog& ui);
