#pragma once
#include <SDL/SDL.h>
#include <cstdint>

#include "gfx/AnimStrip.h"

class Level;
class Player;
class SoundBank;
class StateIo;

// Advances a strip by an amount in the caller's unit. The frame changes only
// when elapsed exceeds the duration; elapsed then becomes elapsed * (1 - q),
// and a strip past its last frame restarts at frame 0. Recorded solutions
// depend on these exact rules.
void advanceStrip(AnimStrip& strip, int amount);

// Every level object other than the player.
class Item {
public:
    explicit Item(SoundBank* sounds) : sounds(sounds) {}
    virtual ~Item() = default;

    virtual void draw(int scale) = 0;
    virtual void update(uint32_t& dt, bool won) = 0;
    // A kind that never moves refuses, and tells the pusher it is done.
    virtual bool moveBy(double dx, double dy, bool& result);
    virtual bool isPassable() { return true; }
    virtual bool canMoveTo(int column, int row, bool byPlayer);
    virtual void placeAtX(double newX) { (void)newX; }
    virtual void destroy() {}
    virtual bool isDestroyed() { return false; }
    // Falling, or about to fall on the next update.
    virtual bool isFalling() { return false; }
    // Moving down in a fall under way (not one about to start).
    virtual bool isDropping() const { return false; }
    virtual bool isBox() { return false; }
    // The exit the player must reach.
    virtual bool isGoal() const { return false; }
    virtual int top() { return static_cast<int>(y); }
    // Saves or loads the fields a play changes, for snapshots of the world;
    // every kind with fields of its own passes them after its base's.
    virtual void transferState(StateIo& io);

    SoundBank* sounds;
    // Its update does nothing and its transferState keeps nothing (a
    // decoration): a pass and a snapshot leave it out.
    bool inert = false;
    bool collected = false;
    double x = 0;
    double y = 0;

    // Set by the item-record parser each time it creates an item. One set
    // a thread: the solver moves a copy of the level on each of its threads.
    static inline thread_local SDL_Surface* screen = nullptr;
    static inline thread_local Level* currentLevel = nullptr;
    static inline thread_local Player* currentPlayer = nullptr;
    // Set while a search moves the world on this thread. Its passes leave
    // the animation frames that only the pictures show (nothing the rules do
    // reads them), and its world changes only by the engine's own moves and
    // the rewinder's restores, each counted by the level (Level::gridChanges),
    // so an item at rest may keep its last look at the cell under it.
    static inline thread_local bool searching = false;
};
