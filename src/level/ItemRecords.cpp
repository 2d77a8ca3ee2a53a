#include "level/ItemRecords.h"

#include <algorithm>
#include <climits>
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
#include "level/PictureCache.h"
#include "platform/FileRead.h"

ItemSheet::~ItemSheet() = default;

SDL_Surface* ItemSheet::get() {
    if (!tileset && !tried) tileset = cachedPicture(kItemSheetPath);
    tried = true;
    return tileset;
}

int parseInt(const std::string& word) {
    size_t pos = 0;
    bool negative = false;
    if (pos < word.size() && (word[pos] == '+' || word[pos] == '-')) negative = word[pos++] == '-';
    long long value = 0;
    bool digits = false;
    for (; pos < word.size() && word[pos] >= '0' && word[pos] <= '9'; ++pos) {
        digits = true;
        value = value * 10 + (word[pos] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return 0;
    }
    if (!digits) return 0;
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return 0;
    return static_cast<int>(value);
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

AnimStrip cut(SDL_Surface* sheet, unsigned column, unsigned row, int frames, int duration, int width, int height,
              int scale) {
    return cutStrip(sheet, column, row, frames, scale, duration, width, height, 0);
}

} // namespace

void placeItem(Level& level, const std::string& name, const std::vector<std::string>& attributes,
               ItemSheet* sheet) {
    const size_t count = attributes.size();
    if (!isKnownRecord(name, count)) throw LoadError(unknownRecordMessage(name, count));

    if (name == "water") return;
    if (name == "box") {
        // Read as numbers and dropped: an older kind of record kept for old files.
        (void)parseInt(attributes[0]);
        (void)parseInt(attributes[1]);
        return;
    }

    ItemSheet ownSheet;
    if (!sheet) sheet = &ownSheet;
    const int scale = level.scale;

    if (name == "bomb") {
        const int bombs = parseInt(attributes[0]);
        if (bombs < 0) throw LoadError(negativeBombMessage(bombs), true);
        if (bombs == 0) return;
        if (static_cast<size_t>(bombs) > kMaxItems - std::min(kMaxItems, level.items.size()))
            throw LoadError(tooManyItemsMessage(name));
        const Cell* rubble = level.spriteTable.findPrototype(kRubbleKey);
        if (!rubble) throw LoadError(noRubbleMessage());
        SDL_Surface* tiles = sheet->get();
        const AnimStrip waiting = cut(tiles, 2, 3, 5, 1000, 32, 32, scale);
        const AnimStrip blast = cut(tiles, 0, 10, 9, 100, 96, 64, scale);
        // All bombs of the record share the two strips; the first frees them.
        for (int i = 0; i < bombs; ++i) {
            Bomb* bomb =
                adopt(level, std::make_unique<Bomb>(0, 0, waiting, blast, rubble, level.sounds, i == 0));
            level.player->addBomb(bomb);
            setItemReferences(level);
        }
        return;
    }

    if (name != "plr" && level.items.size() >= kMaxItems) throw LoadError(tooManyItemsMessage(name));

    const int column = parseInt(attributes[0]);
    const int row = parseInt(attributes[1]);
    const double x = column * 32.0;
    const double y = row * 32.0;

    // The player and the background items may stand outside the grid, but not
    // so far that their pixel positions leave the int range when drawn. No
    // level file can hold a grid this wide, so no real position is refused.
    if ((name == "plr" || name == "bgitem") &&
        (column > kFarthestCell || column < -kFarthestCell || row > kFarthestCell || row < -kFarthestCell))
        throw LoadError(tooFarMessage(name, column, row));

    if (name == "plr") {
        level.player->setPosition(x, y);
        return;
    }

    if (name == "bgitem") {
        if (count == 4) {
            adopt(level, std::make_unique<Bgwater>(x, y, AnimStrip{}, level.sounds));
        } else {
            const unsigned char key = attributes[2].empty() ? 0 : static_cast<unsigned char>(attributes[2][0]);
            const Cell* prototype = attributes[2].empty() ? nullptr : level.spriteTable.findPrototype(key);
            if (!prototype)
                throw LoadError(bgitemKeyMessage(attributes[2]));
            AnimStrip strip;
            strip.surface = prototype->sprite;  // borrowed from the prototype
            strip.width = strip.height = 32 * scale;
            strip.frameDuration = 1;
            strip.frameCount = 1000;
            adopt(level, std::make_unique<Bgitem>(x, y, strip, level.sounds));
        }
        setItemReferences(level);
        return;
    }

    // The placed items stand in a cell of the grid, which must exist.
    if (row < 0 || row >= static_cast<int>(level.grid.size()) || column < 0 ||
        column >= static_cast<int>(level.grid[row].size()))
        throw LoadError(noSuchCellMessage(name, column, row));

    SDL_Surface* tiles = sheet->get();
    Item* item = nullptr;
    if (name == "wooden_box") {
        item = adopt(level, std::make_unique<Box>(x, y, cut(tiles, 0, 6, 1, 1000, 32, 32, scale), &level,
                                                  level.sounds));
    } else if (name == "heavy_box") {
        item = adopt(level, std::make_unique<Heavybox>(x, y, cut(tiles, 1, 7, 1, 1000, 32, 32, scale), &level,
                                                       level.sounds));
    } else if (name == "goal") {
        item = adopt(level, std::make_unique<Goal>(x, y, cut(tiles, 3, 7, 5, 400, 32, 64, scale), level.sounds));
    } else {  // treasure
        const AnimStrip base = cut(tiles, 8, 6, 1, 1024, 32, 32, scale);
        const AnimStrip treasure = cut(tiles, 1, 6, 6, 166, 32, 32, scale);
        auto owned = std::make_unique<Treasure>(x, y, base, treasure, level.sounds);
        level.treasures.push_back(owned.get());
        item = adopt(level, std::move(owned));
    }
    level.grid[row][column]->item = item;
    setItemReferences(level);
}
