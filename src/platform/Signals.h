#pragma once
// Stopping from outside: SIGTERM, SIGINT and SIGHUP become a request that every loop
// sees at the platform seam (each delay and each event pump), so the game
// unwinds to its entry point, closes the audio and exits with 128 + signal.
namespace platform {

// Thrown by the seam once a stop has been requested; caught by the entry point.
struct StopRequested {
    int signal;
};

// Installs our own handlers for SIGTERM, SIGINT and SIGHUP. SDL leaves a
// handler that is already there alone; otherwise it would turn the first two
// into a quit event that nobody reads.
void installStopSignals();

// What the handlers do; tests call it to script a stop.
void requestStop(int signal);
// The requesting signal, or 0.
int stopSignal();
// Forgets a request (tests).
void clearStop();
// Throws StopRequested when a stop has been requested.
void throwIfStopRequested();

// The exit status for a stop by this signal (128 + its number).
inline int stopExitStatus(int signal) { return 128 + signal; }

} // namespace platform
