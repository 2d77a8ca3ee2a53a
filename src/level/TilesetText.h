#pragma once
// The one reading of a tileset description, without SDL: the loader cuts its
// pictures from it, the lint checks it and the editor finds its keys in it.
#include <string>
#include <vector>

// One entry line: a key, passable, the tile's column and row. A field the
// line does not supply keeps the previous entry's value (before the first:
// key ' ', not passable, column 0, row 0).
struct TileEntry {
    unsigned char key = ' ';
    bool passable = false;
    int column = 0;
    int row = 0;
    bool keyRead = false;  // the line supplied a key of its own
    unsigned line = 0;     // 1-based line of the file
    std::string text;      // the line as it stands
};

struct TilesetText {
    std::string imagePath;
    unsigned stepX = 0;
    unsigned stepY = 0;
    bool stepsRead = false;
    std::string sheetPath;
    unsigned sheetLine = 0;  // where the player sheet's path was read
    std::vector<TileEntry> entries;
};

// Read as the game has always read them: the two steps are numbers after any
// white space, line ends included, and the rest of their line is dropped; once
// a read fails nothing further is read.
TilesetText parseTilesetText(const std::string& bytes);
// The same from a file; false (and an empty description, which the game reads
// too) when the file cannot be read within the text cap.
bool readTilesetFile(const std::string& path, TilesetText& description);
