// Records a play of one level in a real window: the measured frame time and
// the held keys of every pass, as a tape that vorrel-replay plays back.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "audio/SoundBank.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "play/PlayLoop.h"
#include "common/Tape.h"

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "vorrel-record: %s\n", message);
    std::fprintf(stderr, "usage: vorrel-record [--select AVAILABLE] [--page P] LEVEL OUT.tape\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool selectMode = false;
    int available = 0, page = 0;
    const char* positional[2] = {nullptr, nullptr};
    int positionals = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--select") || !std::strcmp(arg, "--page")) {
            if (i + 1 >= argc) return usage((std::string(arg) + " needs a value").c_str());
            const char* value = argv[++i];
            bool ok = !std::strcmp(arg, "--select") ? parseOptionInteger(value, available) : parseOptionInteger(value, page);
            if (!ok) return usage((std::string("bad value '") + value + "'").c_str());
            if (!std::strcmp(arg, "--select")) selectMode = true;
        } else if (arg[0] == '-' && arg[1] == '-') {
            return usage((std::string("unknown option ") + arg).c_str());
        } else {
            if (positionals == 2) return usage("too many arguments");
            positional[positionals++] = arg;
        }
    }
    if (positionals != 2) return usage("LEVEL and OUT.tape are needed");
    const std::string refusal = pageRefusal(page, selectMode ? available : 0);
    if (!refusal.empty()) return usage(("bad --page value: " + refusal).c_str());
    std::ofstream out(positional[1], std::ios::binary);
    if (!out) return usage((std::string("cannot write ") + positional[1]).c_str());

    SoundBank sounds;
    sounds.load("./zik/data.txt");
    SDL_Surface* screen = openGameScreen("Vorrel - recording");
    if (!screen) {
        std::fprintf(stderr, "vorrel-record: no video mode: %s\n", SDL_GetError());
        return 2;
    }

    Level* level = nullptr;
    try {
        level = new Level(positional[0], screen, &sounds, 1, true);
    } catch (const LoadError& error) {
        int status = reportLoadError(error);
        SDL_Quit();
        return status;
    }

    TapeRecorder recorder;
    platform::setKeyboard(&recorder);
    int chosen = -1;
    int startPage = page;
    PlayOutcome outcome = runPlayLoop(*level, page, selectMode, selectMode ? &chosen : nullptr, available, &recorder);
    recorder.finish();
    platform::setKeyboard(nullptr);

    recorder.tape.level = positional[0];
    recorder.tape.expect = outcomeName(outcome);
    if (selectMode) {
        recorder.tape.select = available;
        recorder.tape.page = startPage;
    }
    out << "# recorded with vorrel-record\n" << formatTape(recorder.tape);
    out.close();

    ReplayResult result = summarizePlay(*level, outcome, recorder.tape.frameCount());
    result.selectMode = selectMode;
    result.chosen = chosen;
    result.page = page;
    std::fputs(formatReport(result).c_str(), stdout);
    delete level;
    SDL_Quit();
    return out ? 0 : 2;
}
