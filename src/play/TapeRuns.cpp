// The tape's keys and its runs of passes.
#include "play/TapeRuns.h"

#include "play/UndoHistory.h"

const char* const kTapeKeyNames[kTapeKeyCount] = {"left",   "right",  "up", "down", "x", "z",      "space",
                                                  "return", "escape", "r",  "m",    "l", "period", "u"};
const int kTapeKeySyms[kTapeKeyCount] = {SDLK_LEFT,   SDLK_RIGHT,  SDLK_UP, SDLK_DOWN, SDLK_x, SDLK_z,      SDLK_SPACE,
                                         SDLK_RETURN, SDLK_ESCAPE, SDLK_r,  SDLK_m,    SDLK_l, SDLK_PERIOD, kUndoKey};

uint16_t keyMaskOf(const uint8_t* state) {
    uint16_t mask = 0;
    for (int i = 0; i < kTapeKeyCount; ++i)
        if (state[kTapeKeySyms[i]]) mask = static_cast<uint16_t>(mask | (1u << i));
    // Either undo key is the tape's `u`: the play treats them alike.
    if (undoHeld(state)) mask = static_cast<uint16_t>(mask | kUndoKeyBit);
    return mask;
}

void applyKeyMask(uint16_t mask, uint8_t* state) {
    for (int i = 0; i < kTapeKeyCount; ++i) state[kTapeKeySyms[i]] = (mask >> i) & 1u;
    state[kUndoKeyToo] = 0;
}

uint64_t Tape::frameCount() const {
    uint64_t total = 0;
    for (const TapeRun& run : runs) total += run.frames;
    return total;
}

void Tape::append(uint32_t dt, uint16_t keys) {
    if (!runs.empty() && runs.back().dt == dt && runs.back().keys == keys && runs.back().frames < 0xFFFFFFFFu) {
        ++runs.back().frames;
        return;
    }
    TapeRun run;
    run.frames = 1;
    run.dt = dt;
    run.keys = keys;
    runs.push_back(run);
}
