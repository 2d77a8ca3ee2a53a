#pragma once
// Small free functions over SDL surfaces shared by every drawing routine.
#include <SDL/SDL.h>
#include <cstdint>
#include <memory>

// Same bits per pixel and channel masks: a blit between them is a plain copy.
bool sameLayout(const SDL_PixelFormat* a, const SDL_PixelFormat* b);
int blitRect(SDL_Surface* source, SDL_Surface* target, int sx, int sy, int w, int h, int tx, int ty);
int fillRect(SDL_Surface* target, int x, int y, int w, int h, uint32_t colour);
// The rectangle's border, `thickness` pixels wide, inside (x, y, w, h).
void frameRect(SDL_Surface* target, int x, int y, int w, int h, int thickness, uint32_t colour);
// Marks a colour-keyed sprite for run-length encoding and encodes it for
// the screen now (by a blit of nothing onto it), so that its first draw in
// the middle of a play does not have SDL encode it, and allocate, then.
void encodeForScreen(SDL_Surface* sprite);
// Copies `rows` whole pixel rows from row fromY of one surface to row toY of
// another of the same width and layout: what a plain blit does, with the C
// library's copy, which is several times faster than SDL's own for a full
// screen. Rows outside either surface are not copied. False (nothing copied)
// when the surfaces do not match.
bool copyRows(SDL_Surface* from, int fromY, SDL_Surface* to, int toY, int rows);

// The places drawn on one surface while it is watched: blitRect and fillRect
// note what they covered, and code that writes pixels itself calls
// noteDrawn. The play loop uses it to put the cell layer back over just the
// places the sprites covered. Fixed room, so watching never allocates; past
// it, `overflowed` says the places are no longer known.
struct DrawnAreas {
    static constexpr int kCapacity = 96;
    SDL_Surface* target = nullptr;
    SDL_Rect areas[kCapacity];
    int count = 0;
    bool overflowed = false;
};
// Starts watching areas->target (clearing what was noted), or stops with null.
void watchDrawing(DrawnAreas* areas);
void noteDrawn(SDL_Surface* target, int x, int y, int w, int h);
// Pixels outside the surface are skipped (getPixel reads 0). Both lock the
// surface when SDL says it must be locked.
void putPixel(SDL_Surface* surface, int x, int y, uint32_t colour);
uint32_t getPixel(SDL_Surface* surface, int x, int y);
SDL_Surface* makeBlackSurface(int width, int height);
void crossFade(SDL_Surface* screen, SDL_Surface* top, SDL_Surface* bottom, uint32_t duration);
void fadeTo(SDL_Surface* screen, SDL_Surface* image, uint32_t duration);

// IMG_Load that reports a picture it cannot load once per path on standard
// output ("Picture PATH not found.") and returns null.
SDL_Surface* loadImage(const char* path);

// Owns a surface: it is freed however its scope ends, also when a stop
// request (SIGTERM, SIGINT) unwinds a fade that was showing it.
struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfaceHolder = std::unique_ptr<SDL_Surface, SurfaceFree>;
