#include <gtest/gtest.h>

#include "entities/Box.h"
#include "level/Level.h"

namespace {

// A grid built by hand: walls on the left, open squares elsewhere, and a
// second row one cell shorter than the first.
struct HandGrid : ::testing::Test {
    HandGrid() : level(nullptr, nullptr, 1) {
        wall.passable = false;
        open.passable = true;
        for (int r = 0; r < 2; ++r) {
            std::vector<Cell*> row;
            for (int c = 0; c < (r == 0 ? 4 : 3); ++c) row.push_back(new Cell(c == 0 ? wall : open));
            level.grid.push_back(row);
        }
        level.rowCount = 2;
        level.columnCount = 4;
    }
    Cell wall, open;
    Level level;
};

TEST_F(HandGrid, CellAtAnswersNoneOutsideTheGridAndPastShortRows) {
    EXPECT_EQ(level.cellAt(-1, 0), nullptr);
    EXPECT_EQ(level.cellAt(0, -1), nullptr);
    EXPECT_EQ(level.cellAt(4, 0), nullptr);
    EXPECT_EQ(level.cellAt(0, 2), nullptr);
    EXPECT_EQ(level.cellAt(3, 0), level.grid[0][3]);
    EXPECT_EQ(level.cellAt(2, 1), level.grid[1][2]);
    EXPECT_EQ(level.cellAt(3, 1), nullptr);  // the short row ends at column 2
    EXPECT_FALSE(level.isFree(3, 1, nullptr));
}

TEST_F(HandGrid, IsFreeFollowsWallsAndBlockingItems) {
    EXPECT_FALSE(level.isFree(0, 0, nullptr));
    EXPECT_TRUE(level.isFree(1, 0, nullptr));
    EXPECT_FALSE(level.isFree(-1, 0, nullptr));
    EXPECT_FALSE(level.isFree(1, 2, nullptr));

    Box box(64, 0, AnimStrip{}, &level, nullptr);
    level.grid[0][2]->item = &box;
    EXPECT_FALSE(level.isFree(2, 0, nullptr));
    EXPECT_TRUE(level.isFree(2, 0, &box));
    Box other(96, 0, AnimStrip{}, &level, nullptr);
    EXPECT_FALSE(level.isFree(2, 0, &other));
    level.grid[0][0]->item = &box;  // a wall stays a wall whoever stands in it
    EXPECT_FALSE(level.isFree(0, 0, &box));
    level.grid[0][2]->item = level.grid[0][0]->item = nullptr;
}

TEST_F(HandGrid, SetCellHandsTheOldCellToTheCaller) {
    Cell* old = level.grid[0][1];
    Cell* fresh = new Cell(wall);
    level.setCell(1, 0, fresh);
    EXPECT_EQ(level.cellAt(1, 0), fresh);
    EXPECT_TRUE(old->passable);
    delete old;
}

TEST(EmptyGrid, HasNoCellsAnywhere) {
    Level level(nullptr, nullptr, 1);
    EXPECT_EQ(level.rowCount, 0);
    EXPECT_EQ(level.columnCount, 0);
    EXPECT_EQ(level.countRows(), 0u);
    EXPECT_EQ(level.cellAt(0, 0), nullptr);
    EXPECT_FALSE(level.isFree(0, 0, nullptr));
}

} // namespace
