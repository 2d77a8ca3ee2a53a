#include "editor/Editor.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/SoundBank.h"
#include "editor/LevelFiles.h"
#include "editor/SolveJob.h"
#include "editor/TextDraw.h"
#include "entities/Goal.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/ItemRecords.h"
#include "level/LoadError.h"
#include "level/PictureCache.h"
#include "platform/Events.h"
#include "platform/FileRead.h"
#include "platform/Platform.h"
#include "play/PlayLoop.h"
#include "play/View.h"

namespace {

constexpr int kLevelHeight = 416;
constexpr int kIconSize = 24;
constexpr int kIconStep = 26;
constexpr int kIconTop = 421;
// Seconds of one F6 search; F6 again after an undecided one adds as many.
constexpr double kSolveSeconds = 60;

const char* const kHelp[] = {
    "vorrel level editor: keys and mouse",
    "",
    "left button         paint the choice into the cell (click or drag)",
    "right button        clear: remove the item, or make the cell open",
    "middle, ctrl+left   pick up what is in the cell",
    "tab, shift+tab      next, previous in the palette (also the wheel)",
    "click the palette   choose",
    "+ and -             the player's bombs, 0 to 9",
    "t                   next theme",
    "ctrl+z              undo",
    "ctrl+y, ctrl+shift+z  redo",
    "ctrl+s              save (the old file is kept as .bak)",
    "f1                  this help",
    "f2                  every problem, with its cells marked",
    "f5                  test-play (escape, a win or a death comes back)",
    "f6                  solve: can the level be won? (escape cancels; f6 again goes on)",
    "f7                  play the solver's solution",
    "f8                  share: the level's link (with a winning tape) in LEVEL.link",
    "escape, ctrl+q      close (asks when there are unsaved changes)",
    "",
    "every item has a cell of its own; there is always one player.",
    "the level is checked after every change: see the last line below.",
};

Uint32 rgb(SDL_Surface* surface, int r, int g, int b) { return SDL_MapRGB(surface->format, r, g, b); }

void frame(SDL_Surface* surface, int x, int y, int w, int h, Uint32 colour) {
    fillRect(surface, x, y, w, 1, colour);
    fillRect(surface, x, y + h - 1, w, 1, colour);
    fillRect(surface, x, y, 1, h, colour);
    fillRect(surface, x + w - 1, y, 1, h, colour);
}

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

// Whether a cell's picture covers all of its 32 x 32 pixels: the cell layer
// is drawn over the items, so nothing behind such a cell shows.
bool coversCell(SDL_Surface* sprite) {
    if (!sprite || sprite->w < 32 || sprite->h < 32) return false;
    PixelLock lock(sprite);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(getPixel(sprite, x, y), sprite->format, &r, &g, &b);
            if (r == 255 && g == 0 && b == 255) return false;
        }
    return true;
}

bool decorationKey(const ThemeKey& k) {
    return k.passable && k.key != '.' && k.key != '?' && k.key != '$' && k.key != '\xa7';
}

bool ctrlHeld(SDLMod mod) { return (mod & KMOD_CTRL) != 0; }

} // namespace

std::vector<Theme> findThemes() {
    std::vector<Theme> themes;
    for (const char* name : {"cave", "forest", "castle"}) {
        Theme theme{name, std::string("gfx/") + name + ".txt", std::string("gfx/bg_") + name + ".png"};
        if (fileread::isReadable(theme.tileset, fileread::kTextCap)) themes.push_back(theme);
    }
    return themes;
}

Editor::Editor(SDL_Surface* screen, SoundBank* sounds, const std::string& path)
    : screen(screen), sounds(sounds), path(path), themes(findThemes()) {
    doc.keyName = themeKeyName;
}

Editor::~Editor() {
    for (PaletteEntry& entry : palette) SDL_FreeSurface(entry.icon);
}

