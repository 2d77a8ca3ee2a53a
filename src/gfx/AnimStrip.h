#pragma once
#include <SDL/SDL.h>

// Frames side by side in one colour-keyed display-format surface.
struct AnimStrip {
    SDL_Surface* surface = nullptr;
    int currentFrame = 0;
    int elapsed = 0;
    int width = 0;          // whole strip: frame width x frames x scale
    int height = 0;         // one frame: frame height x scale
    int frameDuration = 0;
    int frameCount = 0;
};

AnimStrip cutStrip(SDL_Surface* sheet, unsigned column, unsigned row, int frameCount, int scale,
                   int frameDuration, int frameWidth, int frameHeight, int firstFrame);

// Frees the strip's surface and clears the pointer.
void freeStrip(AnimStrip& strip);
