#include "play/PlayLoop.h"
#include <algorithm>

#include <cmath>
#include <cstddef>

#include "audio/SoundBank.h"
#include "entities/Bomb.h"
#include "entities/Treasure.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "platform/Display.h"
#include "platform/Platform.h"
#include "play/Sequences.h"
#include "play/StaticLayer.h"
#include "play/UndoHistory.h"
#include "play/View.h"
#include "solve/HintPlay.h"

namespace {

constexpr int KeyReturn = 13;
constexpr int KeyEscape = 27;
constexpr int KeySpace = 32;
constexpr int KeyR = 114;
constexpr int KeyRight = SDLK_RIGHT;
constexpr int KeyLeft = SDLK_LEFT;

// A position this far off the map cannot stand at a door (and would not fit
// an int when truncated).
bool farOff(double v) { return !(v > -1e9 && v < 1e9); }

// A bomb going off changes cells halfway through the item updates, after
// the composed picture with the old cells is on the screen.
bool bombMayGoOff(const Level& level, uint32_t dt) {
    for (const Bomb* bomb : level.player->bombs)
        if (bomb && bomb->mayGoOffWithin(dt)) return true;
    return false;
}

} // namespace

bool checkPlayEnd(Level& level, const uint8_t* keys, PlayOutcome& outcome) {
    const bool escape = keys[KeyEscape] != 0;
    bool allCollected = true;
    for (const Treasure* treasure : level.treasures)
        if (treasure && !treasure->collected) {
            allCollected = false;
            break;
        }
    const bool won = allCollected && level.player->hasReachedGoal();
    const bool restart = keys[KeyR] != 0;
    // Asked every frame whatever else holds: the death check marks the player.
    const bool dead = level.player->checkDeath();

    if (escape)
        outcome = Quit;
    else if (won)
        outcome = Completed;
    else if (restart)
        outcome = Restart;
    else if (dead)
        outcome = Died;
    else
        return false;
    return true;
}

bool checkSelectionInput(Level& level, const uint8_t* keys, int& page, int* chosenLevel, int availableLevels,
                         PlayOutcome& outcome) {
    const double x = level.player->x;
    const double y = level.player->y;

    if (x < 2.0 && keys[KeyLeft] && page > 9) {
        page -= 10;
        outcome = Completed;
        level.pageShift = -10;
        return true;
    }
    if (x > 606.0 && keys[KeyRight] && mapTurnsRight(page, availableLevels)) {
        page += 10;
        outcome = Completed;
        level.pageShift = 10;
        return true;
    }
    if (!keys[KeySpace] && !keys[KeyReturn]) return false;

    // Doors stand at cell columns 4, 7, ..., 16 on rows 2 and 7; the signed
    // remainders let column -3 through, which names the level before the page.
    if (farOff(x) || farOff(y)) return false;
    const int column = static_cast<int>(x / kCellSize) - 4;
    const int row = static_cast<int>(y / kCellSize) - 2;
    if (column % 3 != 0 || row % 5 != 0) return false;
    const int number = row + page + 1 + column / 3;
    // On the first page that quirk would name level 0, which does not exist
    // and would end the game with a load error: there is no door there.
    if (number < 1 || number > availableLevels) return false;
    outcome = Completed;
    if (chosenLevel) *chosenLevel = number;
    return true;
}

void updateWorld(Level& level, uint32_t dt, std::size_t itemCount, WorldPass what, const std::vector<Item*>* movers) {
    const bool move = what != WorldPass::Draw;
    const bool draw = what != WorldPass::Move;
    // After a stall (the machine busy, the window dragged) the world moves
    // as if less time had passed: past about a third of a second a push
    // would carry a box over the next cell into one already taken.
    dt = std::min<uint32_t>(dt, kLongestFrame);
    if (move) level.player->update(dt);
    // No update adds or removes an item, so the list is read once.
    const std::size_t count = std::min(itemCount, level.items.size());
    Item* const* const items = level.items.data();
    if (!draw) {
        // The headless pass: the solver's every pass.
        if (movers) {
            for (Item* item : *movers) item->update(dt, false);
            return;
        }
        for (std::size_t i = 0; i < count; ++i)
            if (Item* item = items[i]; item && !item->inert) item->update(dt, false);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        Item* item = items[i];
        if (!item) continue;
        if (move && !item->inert) item->update(dt, false);
        item->draw(level.scale);
    }
}

// The end check, with the state before R kept as an undo step, for the
// drawn loop and the headless pass alike.
static bool checkEndKeepingRetry(Level& level, const uint8_t* keys, PlayOutcome& outcome, UndoHistory* undo) {
    if (undo && keys[KeyR]) undo->noteRetryKey();
    if (!checkPlayEnd(level, keys, outcome)) return false;
    if (undo && outcome == Restart) undo->keepRetry();
    return true;
}

