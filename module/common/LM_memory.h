// The module's guarded allocator: every large buffer of the filter comes from here, so that a run
// fails cleanly instead of leaving the host without memory.
#pragma once

// Refuses a request that would leave less than 16384 bytes of purgeable free space; null then.
void* LM_NewPtr(long size);
// Ignores null.
void LM_DisposePtr(void* p);