bool Editor::open(const std::string& themeName, std::string& error) {
    std::string bytes;
    existedOnDisk = fileread::readFile(path, fileread::kTextCap, bytes);
    // Something there that cannot be read as a level file (a folder, say)
    // is not taken for a new level: the loader says what it makes of it.
    if (existedOnDisk || access(path.c_str(), F_OK) == 0) {
        try {
            Level check(path, screen, sounds, 1, false);
        } catch (const LoadError& failure) {
            error = failure.silent ? "" : failure.what();
            return false;
        }
        if (!existedOnDisk) {
            error = "vorrel-edit: cannot read " + path;
            return false;
        }
        if (!readEditText(bytes, doc.text, error)) return false;
        savedBytes = writeEditText(doc.text);
    } else {
        const Theme* theme = themes.empty() ? nullptr : &themes[0];
        for (const Theme& t : themes)
            if (t.name == themeName) theme = &t;
        if (!theme || (!themeName.empty() && theme->name != themeName)) {
            error = "vorrel-edit: unknown theme '" + themeName + "' (run it from the data folder)";
            return false;
        }
        doc.text = newLevelText(theme->tileset, theme->background);
        say("A new level: paint it, then save it with ctrl+s");
    }
    if (fileread::readFile(recoveryPath(path), fileread::kTextCap, recoveredBytes)) {
        asking = Ask::Recover;
        say("A recovery file of unsaved changes exists: y opens it, n deletes it");
    }
    lastRecovery = platform::ticks();
    refresh(true);
    rebuildPalette();
    return true;
}

bool Editor::modified() const { return writeEditText(doc.text) != savedBytes; }

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
    const Uint32 background = rgb(screen, 24, 24, 32);
    SDL_Surface* sheet = cachedPicture("gfx/tileset.png");
    auto cellIcon = [&](char key) {
        const Cell* prototype = level ? level->spriteTable.findPrototype(static_cast<unsigned char>(key)) : nullptr;
        const Uint32 fallback = key == '$' ? rgb(screen, 40, 90, 200) : rgb(screen, 90, 90, 90);
        return makeIcon(screen, prototype ? prototype->sprite : nullptr, 0, 0, 32, 32, background, fallback);
    };
    for (const ThemeKey& k : doc.keys) palette.push_back({Piece{PieceKind::Cell, k.key}, cellIcon(k.key)});
    const Uint32 grey = rgb(screen, 160, 160, 160);
    palette.push_back({Piece{PieceKind::Player, 0},
                       makeIcon(screen, cachedPicture("gfx/player.png"), 0, 64, 32, 32, background, grey)});
    // The sheet is borrowed from the cache: cut every item from it at once.
    sheet = cachedPicture("gfx/tileset.png");
    palette.push_back({Piece{PieceKind::Goal, 0}, makeIcon(screen, sheet, 7 * 32, 7 * 32 + 8, 32, 56, background, grey)});
    palette.push_back({Piece{PieceKind::Gem, 0}, makeIcon(screen, sheet, 32, 6 * 32, 32, 32, background, grey)});
    palette.push_back({Piece{PieceKind::Crate, 0}, makeIcon(screen, sheet, 0, 6 * 32, 32, 32, background, grey)});
    palette.push_back({Piece{PieceKind::Heavy, 0}, makeIcon(screen, sheet, 32, 7 * 32, 32, 32, background, grey)});
    palette.push_back({Piece{PieceKind::Bombs, 0}, makeIcon(screen, sheet, 0, 8 * 32, 32, 32, background, grey)});
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

void Editor::refresh(bool rebuild) {
    if (rebuild || !level) {
        doc.keys = readThemeKeys(doc.text.tilesetPath);
        levelError.clear();
        std::unique_ptr<Level> fresh = buildLevel(doc.text, screen, sounds, levelError);
        // A level the game refuses keeps the last picture; the problem is named below.
        if (fresh) level = std::move(fresh);
        else if (level) level.reset();
        placedKnown = false;
        for (ThemeKey& k : doc.keys) {
            const Cell* prototype = level ? level->spriteTable.findPrototype(static_cast<unsigned char>(k.key)) : nullptr;
            k.hides = prototype && !prototype->liquid && coversCell(prototype->sprite);
        }
    }
    problems = lintText(doc.text);
    if (!levelError.empty()) {
        bool found = false;
        for (const Problem& problem : problems) found = found || problem.message.error;
        if (!found) {
            Problem problem;
            problem.message.error = true;
            problem.message.text = levelError + " (the game's loader)";
            problems.insert(problems.begin(), problem);
        }
    }
    dirty = false;
    needRebuild = false;
}

