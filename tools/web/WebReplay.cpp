// The browser's replay page: the tape runner's replay and the renderer's
// picture, called from JavaScript, so that the browser test can hold their
// results against the native tools' on the same level, tape and data.
#include <emscripten.h>
#include <unistd.h>

#include <string>

#include "audio/SoundBank.h"
#include "common/Picture.h"
#include "common/GameScreen.h"
#include "common/Tape.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "platform/Display.h"

extern "C" void webShowFrames(int on);

namespace {

SDL_Surface* screen = nullptr;
std::string answer;

// Loads the level from the data folder, or puts the loader's complaint in answer.
Level* openLevel(const char* dataDir, const char* levelPath, SoundBank& sounds) {
    if (chdir(dataDir) != 0) {
        answer = std::string("error: no data folder ") + dataDir + "\n";
        return nullptr;
    }
    try {
        return new Level(levelPath, screen, &sounds, 1, false);
    } catch (const LoadError& error) {
        answer = "error: the level could not be loaded\n";
        return nullptr;
    }
}

bool readTape(const char* tapePath, Tape& tape) {
    try {
        tape = loadTape(tapePath);
        return true;
    } catch (const TapeError& error) {
        answer = std::string("error: ") + tapePath + ": " + error.what() + "\n";
        return false;
    }
}

ReplayOptions optionsFor(int select, int page) {
    ReplayOptions options;
    options.selectMode = select >= 0;
    options.available = select;
    options.page = page;
    return options;
}

} // namespace

extern "C" {

// The report vorrel-replay prints for the tape (select < 0: not the map).
EMSCRIPTEN_KEEPALIVE const char* webReplay(const char* dataDir, const char* levelPath, const char* tapePath,
                                           int select, int page) {
    Tape tape;
    if (!readTape(tapePath, tape)) return answer.c_str();
    SoundBank sounds;
    Level* level = openLevel(dataDir, levelPath, sounds);
    if (!level) return answer.c_str();
    webShowFrames(0);
    answer = formatReport(replayTape(*level, tape, optionsFor(select, page)));
    webShowFrames(1);
    delete level;
    return answer.c_str();
}

// Shows on the canvas the picture vorrel-render writes (tapePath "" for none).
EMSCRIPTEN_KEEPALIVE const char* webRender(const char* dataDir, const char* levelPath, const char* tapePath,
                                           int select, int page) {
    Tape tape;
    const bool taped = tapePath && *tapePath;
    if (taped && !readTape(tapePath, tape)) return answer.c_str();
    SoundBank sounds;
    Level* level = openLevel(dataDir, levelPath, sounds);
    if (!level) return answer.c_str();
    ReplayOptions options = optionsFor(select, page);
    platform::VirtualClock clock;
    int timeOffset = 3000;
    if (taped) {
        webShowFrames(0);
        ReplayResult result = replayTape(*level, tape, options);
        page = result.page;
        clock.now = result.endTicks;
        timeOffset = 0;
    } else {
        clock.now = 20;
    }
    webShowFrames(1);
    platform::setClock(&clock);
    drawPicture(*level, timeOffset, options, page);
    platform::setClock(nullptr);
    platform::present(screen);
    delete level;
    answer = "ok\n";
    return answer.c_str();
}

} // extern "C"

int main() {
    screen = openGameScreen("Vorrel replay");
    EM_ASM({ if (Module.onReady) Module.onReady(); });
    return 0;
}
