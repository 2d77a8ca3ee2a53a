// The hint in the play: the held world, the question in slices, the answer drawn over the level.
#include "solve/HintPlay.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string_view>

#include "entities/Bomb.h"
#include "entities/Player.h"
#include "gfx/AnimStrip.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "platform/Display.h"
#include "platform/Platform.h"
#include "play/HudLayout.h"
#include "play/PlayLoop.h"
#include "play/UndoHistory.h"
#include "play/View.h"
#include "solve/Hint.h"

namespace {

// The thinking of one frame, and the pause that lets the picture be shown.
constexpr double kThinkSlice = 0.025;
constexpr uint32_t kFrameRest = 10;

// Keys that dismiss the answer; all but Escape then act in the play.
constexpr int kDismissKeys[] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_x,   SDLK_z,
                                SDLK_r,    kUndoKey,   kUndoKeyToo, SDLK_ESCAPE, kHintKey};

// Made on the first question and kept for the run.
SDL_Surface* letters = nullptr;

void loadPictures() {
    if (!letters) {
        letters = loadImage(kLettersPath);
        if (letters) SDL_SetColorKey(letters, SDL_SRCCOLORKEY, SDL_MapRGB(letters->format, 255, 0, 255));
    }
    hudBombIcon();
}

void drawLetters(SDL_Surface* screen, int x, int y, std::string_view text) {
    if (!letters) return;
    for (char c : text) {
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (const char* at = lower != ' ' ? std::strchr(kLetterOrder, lower) : nullptr)
            blitRect(letters, screen, static_cast<int>(at - kLetterOrder) * kLetterWidth, 0, kLetterWidth,
                     kLetterHeight, x, y);
        x += kLetterWidth;
    }
}

// The text in lines no wider than the screen, broken at spaces.
void drawWrapped(SDL_Surface* screen, int& y, std::string_view text) {
    const size_t most = static_cast<size_t>(screen->w - 16) / kLetterWidth;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.size();
        if (end - from > most) {
            end = text.rfind(' ', from + most);
            if (end == std::string_view::npos || end <= from) end = from + most;
        }
        drawLetters(screen, 8, y, text.substr(from, end - from));
        y += kLetterHeight + 3;
        from = end < text.size() && text[end] == ' ' ? end + 1 : end;
    }
}

// An arrow across the cell (column, row) pointing (dx, dy), dark-rimmed.
void arrow(SDL_Surface* screen, int column, int row, int dx, int dy, uint32_t ink, uint32_t rim) {
    const int cx = column * kCellSize + kCellSize / 2, cy = row * kCellSize + kCellSize / 2;
    for (int pass = 0; pass < 2; ++pass) {
        const int grow = pass == 0 ? 2 : 0;
        const uint32_t colour = pass == 0 ? rim : ink;
        // The shaft from the back of the cell to the head, then the head
        // narrowing to its point.
        for (int t = -14; t <= 14; ++t) {
            const int half = t < 2 ? 4 : 3 * (14 - t) / 2 + 1;
            const int w = half + grow;
            if (dx)
                fillRect(screen, cx + t * dx - (t == -14 ? grow * dx : 0), cy - w, 1, 2 * w, colour);
            else
                fillRect(screen, cx - w, cy + t * dy, 2 * w, 1, colour);
        }
    }
}

const char* side(int facing) { return facing > 0 ? "right" : "left"; }

// The next action in words, written into out (the panel is drawn every
// frame while it shows, so nothing is allocated for it).
std::string_view moveText(const Hint& hint, char (&out)[48]) {
    const char* format = "Next: wait for the blast";
    switch (hint.move) {
    case HintMove::Walk: format = "Next: walk %s"; break;
    case HintMove::Push: format = "Next: push %s"; break;
    case HintMove::Jump: format = "Next: x and %s to jump"; break;
    case HintMove::StepUp: format = "Next: x and %s to step up"; break;
    case HintMove::ClimbUp: format = "Next: climb up"; break;
    case HintMove::ClimbDown: format = "Next: climb down"; break;
    case HintMove::Bomb: format = "Next: place a bomb here"; break;
    case HintMove::Wait: break;
    }
    const int n = std::snprintf(out, sizeof out, format, side(hint.facing));
    return std::string_view(out, static_cast<size_t>(std::clamp(n, 0, static_cast<int>(sizeof out) - 1)));
}

