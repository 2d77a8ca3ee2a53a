#pragma once
// The tools' window: the game's own video setting, and its drivers.
#include <SDL/SDL.h>

// SDL's dummy video and audio drivers, unless the environment names others:
// for a tool that shows nothing and plays no sound, even with a display.
void useDummyDrivers();
// The same without a display (no DISPLAY) only: replays and pictures need no window.
void useDummyDriversWithoutDisplay();
// SDL's video on one of the drivers we allow and the game's 640x480x32 mode,
// captioned; null when it fails (SDL_GetError says why).
SDL_Surface* openGameScreen(const char* caption);
// The same for a tool: when it fails, "TOOL: cannot open the display: WHY" on
// standard error, and the tool exits with platform::kNoDisplayExit.
SDL_Surface* openToolScreen(const char* tool, const char* caption);
