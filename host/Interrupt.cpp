#include "Interrupt.h"

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
    // A second Ctrl-C ends the program at once, for a user who will not wait for the tile.
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() {
    return requested != 0;
}
