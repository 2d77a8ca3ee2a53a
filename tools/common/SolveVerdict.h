#pragma once
// The lint's line for a level's verdict (vorrel-lint --solve): unsolvable
// is an error, unknown (a limit came first) a warning, solved nothing (an
// empty text). The level must load.
#include <SDL/SDL.h>

#include <string>

#include "common/Lint.h"
#include "solve/Solver.h"

LintMessage solveVerdict(const std::string& path, SDL_Surface* screen, const SolveLimits& limits = {});

// The threads a tool's search uses unless told: two where the machine runs
// two at once (a third pays nothing on the two-core machines it runs on).
unsigned defaultSolveThreads();
// Gives the solver more copies of the level at path, up to `threads` worlds
// in all, each brought to where `before` leaves the play when there is one.
void addSolveThreads(Solver& solver, const std::string& path, SDL_Surface* screen, unsigned threads,
                     const Tape* before = nullptr);
