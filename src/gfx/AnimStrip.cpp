#include "gfx/AnimStrip.h"

#include "gfx/Surface.h"

AnimStrip cutStrip(SDL_Surface* sheet, unsigned column, unsigned row, int frameCount, int scale,
                   int frameDuration, int frameWidth, int frameHeight, int firstFrame) {
    AnimStrip strip;
    strip.width = frameWidth * frameCount * scale;
    strip.height = frameHeight * scale;
    strip.frameDuration = frameDuration;
    strip.frameCount = frameCount;
    strip.currentFrame = firstFrame;
    strip.elapsed = 0;

    SDL_Surface* cut = SDL_CreateRGBSurface(SDL_HWSURFACE, strip.width, strip.height, 32, 0xFF000000, 0x00FF0000,
                                            0x0000FF00, 0x000000FF);
    if (!cut) return strip;
    const Uint32 key = SDL_MapRGB(cut->format, 255, 0, 255);
    SDL_SetColorKey(cut, SDL_SRCCOLORKEY, key);
    if (sheet) {
        const int tile = 32 * scale;
        blitRect(sheet, cut, static_cast<int>(column) * tile, static_cast<int>(row) * tile, strip.width,
                 strip.height, 0, 0);
    } else {
        // A sheet that could not be loaded gives a strip that draws nothing.
        SDL_FillRect(cut, nullptr, key);
    }

    SDL_Surface* converted = SDL_DisplayFormat(cut);
    if (converted) {
        SDL_FreeSurface(cut);
        // Run-length encoded for the screen: sprites are drawn every frame
        // and a keyed blit then copies runs instead of testing each pixel.
        encodeForScreen(converted);
        strip.surface = converted;
    } else {
        // No video mode yet (tools): keep the keyed intermediate.
        strip.surface = cut;
    }
    return strip;
}

void freeStrip(AnimStrip& strip) {
    SDL_FreeSurface(strip.surface);
    strip.surface = nullptr;
}
