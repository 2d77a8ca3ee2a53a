#pragma once
#include <SDL/SDL.h>
#include <cstdint>
#include <vector>

#include "gfx/AnimStrip.h"

class Level;
class Item;
class Bomb;
class SoundBank;
class StateIo;

enum PlayerStrip {
    WalkRight = 0, WalkLeft, JumpLeft, JumpRight, PlaceBombLeft, PlaceBombRight,
    StepUpLeft, StepUpRight, PushLeft, PushRight, LadderStrip, PlayerStripCount
};

// The character the user steers. Positions are pixels; at rest x and y are
// multiples of kCellSize.
class Player {
public:
    Player(int startX, int startY, SoundBank* sounds, Level* level);
    virtual ~Player() = default;
    virtual void update(uint32_t& dt);
    virtual void draw(SDL_Surface* target, int scale);

    void setPosition(double px, double py) { x = px; y = py; }
    void addBomb(Bomb* bomb) { bombs.push_back(bomb); }
    unsigned bombsLeft() const { return static_cast<unsigned>(bombs.size()) - bombsUsed; }
    bool checkDeath();
    void kill() { dead = true; }
    bool hasReachedGoal() const { return reachedGoal; }
    // No action under way: not walking, jumping, pushing, falling, stepping
    // up, placing a bomb or on a ladder (he may still stand between columns).
    bool idle() const { return !(walking || jumping || pushing || falling || steppingUp || placingBomb || onLadder); }
    void setReachedGoal(bool reached) { reachedGoal = reached; }
    void setStrip(int index, const AnimStrip& strip) { strips[index] = strip; }
    AnimStrip& currentStrip();
    // The fields a play changes, for snapshots of the world.
    void transferState(StateIo& io);

    // The actions, tried by update in this order; each returns whether it
    // acted (which ends the update for this frame).
    bool ladderAction(const uint8_t* keys, uint32_t& dt);
    bool jumpAction(const uint8_t* keys, uint32_t& dt, bool& landed);
    void fallCheck(uint32_t& dt);
    bool stepUpAction(const uint8_t* keys);
    bool placeBombAction(const uint8_t* keys, uint32_t& dt);
    bool pushAction(const uint8_t* keys, uint32_t& dt);
    void startWalk(const uint8_t* keys);
    // Returns true when the walk completed (and the update was run again).
    bool walkStep(uint32_t& dt);

    double x;
    double y;
    double fallSpeed = 0;
    int32_t facing = 1;
    bool walking = false;
    bool jumping = false;
    bool pushing = false;
    bool falling = false;
    bool steppingUp = false;
    bool reachedGoal = false;
    bool placingBomb = false;
    bool onLadder = false;
    double progress = 0;
    Level* level;
    AnimStrip strips[PlayerStripCount];
    Item* pushedItem = nullptr;
    uint32_t bombsUsed = 0;
    std::vector<Bomb*> bombs;
    bool dead = false;
    // Set by a pass whose end check has just asked checkDeath, with nothing
    // between it and the update: the update need not ask again. The update
    // clears it, so no snapshot ever holds it set.
    bool deathAsked = false;
    SoundBank* sounds;

    // The jump's curve while it runs (Newton's divided-difference form).
    double jumpX0 = 0, jumpX1 = 0, jumpA = 0, jumpB = 0, jumpC = 0;

    // A completed walk and a landing with X held run the update again in the
    // same frame. Those re-runs nest at most two deep in play; the depth
    // limit only keeps a corrupted state from exhausting the stack.
    void rerunUpdate(uint32_t& dt);
    // advanceStrip, except that a strip never filled in (a level built
    // without player sprites) is left alone instead of dividing by zero;
    // a shown-only strip, while a search moves the world.
    static void advance(AnimStrip& strip, int amount, bool read = false);

    // The SDL key symbols the player reads.
    static constexpr int keyLeft = SDLK_LEFT;    // 276
    static constexpr int keyRight = SDLK_RIGHT;  // 275
    static constexpr int keyUp = SDLK_UP;        // 273
    static constexpr int keyDown = SDLK_DOWN;    // 274
    static constexpr int keyX = SDLK_x;          // 120
    static constexpr int keyZ = SDLK_z;          // 122

    int rerunDepth = 0;
    static constexpr int maxRerunDepth = 16;
};
