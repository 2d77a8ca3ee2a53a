// The browser's entry point: no command line, so the game plays as one fixed
// player in the data packed with the page, with the progress the browser kept.
#include <unistd.h>

#include "app/App.h"
#include "frontend/Frontend.h"
#include "platform/web/WebClock.h"
#include "platform/web/WebStorage.h"

int main() {
    if (chdir("/data") != 0) return 1;
    // A new player finds door 1 open.
    platform::restoreSaved(kProgressPath, "1");
    // Another tab's lower door number must never replace this one's.
    platform::keepHighest(kProgressPath);
    platform::setClock(&platform::pausingClock());
    char name[] = "player";
    char program[] = "vorrel";
    char* argv[] = {program, name, nullptr};
    return runGame(2, argv);
}
