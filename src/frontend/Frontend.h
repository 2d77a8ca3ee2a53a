#pragma once
#include <SDL/SDL.h>

class SoundBank;

void runIntro(SDL_Surface* screen, SoundBank& sounds);
bool runTitleScreen(SDL_Surface* screen, SoundBank& sounds, bool returning);
void runLevelSelection(SDL_Surface* screen, SoundBank& sounds, int scale, bool startMusic);
int playLevelRun(int first, int last, SDL_Surface* screen, SoundBank& sounds, int scale, bool startMusic);
int readProgress();
// Writes the progress atomically (temporary file, flush, rename). Returns
// false, after one line on standard output, when it cannot be written.
bool writeProgress(int value);

// Program-wide selection state.
extern int selectionPage;
extern int lastLevel;
