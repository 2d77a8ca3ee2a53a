#pragma once
#include <SDL/SDL.h>
#include <string>

struct BitmapFont {
    SDL_Surface* surface = nullptr;  // "gfx/fontti.png", colour-keyed, not converted
    int glyphWidth = 16;
    int glyphHeight = 16;
};

// Loads "gfx/fontti.png" with its colour key.
BitmapFont loadFont();
void drawText(SDL_Surface* target, const BitmapFont& font, unsigned x, int y, const std::string& text);
void numberToText(int value, std::string& out);
