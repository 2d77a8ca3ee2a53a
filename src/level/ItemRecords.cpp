#include "level/ItemRecords.h"

#include <algorithm>
#include <memory>

#include "entities/Bgitem.h"
#include "entities/Bgwater.h"
#include "entities/Bomb.h"
#include "entities/Box.h"
#include "entities/Goal.h"
#include "entities/Heavybox.h"
#include "entities/Player.h"
#include "entities/Treasure.h"
#include "gfx/AnimStrip.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "level/LoadMessages.h"
#include "level/Vocabulary.h"
#include "level/PictureCache.h"
#include "level/WholeNumber.h"

ItemSheet::~ItemSheet() = default;

AnimStrip cutSheetStrip(SDL_Surface* sheet, const SheetStrip& strip, int scale) {
    return cutStrip(sheet, static_cast<unsigned>(strip.column), static_cast<unsigned>(strip.row), strip.frames, scale,
                    strip.frameDuration, strip.width, strip.height, 0);
}

SDL_Surface* ItemSheet::get() {
    if (!tileset && !tried) tileset = cachedPicture(kItemSheetPath);
    tried = true;
    return tileset;
}

namespace {

void setItemReferences(Level& level) {
    Item::currentPlayer = level.player;
    Item::currentLevel = &level;
    Item::screen = level.screen;
}

// Hands a new item to the level; the level owns it from here on.
template <class T>
T* adopt(Level& level, std::unique_ptr<T> item) {
    level.items.push_back(item.get());
    return item.release();
}

} // namespace

void placeItem(Level& level, const std::string& name, const std::vector<std::string>& attributes,
               ItemSheet* sheet) {
    const size_t count = attributes.size();
    const RecordRule* rule = findRecord(name, count);
    if (!rule) throw LoadError(unknownRecordMessage(name, count));
    const Record kind = rule->kind;

    if (kind == Record::OldWater) return;
    // Corrupted numbers are refused, never read as another number.
    for (size_t i = 0; i < rule->numbers; ++i)
        if (!isWholeNumber(attributes[i])) throw LoadError(badNumberMessage(name, attributes[i]));
    // An older kind of record kept for old files: its numbers are checked
    // above, and it places nothing.
    if (kind == Record::OldBox) return;

    ItemSheet ownSheet;
    if (!sheet) sheet = &ownSheet;
    const int scale = level.scale;

    if (kind == Record::Bombs) {
        const int bombs = parseInt(attributes[0]);
        if (bombs < 0) throw LoadError(negativeBombMessage(bombs), true);
        if (bombs == 0) return;
        if (static_cast<size_t>(bombs) > kMaxItems - std::min(kMaxItems, level.items.size()))
            throw LoadError(tooManyItemsMessage(name));
        const Cell* rubble = level.spriteTable.findPrototype(kRubbleKey);
        if (!rubble) throw LoadError(noRubbleMessage());
        SDL_Surface* tiles = sheet->get();
        const AnimStrip waiting = cutSheetStrip(tiles, sheet::kBombWaiting, scale);
        const AnimStrip blast = cutSheetStrip(tiles, sheet::kBombBlast, scale);
        // All bombs of the record share the two strips; the first frees them.
        for (int i = 0; i < bombs; ++i) {
            Bomb* bomb =
                adopt(level, std::make_unique<Bomb>(0, 0, waiting, blast, rubble, level.sounds, i == 0));
            level.player->addBomb(bomb);
            setItemReferences(level);
        }
        return;
    }

    if (kind != Record::Player && level.items.size() >= kMaxItems) throw LoadError(tooManyItemsMessage(name));

    const int column = parseInt(attributes[0]);
    const int row = parseInt(attributes[1]);
    const double x = column * static_cast<double>(kCellSize);
    const double y = row * static_cast<double>(kCellSize);

    // The player and the background items may stand outside the grid, but not
    // so far that their pixel positions leave the int range when drawn. No
    // level file can hold a grid this wide, so no real position is refused.
    if (!rule->placed &&
        (column > kFarthestCell || column < -kFarthestCell || row > kFarthestCell || row < -kFarthestCell))
        throw LoadError(tooFarMessage(name, column, row));

    if (kind == Record::Player) {
        level.player->setPosition(x, y);
        return;
    }

    if (kind == Record::Bgwater) {
        adopt(level, std::make_unique<Bgwater>(x, y, AnimStrip{}, level.sounds));
        setItemReferences(level);
        return;
    }
    if (kind == Record::Bgitem) {
        const unsigned char key = attributes[2].empty() ? 0 : static_cast<unsigned char>(attributes[2][0]);
        const Cell* prototype = attributes[2].empty() ? nullptr : level.spriteTable.findPrototype(key);
        if (!prototype) throw LoadError(bgitemKeyMessage(attributes[2]));
        AnimStrip strip;
        strip.surface = prototype->sprite;  // borrowed from the prototype
        strip.width = strip.height = kCellSize * scale;
        strip.frameDuration = 1;
        strip.frameCount = 1000;
        adopt(level, std::make_unique<Bgitem>(x, y, strip, level.sounds));
        setItemReferences(level);
        return;
    }

    // The placed items stand in a cell of the grid, which must exist.
    if (row < 0 || row >= static_cast<int>(level.grid.size()) || column < 0 ||
        column >= static_cast<int>(level.grid[row].size()))
        throw LoadError(noSuchCellMessage(name, column, row));

    SDL_Surface* tiles = sheet->get();
    Item* item = nullptr;
    if (kind == Record::Box) {
        item = adopt(level,
                     std::make_unique<Box>(x, y, cutSheetStrip(tiles, sheet::kBox, scale), &level, level.sounds));
    } else if (kind == Record::Heavybox) {
        item = adopt(level, std::make_unique<Heavybox>(x, y, cutSheetStrip(tiles, sheet::kHeavybox, scale), &level,
                                                       level.sounds));
    } else if (kind == Record::Goal) {
        item = adopt(level, std::make_unique<Goal>(x, y, cutSheetStrip(tiles, sheet::kGoal, scale), level.sounds));
    } else {  // treasure
        const AnimStrip base = cutSheetStrip(tiles, sheet::kTreasureBase, scale);
        const AnimStrip treasure = cutSheetStrip(tiles, sheet::kTreasure, scale);
        auto owned = std::make_unique<Treasure>(x, y, base, treasure, level.sounds);
        level.treasures.push_back(owned.get());
        item = adopt(level, std::move(owned));
    }
    level.grid[row][column]->item = item;
    setItemReferences(level);
}
