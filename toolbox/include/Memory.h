// Memory Manager: pointers, relocatable handles with lock and purge state, and honest free-space
// queries against a heap with a byte limit. Tests can lower the limit or make an allocation fail.
// Handle states are set, never read back, and there is no call to compact the heap.
#pragma once

#include "Types.h"

Ptr NewPtr(Size size);
Ptr NewPtrClear(Size size);
void DisposePtr(Ptr p);

Handle NewHandle(Size size);
Handle NewHandleClear(Size size);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
void SetHandleSize(Handle h, Size size);
// Gives an emptied (purged) handle new storage of `size` bytes; the old contents are gone.
void ReallocateHandle(Handle h, Size size);
void HLock(Handle h);
void HUnlock(Handle h);
void HPurge(Handle h);
void HNoPurge(Handle h);
void HSetState(Handle h, signed char flags);

void BlockMove(const void* src, void* dst, Size count);

Size FreeMem();
Size MaxMem(Size* grow);
Size MaxBlock();
void PurgeMem(Size needed);
void PurgeSpace(long* total, long* contig);
OSErr MemError();

// Test and host controls, not part of the classic interface.
void TBSetHeapLimit(Size bytes); // the heap's capacity; the default is large
Size TBHeapLimit();
void TBFailAllocation(long nth); // the nth allocation from now fails (1 = the next); 0 disarms
long TBAllocationCount();        // allocations attempted so far (for sweeping failure points)
// The same for the requests made from outside the Toolbox (by the module or the host), so that a
// sweep reaches each of their own failure paths; the Toolbox's internal requests are not counted.
void TBFailClientAllocation(long nth);
Size TBHeapLiveBytes();  // bytes in live blocks and unpurged handles
long TBHeapLiveBlocks(); // live pointers and handles
