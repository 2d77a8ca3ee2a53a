#pragma once
// Opening a level file with faults the editor can mend: a record the game
// refuses (an unknown name, a bad number, a negative bomb count) is dropped,
// and a player with no record and no open cell to start in is placed.
#include <string>
#include <vector>

#include "editor/EditDoc.h"

struct Repair {
    unsigned line = 0;  // in the file as it was read
    std::string text;
};

// Reads the bytes into doc (its text and theme keys) and mends what it can;
// each change is listed in repairs. False when the game would still refuse
// the level: then the file cannot be edited.
bool readAndRepair(const std::string& bytes, const std::string& path, EditDoc& doc, std::vector<Repair>& repairs);
