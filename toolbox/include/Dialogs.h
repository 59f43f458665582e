// Dialog Manager. For now: alerts, recorded so that headless runs and tests can see them.
#pragma once

#include "Types.h"

#include <vector>

struct EventRecord;
using ModalFilterProcPtr = Boolean (*)(DialogPtr dialog, EventRecord* event, std::int16_t* itemHit);

// Shows the stop alert ALRT alertID and returns the item that closed it.
std::int16_t StopAlert(std::int16_t alertID, ModalFilterProcPtr filterProc);

// The ids of the alerts shown since the last clear, oldest first (tests and automation read them).
const std::vector<std::int16_t>& TBAlertLog();
void TBClearAlertLog();