std::string Editor::lintSummary() const {
    if (problems.empty()) return "no problems";
    const LintMessage& first = problems[0].message;
    std::string where;
    if (problems[0].row >= 0) {
        where = problems[0].column >= 0 ? "cell " + std::to_string(problems[0].column) + "," + std::to_string(problems[0].row)
                                        : "row " + std::to_string(problems[0].row);
        where += ": ";
    }
    return std::to_string(problems.size()) + (problems.size() == 1 ? " problem" : " problems") + " (f2 lists them): " +
           (first.error ? "error: " : "warning: ") + where + first.text;
}

void Editor::changed() {
    dirty = true;
    haveSolution = false;
    dropSolve();
}

void Editor::applyAt(int column, int row) {
    if (!doc.inside(column, row)) return;
    EditText before = doc.text;
    EditResult result;
    if (strokePick) {
        choose(doc.pick(column, row));
        say("");
        return;
    }
    if (strokeButton == SDL_BUTTON_RIGHT)
        result = doc.erase(column, row);
    else
        result = doc.paint(current, column, row);
    if (!result.refusal.empty()) say(result.refusal);
    if (!result.changed) return;
    if (!strokeRecorded) {
        history.record(before);
        strokeRecorded = true;
    }
    if (!result.refusal.empty()) say("");
    // A cell painted over a cell of the same kind is put in place in the
    // drawn level; anything else builds the level again.
    bool patched = false;
    const char key = doc.keyAt(column, row);
    if (level && !needRebuild && before.records.size() == doc.text.records.size() &&
        before.grid[row][column] != key && row < static_cast<int>(level->grid.size()) &&
        static_cast<int>(level->grid[row].size()) == doc.columns() &&
        level->spriteTable.findPrototype(static_cast<unsigned char>(key))) {
        const Cell* prototype = level->spriteTable.findPrototype(static_cast<unsigned char>(key));
        Cell* cell = new Cell(*prototype);
        cell->item = level->grid[row][column]->item;
        Cell* old = level->grid[row][column];
        level->setCell(column, row, cell);
        delete old;
        patched = true;
    }
    if (!patched && !(level && !needRebuild && before.grid == doc.text.grid && replaceItems())) needRebuild = true;
    changed();
}

namespace {

bool sameRecord(const EditRecord& a, const EditRecord& b) { return a.name == b.name && a.attributes == b.attributes; }

} // namespace

