// Shares levels as codes and links, and turns a code back into files.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/Lint.h"
#include "common/ShareCode.h"
#include "editor/LevelFiles.h"
#include "level/LevelCode.h"
#include "platform/FileRead.h"

namespace {

constexpr int kBadArguments = 2;
constexpr int kRefused = 3;

int usage(const std::string& message) {
    std::fprintf(stderr, "vorrel-share: %s\n", message.c_str());
    std::fprintf(stderr,
                 "usage: vorrel-share encode LEVEL [TAPE]\n"
                 "       vorrel-share link [--base URL] LEVEL [TAPE]\n"
                 "       vorrel-share decode CODE-OR-LINK OUTDIR\n");
    return kBadArguments;
}

int refuse(const std::string& line) {
    std::printf("%s\n", line.c_str());
    return kRefused;
}

SDL_Surface* openScreen() {
    // Sharing shows nothing and plays no sound.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return openGameScreen("Vorrel share");
}

int encode(const char* levelPath, const char* tapePath, const char* linkBase) {
    if (!fileread::isReadable(levelPath, fileread::kTextCap))
        return usage(std::string("cannot read the level ") + levelPath);
    Tape tape;
    if (tapePath && !loadTapeOrReport("vorrel-share", tapePath, tape)) return kBadArguments;
    const LevelText text = readLevelText(levelPath);
    SDL_Surface* screen = openScreen();
    if (!screen) return refuse("vorrel-share: no screen to load the level on");
    const std::string problem = shareProblem(text, tapePath ? &tape : nullptr, screen);
    if (!problem.empty()) return refuse(problem);
    const std::string code = encodeLevelCode(text, tapePath ? &tape : nullptr);
    std::printf("%s\n", (linkBase ? linkOf(linkBase, code) : code).c_str());
    return 0;
}

int decode(const char* codeOrLink, const std::string& outDir) {
    struct stat info;
    if (stat(outDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return usage("no folder " + outDir);
    levelcode::Contents contents;
    std::string name;
    try {
        contents = levelcode::decodeLevelCode(codeOrLink);
        name = levelcode::sharedName(codeOrLink);
    } catch (const levelcode::CodeError& error) {
        return refuse(error.what());
    }
    Tape tape;
    if (!contents.tape.empty()) {
        try {
            tape = parseTape(contents.tape);
        } catch (const TapeError& error) {
            return refuse("The tape in the level code is broken: line " + std::to_string(error.line) + ": " +
                          error.what());
        }
    }
    const bool hasTape = !contents.tape.empty();
    const LevelText text = parseLevelText(contents.level);
    SDL_Surface* screen = openScreen();
    if (!screen) return refuse("vorrel-share: no screen to load the level on");
    const std::string problem = shareProblem(text, hasTape ? &tape : nullptr, screen);
    if (!problem.empty()) return refuse(problem);

    const std::string folder = outDir.back() == '/' ? outDir : outDir + "/";
    const std::string levelPath = folder + name + ".lev";
    const std::string tapePath = folder + name + ".tape";
    const std::vector<LintMessage> lint = lintLevelText(text, levelPath, screen);
    for (const LintMessage& message : lint) std::fprintf(stderr, "%s\n", formatLintMessage(message).c_str());
    if (hasErrors(lint)) return refuse("The level in the code does not pass the lint.");

    std::string error;
    if (hasTape) {
        tape.level = levelPath;
        tape.expect = outcomeName(Completed);
        if (!writeAtomically(tapePath, formatTape(tape), error)) return refuse(error);
    }
    if (!writeAtomically(levelPath, writeLevelText(text), error)) {
        if (hasTape) std::remove(tapePath.c_str());
        return refuse(error);
    }
    std::printf("%s\n", levelPath.c_str());
    if (hasTape) std::printf("%s\n", tapePath.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage("a command is needed");
    const std::string command = argv[1];
    if (command == "decode") {
        if (argc != 4) return usage("decode takes CODE-OR-LINK and OUTDIR");
        return decode(argv[2], argv[3]);
    }
    if (command != "encode" && command != "link") return usage("unknown command " + command);
    int first = 2;
    const char* base = command == "link" ? kDefaultLinkBase : nullptr;
    if (command == "link" && argc > 2 && !std::strcmp(argv[2], "--base")) {
        if (argc < 4) return usage("--base needs a URL");
        base = argv[3];
        first = 4;
    }
    if (argc - first < 1 || argc - first > 2) return usage(command + " takes LEVEL and an optional TAPE");
    if (argv[first][0] == '-') return usage(std::string("unknown option ") + argv[first]);
    return encode(argv[first], argc - first == 2 ? argv[first + 1] : nullptr, base);
}
