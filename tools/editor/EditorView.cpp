// The editor's picture: the level, the palette, status lines, help and problems.
#include "editor/Editor.h"

#include <algorithm>

#include "editor/EditorLayout.h"
#include "editor/Panel.h"
#include "editor/TextDraw.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/PictureCache.h"
#include "play/View.h"

using namespace editorlayout;

namespace {

const char* const kHelp[] = {
    "vorrel level editor: keys and mouse",
    "",
    "left button         paint the choice into the cell (click or drag)",
    "shift+left drag     fill a rectangle with the chosen cell",
    "right button        clear: remove the item, or make the cell open",
    "middle, ctrl+left   pick up what is in the cell; dragged, select cells",
    "drag the selection  move it with its items",
    "ctrl+c, ctrl+x      copy, cut the selection",
    "ctrl+v              paste: the block follows the mouse, a click puts it",
    "f                   flood: the chosen cell over the same cells joined",
    "tab, shift+tab      next, previous in the palette (also the wheel)",
    "1 to 9, 0           choose the first ten entries (shift: the next ten)",
    "click the palette   choose",
    "g                   grid over the level",
    "+ and -             the player's bombs, 0 to 9",
    "t                   next theme",
    "ctrl+z              undo",
    "ctrl+y, ctrl+shift+z  redo",
    "ctrl+s              save (the file as opened is kept as .bak)",
    "ctrl+shift+s        save as: a new name, typed (tab: another folder)",
    "ctrl+o              open another level: a list of level files",
    "f1                  this help",
    "f2                  every problem, with its cells marked",
    "f5                  test-play (r starts again; escape, a win or a death ends)",
    "shift+f5            test-play from the cell under the mouse",
    "h in test-play      hint: can the level still be won from here, and how",
    "f6                  solve: can the level be won? (escape cancels; f6 again goes on)",
    "f7, shift+f7        play the solver's solution; at 4x",
    "f8                  share: the level's link (with a winning tape) in LEVEL.link",
    "escape              cancel a paste or selection; close (asks if unsaved)",
    "ctrl+q              close (asks when there are unsaved changes)",
    "",
    "every item has a cell of its own; there is always one player.",
    "the level is checked after every change: see the last line below.",
};

// Held around many getPixel calls: each would otherwise lock and unlock the
// surface, and unlocking a run-length encoded surface encodes it again.
class PixelLock {
public:
    explicit PixelLock(SDL_Surface* surface) : surface(surface) {
        if (surface && SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) this->surface = nullptr;
    }
    ~PixelLock() {
        if (surface && SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    }
    PixelLock(const PixelLock&) = delete;
    PixelLock& operator=(const PixelLock&) = delete;

private:
    SDL_Surface* surface;
};

// A 24 x 24 picture of the w x h area at (sx, sy) of source, see-through
// pixels left as background; null source gives a plain square of fallback.
SDL_Surface* makeIcon(SDL_Surface* screen, SDL_Surface* source, int sx, int sy, int w, int h, Uint32 background,
                      Uint32 fallback) {
    SDL_Surface* icon = SDL_CreateRGBSurface(SDL_SWSURFACE, kIconSize, kIconSize, screen->format->BitsPerPixel,
                                             screen->format->Rmask, screen->format->Gmask, screen->format->Bmask, 0);
    if (!icon) return nullptr;
    fillRect(icon, 0, 0, kIconSize, kIconSize, background);
    bool drawn = false;
    if (source) {
        PixelLock lock(source);
        for (int y = 0; y < kIconSize; ++y)
            for (int x = 0; x < kIconSize; ++x) {
                const int px = sx + x * w / kIconSize, py = sy + y * h / kIconSize;
                if (px < 0 || py < 0 || px >= source->w || py >= source->h) continue;
                Uint8 r, g, b;
                SDL_GetRGB(getPixel(source, px, py), source->format, &r, &g, &b);
                if (r == 255 && g == 0 && b == 255) continue;
                putPixel(icon, x, y, SDL_MapRGB(icon->format, r, g, b));
                drawn = true;
            }
    }
    if (!drawn) fillRect(icon, 4, 4, kIconSize - 8, kIconSize - 8, fallback);
    return icon;
}

bool decorationKey(const ThemeKey& k) {
    const unsigned char key = static_cast<unsigned char>(k.key);
    return k.passable && key != kOpenKey && key != kLadderKey && key != kWaterKey && key != kRubbleKey;
}

} // namespace

bool editorlayout::coversCell(SDL_Surface* sprite) {
    if (!sprite || sprite->w < kCellSize || sprite->h < kCellSize) return false;
    PixelLock lock(sprite);
    for (int y = 0; y < kCellSize; ++y)
        for (int x = 0; x < kCellSize; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(getPixel(sprite, x, y), sprite->format, &r, &g, &b);
            if (r == 255 && g == 0 && b == 255) return false;
        }
    return true;
}

void Editor::choose(const Piece& piece) {
    current = piece;
    if (paletteIndex() < 0 && !palette.empty()) current = palette[0].piece;
}

int Editor::paletteIndex() const {
    for (size_t i = 0; i < palette.size(); ++i)
        if (palette[i].piece == current) return static_cast<int>(i);
    return -1;
}

void Editor::rebuildPalette() {
    for (PaletteEntry& entry : palette) SDL_FreeSurface(entry.icon);
    palette.clear();
    paletteTileset = doc.text.tilesetPath;
    const Uint32 background = rgb(screen, 24, 24, 32);
    auto cellIcon = [&](char key) {
        const Cell* prototype = level ? level->spriteTable.findPrototype(static_cast<unsigned char>(key)) : nullptr;
        const Uint32 fallback = key == static_cast<char>(kWaterKey) ? rgb(screen, 40, 90, 200)
                                                                    : rgb(screen, 90, 90, 90);
        return makeIcon(screen, prototype ? prototype->sprite : nullptr, 0, 0, kCellSize, kCellSize, background,
                        fallback);
    };
    for (const ThemeKey& k : doc.keys) palette.push_back({Piece{PieceKind::Cell, k.key}, cellIcon(k.key)});
    const Uint32 grey = rgb(screen, 160, 160, 160);
    palette.push_back(
        {Piece{PieceKind::Player, 0}, makeIcon(screen, cachedPicture("gfx/player.png"), 0, kPlayerStripLayouts[0].top,
                                               kCellSize, kCellSize, background, grey)});
    // The sheet is borrowed from the cache: cut every item from it at once.
    SDL_Surface* sheet = cachedPicture(kItemSheetPath);
    for (PieceKind kind : {PieceKind::Goal, PieceKind::Gem, PieceKind::Crate, PieceKind::Heavy, PieceKind::Bombs}) {
        const SheetStrip& picture = *pictureOf(kind);
        // A tall picture (the door) is shown without the empty top of its arch.
        const int top = picture.height > kCellSize ? 8 : 0;
        palette.push_back({Piece{kind, 0}, makeIcon(screen, sheet, picture.x(), picture.y() + top, picture.width,
                                                    picture.height - top, background, grey)});
    }
    for (const ThemeKey& k : doc.keys)
        if (decorationKey(k)) palette.push_back({Piece{PieceKind::Decoration, k.key}, cellIcon(k.key)});
    choose(current);
}

void Editor::cyclePalette(int step) {
    if (palette.empty()) return;
    const int n = static_cast<int>(palette.size());
    int index = paletteIndex();
    index = ((index < 0 ? 0 : index) + step % n + n) % n;
    current = palette[index].piece;
    say("");
}

std::string Editor::checkLine(int& tone) const {
    tone = 0;
    for (const Problem& problem : problems) tone = std::max(tone, problem.message.error ? 2 : 1);
    if (verdict.empty()) return lintSummary();
    tone = std::max(tone, verdictTone);
    return verdict + "; " + (problems.empty() ? std::string("no other problems") : lintSummary());
}

std::string Editor::statusLine() const {
    std::string line = "paint: " + doc.nameOf(current);
    if (doc.inside(hoverColumn, hoverRow)) {
        line += "    cell " + std::to_string(hoverColumn) + "," + std::to_string(hoverRow) + ": ";
        const Piece there = doc.pick(hoverColumn, hoverRow);
        line += there.kind == PieceKind::Cell ? doc.nameOf(there.key) : doc.nameOf(there);
    }
    line += "    bombs: " + std::to_string(doc.bombs()) + "    ";
    // The path gives way from the left: its end names the file, and
    // "(unsaved)" must always show.
    const std::string unsaved = modified() ? " (unsaved)" : "";
    const int room = screen->w - 8 - smallTextWidth("f1 help") - 8 - smallTextWidth(line + unsaved);
    return line + fitStart(path, room) + unsaved;
}

void Editor::updateToolbar() {
    Toolbar& t = toolbar;
    if (!t.stale && t.choice == current && t.column == hoverColumn && t.row == hoverRow && t.madeNote == note &&
        t.madePath == path)
        return;
    t.status = statusLine();
    t.note = fitEnd(note, screen->w - 8);
    t.check = fitEnd(checkLine(t.tone), screen->w - 8);
    t.bombs = std::to_string(doc.bombs());
    t.choice = current;
    t.column = hoverColumn;
    t.row = hoverRow;
    t.madeNote = note;
    t.madePath = path;
    t.stale = false;
}

namespace {

// Where a problem is: "cell 3,4: ", "row 2: " or nothing for the whole level.
std::string problemPlace(const Problem& problem) {
    if (problem.row < 0) return "";
    return (problem.column < 0 ? "row " + std::to_string(problem.row)
                               : "cell " + std::to_string(problem.column) + "," + std::to_string(problem.row)) +
           ": ";
}

std::string problemLine(const Problem& problem) {
    return (problem.message.error ? "error: " : "warning: ") + problemPlace(problem) + problem.message.text;
}

} // namespace

std::string Editor::lintSummary() const {
    if (problems.empty()) return "no problems";
    return std::to_string(problems.size()) + (problems.size() == 1 ? " problem" : " problems") + " (f2 lists them): " +
           problemLine(problems[0]);
}

void Editor::listProblems() {
    problemLines.clear();
    for (const Problem& problem : problems) problemLines.push_back(problemLine(problem));
}

void Editor::draw() {
    if (level) {
        if (level->backdrop) blitRect(level->backdrop, screen, 0, 0, screen->w, screen->h, 0, 0);
        for (Item* item : level->items)
            if (item) item->draw(level->scale);
        level->player->draw(screen, 1);
        drawCells(*level, 0);
    } else {
        fillRect(screen, 0, 0, screen->w, screen->h, rgb(screen, 0, 0, 0));
    }
    if (gridShown) {
        const Uint32 line = rgb(screen, 90, 90, 110);
        for (int x = kCellSize; x < doc.columns() * kCellSize && x < screen->w; x += kCellSize)
            fillRect(screen, x, 0, 1, kLevelHeight, line);
        for (int y = kCellSize; y < kLevelHeight; y += kCellSize) fillRect(screen, 0, y, screen->w, 1, line);
    }
    drawRegion();
    if (hoverColumn >= 0 && doc.inside(hoverColumn, hoverRow) && !helpShown)
        frameRect(screen, hoverColumn * kCellSize, hoverRow * kCellSize, kCellSize, kCellSize, 1,
                  rgb(screen, 255, 255, 255));
    if (problemsShown) drawProblems();
    if (helpShown) drawHelp();
    drawToolbar();
}

void Editor::drawToolbar() {
    const int top = kLevelHeight;
    fillRect(screen, 0, top, screen->w, screen->h - top, rgb(screen, 24, 24, 32));
    fillRect(screen, 0, top, screen->w, 1, rgb(screen, 255, 255, 255));
    fillRect(screen, 0, top + 2, screen->w, 1, rgb(screen, 64, 64, 64));
    updateToolbar();
    const int chosen = paletteIndex();
    for (size_t i = 0; i < palette.size(); ++i) {
        const int x = 4 + static_cast<int>(i) * kIconStep;
        if (palette[i].icon) blitRect(palette[i].icon, screen, 0, 0, kIconSize, kIconSize, x, kIconTop);
        if (palette[i].piece.kind == PieceKind::Bombs)
            drawSmallText(screen, x + 16, kIconTop + 16, toolbar.bombs, rgb(screen, 255, 255, 255));
        if (static_cast<int>(i) == chosen)
            frameRect(screen, x - 1, kIconTop - 1, kIconSize + 2, kIconSize + 2, 1, rgb(screen, 255, 220, 0));
    }
    drawSmallText(screen, 4, 448, toolbar.status, rgb(screen, 230, 230, 230));
    drawSmallText(screen, 4, 458, toolbar.note, rgb(screen, 255, 220, 0));
    drawSmallText(screen, 4, 468, toolbar.check,
                  toolbar.tone == 0   ? rgb(screen, 120, 230, 120)
                  : toolbar.tone == 2 ? rgb(screen, 255, 90, 90)
                                      : rgb(screen, 255, 170, 60));
    drawSmallText(screen, screen->w - smallTextWidth("f1 help") - 4, 448, "f1 help", rgb(screen, 150, 150, 170));
}

void Editor::drawHelp() {
    const int lines = static_cast<int>(sizeof kHelp / sizeof kHelp[0]);
    const int h = lines * 11 + 16;
    drawPanel(screen, 40, 24, 560, h, rgb(screen, 255, 220, 0));
    for (int i = 0; i < lines; ++i) {
        // "KEYS   what they do": the second column starts at one place.
        const std::string_view line = kHelp[i];
        const size_t gap = line.find("  ");
        const Uint32 colour = i == 0 ? rgb(screen, 255, 220, 0) : rgb(screen, 230, 230, 230);
        if (gap == std::string::npos) {
            drawSmallText(screen, 52, 32 + i * 11, line, colour);
            continue;
        }
        drawSmallText(screen, 52, 32 + i * 11, line.substr(0, gap), rgb(screen, 150, 200, 255));
        drawSmallText(screen, 200, 32 + i * 11, line.substr(line.find_first_not_of(' ', gap)), colour);
    }
}

void Editor::drawProblems() {
    const Uint32 red = rgb(screen, 255, 60, 60);
    for (const Problem& problem : problems) {
        if (problem.row < 0) continue;
        if (problem.column >= 0)
            frameRect(screen, problem.column * kCellSize, problem.row * kCellSize, kCellSize, kCellSize, 1, red);
        else
            frameRect(screen, 0, problem.row * kCellSize, doc.columns() * kCellSize, kCellSize, 1, red);
    }
    const int shown = static_cast<int>(problems.size() < 20 ? problems.size() : 20);
    const int h = (shown ? shown : 1) * 11 + 14;
    drawPanel(screen, 8, 8, 624, h, red);
    if (problems.empty())
        drawSmallText(screen, 16, 15, "no problems: the level passes every check", rgb(screen, 120, 230, 120));
    for (int i = 0; i < shown; ++i)
        drawSmallText(screen, 16, 15 + i * 11, problemLines[static_cast<size_t>(i)],
                      problems[i].message.error ? red : rgb(screen, 255, 170, 60));
}