bool Editor::replaceItems() {
    // Items only: the drawn level keeps its backdrop, sprites and cells, and
    // the game's own record handling places the records that changed. Only
    // those: cutting every item's sprites again made an edit on a busy level
    // cost milliseconds.
    const std::vector<EditRecord>& records = doc.text.records;
    size_t head = 0, tail = 0;
    if (placedKnown) {
        while (head < records.size() && head < placedRecords.size() && sameRecord(records[head], placedRecords[head]))
            ++head;
        while (tail < records.size() - head && tail < placedRecords.size() - head &&
               sameRecord(records[records.size() - 1 - tail], placedRecords[placedRecords.size() - 1 - tail]))
            ++tail;
        // Bombs belong to the player's list as well: those records place all anew.
        for (size_t i = head; i < placedRecords.size() - tail; ++i)
            if (placedRecords[i].name == "bomb") placedKnown = false;
        for (size_t i = head; i < records.size() - tail; ++i)
            if (records[i].name == "bomb") placedKnown = false;
    }
    if (!placedKnown) head = tail = 0;
    // The items of the unchanged records before and after the change.
    size_t firstGone = 0, gone = 0;
    if (placedKnown) {
        for (size_t i = 0; i < head; ++i) firstGone += placedCounts[i];
        for (size_t i = head; i < placedRecords.size() - tail; ++i) gone += placedCounts[i];
    } else {
        gone = level->items.size();
    }
    for (size_t i = firstGone; i < firstGone + gone; ++i) {
        Item* item = level->items[i];
        for (auto& row : level->grid)
            for (Cell* cell : row)
                if (cell->item == item) cell->item = nullptr;
        delete item;
    }
    std::vector<Item*> after(level->items.begin() + static_cast<long>(firstGone + gone), level->items.end());
    level->items.resize(firstGone);
    if (!placedKnown) {
        level->player->bombs.clear();
        level->player->bombsUsed = 0;
    }
    std::vector<size_t> counts(placedCounts.begin(), placedCounts.begin() + static_cast<long>(head));
    bool placed = true;
    try {
        ItemSheet sheet;
        for (size_t i = head; i < records.size() - tail; ++i) {
            const size_t before = level->items.size();
            placeItem(*level, records[i].name, records[i].attributes, &sheet);
            counts.push_back(level->items.size() - before);
        }
    } catch (const LoadError&) {
        placed = false;
    }
    level->items.insert(level->items.end(), after.begin(), after.end());
    try {
        // The player stands where the last of its records puts it.
        level->player->setPosition(32, 0);
        for (const EditRecord& record : records)
            if (record.name == "plr") placeItem(*level, record.name, record.attributes);
    } catch (const LoadError&) {
        placed = false;
    }
    if (placedKnown) counts.insert(counts.end(), placedCounts.end() - static_cast<long>(tail), placedCounts.end());
    level->treasures.clear();
    for (Item* item : level->items)
        if (Treasure* treasure = dynamic_cast<Treasure*>(item)) level->treasures.push_back(treasure);
    placedKnown = placed;
    placedRecords = records;
    placedCounts = counts;
    return placed;
}

void Editor::mouseDown(const SDL_MouseButtonEvent& event) {
    if (event.button == SDL_BUTTON_WHEELUP || event.button == SDL_BUTTON_WHEELDOWN) {
        cyclePalette(event.button == SDL_BUTTON_WHEELUP ? -1 : 1);
        return;
    }
    if (event.y >= kLevelHeight) {
        if (event.button != SDL_BUTTON_LEFT) return;
        const int index = (event.x - 4) / kIconStep;
        if (event.x >= 4 && index < static_cast<int>(palette.size()) && event.y >= kIconTop &&
            event.y < kIconTop + kIconSize) {
            current = palette[index].piece;
            say("");
        }
        return;
    }
    strokeButton = event.button;
    strokePick = event.button == SDL_BUTTON_MIDDLE ||
                 (event.button == SDL_BUTTON_LEFT && ctrlHeld(SDL_GetModState()));
    strokeRecorded = false;
    strokeColumn = event.x / 32;
    strokeRow = event.y / 32;
    applyAt(strokeColumn, strokeRow);
}

void Editor::mouseMotion(int x, int y) {
    hoverColumn = y < kLevelHeight ? x / 32 : -1;
    hoverRow = y < kLevelHeight ? y / 32 : -1;
    if (!strokeButton || strokePick || hoverColumn < 0) return;
    // Every cell on the way from the last one, so a fast drag leaves no gaps.
    int c = strokeColumn, r = strokeRow;
    const int tc = hoverColumn, tr = hoverRow;
    const int dc = tc > c ? 1 : -1, dr = tr > r ? 1 : -1;
    const int nc = tc > c ? tc - c : c - tc, nr = tr > r ? tr - r : r - tr;
    int error = nc - nr;
    while (c != tc || r != tr) {
        const int e2 = 2 * error;
        if (e2 > -nr) {
            error -= nr;
            c += dc;
        }
        if (e2 < nc) {
            error += nc;
            r += dr;
        }
        applyAt(c, r);
    }
    strokeColumn = tc;
    strokeRow = tr;
}

