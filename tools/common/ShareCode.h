#pragma once
// Writing level codes (the game only reads them, src/level/LevelCode) and the
// checks a level passes before it is shared.
#include <SDL/SDL.h>

#include <string>

#include "common/Tape.h"
#include "level/LevelCode.h"
#include "level/LevelText.h"

// The page a link opens when no other is named.
extern const char* const kDefaultLinkBase;

// The code of the level in its canonical layout, with the tape's runs when
// a tape is given. Throws levelcode::CodeError when the level names a file
// not every copy of the game has.
std::string encodeLevelCode(const LevelText& level, const Tape* tape);
std::string linkOf(const std::string& base, const std::string& code);
// The tape as a code carries it: its runs, no header.
std::string tapeRuns(const Tape& tape);

class Level;

// Why the tape cannot travel as the level's solution (it does not win it),
// or empty. Replays it on level.
std::string tapeProblem(Level& level, const Tape& tape);
// Loads the level with the game's loader and replays the tape on it: the
// one line why the pair cannot be shared, or empty when the level loads and
// the tape wins it (foreignFile is asked before).
std::string shareProblem(const LevelText& level, const Tape& tape, SDL_Surface* screen);
