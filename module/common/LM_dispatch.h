// The entry point's run sequence over the selectors, and the module's guarded allocator.
#pragma once

#include "LM_types.h"
#include "relight_filter.h"

class LM_globals;

// Refuses a request that would leave less than 16384 bytes of purgeable free space; null then.
void* LM_NewPtr(long size);
// Ignores null.
void LM_DisposePtr(void* p);

LM_sint16 LM_DoAbout(AboutRecord* about);
LM_sint16 LM_DoPrepare(FilterRecord* record);
LM_sint16 LM_DoStart(FilterRecord* record, LM_globals* globals);
LM_sint16 LM_DoContinue(FilterRecord* record, LM_globals* globals);
LM_sint16 LM_DoFinish(LM_globals* globals);
