#pragma once
// Changes to a loaded level in place, for the editor: the grid, the items,
// the treasure list and the player's bombs stay consistent, and every record
// is placed by the loader's own placeItem.
#include <cstddef>
#include <string>
#include <vector>

#include "level/LevelText.h"

class Level;

// Puts a copy of the key's prototype into the cell, keeping the item that
// stands there. False when there is no such cell or key.
bool setCellKey(Level& level, int column, int row, unsigned char key);
// Brings the level's cells from the grid lines `before` to `after` (of the
// same size), changing only the cells whose key differs. False when that
// takes a fresh build: another size, or a key without a prototype (some
// cells may have changed by then).
bool updateCells(Level& level, const std::vector<std::string>& before, const std::vector<std::string>& after);

// The records a level's items were placed from and how many items each made,
// so that an edit places again only the records that changed.
class ItemPlacement {
public:
    // Makes the level's items, the player's place and bombs those of the
    // records. When the last placement is known only the changed run of
    // records is placed anew; otherwise every item is. False when the game
    // refuses a record: the level then holds what was placed, and the next
    // call places everything.
    bool place(Level& level, const std::vector<RecordLine>& records);
    // The level was built afresh: the next place starts from nothing.
    void forget() { known = false; }

private:
    std::vector<RecordLine> placed;
    std::vector<size_t> counts;
    bool known = false;
};
