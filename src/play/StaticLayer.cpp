#include "play/StaticLayer.h"

#include "entities/Player.h"
#include "gfx/SurfaceFields.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "play/HudLayout.h"
#include "play/View.h"

namespace {

// A surface in the screen's layout, blitted both ways as a plain copy.
bool makeScreenLike(SDL_Surface*& surface, SDL_Surface* screen, int w, int h) {
    if (surface && (surface->w != w || surface->h != h || !sameLayout(surface->format, screen->format))) {
        SDL_FreeSurface(surface);
        surface = nullptr;
    }
    if (!surface) {
        const SDL_PixelFormat* f = screen->format;
        surface = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask);
        if (!surface) return false;
        SDL_SetAlpha(surface, 0, SDL_ALPHA_OPAQUE);
    }
    return true;
}

// The first row of the heads-up display, or -1 when what drawHud draws is
// not one opaque band at the bottom of the screen: the bar is black across
// its full width, and the icons and the status bar must lie inside it.
int hudTop(const Level& level) {
    const int top = level.screen->h - hud::kBandHeight * level.scale;
    return top >= 0 && top <= hud::kFixedTop && level.scale >= 1 ? top : -1;
}

} // namespace

StaticLayer::StaticLayer(Level& level) : level(level) {}

StaticLayer::~StaticLayer() {
    watchDrawing(nullptr);
    SDL_FreeSurface(picture);
    SDL_FreeSurface(hud);
}

bool StaticLayer::prepare() {
    SDL_Surface* screen = level.screen;
    pictureValid = hudValid = false;
    madeFor = nullptr;
    // Without a backdrop covering the screen the play shows what the last
    // frame left behind, which no kept picture can stand for.
    if (!screen || !level.backdrop || level.backdrop->w < screen->w || level.backdrop->h < screen->h) return false;
    if (!makeScreenLike(picture, screen, screen->w, screen->h)) return false;
    const int top = hudTop(level);
    if (top >= 0) makeScreenLike(hud, screen, screen->w, screen->h - top);
    madeFor = screen;
    columns = (screen->w + kCellSize - 1) / kCellSize;
    rows = (screen->h + kCellSize - 1) / kCellSize;
    composed.assign(static_cast<size_t>(columns) * rows, nullptr);
    visible.assign(composed.size(), false);
    marks.assign(composed.size(), 0);
    frame = 0;
    // Every sprite a cell can have during the play, looked at now: reading
    // an encoded sprite's pixels means decoding it.
    sprites.clear();
    for (const Cell* prototype : level.spriteTable.prototypes)
        if (prototype && prototype->sprite) noteSprite(prototype->sprite);
    for (const auto& row : level.grid)
        for (const Cell* cell : row)
            if (cell && cell->sprite) noteSprite(cell->sprite);
    return true;
}

void StaticLayer::noteSprite(SDL_Surface* sprite) {
    for (const auto& seen : sprites)
        if (seen.first == sprite) return;
    bool opaque = !(sprite->flags & SDL_SRCCOLORKEY);
    const uint32_t key = colorKeyOf(sprite);
    for (int y = 0; y < sprite->h && !opaque; ++y)
        for (int x = 0; x < sprite->w && !opaque; ++x) opaque = getPixel(sprite, x, y) != key;
    sprites.emplace_back(sprite, opaque);
}

// Most of a level is air, whose picture is all see-through: putting it back
// would cost a blit and change nothing. A sprite not looked at is drawn.
bool StaticLayer::drawsSomething(const SDL_Surface* sprite) const {
    for (const auto& seen : sprites)
        if (seen.first == sprite) return seen.second;
    return true;
}

bool StaticLayer::upToDate(bool selectMode, int availableLevels, int page) const {
    if (!pictureValid || select != selectMode) return false;
    if (selectMode && (available != availableLevels || shownPage != page - level.pageShift)) return false;
    for (int r = 0; r < rows; ++r) {
        const std::vector<Cell*>* row = static_cast<size_t>(r) < level.grid.size() ? &level.grid[r] : nullptr;
        for (int c = 0; c < columns; ++c) {
            const Cell* cell = row && static_cast<size_t>(c) < row->size() ? (*row)[c] : nullptr;
            if (composed[r * columns + c] != cell) return false;
        }
    }
    return true;
}

