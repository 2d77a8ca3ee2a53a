#include "app/App.h"

#include <SDL/SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "audio/SoundBank.h"
#include "frontend/Frontend.h"
#include "level/LevelCode.h"
#include "level/LoadError.h"
#include "level/Vocabulary.h"
#include "platform/Display.h"
#include "platform/FileRead.h"
#include "platform/VideoDriver.h"
#include "platform/Gamepad.h"
#include "platform/Signals.h"

SDL_Cursor* hiddenCursor = nullptr;

const char* const kCursorPicture[37] = {
    "    32    32        3            1",
    "X c #000000",
    ". c #ffffff",
    "  c None",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "0,0",
};

void packCursor(const char* const* picture, Uint8 data[128], Uint8 mask[128], int& hotX, int& hotY) {
    int i = -1;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (x % 8 == 0) {
                ++i;
                data[i] = mask[i] = 0;
            } else {
                data[i] <<= 1;
                mask[i] <<= 1;
            }
            switch (picture[4 + y][x]) {
            case 'X':
                data[i] |= 0x01;
                mask[i] |= 0x01;
                break;
            case '.':
                mask[i] |= 0x01;
                break;
            default:
                break;
            }
        }
    }
    hotX = hotY = 0;
    std::sscanf(picture[36], "%d,%d", &hotX, &hotY);
}

SDL_Cursor* buildCursor(const char* const* picture) {
    Uint8 data[128];
    Uint8 mask[128];
    int hotX, hotY;
    packCursor(picture, data, mask, hotX, hotY);
    return SDL_CreateCursor(data, mask, 32, 32, hotX, hotY);
}

namespace {

// The sound libraries complain on standard error about a machine without a
// sound card while the device is opened; the game then simply plays silently,
// and a start without argument must print nothing at all.
class QuietStandardError {
public:
    QuietStandardError() {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        int sink = open("/dev/null", O_WRONLY);
        if (saved >= 0 && sink >= 0) dup2(sink, STDERR_FILENO);
        if (sink >= 0) close(sink);
    }
    void restore() {
        if (saved < 0) return;
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        saved = -1;
    }
    ~QuietStandardError() { restore(); }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved = -1;
};

int reportVideoFailure() {
    std::printf("Unable to start the display: %s\n", SDL_GetError());
    std::fflush(stdout);
    return kVideoFailureExit;
}

} // namespace

namespace {

// "--scale N" anywhere after the name is taken out before the arguments are
// counted; the rest keep their meaning. 0 when it is not given, -1 when N is
// not a factor the game offers.
int takeScale(int& argc, char** argv) {
    int scale = 0;
    for (int i = 2; i < argc;) {
        if (std::strcmp(argv[i], "--scale") != 0) {
            ++i;
            continue;
        }
        scale = platform::readScale(i + 1 < argc ? argv[i + 1] : "");
        if (!scale) scale = -1;
        const int taken = i + 1 < argc ? 2 : 1;
        for (int j = i; j + taken <= argc; ++j) argv[j] = argv[j + taken];
        argc -= taken;
        if (scale < 0) break;
    }
    return scale;
}

// "NAME --play FILE [fullscreen]": one level file on its own; a level code
// or a link to one in place of FILE plays the level it holds.
bool isPlayForm(int argc, char** argv) { return argc >= 4 && std::strcmp(argv[2], "--play") == 0; }

// A level file, or a level code or link. campaign: the player asked to go
// on to the campaign after a shared level.
int playFromCommandLine(const std::string& fileOrCode, SDL_Surface* screen, SoundBank& sounds, bool& campaign) {
    campaign = false;
    if (fileread::isReadable(fileOrCode, fileread::kTextCap) || !levelcode::looksLikeCode(fileOrCode))
        return playLevelFile(fileOrCode, screen, sounds) ? 0 : 1;
    levelcode::Contents contents;
    try {
        contents = levelcode::decodeLevelCode(fileOrCode);
    } catch (const levelcode::CodeError& error) {
        return reportLoadError(LoadError(error.what()));
    }
    bool won = false;
    campaign = playSharedLevel(contents, screen, sounds, won);
    return won || campaign ? 0 : 1;
}

int runWithSounds(int argc, char** argv, int scale, SoundBank& sounds) {
    sounds.load("./zik/data.txt");
    if (argc == 1) return 1;
    platform::throwIfStopRequested();

    std::printf("Loading %s.\n", argv[1]);
    std::fflush(stdout);
    std::printf("\n");
    std::fflush(stdout);

    // A missing sound or joystick subsystem makes SDL_Init fail too; the game
    // can do without them, not without video.
    std::string why;
    if (!platform::chooseVideoDriver(why)) {
        SDL_SetError("%s", why.c_str());
        return reportVideoFailure();
    }
    int initialised;
    {
        QuietStandardError quietInit;
        initialised = SDL_Init(0xFFFF);
    }
    // SDL puts its own handlers in when none of ours were there; ours win.
    platform::installStopSignals();
    if (initialised < 0 && !SDL_WasInit(SDL_INIT_VIDEO)) return reportVideoFailure();
    SDL_WM_SetCaption("Vorrel by Quillmoor", nullptr);
    platform::openGamepad();

    const bool playForm = isPlayForm(argc, argv);
    platform::DisplayOptions display;
    display.scale = scale;
    display.fullscreen = argc == 3 || (playForm && argc >= 5);
    if (!display.fullscreen) {
        hiddenCursor = buildCursor(kCursorPicture);
        SDL_SetCursor(hiddenCursor);
    }
    SDL_Surface* screen = platform::openDisplay(kScreenWidth, kScreenHeight, display);

    int status = 0;
    if (!screen) {
        status = reportVideoFailure();
    } else {
        try {
            bool campaign = !playForm;
            if (playForm) status = playFromCommandLine(argv[3], screen, sounds, campaign);
            if (campaign) {
                bool returning = false;
                while (runTitleScreen(screen, sounds, returning)) {
                    returning = true;
                    runLevelSelection(screen, sounds, 1, true);
                }
            }
        } catch (const LoadError& error) {
            status = reportLoadError(error);
        } catch (const platform::StopRequested& stop) {
            status = platform::stopExitStatus(stop.signal);
        }
    }

    platform::closeDisplay();
    SDL_FreeCursor(hiddenCursor);
    hiddenCursor = nullptr;
    return status;
}

} // namespace

int runGame(int argc, char** argv) {
    // From the very start, so that a stop during loading is not lost either.
    platform::installStopSignals();
    int status;
    {
        // The sound bank comes first, before the command line is looked at.
        QuietStandardError quiet;
        SoundBank sounds;
        quiet.restore();
        try {
            const int scale = takeScale(argc, argv);
            if (scale < 0) {
                std::printf("%s\n", platform::scaleRefusal().c_str());
                std::fflush(stdout);
                status = kUsageExit;
            } else {
                status = runWithSounds(argc, argv, scale, sounds);
            }
        } catch (const platform::StopRequested& stop) {
            status = platform::stopExitStatus(stop.signal);
        }
    }
    // The bank's sounds are freed; the device is closed before the process ends.
    Mix_CloseAudio();
    return status;
}
