// The typed new name of Save As.
#include "editor/SaveAsPrompt.h"

#include <cctype>

#include "editor/Panel.h"
#include "editor/TextDraw.h"
#include "gfx/Surface.h"
#include "level/LevelText.h"

namespace {

// Long enough for any sensible name, short enough for one line of the window.
constexpr size_t kLongestName = 60;

bool allowed(int c) { return std::isalnum(c) || c == '.' || c == '-' || c == '_'; }

} // namespace

SaveAsPrompt::SaveAsPrompt(const std::vector<std::string>& folders, const std::string& name)
    : folders(folders.empty() ? std::vector<std::string>{"."} : folders), name(name) {
    retext();
}

void SaveAsPrompt::retext() {
    const std::string more = folders.size() > 1 ? "   (tab: another folder)" : "";
    folderLine = fitStart(folder() + "/", 480 - smallTextWidth(more)) + more;
    savesLine = name.empty() ? "" : "saves " + fitStart(path(), 480);
}

SaveAsPrompt::Result SaveAsPrompt::key(const SDL_keysym& key) {
    const Result result = typed(key);
    retext();
    return result;
}

SaveAsPrompt::Result SaveAsPrompt::typed(const SDL_keysym& key) {
    switch (key.sym) {
    case SDLK_ESCAPE:
        return Cancelled;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return name.empty() || name == kLevelExtension ? Typing : Done;
    case SDLK_BACKSPACE:
        if (!name.empty()) name.pop_back();
        return Typing;
    case SDLK_TAB:
        shown = (shown + 1) % folders.size();
        return Typing;
    default:
        break;
    }
    if (key.mod & (KMOD_CTRL | KMOD_ALT)) return Typing;
    // The typed character; without one (scripted keys) the key's own.
    int c = key.unicode && key.unicode < 128 ? key.unicode : 0;
    if (!c && key.sym >= 32 && key.sym < 127) c = (key.mod & KMOD_SHIFT) ? std::toupper(key.sym) : key.sym;
    // A leading dot would hide the file.
    if (allowed(c) && name.size() < kLongestName && !(c == '.' && name.empty())) name += static_cast<char>(c);
    return Typing;
}

std::string SaveAsPrompt::path() const { return folder() + "/" + levelStem(name) + kLevelExtension; }

void SaveAsPrompt::draw(SDL_Surface* screen) const {
    const Uint32 yellow = rgb(screen, 255, 220, 0), white = rgb(screen, 230, 230, 230),
                 blue = rgb(screen, 150, 200, 255);
    drawPanel(screen, 40, 150, 560, 92, yellow);
    drawSmallText(screen, 52, 160, "save as: type the new name, return saves, escape goes back", yellow);
    drawSmallText(screen, 52, 180, "folder", blue);
    drawSmallText(screen, 110, 180, folderLine, white);
    drawSmallText(screen, 52, 196, "name", blue);
    const int end = drawSmallText(screen, 110, 196, name, white);
    fillRect(screen, end + 1, 195, 5, 9, yellow);  // the cursor
    if (!name.empty()) drawSmallText(screen, 52, 216, savesLine, rgb(screen, 150, 150, 170));
}
