#pragma once
// The lint's line for a level's verdict (vorrel-lint --solve): unsolvable
// is an error, unknown (a limit came first) a warning, solved nothing (an
// empty text). The level must load.
#include <SDL/SDL.h>

#include <string>

#include "common/Lint.h"
#include "solve/Solver.h"

LintMessage solveVerdict(const std::string& path, SDL_Surface* screen, const SolveLimits& limits = {});
