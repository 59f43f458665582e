// Internal: each manager's part of TBResetForTests.
#pragma once

namespace reset {

void Files();        // closes open files, forgets directory ids, lifts the space limit
void HeapControls(); // the default heap limit, no failure armed
void Alerts();       // an empty alert log, every stage at its start

} // namespace reset
