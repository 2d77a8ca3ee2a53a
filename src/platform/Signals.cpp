// Our own SIGTERM, SIGINT and SIGHUP handlers and the stop request they set.
#include "platform/Signals.h"

#include <csignal>
#include <initializer_list>

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
    // SIGHUP too: a closed terminal or a logging-out session asks the same.
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

void requestStop(int signal) { requested = signal; }
int stopSignal() { return requested; }
void clearStop() { requested = 0; }

void throwIfStopRequested() {
    const int signal = requested;
    if (signal) throw StopRequested{signal};
}

} // namespace platform
