// Every tool stops the same way when asked.
#include "common/ToolMain.h"

#include <SDL/SDL.h>

#include "platform/Signals.h"

int runTool(int (*body)(int argc, char** argv), int argc, char** argv) {
    // Before SDL starts: SDL keeps a handler it finds instead of its own.
    platform::installStopSignals();
    try {
        return body(argc, argv);
    } catch (const platform::StopRequested& stop) {
        SDL_Quit();
        return platform::stopExitStatus(stop.signal);
    }
}
