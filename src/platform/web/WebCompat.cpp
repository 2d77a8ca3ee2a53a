// SDL calls the web SDL lacks: the page has no cursor of the game's to hide,
// and music starts without its fade (the browser's mixer has none).
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

extern "C" {

SDL_Cursor* SDL_CreateCursor(const Uint8*, const Uint8*, int, int, int, int) { return nullptr; }
void SDL_SetCursor(SDL_Cursor*) {}
void SDL_FreeCursor(SDL_Cursor*) {}
int Mix_FadeInMusic(Mix_Music* music, int loops, int) { return Mix_PlayMusic(music, loops); }

} // extern "C"