void Editor::undo() {
    if (!history.undo(doc.text)) {
        say("Nothing to undo");
        return;
    }
    say("Undone (" + std::to_string(history.undoCount()) + " more steps)");
    needRebuild = true;
    changed();
}

void Editor::redo() {
    if (!history.redo(doc.text)) {
        say("Nothing to redo");
        return;
    }
    say("Redone (" + std::to_string(history.redoCount()) + " more steps)");
    needRebuild = true;
    changed();
}

void Editor::cycleTheme() {
    if (themes.empty()) return;
    size_t next = 0;
    for (size_t i = 0; i < themes.size(); ++i)
        if (themes[i].tileset == doc.text.tilesetPath) next = (i + 1) % themes.size();
    history.record(doc.text);
    doc.text.tilesetPath = themes[next].tileset;
    doc.text.backgroundPath = themes[next].background;
    refresh(true);
    rebuildPalette();
    changed();
    say("Theme: " + themes[next].name);
}

bool Editor::save() {
    if (path.empty()) {
        // A shared level opened from its code has no file yet.
        asking = Ask::FileName;
        typedName.clear();
        say("Save as: _ (type a file name; return saves, escape cancels)");
        return false;
    }
    // Checked again here, whatever the last pass saw.
    refresh(needRebuild);
    for (const Problem& problem : problems)
        if (problem.message.error) {
            say("Not saved: the game would refuse this level: " + problem.message.text);
            return false;
        }
    const std::string bytes = writeEditText(doc.text);
    std::string error;
    if (!saveLevelFile(path, bytes, error)) {
        say("Not saved: cannot write " + path + ": " + error);
        return false;
    }
    savedBytes = bytes;
    existedOnDisk = true;
    std::remove(recoveryPath(path).c_str());
    recoveryWritten.clear();
    say("Saved " + path);
    return true;
}

void Editor::writeRecovery() {
    if (path.empty()) return;
    const std::string bytes = writeEditText(doc.text);
    lastRecovery = platform::ticks();
    if (!modified() || bytes == recoveryWritten) return;
    std::string error;
    if (writeAtomically(recoveryPath(path), bytes, error))
        recoveryWritten = bytes;
    else
        say("Cannot write the recovery file: " + error);
}

void Editor::requestQuit() {
    if (!modified()) {
        std::remove(recoveryPath(path).c_str());
        done = true;
        return;
    }
    asking = Ask::Quit;
    say("Save the changes? y saves, n discards them, escape goes back");
}

void Editor::answer(SDLKey sym) {
    const bool yes = sym == SDLK_y, no = sym == SDLK_n, back = sym == SDLK_ESCAPE;
    switch (asking) {
    case Ask::Quit:
        if (yes && save()) done = true;
        if (no) {
            if (!path.empty()) std::remove(recoveryPath(path).c_str());
            done = true;
        }
        if ((yes && asking != Ask::FileName) || no || back) asking = Ask::None;
        if (back) say("");
        break;
    case Ask::Recover: {
        if (!yes && !no) return;
        asking = Ask::None;
        if (no) {
            std::remove(recoveryPath(path).c_str());
            say("Recovery file deleted");
            return;
        }
        EditText recovered;
        std::string error;
        if (!readEditText(recoveredBytes, recovered, error)) {
            say("The recovery file cannot be read: " + error);
            return;
        }
        history.record(doc.text);
        doc.text = recovered;
        refresh(true);
        rebuildPalette();
        changed();
        say("Recovered the unsaved changes; ctrl+s saves them");
        break;
    }
    case Ask::KeepTape: {
        if (!yes && !no) return;
        asking = Ask::None;
        if (no) {
            say("");
            return;
        }
        if (path.empty()) {
            say("The tape stays with the level for f8; save the level to keep it in a file");
            return;
        }
        playedTape.level = path;
        playedTape.expect = "Completed";
        std::string error;
        const std::string tapePath = tapePathFor(path);
        if (writeAtomically(tapePath, "# recorded with vorrel-edit\n" + formatTape(playedTape), error))
            say("Kept the tape as " + tapePath + (modified() ? " (save the level too)" : ""));
        else
            say("Cannot write " + tapePath + ": " + error);
        break;
    }
    case Ask::ShareAnyway:
        if (!yes && !no) return;
        asking = Ask::None;
        if (yes) shareWith(nullptr);
        else say("");
        break;
    case Ask::FileName:
    case Ask::None: break;
    }
}

