#pragma once
// Small text for the editor's status line, lists and help: the game's own
// 5 x 7 letter shapes plus the punctuation a message needs, drawn straight
// onto a surface (upper case shows as lower case, as in the game).
#include <SDL/SDL.h>

#include <string>

// Draws text with its top-left corner at (x, y); returns the x after it.
int drawSmallText(SDL_Surface* surface, int x, int y, const std::string& text, Uint32 colour);
int smallTextWidth(const std::string& text);
constexpr int kSmallTextHeight = 7;
