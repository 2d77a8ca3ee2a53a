// STUB: replaced by the front-end work.
#include "frontend/Frontend.h"
int selectionPage = 0;
int lastLevel = 0;
void runIntro(SDL_Surface*, SoundBank&) {}
bool runTitleScreen(SDL_Surface*, SoundBank&, bool) { return false; }
void runLevelSelection(SDL_Surface*, SoundBank&, int, bool) {}
int playLevelRun(int, int, SDL_Surface*, SoundBank&, int, bool) { return 0; }
int readProgress() { return 0; }
bool writeProgress(int) { return true; }
