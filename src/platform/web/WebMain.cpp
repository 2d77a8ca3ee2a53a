// The browser's entry point: the game plays as one fixed player in the data
// packed with the page, with the progress the browser kept; a level code from
// the page's fragment plays that level alone.
#include <emscripten.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "app/App.h"
#include "frontend/Frontend.h"
#include "level/LevelCode.h"
#include "platform/web/WebClock.h"
#include "platform/web/WebStorage.h"

// For the page: "ok", "ok tape" (the code carries a solution) or the one
// line why the code does not decode.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webCheckCode(const char* code) {
    static std::string answer;
    try {
        answer = levelcode::decodeLevelCode(code).tape.empty() ? "ok" : "ok tape";
    } catch (const levelcode::CodeError& error) {
        answer = error.what();
    }
    return answer.c_str();
}

// "--play CODE" from the page's fragment plays that level on its own.
int main(int argc, char** argv) {
    if (chdir("/data") != 0) return 1;
    // A new player finds door 1 open.
    platform::restoreSaved(kProgressPath, "1");
    // Another tab's lower door number must never replace this one's.
    platform::keepHighest(kProgressPath);
    platform::setClock(&platform::pausingClock());
    char name[] = "player";
    char program[] = "vorrel";
    char play[] = "--play";
    if (argc == 3 && std::strcmp(argv[1], play) == 0) {
        char* shared[] = {program, name, play, argv[2], nullptr};
        return runGame(4, shared);
    }
    char* plain[] = {program, name, nullptr};
    return runGame(2, plain);
}