void Editor::key(const SDL_KeyboardEvent& event) {
    const SDLKey sym = event.keysym.sym;
    const SDLMod mod = event.keysym.mod;
    if (asking == Ask::FileName) {
        typeFileName(event);
        return;
    }
    if (asking != Ask::None) {
        answer(sym);
        return;
    }
    if (ctrlHeld(mod)) {
        if (sym == SDLK_z && (mod & KMOD_SHIFT)) redo();
        else if (sym == SDLK_z) undo();
        else if (sym == SDLK_y) redo();
        else if (sym == SDLK_s) save();
        else if (sym == SDLK_q) requestQuit();
        return;
    }
    switch (sym) {
    case SDLK_ESCAPE:
        if (helpShown || problemsShown) helpShown = problemsShown = false;
        else requestQuit();
        break;
    case SDLK_F1: helpShown = !helpShown; break;
    case SDLK_F2: problemsShown = !problemsShown; break;
    case SDLK_F5: testPlay(); break;
    case SDLK_F6: solve(); break;
    case SDLK_F7: playSolution(); break;
    case SDLK_F8: share(); break;
    case SDLK_TAB: cyclePalette(mod & KMOD_SHIFT ? -1 : 1); break;
    case SDLK_t: cycleTheme(); break;
    case SDLK_PLUS:
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
    case SDLK_MINUS:
    case SDLK_KP_MINUS: {
        const bool more = sym == SDLK_PLUS || sym == SDLK_EQUALS || sym == SDLK_KP_PLUS;
        EditText before = doc.text;
        EditResult result = doc.setBombs(doc.bombs() + (more ? 1 : -1));
        say(result.refusal);
        if (result.changed) {
            history.record(before);
            needRebuild = true;
            changed();
            say("The player carries " + std::to_string(doc.bombs()) + (doc.bombs() == 1 ? " bomb" : " bombs"));
        }
        break;
    }
    default: break;
    }
}

void Editor::handle(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        if (asking == Ask::None) requestQuit();
        break;
    case SDL_KEYDOWN: key(event.key); break;
    case SDL_MOUSEBUTTONDOWN:
        if (asking == Ask::None) mouseDown(event.button);
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == strokeButton) strokeButton = 0;
        break;
    case SDL_MOUSEMOTION:
        if (asking == Ask::None) mouseMotion(event.motion.x, event.motion.y);
        break;
    default: break;
    }
}

bool Editor::pass() {
    SDL_Event event;
    while (!done && platform::pollEvent(event)) handle(event);
    if (done) return false;
    if (dirty) refresh(needRebuild);
    if (platform::ticks() - lastRecovery >= recoveryInterval) writeRecovery();
    draw();
    SDL_Flip(screen);
    platform::delay(15);
    return true;
}

void Editor::run() {
    while (pass()) {}
}

void Editor::drainEvents() {
    SDL_Event event;
    while (platform::pollEvent(event)) {}
    strokeButton = 0;
}