void drawMarker(Level& level, const Hint& hint) {
    SDL_Surface* screen = level.screen;
    const uint32_t ink = pointerInk(screen), rim = SDL_MapRGB(screen->format, 0, 0, 0);
    const int c = hint.column, r = hint.row;
    frameRect(screen, c * kCellSize - 1, r * kCellSize - 1, kCellSize + 2, kCellSize + 2, 3, rim);
    frameRect(screen, c * kCellSize, r * kCellSize, kCellSize, kCellSize, 1, ink);
    const int f = hint.facing;
    switch (hint.move) {
    case HintMove::Walk:
    case HintMove::Push: arrow(screen, c + f, r, f, 0, ink, rim); break;
    case HintMove::Jump:
        arrow(screen, c + f, r, f, 0, ink, rim);
        arrow(screen, c + 2 * f, r, f, 0, ink, rim);
        break;
    case HintMove::StepUp:
        arrow(screen, c, r - 1, 0, -1, ink, rim);
        arrow(screen, c + f, r - 1, f, 0, ink, rim);
        break;
    case HintMove::ClimbUp: arrow(screen, c, r - 1, 0, -1, ink, rim); break;
    case HintMove::ClimbDown: arrow(screen, c, r + 1, 0, 1, ink, rim); break;
    case HintMove::Bomb:
        if (SDL_Surface* bomb = hudBombIcon().surface)
            blitRect(bomb, screen, 0, 0, bomb->w, bomb->h, c * kCellSize + (kCellSize - bomb->w) / 2,
                     r * kCellSize - bomb->h - 2);
        break;
    case HintMove::Wait:
        for (const Bomb* bomb : level.player->bombs)
            if (bomb->burning())
                frameRect(screen, bomb->column * kCellSize, bomb->row * kCellSize, kCellSize, kCellSize, 2, ink);
        break;
    }
}

// The answer, or the thinking so far, over the status bar.
void drawPanel(Level& level, const Hint& hint, uint32_t thought, uint32_t limit) {
    SDL_Surface* screen = level.screen;
    const int top = screen->h - hud::kBandHeight;
    fillRect(screen, 0, top, screen->w, hud::kBandHeight, SDL_MapRGB(screen->format, 0, 0, 0));
    fillRect(screen, 0, top + 1, screen->w, 1, SDL_MapRGB(screen->format, 255, 255, 255));
    int y = top + 6;
    switch (hint.answer()) {
    case HintAnswer::Thinking: {
        drawWrapped(screen, y, "Thinking");
        const int w = static_cast<int>((screen->w - 16) * static_cast<uint64_t>(thought < limit ? thought : limit) / limit);
        fillRect(screen, 8, y + 4, w, 6, pointerInk(screen));
        break;
    }
    case HintAnswer::CanWin:
        drawWrapped(screen, y, "This level can still be won");
        char move[48];
        drawWrapped(screen, y, moveText(hint, move));
        drawMarker(level, hint);
        break;
    case HintAnswer::CannotWin:
        drawWrapped(screen, y, "This level can no longer be won from here: press U to step back");
        if (hint.stepsBack) {
            char back[48];
            const int n = std::snprintf(back, sizeof back, "It can be won again %zu %s", hint.stepsBack,
                                        hint.stepsBack == 1 ? "step back" : "steps back");
            drawWrapped(screen, y, std::string_view(back, static_cast<size_t>(std::clamp(n, 0, 47))));
        }
        break;
    case HintAnswer::NoAnswer: drawWrapped(screen, y, "No answer in time"); break;
    }
}

} // namespace

void runHint(Level& level, const UndoHistory* history, PlayHooks* hooks) {
    SDL_Surface* screen = level.screen;
    if (!screen) return;
    loadPictures();
    // The picture the last pass drew stands for the held world.
    SurfaceHolder still(SDL_ConvertSurface(screen, screen->format, screen->flags));
    if (!still) return;
    if (hooks) hooks->worldHeld(true);
    bool held[sizeof kDismissKeys / sizeof kDismissKeys[0]];
    const uint8_t* keys = platform::keyState();
    for (size_t i = 0; i < sizeof held; ++i) held[i] = keys[kDismissKeys[i]] != 0;

    const HintLimits limits;
    Hint hint(level, history, limits);
    const uint32_t asked = platform::ticks();
    const uint32_t limit = static_cast<uint32_t>(limits.seconds * 1000);
    bool escaping = false;
    for (;;) {
        platform::pumpEvents();
        keys = platform::keyState();
        if (escaping) {
            if (!keys[SDLK_ESCAPE]) break;
        } else {
            bool dismissed = false;
            for (size_t i = 0; i < sizeof held; ++i) {
                const bool down = keys[kDismissKeys[i]] != 0;
                if (down && !held[i]) {
                    dismissed = true;
                    escaping = kDismissKeys[i] == SDLK_ESCAPE || kDismissKeys[i] == kHintKey;
                }
                held[i] = down;
            }
            if (dismissed && !escaping) break;
        }
        // The world waits at most the limit, drawing included.
        const uint32_t waited = platform::ticks() - asked;
        if (waited >= limit)
            hint.stop();
        else if (hint.answer() == HintAnswer::Thinking)
            hint.think(std::min(kThinkSlice, (limit - waited) / 1000.0));
        blitRect(still.get(), screen, 0, 0, screen->w, screen->h, 0, 0);
        drawPanel(level, hint, platform::ticks() - asked, limit);
        platform::present(screen);
        platform::delay(kFrameRest);
    }
    blitRect(still.get(), screen, 0, 0, screen->w, screen->h, 0, 0);
    if (hooks) hooks->worldHeld(false);
}

void resetHintImages() {
    SDL_FreeSurface(letters);
    letters = nullptr;
}
