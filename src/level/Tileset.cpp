#include "level/Tileset.h"

#include <climits>
#include <memory>

#include "entities/Player.h"
#include "gfx/AnimStrip.h"
#include "gfx/Surface.h"
#include "level/LoadError.h"
#include "level/LoadMessages.h"
#include "level/PictureCache.h"
#include "level/TilesetText.h"
#include "level/Vocabulary.h"

namespace {

static_assert(sizeof kPlayerStripLayouts / sizeof kPlayerStripLayouts[0] == PlayerStripCount,
              "a layout for each of the player's strips");

constexpr bool sheetHoldsEveryStrip() {
    for (const PlayerStripLayout& layout : kPlayerStripLayouts)
        if (layout.frames * layout.frameWidth > kPlayerSheetWidth || layout.top + layout.frameHeight > kPlayerSheetHeight)
            return false;
    return true;
}
static_assert(sheetHoldsEveryStrip(), "the smallest player sheet must hold every strip");

// One tile of the tileset image as a colour-keyed display-format sprite. The
// square is copied unscaled: at a larger scale it fills the top-left corner.
SDL_Surface* cutTile(SDL_Surface* tileset, long long sx, long long sy, int scale) {
    SDL_Surface* tile = SDL_CreateRGBSurface(SDL_HWSURFACE, kCellSize * scale, kCellSize * scale, 32, 0xFF000000, 0x00FF0000,
                                             0x0000FF00, 0x000000FF);
    if (!tile) return nullptr;
    SDL_SetColorKey(tile, SDL_SRCCOLORKEY, SDL_MapRGB(tile->format, 255, 0, 255));
    // A place beyond the int range lies outside any picture: the tile stays
    // blank, as it does for any place outside the picture.
    const bool reachable = sx >= INT_MIN && sx <= INT_MAX && sy >= INT_MIN && sy <= INT_MAX;
    if (tileset && reachable) blitRect(tileset, tile, static_cast<int>(sx), static_cast<int>(sy), kCellSize, kCellSize, 0, 0);
    SDL_Surface* sprite = SDL_DisplayFormat(tile);
    if (!sprite) return tile;  // no video mode yet: keep the unconverted copy
    SDL_FreeSurface(tile);
    // Run-length encoded: decorations drawn as items use these every frame.
    encodeForScreen(sprite);
    return sprite;
}

} // namespace

void buildPlayerStrips(SDL_Surface* sheet, Player& player, int scale) {
    for (int index = 0; index < PlayerStripCount; ++index) {
        const PlayerStripLayout& layout = kPlayerStripLayouts[index];
        player.setStrip(index, cutStrip(sheet, 0, static_cast<unsigned>(layout.top / kCellSize), layout.frames, scale,
                                        layout.frameDuration, layout.frameWidth, layout.frameHeight, 0));
    }
}

void identifySprites(SpriteTable& table, const std::string& path, Player& player, int scale) {
    TilesetText description;
    readTilesetFile(path, description);

    // A tileset image that cannot be loaded is not reported; its cells stay blank.
    SDL_Surface* tileset = cachedPicture(description.imagePath);

    SDL_Surface* sheet = cachedPicture(description.sheetPath);
    if (!sheet) throw LoadError(playerSheetMissingMessage(description.sheetPath));

    buildPlayerStrips(sheet, player, scale);
    for (const AnimStrip& strip : player.strips)
        if (strip.surface) table.playerStrips.push_back(strip.surface);

    for (const TileEntry& entry : description.entries) {
        if (table.findPrototype(entry.key)) throw LoadError(keyNotUniqueMessage(entry.key));

        auto prototype = std::make_unique<Cell>();
        prototype->sprite = cutTile(tileset, static_cast<long long>(entry.column) * description.stepX,
                                    static_cast<long long>(entry.row) * description.stepY, scale);
        prototype->passable = entry.passable;
        prototype->deadly = prototype->liquid = entry.key == kWaterKey;
        prototype->ladder = entry.key == kLadderKey;
        table.prototypes[entry.key] = prototype.release();
    }
}
