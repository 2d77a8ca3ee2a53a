#pragma once
// Undo and redo of the level text. A step is the text as it was before one
// change (a click, one drag stroke, a key); a new change drops the redo line.
#include <cstddef>
#include <deque>

#include "editor/TextBridge.h"

class History {
public:
    explicit History(size_t limit = 1000) : limit(limit) {}
    void record(const EditText& before) {
        undoSteps.push_back(before);
        if (undoSteps.size() > limit) undoSteps.pop_front();
        redoSteps.clear();
    }
    bool undo(EditText& current) { return move(undoSteps, redoSteps, current); }
    bool redo(EditText& current) { return move(redoSteps, undoSteps, current); }
    size_t undoCount() const { return undoSteps.size(); }
    size_t redoCount() const { return redoSteps.size(); }

private:
    static bool move(std::deque<EditText>& from, std::deque<EditText>& to, EditText& current) {
        if (from.empty()) return false;
        to.push_back(current);
        current = from.back();
        from.pop_back();
        return true;
    }
    size_t limit;
    std::deque<EditText> undoSteps;
    std::deque<EditText> redoSteps;
};
