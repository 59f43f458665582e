#include "Interrupt.h"

#include "Backend.h"
#include "HostError.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t requested = 0;

void onSignal(int) {
    requested = 1;
}

} // namespace

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    // A second Ctrl-C ends the program at once, for a user who will not wait for the tile. Reads
    // and writes resume after the first, so that it reads as a cancel, not as a damaged file.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // An open dialog closes as Cancel at its next event.
    TBSetStopCheck([] { return InterruptRequested(); });
}

bool InterruptRequested() {
    return requested != 0;
}

void StopIfInterrupted(const std::string& file) {
    if (InterruptRequested())
        throw HostError(ExitStatus::cancelled, "cancelled", file);
}
