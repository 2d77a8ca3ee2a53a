#pragma once
// The start every benchmark program shares: the options, the data folder and
// SDL's dummy drivers when there is no display.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>

#include "common/GameScreen.h"

// Reads the benchmark options and enters the data folder (the first
// argument left, or the source tree's); false, after saying so, if it
// cannot.
inline bool startBench(int& argc, char** argv, const char* program) {
    benchmark::Initialize(&argc, argv);
    const char* folder = argc > 1 ? argv[1] : VORREL_SOURCE_DATA;
    if (chdir(folder) != 0) {
        std::fprintf(stderr, "%s: cannot enter %s\n", program, folder);
        return false;
    }
    useDummyDriversWithoutDisplay();
    return true;
}
