#pragma once
// A play as the game's own library knows it: the frame time and the held
// keys of every pass, in runs. The tools read and write it as a tape file.
#include <cstdint>
#include <string>
#include <vector>

// The keys a tape can hold, as bits of TapeRun::keys; the undo key is the last.
constexpr int kTapeKeyCount = 14;
constexpr uint16_t kUndoKeyBit = 1u << (kTapeKeyCount - 1);
extern const char* const kTapeKeyNames[kTapeKeyCount];
extern const int kTapeKeySyms[kTapeKeyCount];
uint16_t keyMaskOf(const uint8_t* state);
void applyKeyMask(uint16_t mask, uint8_t* state);

struct TapeRun {
    uint32_t frames = 0;
    uint32_t dt = 0;
    uint16_t keys = 0;
};

struct Tape {
    std::vector<TapeRun> runs;
    // From the comment lines "# level PATH", "# expect OUTCOME", "# select N"
    // and "# page P"; the tools themselves ignore them, the tape runner
    // (scripts/replay-tapes) passes them on.
    std::string level;
    std::string expect;
    int select = -1;
    int page = 0;

    uint64_t frameCount() const;
    // Appends one frame, merging it into the last run when equal.
    void append(uint32_t dt, uint16_t keys);
};
