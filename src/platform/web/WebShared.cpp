// The browser's end of a shared level: the page shows the choices (again,
// the solution, the campaign) and the game waits for one; the solution plays
// on the canvas at its own pace.
#include "platform/SharedPlay.h"

#include <emscripten.h>

#include "common/Tape.h"
#include "level/Level.h"
#include "play/PlayLoop.h"

namespace platform {

SharedChoice afterSharedPlay(bool won, bool solution) {
    EM_ASM({ if (Module.sharedEnded) Module.sharedEnded($0, $1); }, won, solution);
    for (;;) {
        // The page's answer: 1 again, 2 the solution, 3 the campaign.
        const int choice = EM_ASM_INT({
            var c = Module.sharedChoice || 0;
            Module.sharedChoice = 0;
            return c;
        });
        if (choice == 1) return SharedChoice::Again;
        if (choice == 2 && solution) return SharedChoice::Watch;
        if (choice == 3) return SharedChoice::Campaign;
        SDL_PumpEvents();
        SDL_Delay(20);
    }
}

void watchSolution(Level& level, const std::string& tapeRuns) {
    Tape tape;
    try {
        tape = parseTape(tapeRuns);
    } catch (const TapeError&) {
        return;
    }
    platform::Clock* clock = platform::installedClock();
    platform::Keyboard* keyboard = platform::installedKeyboard();
    {
        ShowDriver driver(tape, level, clock, keyboard);
        int page = 0;
        runPlayLoop(level, page, false, nullptr, 0, &driver);
    }
}

} // namespace platform
