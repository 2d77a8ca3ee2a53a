#pragma once
// The level being edited: its text (paths, grid, records in file order) and
// the edit operations with the rules that keep it a level the game accepts:
// one player, each placed item in a cell of its own, nothing solid under an
// item. Knows nothing of SDL, so the rules are tested without a window.
#include <string>
#include <vector>

#include "editor/TextBridge.h"

struct SheetStrip;

enum class PieceKind { Cell, Player, Goal, Gem, Crate, Heavy, Bombs, Decoration };

// What the mouse paints: a kind and, for cells and decorations, a key.
struct Piece {
    PieceKind kind = PieceKind::Cell;
    char key = '.';
    bool operator==(const Piece& other) const {
        return kind == other.kind && ((kind != PieceKind::Cell && kind != PieceKind::Decoration) || key == other.key);
    }
};

// "gem", "crate", ... as the status line says it.
const char* pieceNoun(PieceKind kind);
// Its picture on the item sheet; null for cells and decorations.
const SheetStrip* pictureOf(PieceKind kind);

// One key of the theme's tileset description, in its order.
struct ThemeKey {
    char key = 0;
    bool passable = false;
    // Its picture covers the whole cell, so a decoration there is never seen.
    bool hides = false;
};

struct EditResult {
    bool changed = false;
    std::string refusal;  // why nothing changed, in words; empty when fine
};

class EditDoc {
public:
    EditText text;
    // The theme's keys: what may be painted and what is solid.
    std::vector<ThemeKey> keys;
    // Words for a key of the current theme ("earth", "ladder").
    std::string (*keyName)(const EditDoc& doc, char key) = nullptr;

    int columns() const { return text.grid.empty() ? 0 : static_cast<int>(text.grid[0].size()); }
    int rows() const { return static_cast<int>(text.grid.size()); }
    bool inside(int column, int row) const;
    char keyAt(int column, int row) const;
    const ThemeKey* findKey(char key) const;
    bool passable(char key) const;
    // The open cell of the theme: '.' when it has it, otherwise its first passable key.
    char openKey() const;
    std::string nameOf(char key) const;
    std::string nameOf(const Piece& piece) const;

    // Index of the record of the placed item (player included) or of the
    // decoration standing in the cell; -1 for none. The player without a
    // record stands where the game puts it, column 1, row 0.
    int itemAt(int column, int row) const;
    int decorationAt(int column, int row) const;
    PieceKind kindOfRecord(int index) const;
    bool playerAt(int column, int row, int* record = nullptr) const;
    int bombs() const;

    EditResult paint(const Piece& piece, int column, int row);
    EditResult erase(int column, int row);
    Piece pick(int column, int row) const;
    EditResult setBombs(int count);
    // The player put at (column, row) for a test from there: he may share
    // the cell with an item (stand on the door), not with a wall.
    EditResult startAt(int column, int row);
    // A decoration (words: its key) or a water tint (words: its two) put in
    // the cell, in place of the one there.
    EditResult placeDecoration(const std::vector<std::string>& words, int column, int row);

private:
    EditResult paintCell(char key, int column, int row);
    EditResult placeItem(PieceKind kind, int column, int row);
    // The player's record moved to the cell, or made when there is none.
    void putPlayer(int column, int row);
    // "The player (A crate) cannot stand inside KEY".
    std::string cannotStand(PieceKind kind, char key) const;
};

// Words for the keys of the shipped themes, by the theme's description path.
std::string themeKeyName(const EditDoc& doc, char key);
// The keys of a tileset description file, in order; empty when unreadable.
std::vector<ThemeKey> readThemeKeys(const std::string& path);
// A new level: walls around the edge, open floor, the player at the left, a
// gem and the goal at the right, 20 columns by 13 rows.
EditText newLevelText(const std::string& tilesetPath, const std::string& backgroundPath);
