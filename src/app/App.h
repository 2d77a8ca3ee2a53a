#pragma once
#include <SDL/SDL.h>

#include "platform/VideoDriver.h"

// The whole program: start-up, the loop between title screen and level
// selection, and shutdown. Returns the process exit status.
int runGame(int argc, char** argv);

// SDL_Init or SDL_SetVideoMode failed: there is no screen to draw on.
constexpr int kVideoFailureExit = platform::kNoDisplayExit;

// "--scale N" was not a factor the game offers.
constexpr int kUsageExit = 2;

// The invisible pointer of windowed mode; null in full screen.
extern SDL_Cursor* hiddenCursor;

// The cursor picture, in the layout of an XPM image (37 entries).
extern const char* const kCursorPicture[37];

// Packs rows 4..35 of an XPM-style picture into SDL cursor data and mask bits
// (4 bytes a row, leftmost pixel in the highest bit) and reads the hotspot
// from entry 36.
void packCursor(const char* const* picture, Uint8 data[128], Uint8 mask[128], int& hotX, int& hotY);
SDL_Cursor* buildCursor(const char* const* picture);
