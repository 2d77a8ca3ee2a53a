#pragma once
// A play without a screen: the level advanced pass by pass with keys and
// frame times chosen by the caller, by the same code as the play loop.
#include <vector>

#include "platform/Platform.h"
#include "play/PlayLoop.h"

class Item;
class Level;

class HeadlessPlay {
public:
    // Installs its keyboard on the platform seam; the one installed before
    // is put back when this ends.
    explicit HeadlessPlay(Level& level);
    ~HeadlessPlay();
    HeadlessPlay(const HeadlessPlay&) = delete;
    HeadlessPlay& operator=(const HeadlessPlay&) = delete;

    // One pass with the keyboard's keys held; true when the play ended at
    // the pass's end check (outcome says how). With a history, as the undo key plays.
    bool pass(uint32_t dt, PlayOutcome& outcome, UndoHistory* history = nullptr) {
        return advancePass(level, keyboard.state, dt, items, outcome, history, &movers);
    }

    Level& level;
    platform::ScriptedKeyboard keyboard;

private:
    platform::Keyboard* previous;
    std::size_t items;  // those the play started with, as in the play loop
    std::vector<Item*> movers;  // the same less the inert ones, in order
};
