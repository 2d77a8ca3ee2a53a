#include "play/Sequences.h"

#include <cmath>
#include <cstddef>

#include "audio/SoundBank.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "platform/Display.h"
#include "platform/Platform.h"
#include "play/UndoHistory.h"
#include "play/View.h"

namespace {

void drawBackdrop(Level& level) {
    if (level.backdrop)
        blitRect(level.backdrop, level.screen, 0, 0, level.screen->w, level.screen->h, 0, 0);
}

void updateAndDrawItems(Level& level, std::size_t count, uint32_t& dt, bool won) {
    for (std::size_t i = 0; i < count && i < level.items.size(); ++i) {
        Item* item = level.items[i];
        if (!item) continue;
        item->update(dt, won);
        item->draw(level.scale);
    }
}

SDL_Surface* displayCopy(SDL_Surface* surface) {
    if (!surface) return nullptr;
    SDL_Surface* converted = SDL_DisplayFormat(surface);
    SDL_FreeSurface(surface);
    return converted;
}

} // namespace

void runLevelStart(Level& level, int page, int availableLevels, bool selectMode) {
    SDL_Surface* screen = level.screen;
    platform::delay(20);
    platform::present(screen);
    drawBackdrop(level);
    if (selectMode) drawSelectionOverlay(level, availableLevels, page);
    for (Item* item : level.items)
        if (item) item->draw(level.scale);
    if (level.player) level.player->draw(screen, 1);
    // The still picture's water stands where it will be when the fade ends.
    drawCells(level, 3000);
    drawHud(level);

    SDL_Surface* copy = SDL_CreateRGBSurface(0x10001, screen->w, screen->h, 32, 0x000000FF, 0x0000FF00,
                                             0x00FF0000, 0xFF000000);
    if (copy) blitRect(screen, copy, 0, 0, screen->w, screen->h, 0, 0);
    SurfaceHolder picture(displayCopy(copy));
    SurfaceHolder black(displayCopy(makeBlackSurface(kScreenWidth, kScreenHeight)));
    if (picture && black) crossFade(screen, black.get(), picture.get(), 3000);
}

void runExitSequence(Level& level, int page, int availableLevels, bool selectMode) {
    SDL_Surface* screen = level.screen;
    // k is used as radians, not degrees: the shake jumps from entry to entry.
    int horizontal[256];
    int vertical[256];
    for (int k = 0; k < 256; ++k) {
        horizontal[k] = static_cast<int>(std::lround(5.0 * std::cos(static_cast<double>(k))));
        vertical[k] = static_cast<int>(std::lround(5.0 * std::sin(static_cast<double>(k))));
    }
    double envelope[3000];
    envelope[0] = 0.0;
    for (int j = 1; j < 3000; ++j) envelope[j] = std::sin(3.141 * j / 3000.0);

    if (level.sounds) level.sounds->playEffect(EffectExit, 0);

    const uint32_t start = platform::ticks();
    uint32_t previous = platform::ticks();
    uint32_t elapsed = previous - start;
    const std::size_t count = level.items.size();
    while (elapsed <= 2999) {
        const unsigned k = elapsed & 0xFF;
        platform::delay(20);
        // The items run 32 ms ahead of the clock while the player stands still.
        uint32_t dt = platform::ticks() + 32 - previous;
        platform::present(screen);
        drawBackdrop(level);
        if (selectMode) drawSelectionOverlay(level, availableLevels, page);
        updateAndDrawItems(level, count, dt, true);
        if (level.player) level.player->draw(screen, 1);
        drawCells(level, 0);
        drawHud(level);
        const int dx = static_cast<int>(envelope[elapsed] * horizontal[k]);
        const int dy = static_cast<int>(envelope[elapsed] * vertical[k]);
        blitRect(screen, screen, 0, 0, screen->w, screen->h, dx, dy);
        platform::present(screen);
        previous = platform::ticks();
        elapsed = previous - start;
    }
    platform::delay(1000);
}

bool runAftermath(Level& level, uint32_t& lastTick, int page, int availableLevels, bool selectMode, bool undoable) {
    SDL_Surface* screen = level.screen;
    const uint32_t start = platform::ticks();
    const std::size_t count = level.items.size();
    while (platform::ticks() - start <= 5999) {
        platform::pumpEvents();
        if (undoable && undoHeld(platform::keyState())) return true;
        platform::delay(20);
        const uint32_t now = platform::ticks();
        uint32_t dt = now - lastTick;
        platform::present(screen);
        drawBackdrop(level);
        updateAndDrawItems(level, count, dt, false);
        if (selectMode) drawSelectionOverlay(level, availableLevels, page);
        if (level.player) {
            level.player->update(dt);
            level.player->draw(screen, 1);
        }
        drawCells(level, 0);
        drawHud(level);
        const uint32_t elapsed = platform::ticks() - start;
        if (elapsed > 2000) drawBlockTransition(level, elapsed);
        // Over the closing blocks too: the key that takes the step back.
        if (undoable && elapsed / 250 % 2 == 0) drawUndoHint(level);
        lastTick = now;
    }
    return false;
}

void drawBlockTransition(Level& level, uint32_t elapsed) {
    SDL_Surface* screen = level.screen;
    const long long t = static_cast<long long>(elapsed) - 2000;
    for (int i = 0; i < 5; ++i) {
        const int x = 128 * i;
        for (int j = 0; j < 5; ++j) {
            const int y = 96 * j;
            const long long s = 400LL * (i + j);
            if (t <= s) continue;
            const long long d = t - s;
            // 125 - ceil(d / 4): 124 at first, black at d = 500.
            const int g = d <= 500 ? static_cast<int>(125 - (d + 3) / 4) : 0;
            // The last column and row reach one pixel further up and left so
            // that their far corners land on the screen's last pixels.
            const int e = (i == 4 || j == 4) ? -1 : 0;
            const Uint8 grey = static_cast<Uint8>(g);
            const Uint8 half = static_cast<Uint8>(g / 2);
            fillRect(screen, x + e, y + e, 128 - e, 96 - e, SDL_MapRGB(screen->format, grey, grey, grey));
            const uint32_t corner = SDL_MapRGB(screen->format, half, half, half);
            putPixel(screen, x, y, corner);
            putPixel(screen, x + 128 + e, y, corner);
            putPixel(screen, x + 128 + e, y + 96 + e, corner);
            putPixel(screen, x, y + 96 + e, corner);
        }
    }
}

void runQuitFade(Level& level) {
    SurfaceHolder mask(loadImage("./gfx/maski_b.png"));
    if (mask) fadeTo(level.screen, mask.get(), 2000);
}
