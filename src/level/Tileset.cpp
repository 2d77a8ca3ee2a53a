#include "level/Tileset.h"

#include <climits>
#include <memory>

#include "entities/Player.h"
#include "gfx/AnimStrip.h"
#include "gfx/Surface.h"
#include "level/LoadError.h"
#include "level/LoadMessages.h"
#include "level/PictureCache.h"
#include "level/TextReader.h"

namespace {

// Where each of the player's strips lies on the player sheet.
struct StripLayout {
    int index;
    int top;  // pixels at scale 1; always a whole number of 32-pixel tiles
    int frameWidth;
    int frameHeight;
    int frames;
    int frameDuration;
};

constexpr StripLayout kPlayerStrips[] = {
    {WalkRight, 64, 32, 32, 10, 1},       {WalkLeft, 96, 32, 32, 10, 1},
    {JumpLeft, 416, 32, 32, 9, 6},        {JumpRight, 384, 32, 32, 9, 6},
    {PlaceBombLeft, 352, 32, 32, 9, 100}, {PlaceBombRight, 320, 32, 32, 9, 100},
    {StepUpLeft, 256, 64, 64, 9, 3},      {StepUpRight, 192, 64, 64, 9, 3},
    {PushLeft, 480, 32, 32, 6, 3},        {PushRight, 448, 32, 32, 6, 3},
    {LadderStrip, 512, 32, 32, 6, 11},
};

constexpr bool sheetHoldsEveryStrip() {
    for (const StripLayout& layout : kPlayerStrips)
        if (layout.frames * layout.frameWidth > kPlayerSheetWidth || layout.top + layout.frameHeight > kPlayerSheetHeight)
            return false;
    return true;
}
static_assert(sheetHoldsEveryStrip(), "the smallest player sheet must hold every strip");

// One tile of the tileset image as a colour-keyed display-format sprite. The
// square is copied unscaled: at a larger scale it fills the top-left corner.
SDL_Surface* cutTile(SDL_Surface* tileset, long long sx, long long sy, int scale) {
    SDL_Surface* tile = SDL_CreateRGBSurface(SDL_HWSURFACE, 32 * scale, 32 * scale, 32, 0xFF000000, 0x00FF0000,
                                             0x0000FF00, 0x000000FF);
    if (!tile) return nullptr;
    SDL_SetColorKey(tile, SDL_SRCCOLORKEY, SDL_MapRGB(tile->format, 255, 0, 255));
    // A place beyond the int range lies outside any picture: the tile stays
    // blank, as it does for any place outside the picture.
    const bool reachable = sx >= INT_MIN && sx <= INT_MAX && sy >= INT_MIN && sy <= INT_MAX;
    if (tileset && reachable) blitRect(tileset, tile, static_cast<int>(sx), static_cast<int>(sy), 32, 32, 0, 0);
    SDL_Surface* sprite = SDL_DisplayFormat(tile);
    if (!sprite) return tile;  // no video mode yet: keep the unconverted copy
    SDL_FreeSurface(tile);
    // Run-length encoded: decorations drawn as items use these every frame.
    encodeForScreen(sprite);
    return sprite;
}

} // namespace

void buildPlayerStrips(SDL_Surface* sheet, Player& player, int scale) {
    for (const StripLayout& layout : kPlayerStrips)
        player.setStrip(layout.index, cutStrip(sheet, 0, static_cast<unsigned>(layout.top / 32), layout.frames,
                                               scale, layout.frameDuration, layout.frameWidth,
                                               layout.frameHeight, 0));
}

void identifySprites(SpriteTable& table, const std::string& path, Player& player, int scale) {
    TextReader reader = TextReader::fromFile(path);

    std::string tilesetPath;
    reader.getLine(tilesetPath);
    unsigned stepX = 0, stepY = 0;
    reader.readUnsigned(stepX);
    reader.readUnsigned(stepY);
    reader.skipLine();

    // A tileset image that cannot be loaded is not reported; its cells stay blank.
    SDL_Surface* tileset = cachedPicture(tilesetPath);

    std::string sheetPath;
    reader.getLine(sheetPath);
    SDL_Surface* sheet = cachedPicture(sheetPath);
    if (!sheet) throw LoadError(playerSheetMissingMessage(sheetPath));

    buildPlayerStrips(sheet, player, scale);
    for (const AnimStrip& strip : player.strips)
        if (strip.surface) table.playerStrips.push_back(strip.surface);

    // Fields missing from an entry line keep the previous entry's values.
    unsigned char key = ' ';
    bool passable = false;
    int column = 0, row = 0;
    std::string line;
    while (reader.getLine(line)) {
        FieldReader fields(line);
        fields.readByte(key);
        fields.readFlag(passable);
        fields.readInt(column);
        fields.readInt(row);

        if (table.findPrototype(key))
            throw LoadError(keyNotUniqueMessage(key));

        auto prototype = std::make_unique<Cell>();
        prototype->sprite = cutTile(tileset, static_cast<long long>(column) * stepX,
                                    static_cast<long long>(row) * stepY, scale);
        prototype->passable = passable;
        prototype->deadly = prototype->liquid = key == '$';
        prototype->ladder = key == '?';
        table.prototypes[key] = prototype.release();
    }
}
