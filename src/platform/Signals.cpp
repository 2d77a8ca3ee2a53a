// Our own SIGTERM and SIGINT handlers and the stop request they set.
#include "platform/Signals.h"

#include <csignal>

namespace platform {
namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void onStopSignal(int signal) { requested = signal; }

} // namespace

void installStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a sleep cut short by the signal ends early, which is what we want.
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void requestStop(int signal) { requested = signal; }
int stopSignal() { return requested; }
void clearStop() { requested = 0; }

void throwIfStopRequested() {
    const int signal = requested;
    if (signal) throw StopRequested{signal};
}

} // namespace platform