void StaticLayer::compose(bool selectMode, int availableLevels, int page) {
    SDL_Surface* screen = level.screen;
    blitRect(level.backdrop, screen, 0, 0, screen->w, screen->h, 0, 0);
    if (selectMode) drawSelectionOverlay(level, availableLevels, page);
    drawCellSprites(level);
    if (!copyRows(screen, 0, picture, 0, screen->h)) blitRect(screen, picture, 0, 0, screen->w, screen->h, 0, 0);

    select = selectMode;
    available = availableLevels;
    shownPage = page - level.pageShift;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const bool inGrid = static_cast<size_t>(r) < level.grid.size() &&
                                static_cast<size_t>(c) < level.grid[r].size();
            const Cell* cell = inGrid ? level.grid[r][c] : nullptr;
            composed[r * columns + c] = cell;
            visible[r * columns + c] = cell && !cell->liquid && cell->sprite && drawsSomething(cell->sprite);
        }
    pictureValid = true;
}

bool StaticLayer::drawUnder(bool selectMode, int availableLevels, int page) {
    if (madeFor != level.screen && !prepare()) return false;
    if (!upToDate(selectMode, availableLevels, page))
        compose(selectMode, availableLevels, page);
    else if (!copyRows(picture, 0, level.screen, 0, picture->h))
        blitRect(picture, level.screen, 0, 0, picture->w, picture->h, 0, 0);
    drawn.target = level.screen;
    watchDrawing(&drawn);
    return true;
}

void StaticLayer::redrawCellsIn(const SDL_Rect& area) {
    const int c0 = area.x / kCellSize, r0 = area.y / kCellSize;
    int c1 = (area.x + area.w - 1) / kCellSize, r1 = (area.y + area.h - 1) / kCellSize;
    if (c1 >= columns) c1 = columns - 1;
    if (r1 >= rows) r1 = rows - 1;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            const size_t at = static_cast<size_t>(r) * columns + c;
            if (marks[at] == frame) continue;
            marks[at] = frame;
            if (visible[at])
                blitRect(composed[at]->sprite, level.screen, 0, 0, kCellSize, kCellSize, kCellSize * c, kCellSize * r);
        }
}

void StaticLayer::drawOver(int timeOffset) {
    watchDrawing(nullptr);
    // The picture holds the cells as they were: if anything changed them
    // during the updates, or too much was drawn to keep track of, all of the
    // grid is drawn again (and the next frame composes anew).
    if (drawn.overflowed || !upToDate(select, available, shownPage + level.pageShift)) {
        drawCellSprites(level);
    } else {
        if (++frame == 0) {
            marks.assign(marks.size(), 0);
            frame = 1;
        }
        for (int i = 0; i < drawn.count; ++i) redrawCellsIn(drawn.areas[i]);
    }
    drawWaterSquares(level, timeOffset);
}

void StaticLayer::drawHud() {
    SDL_Surface* screen = level.screen;
    const int top = hudTop(level);
    const unsigned bombs = level.player ? level.player->bombsLeft() : 0;
    if (hud && top >= 0 && hudValid && hudBombs == bombs && hudBarUsed == level.hudBar && hud->w == screen->w &&
        hud->h == screen->h - top) {
        if (!copyRows(hud, 0, screen, top, hud->h)) blitRect(hud, screen, 0, 0, hud->w, hud->h, 0, top);
        return;
    }
    ::drawHud(level);
    // A missing status bar picture is looked for again every frame, as drawHud does.
    hudValid = hud && top >= 0 && level.hudBar && hud->w == screen->w && hud->h == screen->h - top;
    if (!hudValid) return;
    if (!copyRows(screen, top, hud, 0, hud->h)) blitRect(screen, hud, 0, top, hud->w, hud->h, 0, 0);
    hudBombs = bombs;
    hudBarUsed = level.hudBar;
}
