#pragma once
#include <string>
#include <vector>

#include "level/Vocabulary.h"

#include "gfx/AnimStrip.h"

class Level;
struct SDL_Surface;

// A strip of an item's pictures, cut from the sheet at the level's scale.
AnimStrip cutSheetStrip(SDL_Surface* sheet, const SheetStrip& strip, int scale = 1);

// Optional "./gfx/tileset.png" looked up once per level load and reused by
// every record; placeItem looks it up itself when none is given. The picture
// is borrowed from the picture cache (level/PictureCache.h).
struct ItemSheet {
    SDL_Surface* tileset = nullptr;

    ItemSheet() = default;
    ItemSheet(const ItemSheet&) = delete;
    ItemSheet& operator=(const ItemSheet&) = delete;
    ~ItemSheet();
    // The decoded sheet, loaded on first use (null when it cannot be loaded;
    // that is not reported, and the load is not tried again).
    SDL_Surface* get();

private:
    bool tried = false;
};

// Turns one item record into its effect. Throws LoadError.
void placeItem(Level& level, const std::string& name, const std::vector<std::string>& attributes,
               ItemSheet* sheet = nullptr);
