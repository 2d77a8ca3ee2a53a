#pragma once
#include <stdexcept>
#include <string>

// A broken level file, tileset description or item record. The loaders raise
// it with the exact one-line message; the entry point (and every tool that
// loads levels) prints the message on standard output and exits with
// kLoadFailureExit. A silent error (a negative bomb count) prints nothing.
class LoadError : public std::runtime_error {
public:
    explicit LoadError(const std::string& message, bool silent = false)
        : std::runtime_error(message), silent(silent) {}
    bool silent;
};

// 1 means "no argument"; a load failure is told apart from it.
constexpr int kLoadFailureExit = 3;

// Prints the error as the game does (one line, flushed) and returns the exit status.
int reportLoadError(const LoadError& error);
