#include "Dialogs.h"

#include <cstdio>

namespace {
std::vector<std::int16_t>& alertLog() {
    static std::vector<std::int16_t> log;
    return log;
}
} // namespace

std::int16_t StopAlert(std::int16_t alertID, ModalFilterProcPtr) {
    alertLog().push_back(alertID);
    std::fprintf(stderr, "alert %d\n", alertID);
    return 1;
}

const std::vector<std::int16_t>& TBAlertLog() {
    return alertLog();
}
void TBClearAlertLog() {
    alertLog().clear();
}
