#pragma once
// Which of SDL's video drivers may draw the game. SDL 1.2 tries every driver
// it was built with until one opens, and the last ones draw the game as
// coloured text in the terminal: a display that cannot be reached would then
// leave a program drawing text for ever instead of saying so.
#include <string>

namespace platform {

// The drivers we let SDL use: real pictures (x11, fbcon, directfb) or none at
// all (dummy, for headless runs and tests). Never aalib or caca.
extern const char* const kVideoDrivers[];

// The exit status of a program whose display cannot be opened.
constexpr int kNoDisplayExit = 4;

// Call before SDL_Init(VIDEO). Keeps the driver SDL_VIDEODRIVER names when it
// is one of ours, else picks x11 when DISPLAY is set. False, with the reason
// in why, when no allowed driver is left to try.
bool chooseVideoDriver(std::string& why);

}  // namespace platform
