#pragma once
// Edits of many cells at once on the level text: a rectangle or a flood of
// one cell, and blocks of cells with their items copied, cleared and pasted.
// Each goes cell by cell through EditDoc's own rules, so a region can never
// make a level those rules would refuse. No SDL.
#include <string>
#include <vector>

#include "editor/EditDoc.h"

// Cells from (column, row), columns wide and rows high.
struct CellRect {
    int column = 0, row = 0, columns = 0, rows = 0;
    bool contains(int c, int r) const { return c >= column && c < column + columns && r >= row && r < row + rows; }
    bool empty() const { return columns <= 0 || rows <= 0; }
};
// The rectangle with these two cells at opposite corners.
CellRect spanOf(int column0, int row0, int column1, int row1);

// A copied region: its cells row by row and what stands in them, placed
// relative to its top-left corner.
struct Block {
    struct Placed {
        Piece piece;
        int column = 0, row = 0;
        // A decoration's record words after its cell: its key, or a water tint's two.
        std::vector<std::string> words;
    };
    int columns = 0, rows = 0;
    std::vector<std::string> keys;
    std::vector<Placed> pieces;
};

// What a region edit did: cells changed and, when some were kept, the first
// reason and how many.
struct RegionResult {
    int changed = 0;
    int refused = 0;
    std::string refusal;
    // What was done, and what was kept and why: "Filled 10 cells, 2 kept: ...".
    std::string report(const std::string& done) const;
};

RegionResult fillRect(EditDoc& doc, char key, const CellRect& rect);
// The cells of the same key as (column, row), joined side by side, become key.
RegionResult floodFill(EditDoc& doc, char key, int column, int row);
Block copyBlock(const EditDoc& doc, const CellRect& rect);
// Every item, decoration and cell of the rectangle cleared (the player stays).
RegionResult clearRect(EditDoc& doc, const CellRect& rect);
// The block with its top-left corner at (column, row); what lies outside the
// grid is left out. The block's player and goal move the level's.
RegionResult pasteBlock(EditDoc& doc, const Block& block, int column, int row);
