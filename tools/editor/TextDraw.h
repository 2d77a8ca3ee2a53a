#pragma once
// Small text for the editor's status line, lists and help: the game's own
// 5 x 7 letter shapes plus the punctuation a message needs, drawn straight
// onto a surface (upper case shows as lower case, as in the game).
#include <SDL/SDL.h>

#include <string>
#include <string_view>

// Draws text with its top-left corner at (x, y); returns the x after it.
int drawSmallText(SDL_Surface* surface, int x, int y, std::string_view text, Uint32 colour);
int smallTextWidth(std::string_view text);
// The text as it fits in width pixels: cut at its end with "...".
std::string fitEnd(std::string_view text, int width);
// The same cut at its start: a long path keeps the end that names the file.
std::string fitStart(std::string_view text, int width);
constexpr int kSmallTextHeight = 7;
