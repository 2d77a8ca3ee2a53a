// The list of level files Ctrl+O chooses from.
#include "editor/OpenScreen.h"

#include <algorithm>
#include <ctime>
#include <memory>

#include "common/Picture.h"
#include "editor/Panel.h"
#include "editor/TextDraw.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "level/Vocabulary.h"

namespace {

constexpr int kListTop = 40;
constexpr int kRowHeight = 11;
constexpr int kVisibleRowCount = 38;
constexpr int kListWidth = 440;
// The picture is the window's, a quarter across and down.
constexpr int kShrink = 4;
constexpr int kPreviewX = 464, kPreviewY = 40;

std::string sizeText(unsigned long long size) {
    return size < 10240 ? std::to_string(size) + " b" : std::to_string(size / 1024) + " kb";
}

std::string timeText(std::time_t time) {
    char text[32] = "";
    std::tm local;
    if (localtime_r(&time, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

} // namespace

OpenScreen::OpenScreen(const std::vector<std::string>& folders, const std::string& current) {
    const auto heading = [this](std::string text) {
        Row row;
        row.heading = std::move(text);
        rows.push_back(std::move(row));
    };
    for (size_t i = 0; i < folders.size(); ++i) {
        bool seen = false;
        for (size_t j = 0; j < i; ++j) seen = seen || folders[j] == folders[i];
        if (seen || folders[i].empty()) continue;
        if (!rows.empty()) heading(" ");
        heading(folders[i] + "/");
        const std::vector<LevelFileEntry> files = listLevelFiles(folders[i]);
        if (files.empty()) heading("  (no level files)");
        for (const LevelFileEntry& file : files)
            // A long name is cut short before the size column.
            rows.push_back({"", file, fitEnd(file.name, 220), sizeText(file.size), timeText(file.time)});
    }
    int first = 0;
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].heading.empty() && rows[r].file.path == current) first = static_cast<int>(r);
    select(first);
}

OpenScreen::~OpenScreen() { SDL_FreeSurface(preview); }

void OpenScreen::select(int row) {
    // The nearest file at or after row, or else before it.
    const int count = static_cast<int>(rows.size());
    if (row < 0) row = 0;
    if (row >= count) row = count - 1;
    int found = -1;
    for (int r = row; r < count && found < 0; ++r)
        if (rows[r].heading.empty()) found = r;
    for (int r = row; r >= 0 && found < 0; --r)
        if (rows[r].heading.empty()) found = r;
    if (found < 0) return;
    selected = found;
    if (selected < top) top = selected;
    if (selected >= top + kVisibleRowCount) top = selected - kVisibleRowCount + 1;
    // The heading above the first file stays in sight.
    if (top > 0 && !rows[top - 1].heading.empty() && selected - (top - 1) < kVisibleRowCount) --top;
}

OpenScreen::Result OpenScreen::key(SDLKey sym) {
    switch (sym) {
    case SDLK_ESCAPE:
        return Cancelled;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return selected >= 0 ? Chosen : Choosing;
    case SDLK_UP: {
        // Over the headings, to the file before.
        int r = selected - 1;
        while (r >= 0 && !rows[r].heading.empty()) --r;
        if (r >= 0) select(r);
        break;
    }
    case SDLK_DOWN:
        select(selected + 1);
        break;
    case SDLK_PAGEUP:
        select(selected - kVisibleRowCount);
        break;
    case SDLK_PAGEDOWN:
        select(selected + kVisibleRowCount);
        break;
    case SDLK_HOME:
        select(0);
        break;
    case SDLK_END:
        select(static_cast<int>(rows.size()) - 1);
        break;
    default:
        break;
    }
    return Choosing;
}

OpenScreen::Result OpenScreen::click(int x, int y) {
    const int row = top + (y - kListTop) / kRowHeight;
    if (x < 8 || x >= 8 + kListWidth || y < kListTop || row >= static_cast<int>(rows.size()) ||
        row >= top + kVisibleRowCount || !rows[row].heading.empty())
        return Choosing;
    if (row == selected) return Chosen;
    select(row);
    return Choosing;
}

void OpenScreen::wheel(int step) {
    const int most = std::max(0, static_cast<int>(rows.size()) - kVisibleRowCount);
    top = std::min(most, std::max(0, top + step * 3));
}

std::string OpenScreen::chosen() const { return selected >= 0 ? rows[selected].file.path : ""; }

void OpenScreen::makePreview(SDL_Surface* screen) {
    previewOf = selected;
    previewNote.clear();
    SDL_FreeSurface(preview);
    preview = nullptr;
    previewName.clear();
    if (selected < 0) return;
    previewName = fitEnd(rows[selected].file.name, kScreenWidth / kShrink);
    const SDL_PixelFormat* f = screen->format;
    SDL_Surface* whole = SDL_CreateRGBSurface(SDL_SWSURFACE, kScreenWidth, kScreenHeight, f->BitsPerPixel, f->Rmask,
                                              f->Gmask, f->Bmask, f->Amask);
    if (!whole) return;
    try {
        // The game's own loader and picture; drawn off the window.
        Level level(rows[selected].file.path, whole, nullptr, 1, false);
        drawPicture(level, 3000, ReplayOptions(), 0);
    } catch (const LoadError& error) {
        previewNote = "the game refuses this level";
    }
    if (previewNote.empty()) {
        preview = SDL_CreateRGBSurface(SDL_SWSURFACE, kScreenWidth / kShrink, kScreenHeight / kShrink, f->BitsPerPixel,
                                       f->Rmask, f->Gmask, f->Bmask, f->Amask);
        for (int y = 0; preview && y < preview->h; ++y)
            for (int x = 0; x < preview->w; ++x) putPixel(preview, x, y, getPixel(whole, x * kShrink, y * kShrink));
    }
    SDL_FreeSurface(whole);
}

void OpenScreen::draw(SDL_Surface* screen) {
    if (previewOf != selected) makePreview(screen);
    const Uint32 yellow = rgb(screen, 255, 220, 0), white = rgb(screen, 230, 230, 230),
                 blue = rgb(screen, 150, 200, 255), grey = rgb(screen, 150, 150, 170);
    fillRect(screen, 0, 0, screen->w, screen->h, rgb(screen, 0, 0, 0));
    drawPanel(screen, 0, 0, screen->w, screen->h, yellow);
    drawSmallText(screen, 12, 12,
                  "open a level: arrows or a click choose, return or a second click opens, escape goes back", yellow);
    for (int i = 0; i < kVisibleRowCount && top + i < static_cast<int>(rows.size()); ++i) {
        const Row& row = rows[top + i];
        const int y = kListTop + i * kRowHeight;
        if (!row.heading.empty()) {
            drawSmallText(screen, 12, y + 2, row.heading, row.heading[0] == ' ' ? grey : blue);
            continue;
        }
        if (top + i == selected) fillRect(screen, 8, y, kListWidth, kRowHeight, rgb(screen, 60, 60, 110));
        drawSmallText(screen, 24, y + 2, row.name, white);
        drawSmallText(screen, 250, y + 2, row.size, grey);
        drawSmallText(screen, 320, y + 2, row.time, grey);
    }
    const int w = kScreenWidth / kShrink, h = kScreenHeight / kShrink;
    drawPanel(screen, kPreviewX - 1, kPreviewY - 1, w + 2, h + 2, grey);
    if (preview)
        blitRect(preview, screen, 0, 0, w, h, kPreviewX, kPreviewY);
    else
        drawSmallText(screen, kPreviewX + 8, kPreviewY + h / 2, previewNote, rgb(screen, 255, 90, 90));
    if (selected >= 0) drawSmallText(screen, kPreviewX, kPreviewY + h + 8, previewName, white);
}
