#pragma once
// A tool's entry point under the stop signals.

// Runs body with our SIGTERM, SIGINT and SIGHUP handlers installed. A stop
// unwinds it at the next wait, pump or search step (what it made on the way
// is destroyed, temporary files removed, nothing half-written is left), shuts
// SDL down and returns 128 + the signal; otherwise body's status.
int runTool(int (*body)(int argc, char** argv), int argc, char** argv);
