#pragma once
// The game's own loader and lint run over the text in the editor, without
// saving it.
#include <SDL/SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "common/Lint.h"
#include "editor/TextBridge.h"
#include "level/Level.h"

class SoundBank;

// A Level built by the game's loader from the text; null with the loader's
// one line in error when the game would refuse it. With music, the level's
// music starts as it does in the game.
std::unique_ptr<Level> buildLevel(const EditText& text, SDL_Surface* screen, SoundBank* sounds, std::string& error,
                                  bool music = false);

// Every problem of the text, each with the cell it is about when it has one.
struct Problem {
    LintMessage message;
    int column = -1;
    int row = -1;
};
std::vector<Problem> lintText(const EditText& text);
