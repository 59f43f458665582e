#include "Testing.h"

#include "Reset.h"

void TBResetForTests() {
    reset::Files();
    reset::HeapControls();
    reset::Alerts();
}