void Editor::testPlay() {
    std::string error;
    std::unique_ptr<Level> play = buildLevel(doc.text, screen, sounds, error, sounds != nullptr);
    if (!play) {
        say("Cannot play: " + error);
        return;
    }
    TapeRecorder recorder(playKeyboard);
    platform::Keyboard* previous = playKeyboard;
    platform::setKeyboard(&recorder);
    int page = 0;
    const PlayOutcome outcome = runPlayLoop(*play, page, false, nullptr, 0, &recorder);
    recorder.finish();
    platform::setKeyboard(previous);
    if (sounds) Mix_HaltMusic();
    play.reset();
    drainEvents();
    // The items of the drawn level find their level through class-wide
    // references, which the test level took over.
    refresh(true);
    if (outcome == Completed) {
        playedTape = recorder.tape;
        asking = Ask::KeepTape;
        const std::string tapePath = tapePathFor(path);
        const bool replaces = access(tapePath.c_str(), F_OK) == 0;
        say("Won! Keep these keys as the level's tape (" + tapePath + (replaces ? ", replacing the one there" : "") +
            ")? y/n");
    } else {
        say(outcome == Died ? "Test-play: the player died" : outcome == Restart ? "Test-play: restarted" : "Test-play ended");
    }
}

void Editor::solve() {
    if (!SolveJob::available()) {
        say("The solver is not available");
        return;
    }
    if (solveJob) {
        // The search the last F6 left undecided, on this very text: on from where it stopped.
        solveJob->extend(kSolveSeconds);
    } else {
        std::string error;
        // Without sounds: the search would play them.
        std::unique_ptr<Level> work = buildLevel(doc.text, screen, nullptr, error);
        if (!work) {
            say("Cannot solve: " + error);
            return;
        }
        solveLevel = std::move(work);
        solveJob.reset(new SolveJob(*solveLevel, kSolveSeconds));
    }
    SolveJob& job = *solveJob;
    SolveJob::State state = SolveJob::Running;
    bool cancelled = false;
    // Slices of about a tenth of a second, whatever the level's speed, so
    // the count moves and Escape answers at once.
    uint64_t budget = 200;
    while (state == SolveJob::Running && !cancelled) {
        const double before = job.seconds();
        state = job.step(budget);
        const double spent = job.seconds() - before;
        if (spent < 0.05) budget = std::min<uint64_t>(budget * 2, 1000000);
        else if (spent > 0.2 && budget > 1) budget /= 2;
        SDL_Event event;
        while (platform::pollEvent(event))
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) cancelled = true;
        char line[160];
        std::snprintf(line, sizeof line, "Solving: %llu states, %.1f seconds (escape cancels)",
                      static_cast<unsigned long long>(job.states()), job.seconds());
        say(line);
        draw();
        SDL_Flip(screen);
    }
    char verdict[160];
    haveSolution = false;
    bool undecided = false;
    if (cancelled) {
        std::snprintf(verdict, sizeof verdict, "Solving cancelled after %.1f seconds (f6 goes on)", job.seconds());
        undecided = true;
    } else if (state == SolveJob::Solved && job.tape()) {
        solution = *job.tape();
        haveSolution = true;
        std::snprintf(verdict, sizeof verdict, "Solvable in %u moves (f7 shows how)", job.moves());
    } else if (state == SolveJob::Unsolvable) {
        std::snprintf(verdict, sizeof verdict, "Cannot be won");
    } else {
        std::snprintf(verdict, sizeof verdict, "Not decided in %.0f seconds (f6 goes on)", job.seconds());
        undecided = true;
    }
    if (!undecided) dropSolve();
    refresh(true);
    say(verdict);
}

void Editor::dropSolve() {
    solveJob.reset();
    solveLevel.reset();
}

void Editor::playSolution() {
    if (!haveSolution) {
        say(SolveJob::available() ? "No solution yet: f6 solves the level" : "The solver is not available");
        return;
    }
    std::string error;
    std::unique_ptr<Level> play = buildLevel(doc.text, screen, sounds, error);
    if (!play) {
        say("Cannot play: " + error);
        return;
    }
    {
        ShowDriver driver(solution, *play);
        int page = 0;
        runPlayLoop(*play, page, false, nullptr, 0, &driver);
    }
    play.reset();
    drainEvents();
    refresh(true);
    say("That was the solver's solution");
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
    if (hoverColumn >= 0 && doc.inside(hoverColumn, hoverRow) && !helpShown)
        frame(screen, hoverColumn * 32, hoverRow * 32, 32, 32, rgb(screen, 255, 255, 255));
    if (problemsShown) drawProblems();
    if (helpShown) drawHelp();
    drawToolbar();
}

