#pragma once
#include <cstdint>

class Level;

enum PlayOutcome { Completed = 0, Died = 1, Quit = 2, Restart = 3 };

// Optional observer of the frame loop, for replays and tests. passStart is
// called at the start of every pass, before its end check; returning false
// abandons the play at once (no closing sequence). afterUpdates is called
// after the pass's item updates.
struct PlayHooks {
    virtual ~PlayHooks() = default;
    virtual bool passStart(unsigned pass) { (void)pass; return true; }
    virtual void afterUpdates(unsigned pass, uint32_t dt) { (void)pass; (void)dt; }
    bool abandoned = false;
    // Draws every frame layer by layer instead of from the composed
    // picture of what does not change; the two must look the same.
    bool plainDrawing = false;
};

PlayOutcome runPlayLoop(Level& level, int& page, bool selectMode, int* chosenLevel, int availableLevels,
                        PlayHooks* hooks = nullptr);

// The end check of one pass: sets outcome and returns true when the play ends.
bool checkPlayEnd(Level& level, const uint8_t* keys, PlayOutcome& outcome);
// The selection input of one pass (selection map only).
bool checkSelectionInput(Level& level, const uint8_t* keys, int& page, int* chosenLevel, int availableLevels,
                         PlayOutcome& outcome);
