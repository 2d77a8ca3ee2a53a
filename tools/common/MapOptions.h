#pragma once
// The level selection's options that vorrel-render and vorrel-replay share:
// --select AVAILABLE and --page P, declared and read in one place.
#include "common/CommandLine.h"
#include "common/Tape.h"

inline constexpr cmdline::Option kSelectOption{"--select", "AVAILABLE",
                                              "LEVEL is the level selection, with AVAILABLE levels open"};
inline constexpr cmdline::Option kPageOption{"--page", "P",
                                            "the selection's page: its first door's offset (0, 10, 20, ...)"};

// Reads both into options. False after a usage error has been reported; the
// program then exits with line.status().
bool readMapOptions(cmdline::CommandLine& line, ReplayOptions& options);
