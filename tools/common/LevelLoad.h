#pragma once
// Loading the level a tool was given, or saying why not.
#include <memory>
#include <string>

#include <SDL/SDL.h>

#include "level/LoadError.h"

class Level;
struct LevelText;
class SoundBank;

// The level at path, or null after printing the first cause of its failure in
// one line on standard output, as the lint names it (the loader's own line
// for the faults the loader defines); the tool then exits with kLoadFailureExit.
std::unique_ptr<Level> loadLevelOrReport(const char* path, SDL_Surface* screen, SoundBank* sounds,
                                         bool startMusic = false);
// The one line loadLevelOrReport prints for a level the loader refused with error.
std::string loadFailureCause(const std::string& path, const LoadError& error, SDL_Surface* screen, SoundBank* sounds);
// The same for a level that has no file of its own (the level of a code);
// name stands for its path in the line.
std::unique_ptr<Level> loadLevelOrReport(const LevelText& text, const std::string& name, SDL_Surface* screen,
                                         SoundBank* sounds);