void moveWorld(Level& level, const uint8_t* keys, uint32_t dt, std::size_t itemCount, bool draw, UndoHistory* undo,
               const std::vector<Item*>* movers) {
    if (undo) undo->beforeUpdate(keys);
    updateWorld(level, dt, itemCount, draw ? WorldPass::MoveAndDraw : WorldPass::Move, movers);
    if (undo) undo->afterUpdate();
}

bool advancePass(Level& level, const uint8_t* keys, uint32_t dt, std::size_t itemCount, PlayOutcome& outcome,
                 UndoHistory* undo, const std::vector<Item*>* movers) {
    if (checkEndKeepingRetry(level, keys, outcome, undo)) return true;
    // Without the undo key nothing comes between the end check and the update.
    if (!undo) level.player->deathAsked = true;
    if (undo && undo->holdForUndo(keys, dt)) return false;
    moveWorld(level, keys, dt, itemCount, false, undo, movers);
    return false;
}

PlayOutcome runPlayLoop(Level& level, int& page, bool selectMode, int* chosenLevel, int availableLevels,
                        PlayHooks* hooks, UndoHistory* history) {
    UndoHistory own;
    UndoHistory* undo = selectMode ? nullptr : history ? history : &own;
    // A closing sequence cut short by the undo key goes straight back into
    // the play, a step back, without the fade-in.
    if (!(undo && undo->attach(level))) runLevelStart(level, page, availableLevels, selectMode);

    PlayOutcome outcome = Quit;
    uint32_t last = platform::ticks();
    const std::size_t count = level.items.size();
    SDL_Surface* screen = level.screen;
    const bool plain = hooks && hooks->plainDrawing;
    // Made here, so that the frames themselves allocate nothing.
    StaticLayer layer(level);
    if (!plain) layer.prepare();

    bool hintKeyWasDown = true;  // a key held since before the play asks nothing
    for (unsigned pass = 0;; ++pass) {
        // H as the last pump left it: the hint holds the world between two
        // passes, and the time it takes is no frame time.
        const bool hintKeyDown = platform::keyState()[kHintKey] != 0;
        if (hintKeyDown && !hintKeyWasDown && !selectMode) {
            runHint(level, undo, hooks);
            last = platform::ticks();
        }
        hintKeyWasDown = hintKeyDown;
        if (hooks && !hooks->passStart(pass)) {
            hooks->abandoned = true;
            if (undo) undo->detach();
            return Quit;
        }
        platform::pumpEvents();
        const uint8_t* keys = platform::keyState();
        if (checkEndKeepingRetry(level, keys, outcome, undo)) break;
        if (selectMode && checkSelectionInput(level, keys, page, chosenLevel, availableLevels, outcome)) break;

        platform::delay(20);
        const uint32_t now = platform::ticks();
        // One frame time for the player and every item, by reference.
        uint32_t dt = now - last;
        // Stepping back changes the cells, so before the picture is composed.
        const bool holding = undo && undo->holdForUndo(keys, dt);
        platform::present(screen);
        // Backdrop, map overlay and cells in one blit when they hold still;
        // otherwise layer by layer.
        const bool composed = !plain && !bombMayGoOff(level, dt) && layer.drawUnder(selectMode, availableLevels, page);
        if (!composed && level.backdrop) blitRect(level.backdrop, screen, 0, 0, screen->w, screen->h, 0, 0);
        // The overlay shows the map alone, so it can go before the updates.
        if (selectMode && !composed) drawSelectionOverlay(level, availableLevels, page);
        if (holding)
            updateWorld(level, dt, count, WorldPass::Draw);
        else
            moveWorld(level, keys, dt, count, true, undo);
        level.player->draw(screen, 1);
        if (composed)
            layer.drawOver(0);
        else
            drawCells(level, 0);
        if (plain)
            ::drawHud(level);
        else
            layer.drawHud();
        if (undo && undo->hintLit()) drawUndoHint(level);
        if (level.sounds) checkVolumeKeys(*level.sounds);
        if (hooks) hooks->afterUpdates(pass, dt);
        last = now;
    }

    switch (outcome) {
    case Completed:
        runExitSequence(level, page, availableLevels, selectMode);
        break;
    case Died:
    case Restart:
        if (runAftermath(level, last, page, availableLevels, selectMode, undo != nullptr)) undo->stepBackOnNextPlay();
        break;
    case Quit:
        runQuitFade(level);
        break;
    }
    if (undo) undo->detach();
    return outcome;
}
