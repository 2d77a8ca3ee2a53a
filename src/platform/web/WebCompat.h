// Declarations the web SDL's headers leave out although its library has
// them; included ahead of every file of the web build.
#pragma once
#ifdef __cplusplus
#include <SDL/SDL.h>
extern "C" Uint8* SDL_GetKeyState(int* numkeys);
#endif
