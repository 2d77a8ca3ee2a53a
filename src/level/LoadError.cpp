#include "level/LoadError.h"

#include <cstdio>

int reportLoadError(const LoadError& error) {
    if (!error.silent) {
        std::printf("%s\n", error.what());
        std::fflush(stdout);
    }
    return kLoadFailureExit;
}
