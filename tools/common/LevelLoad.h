#pragma once
// Loading the level a tool was given, or saying why not.
#include <memory>

#include <SDL/SDL.h>

#include "level/LoadError.h"

class Level;
class SoundBank;

// The level at path, or null after printing its first fault as the game does
// (one line on standard output); the tool then exits with kLoadFailureExit.
std::unique_ptr<Level> loadLevelOrReport(const char* path, SDL_Surface* screen, SoundBank* sounds,
                                         bool startMusic = false);
