#pragma once
#include <SDL/SDL.h>

#include <string>

class SoundBank;
struct LevelText;
namespace levelcode {
struct Contents;
}

void runIntro(SDL_Surface* screen, SoundBank& sounds);
bool runTitleScreen(SDL_Surface* screen, SoundBank& sounds, bool returning);
void runLevelSelection(SDL_Surface* screen, SoundBank& sounds, int scale, bool startMusic);
int playLevelRun(int first, int last, SDL_Surface* screen, SoundBank& sounds, int scale, bool startMusic);
int readProgress();
// Plays one level file until it is won (true) or left with Escape (false);
// R and a death play it again. The progress file is not touched.
bool playLevelFile(const std::string& path, SDL_Surface* screen, SoundBank& sounds);
// The same for a level held in memory (one from a level code).
bool playLevelText(const LevelText& text, SDL_Surface* screen, SoundBank& sounds);
// Plays a shared level until it is won or left, then as the platform offers:
// again, its solution, or the campaign (true: go on to the title screen).
// won: the last play of it was won.
bool playSharedLevel(const levelcode::Contents& contents, SDL_Surface* screen, SoundBank& sounds, bool& won);
// Writes the progress atomically (temporary file, flush, rename). Returns
// false, after one line on standard output, when it cannot be written.
bool writeProgress(int value);

// Program-wide selection state.
extern int selectionPage;
extern int lastLevel;

// Campaign files, relative to the working directory.
extern const char* const kSelectionMapPath;   // "level/main/select.lev"
extern const char* const kLastLevelPath;      // "level/main/absolute.max"
extern const char* const kProgressPath;       // "level/main/progress.wp"

// "level/main/level12.lev" for 12.
std::string levelPath(int number);
// Reads "level/main/absolute.max" into lastLevel; a failed read keeps the old value.
void readLastLevel();

// Intro data: the five star places (x, y) and the timing values, program-wide.
extern int starPlaces[5][2];
extern unsigned introTiming[5];
// Reads whole numbers with formatted input until the first failure or count
// values; returns how many were read. A missing file reads none.
int readIntegers(const char* path, int* values, int count);
int readIntegers(const char* path, unsigned* values, int count);

// Restores the star places and timing values to their defaults (tests).
void resetIntroData();
