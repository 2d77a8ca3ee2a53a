#pragma once
// The tools' window: the game's own video setting, and its drivers.
#include <SDL/SDL.h>

// Without a display (no DISPLAY) SDL's dummy video and audio drivers, unless
// the environment names others: replays and pictures need no window.
void useDummyDriversWithoutDisplay();
// SDL's video and the game's 640x480x32 mode, captioned; null when it fails.
SDL_Surface* openGameScreen(const char* caption);
