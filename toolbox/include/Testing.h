// For test programs that run many cases in one process.
#pragma once

// Puts back what a case may have changed: closes every open file and forgets directory ids (the
// volume stays where the host set it), lifts the simulated disk and heap limits and any armed
// allocation failure, and empties the alert log with every alert stage at its start.
void TBResetForTests();
