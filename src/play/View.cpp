#include "play/View.h"

#include <string>

#include "entities/Player.h"
#include "gfx/AnimStrip.h"
#include "gfx/BitmapFont.h"
#include "gfx/Surface.h"
#include "level/ItemRecords.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "play/HudLayout.h"
#include "solve/HintPlay.h"

namespace {

// Pictures every frame needs, kept for the whole run. A picture that could
// not be made is tried again on the next draw; only missing ones are, so
// nothing made before is made twice.
AnimStrip bombIcon;

BitmapFont font;
AnimStrip closedDoor;
AnimStrip openDoor;
SDL_Surface* leftArrow = nullptr;
SDL_Surface* rightArrow = nullptr;

// Reused so that drawing a number never allocates.
std::string numberText;

void blitWhole(SDL_Surface* image, SDL_Surface* target, int x, int y) {
    if (image) blitRect(image, target, 0, 0, image->w, image->h, x, y);
}

void setMagentaKey(SDL_Surface* image) {
    if (image) SDL_SetColorKey(image, SDL_SRCCOLORKEY, SDL_MapRGB(image->format, 255, 0, 255));
}

// In the screen's own format when there is one: a keyed blit between
// different formats takes SDL's slow pixel-by-pixel path, and the status
// bar is drawn every frame. The conversion keeps every colour and the key.
SDL_Surface* loadKeyed(const char* path) {
    SDL_Surface* image = loadImage(path);
    setMagentaKey(image);
    if (image && SDL_GetVideoSurface()) {
        if (SDL_Surface* converted = SDL_DisplayFormat(image)) {
            SDL_FreeSurface(image);
            image = converted;
        }
    }
    return image;
}

// In the order font, closed door, open door, left arrow, right arrow; the
// tileset is read once for both doors.
void makeOverlayImages() {
    if (!font.surface) font = loadFont();
    if (SDL_Surface* tiles = loadImage(kItemSheetPath)) {
        if (!closedDoor.surface) closedDoor = cutSheetStrip(tiles, sheet::kClosedDoor);
        if (!openDoor.surface) openDoor = cutSheetStrip(tiles, sheet::kOpenDoor);
        SDL_FreeSurface(tiles);
    }
    if (!leftArrow) leftArrow = loadKeyed("gfx/arrow_left.png");
    if (!rightArrow) rightArrow = loadKeyed("gfx/arrow_right.png");
}

} // namespace

const AnimStrip& hudBombIcon() {
    if (!bombIcon.surface)
        if (SDL_Surface* tiles = loadImage(kItemSheetPath)) {
            bombIcon = cutSheetStrip(tiles, sheet::kBombIcon);
            SDL_FreeSurface(tiles);
        }
    return bombIcon;
}

void resetViewImages() {
    resetHintImages();
    freeStrip(bombIcon);
    bombIcon = AnimStrip{};
    SDL_FreeSurface(font.surface);
    font = BitmapFont{};
    freeStrip(closedDoor);
    closedDoor = AnimStrip{};
    freeStrip(openDoor);
    openDoor = AnimStrip{};
    SDL_FreeSurface(leftArrow);
    leftArrow = nullptr;
    SDL_FreeSurface(rightArrow);
    rightArrow = nullptr;
}

void drawHud(Level& level) {
    SDL_Surface* screen = level.screen;
    unsigned bombs = level.player ? level.player->bombsLeft() : 0;

    hudBombIcon();
    if (!level.hudBar) level.hudBar = loadKeyed("gfx/staticalapalkki.png");

    const int w = screen->w;
    const int h = screen->h;
    const int band = hud::kBandHeight * level.scale;
    fillRect(screen, 0, h - band, w, band, SDL_MapRGB(screen->format, 0, 0, 0));
    fillRect(screen, 0, h - hud::kWhiteLineUp, w, 1, SDL_MapRGB(screen->format, 255, 255, 255));
    fillRect(screen, 0, h - hud::kGreyLineUp, w, 1, SDL_MapRGB(screen->format, 64, 64, 64));

    // Icons past the right edge would not be seen; stopping there also keeps
    // a miscounted bomb total from spinning through billions of blits.
    if (bombIcon.surface)
        for (unsigned i = 0; i < bombs && hud::kIconSpacing * static_cast<long long>(i) < w; ++i)
            blitWhole(bombIcon.surface, screen, static_cast<int>(hud::kIconSpacing * i), hud::kIconY);
    blitWhole(level.hudBar, screen, hud::kBarX, hud::kBarY);
}

uint32_t pointerInk(const SDL_Surface* screen) { return SDL_MapRGB(screen->format, 255, 214, 64); }

void drawUndoHint(Level& level) {
    SDL_Surface* screen = level.screen;
    // The cap itself too, for when the closing blocks have covered the band.
    if (level.hudBar)
        blitRect(level.hudBar, screen, hud::kUndoCapX - hud::kBarX, hud::kUndoCapY - hud::kBarY, hud::kCapWidth,
                 hud::kCapHeight, hud::kUndoCapX, hud::kUndoCapY);
    frameRect(screen, hud::kUndoCapX - 2, hud::kUndoCapY - 2, hud::kCapWidth + 4, hud::kCapHeight + 4, 2,
              pointerInk(screen));
}

void drawSelectionOverlay(Level& level, int availableLevels, int page) {
    if (!closedDoor.surface || !openDoor.surface) makeOverlayImages();

    SDL_Surface* screen = level.screen;
    const int scale = level.scale;
    // After a page turn the old page stays up until the map is left.
    const int shown = page - level.pageShift;

    if (shown != 0 && leftArrow) blitRect(leftArrow, screen, 0, 0, 32, 32, 0, 50);
    if (shown + 10 < availableLevels && rightArrow) blitRect(rightArrow, screen, 0, 0, 32, 32, 608, 50);

    for (int k = 0; k < 5; ++k) {
        const int col = 4 + 3 * k;
        for (int r = 1; r <= 6; r += 5) {
            const int number = shown + 1 + k + (r - 1);
            const int x = kCellSize * col * scale;
            const int y = kCellSize * r * scale;
            if (static_cast<unsigned>(number) <= static_cast<unsigned>(availableLevels)) {
                if (openDoor.surface)
                    blitRect(openDoor.surface, screen, 0, 0, sheet::kOpenDoor.width * scale,
                             sheet::kOpenDoor.height * scale, x, y);
                if (font.surface) {
                    numberToText(number, numberText);
                    drawText(screen, font, static_cast<unsigned>(x + 2), y + 9, numberText);
                }
            } else if (closedDoor.surface) {
                blitRect(closedDoor.surface, screen, 0, 0, sheet::kClosedDoor.width * scale,
                         sheet::kClosedDoor.height * scale, x, y);
            }
        }
    }
}
