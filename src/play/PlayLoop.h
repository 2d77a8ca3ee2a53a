#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class Item;
class Level;
class UndoHistory;

enum PlayOutcome { Completed = 0, Died = 1, Quit = 2, Restart = 3 };

// Optional observer of the frame loop, for replays and tests. passStart is
// called at the start of every pass, before its end check; returning false
// abandons the play at once (no closing sequence). afterUpdates is called
// after the pass's item updates.
struct PlayHooks {
    virtual ~PlayHooks() = default;
    virtual bool passStart(unsigned pass) { (void)pass; return true; }
    virtual void afterUpdates(unsigned pass, uint32_t dt) { (void)pass; (void)dt; }
    // The world holds still between two passes while the hint is up: what
    // happens meanwhile (pumps, presents) belongs to no pass.
    virtual void worldHeld(bool held) { (void)held; }
    bool abandoned = false;
    // Draws every frame layer by layer instead of from the composed
    // picture of what does not change; the two must look the same.
    bool plainDrawing = false;
};

// history: the undo key's steps, kept by a caller that plays the same level
// again after a retry or a death; without one the play keeps its own. The
// selection map has no undo.
PlayOutcome runPlayLoop(Level& level, int& page, bool selectMode, int* chosenLevel, int availableLevels,
                        PlayHooks* hooks = nullptr, UndoHistory* history = nullptr);

// The longest frame time the world moves by in one pass (milliseconds).
constexpr uint32_t kLongestFrame = 300;

// What a pass does to the world: move it (without a screen), move it and
// draw it, or only draw it as it stands (a pass the undo key holds).
enum class WorldPass { Move, MoveAndDraw, Draw };
// The world's share of a pass: the player, then the first itemCount items in
// order (those the play started with: items that appear during a play, none
// do in the game, are never visited), move by one frame time (at most
// kLongestFrame). The play loop
// draws each item right after its update. The player reads the held keys
// through the platform's keyboard. A pass without drawing may be given
// `movers`: the same items less the inert ones, in the same order, which
// are all it then visits (an inert item's update does nothing).
void updateWorld(Level& level, uint32_t dt, std::size_t itemCount, WorldPass what,
                 const std::vector<Item*>* movers = nullptr);
// A whole pass without drawing, as the play loop runs it: the end check with
// these keys held, then the world's updates. The platform's keyboard must
// hold the same keys (HeadlessPlay sees to that). Returns true when the play
// ended at the check (outcome says how); nothing moved then. With a history
// the undo key acts as in the play loop.
bool advancePass(Level& level, const uint8_t* keys, uint32_t dt, std::size_t itemCount, PlayOutcome& outcome,
                 UndoHistory* undo = nullptr, const std::vector<Item*>* movers = nullptr);
// The world's share of a pass when the undo key did not hold it: the update,
// with the history noting a step that begins.
void moveWorld(Level& level, const uint8_t* keys, uint32_t dt, std::size_t itemCount, bool draw, UndoHistory* undo,
               const std::vector<Item*>* movers = nullptr);

// The end check of one pass: sets outcome and returns true when the play ends.
bool checkPlayEnd(Level& level, const uint8_t* keys, PlayOutcome& outcome);
// The selection input of one pass (selection map only).
// Whether the map turns from `page` to the next one (page + 10) when the
// player walks off its right edge with that many levels open.
inline bool mapTurnsRight(int page, int availableLevels) { return page + 8 < availableLevels; }
bool checkSelectionInput(Level& level, const uint8_t* keys, int& page, int* chosenLevel, int availableLevels,
                         PlayOutcome& outcome);
