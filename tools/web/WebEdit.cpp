// The level editor in the browser: the desktop editor itself on the page's
// canvas, its levels kept in the browser's storage (web/edit.html).
#include <emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "audio/SoundBank.h"
#include "editor/Editor.h"
#include "editor/TextBridge.h"
#include "level/LevelText.h"
#include "level/LoadError.h"
#include "platform/Display.h"
#include "platform/Platform.h"
#include "platform/VideoDriver.h"
#include "platform/web/WebClock.h"
#include "platform/web/WebStorage.h"

namespace {

// The browser's own levels, under the data folder; the page knows it too.
const char* const kFolder = "level/mine";
const char* const kProgressFile = "progress.wp";

Editor* running = nullptr;  // not owned; while main edits
std::string shownText;      // what webEditText last handed the page
std::string shownMessage;   // and webEditMessage
std::string shownName;      // and webEditName

std::string levelPath(const std::string& name) { return std::string(kFolder) + "/" + name + kLevelExtension; }

EM_JS(void, editorClosed, (int status), {
    if (Module.onClosed) Module.onClosed(status);
});

// The page offers only plain names; anything else could leave the folder.
bool plainName(const std::string& name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            return false;
    return true;
}

int edit(const std::string& name) {
    if (!plainName(name)) {
        std::printf("No level named '%s' can be edited here\n", name.c_str());
        return 2;
    }
    SoundBank sounds;
    sounds.load("./zik/data.txt");
    SDL_Init(SDL_INIT_VIDEO);
    SDL_Surface* screen = platform::openDisplay(640, 480, platform::DisplayOptions());
    if (!screen) return platform::kNoDisplayExit;
    int status = 0;
    {
        Editor editor(screen, &sounds, levelPath(name));
        std::string error;
        if (editor.open("", error)) {
            running = &editor;
            editor.run();
            running = nullptr;
        } else {
            std::printf("%s\n", error.c_str());
            status = kLoadFailureExit;
        }
    }
    platform::closeDisplay();
    return status;
}

} // namespace

// The page calls main with the level's name (without ".lev").
int main(int argc, char** argv) {
    if (chdir("/data") != 0) return 1;
    mkdir(kFolder, 0755);
    platform::restoreKept(kFolder, kProgressFile);
    platform::setClock(&platform::pausingClock());
    const int status = edit(argc > 1 ? argv[1] : "");
    // The page stays: it may open another level.
    editorClosed(status);
    return status;
}

// Whether the level has changes not yet saved.
extern "C" EMSCRIPTEN_KEEPALIVE int webEditModified() { return running && running->modified(); }

// The level as it stands, saved or not (for a download): its bytes, and
// their count from webEditTextSize (the text may hold bytes above 127).
extern "C" EMSCRIPTEN_KEEPALIVE const char* webEditText() {
    shownText = running ? writeEditText(running->doc.text) : "";
    return shownText.data();
}
extern "C" EMSCRIPTEN_KEEPALIVE int webEditTextSize() { return static_cast<int>(shownText.size()); }

// The editor's last message (the status line's second line).
extern "C" EMSCRIPTEN_KEEPALIVE const char* webEditMessage() {
    shownMessage = running ? running->message() : "";
    return shownMessage.c_str();
}

// The level's name as the page shows it: its file's, without the folder and
// ".lev" (Ctrl+O and Ctrl+Shift+S may have changed the file).
extern "C" EMSCRIPTEN_KEEPALIVE const char* webEditName() {
    const std::string name = running ? running->file() : "";
    shownName = levelStem(name.substr(name.rfind('/') + 1));
    return shownName.c_str();
}
