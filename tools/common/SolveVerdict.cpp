// The solver's verdict on a level as a line of the lint.
#include "common/SolveVerdict.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "level/Level.h"
#include "level/LoadError.h"
#include "platform/Signals.h"

LintMessage solveVerdict(const std::string& path, SDL_Surface* screen, const SolveLimits& limits) {
    LintMessage message;
    message.file = path;
    try {
        Level level(path, screen, nullptr, 1, false);
        Solver solver(level, limits);
        addSolveThreads(solver, path, screen, defaultSolveThreads());
        while (solver.step(2000) == SolveStatus::Running) {
            platform::throwIfStopRequested();
        }
        char counts[96];
        std::snprintf(counts, sizeof counts, " (%llu states, %.2f s)", static_cast<unsigned long long>(solver.states()),
                      solver.seconds());
        if (solver.status() == SolveStatus::Unsolvable) {
            message.error = true;
            message.text = std::string("the solver finds no way to complete this level") + counts;
        } else if (solver.status() == SolveStatus::Unknown) {
            message.text = std::string("the solver reached its limits before deciding whether this level can be completed") + counts;
        }
    } catch (const LoadError&) {
        // The lint has reported why the level does not load.
    }
    return message;
}

unsigned defaultSolveThreads() { return std::min(2u, Workers::available()); }

void addSolveThreads(Solver& solver, const std::string& path, SDL_Surface* screen, unsigned threads,
                     const Tape* before) {
    while (solver.threads() < threads) {
        // Loaded as the first was: the same items in the same order. A file
        // changed or gone since then leaves the search on the worlds it has.
        std::unique_ptr<Level> copy;
        try {
            copy = std::make_unique<Level>(path, screen, nullptr, 1, false);
        } catch (const LoadError&) {
            return;
        }
        if (before) {
            PlayOutcome outcome;
            playTapeHeadless(*copy, *before, outcome);
        }
        if (!solver.addWorld(std::move(copy))) return;
    }
}
