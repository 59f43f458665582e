// Internal: whether a call made of several allocations lost any of them (MemError tells only of
// the last), so that it can undo what it made and fail as a whole.
#pragma once

namespace memory {

// Allocations refused so far, for want of room or by an injected failure.
long Refusals();
// Makes MemError() report memFullErr after a call that failed for want of memory and released
// what it had made (which resets the error).
void SetMemFull();

} // namespace memory
