#pragma once
// The words of a level written once: the screen and cell geometry, the keys
// with a meaning of their own, the item records and where every item's
// pictures lie on the sheets. No SDL, so the asset generator includes it too.
#include <cstddef>
#include <string>

#include "platform/FileRead.h"

// A level is one screen of 20 by 13 cells of 32 pixels; the band below the
// cells holds the heads-up display.
constexpr int kCellSize = 32;
constexpr int kVisibleColumns = 20;
constexpr int kVisibleRows = 13;
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// Where the player stands when the level has no player record.
constexpr int kPlayerStartColumn = 1;
constexpr int kPlayerStartRow = 0;

// Grid keys the tileset description gives flags of their own.
constexpr unsigned char kWaterKey = '$';   // deadly and liquid
constexpr unsigned char kLadderKey = '?';  // climbable
// The rubble cell a blast leaves (Latin-1 section sign); a level with bombs needs it.
constexpr unsigned char kRubbleKey = 0xA7;
// The open cell the editor clears to and paints new levels with.
constexpr unsigned char kOpenKey = '.';

// Items are cut from this sheet; the backdrop is shaded through the mask.
constexpr const char* kItemSheetPath = "./gfx/tileset.png";
// The hint's letters: one cell each, side by side in this order (a text is
// written in them without regard to case; a space is an empty cell's width).
constexpr const char* kLettersPath = "gfx/letters.png";
constexpr const char* kLetterOrder = "abcdefghijklmnopqrstuvwxyz0123456789!-:";
constexpr int kLetterWidth = 12;
constexpr int kLetterHeight = 16;
constexpr const char* kBackdropMaskPath = "./gfx/maski.png";

// What one level may hold. These leave room for far more than one screen,
// and keep the load of any file within the size cap quick and small (every
// item cuts pictures of its own).
constexpr size_t kMaxCells = 65536;
constexpr size_t kMaxItems = 512;
// A level file within the text cap cannot hold a row or column this far, and
// 32 times it (at any scale the game uses) stays far inside int.
constexpr int kFarthestCell = static_cast<int>(fileread::kTextCap);

// One strip of pictures on a sheet: its first frame's cell (32-pixel tiles),
// frame count, milliseconds a frame and frame size in pixels.
struct SheetStrip {
    int column;
    int row;
    int frames;
    int frameDuration;
    int width;
    int height;
    int x() const { return column * kCellSize; }
    int y() const { return row * kCellSize; }
};

// Where each item's pictures lie on "gfx/tileset.png".
namespace sheet {
constexpr SheetStrip kBox{0, 6, 1, 1000, 32, 32};
constexpr SheetStrip kHeavybox{1, 7, 1, 1000, 32, 32};
constexpr SheetStrip kGoal{3, 7, 5, 400, 32, 64};
// The goal's last frame stands for an open door, its first for a closed one.
constexpr SheetStrip kClosedDoor{3, 7, 1, 1000, 32, 64};
constexpr SheetStrip kOpenDoor{7, 7, 1, 1000, 32, 64};
// A gem stands on its base, drawn even after the gem is taken.
constexpr SheetStrip kTreasureBase{8, 6, 1, 1024, 32, 32};
constexpr SheetStrip kTreasure{1, 6, 6, 166, 32, 32};
constexpr SheetStrip kBombWaiting{2, 3, 5, 1000, 32, 32};
constexpr SheetStrip kBombBlast{0, 10, 9, 100, 96, 64};
// The heads-up display's bomb, one per bomb left.
constexpr SheetStrip kBombIcon{0, 8, 1, 1000, 32, 32};
} // namespace sheet

// The player's strips on the player sheet, in the order of the player's
// strip numbers; every strip starts at the left edge.
struct PlayerStripLayout {
    int top;  // pixels at scale 1; always a whole number of cells
    int frameWidth;
    int frameHeight;
    int frames;
    int frameDuration;
};
constexpr PlayerStripLayout kPlayerStripLayouts[] = {
    {64, 32, 32, 10, 1},    // walk right
    {96, 32, 32, 10, 1},    // walk left
    {416, 32, 32, 9, 6},    // jump left
    {384, 32, 32, 9, 6},    // jump right
    {352, 32, 32, 9, 100},  // place bomb left
    {320, 32, 32, 9, 100},  // place bomb right
    {256, 64, 64, 9, 3},    // step up left
    {192, 64, 64, 9, 3},    // step up right
    {480, 32, 32, 6, 3},    // push left
    {448, 32, 32, 6, 3},    // push right
    {512, 32, 32, 6, 11},   // ladder
};
// The smallest player sheet that holds every strip, at scale 1.
constexpr int kPlayerSheetWidth = 576;
constexpr int kPlayerSheetHeight = 544;

// What an item record makes.
enum class Record { Player, OldBox, OldWater, Treasure, Goal, Box, Heavybox, Bombs, Bgitem, Bgwater };

// One record a level file may hold, by name and number of attributes.
struct RecordRule {
    Record kind;
    const char* name;
    size_t attributes;
    size_t numbers;             // how many attributes, from the first, are numbers
    bool placed;                // its item stands in a cell of the grid
    const char* word;           // the player's word for it
    const SheetStrip* picture;  // what the tools show for it; null for none
};
constexpr RecordRule kRecordRules[] = {
    {Record::Player, "plr", 2, 2, false, "player", nullptr},
    // Older records, read and dropped.
    {Record::OldBox, "box", 2, 2, false, "old box", nullptr},
    {Record::OldWater, "water", 2, 2, false, "old water", nullptr},
    {Record::Treasure, "treasure", 2, 2, true, "gem", &sheet::kTreasure},
    {Record::Goal, "goal", 2, 2, true, "goal", &sheet::kOpenDoor},
    {Record::Box, "wooden_box", 2, 2, true, "crate", &sheet::kBox},
    {Record::Heavybox, "heavy_box", 2, 2, true, "heavy rock", &sheet::kHeavybox},
    {Record::Bombs, "bomb", 1, 1, false, "bombs", &sheet::kBombIcon},
    // A decoration's third word is its key; a tint's last two are not read.
    {Record::Bgitem, "bgitem", 3, 2, false, "decoration", nullptr},
    {Record::Bgwater, "bgitem", 4, 2, false, "water", nullptr},
};

// The rule of a record with this name and number of attributes; null when
// the game knows none.
const RecordRule* findRecord(const std::string& name, size_t attributes);
// The (first) rule of a kind.
const RecordRule& ruleOf(Record kind);
inline const char* recordName(Record kind) { return ruleOf(kind).name; }
// Whether a record of this name places an item in a grid cell.
bool isPlacedRecord(const std::string& name);

// A number attribute: an optional sign and decimal digits at the start of the
// word give the value; anything after them is ignored. A word that does not
// begin so, or whose number lies outside int, reads as 0. The result says
// whether the word begins with a number at all; whole, whether it is nothing
// but a number within int.
bool readNumberWord(const std::string& word, int& value, bool* whole = nullptr);
int parseInt(const std::string& word);