void Editor::drawToolbar() {
    const int top = kLevelHeight;
    fillRect(screen, 0, top, screen->w, screen->h - top, rgb(screen, 24, 24, 32));
    fillRect(screen, 0, top, screen->w, 1, rgb(screen, 255, 255, 255));
    fillRect(screen, 0, top + 2, screen->w, 1, rgb(screen, 64, 64, 64));
    const int chosen = paletteIndex();
    for (size_t i = 0; i < palette.size(); ++i) {
        const int x = 4 + static_cast<int>(i) * kIconStep;
        if (palette[i].icon) blitRect(palette[i].icon, screen, 0, 0, kIconSize, kIconSize, x, kIconTop);
        if (palette[i].piece.kind == PieceKind::Bombs)
            drawSmallText(screen, x + 16, kIconTop + 16, std::to_string(doc.bombs()), rgb(screen, 255, 255, 255));
        if (static_cast<int>(i) == chosen)
            frame(screen, x - 1, kIconTop - 1, kIconSize + 2, kIconSize + 2, rgb(screen, 255, 220, 0));
    }
    std::string line = "paint: " + doc.nameOf(current) + "    bombs: " + std::to_string(doc.bombs()) + "    " + path +
                       (modified() ? " (unsaved)" : "");
    drawSmallText(screen, 4, 448, line, rgb(screen, 230, 230, 230));
    drawSmallText(screen, 4, 458, note, rgb(screen, 255, 220, 0));
    const bool errors = hasErrors([this] {
        std::vector<LintMessage> messages;
        for (const Problem& problem : problems) messages.push_back(problem.message);
        return messages;
    }());
    drawSmallText(screen, 4, 468, lintSummary(),
                  problems.empty() ? rgb(screen, 120, 230, 120) : errors ? rgb(screen, 255, 90, 90) : rgb(screen, 255, 170, 60));
    drawSmallText(screen, screen->w - smallTextWidth("f1 help") - 4, 448, "f1 help", rgb(screen, 150, 150, 170));
}

void Editor::drawHelp() {
    const int lines = static_cast<int>(sizeof kHelp / sizeof kHelp[0]);
    const int h = lines * 11 + 16;
    fillRect(screen, 40, 24, 560, h, rgb(screen, 10, 10, 20));
    frame(screen, 40, 24, 560, h, rgb(screen, 255, 220, 0));
    for (int i = 0; i < lines; ++i) {
        // "KEYS   what they do": the second column starts at one place.
        const std::string line = kHelp[i];
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
            frame(screen, problem.column * 32, problem.row * 32, 32, 32, red);
        else
            frame(screen, 0, problem.row * 32, doc.columns() * 32, 32, red);
    }
    const int shown = static_cast<int>(problems.size() < 20 ? problems.size() : 20);
    const int h = (shown ? shown : 1) * 11 + 14;
    fillRect(screen, 8, 8, 624, h, rgb(screen, 10, 10, 20));
    frame(screen, 8, 8, 624, h, red);
    if (problems.empty()) drawSmallText(screen, 16, 15, "no problems: the level passes every check", rgb(screen, 120, 230, 120));
    for (int i = 0; i < shown; ++i) {
        const Problem& problem = problems[i];
        std::string where = problem.row < 0 ? "" : problem.column < 0 ? "row " + std::to_string(problem.row) + ": "
                            : "cell " + std::to_string(problem.column) + "," + std::to_string(problem.row) + ": ";
        drawSmallText(screen, 16, 15 + i * 11, (problem.message.error ? "error: " : "warning: ") + where + problem.message.text,
                      problem.message.error ? red : rgb(screen, 255, 170, 60));
    }
}
