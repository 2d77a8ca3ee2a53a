// Shares levels as codes and links, and turns a code back into files.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/CommandLine.h"
#include "common/DataFolder.h"
#include "common/GameScreen.h"
#include "common/LevelLoad.h"
#include "common/Lint.h"
#include "common/Output.h"
#include "common/ShareCode.h"
#include "common/ToolMain.h"
#include "level/Level.h"
#include "level/LevelCode.h"
#include "platform/FileRead.h"
#include "platform/FileWrite.h"
#include "platform/VideoDriver.h"

namespace {

const cmdline::Program kProgram{
    "vorrel-share",
    "vorrel-share encode LEVEL [TAPE]\nvorrel-share link [--base URL] LEVEL [TAPE]\nvorrel-share decode CODE-OR-LINK OUTDIR",
    "Prints a level's code or a link that plays it (with a tape that wins it), or writes\n"
    "the level (and tape) of a code or link into OUTDIR.",
    {{"--base", "URL", "the page a link opens (default: vorrel.html)"}},
    2,
    3,
    "a command and its arguments are needed"};

// A level or code that cannot be shared or decoded.
constexpr int kRefused = 3;

int refuse(const std::string& line) {
    std::printf("%s\n", line.c_str());
    return kRefused;
}

SDL_Surface* openScreen() {
    useDummyDrivers();  // sharing shows nothing and plays no sound
    return openToolScreen("vorrel-share", "Vorrel share");
}

// Loads the level as the game would and checks that the tape, if any, wins
// it: 0 when both hold, else the exit status, the reason said.
int checkLevelAndTape(const LevelText& text, const std::string& name, const Tape* tape, SDL_Surface* screen) {
    std::unique_ptr<Level> level = loadLevelOrReport(text, name, screen, nullptr);
    if (!level) return kLoadFailureExit;
    const std::string problem = tape ? tapeProblem(*level, *tape) : "";
    return problem.empty() ? 0 : refuse(problem);
}

int encode(cmdline::CommandLine& line, std::string levelPath, std::string tapePath, const char* linkBase) {
    enterDataFolder({&levelPath, &tapePath});
    if (!fileread::isReadable(levelPath, fileread::kTextCap))
        return line.usageError("cannot read the level " + levelPath);
    Tape tape;
    const bool hasTape = !tapePath.empty();
    if (hasTape && !loadTapeOrReport("vorrel-share", tapePath.c_str(), tape)) return cmdline::kUsageExit;
    const LevelText text = readLevelText(levelPath);
    const std::string foreign = levelcode::foreignFile(text);
    if (!foreign.empty()) return refuse(levelcode::foreignFileMessage(foreign));
    SDL_Surface* screen = openScreen();
    if (!screen) return platform::kNoDisplayExit;
    // The text read once: the level checked is the level encoded.
    if (const int status = checkLevelAndTape(text, levelPath, hasTape ? &tape : nullptr, screen)) return status;
    const std::string code = encodeLevelCode(text, hasTape ? &tape : nullptr);
    std::printf("%s\n", (linkBase ? linkOf(linkBase, code) : code).c_str());
    return 0;
}

int decode(cmdline::CommandLine& line, const std::string& codeOrLink, std::string outDir) {
    enterDataFolder({&outDir});
    struct stat info;
    if (stat(outDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return line.usageError("no folder " + outDir);
    levelcode::Contents contents;
    std::string name;
    try {
        contents = levelcode::decodeLevelCode(codeOrLink);
        name = levelcode::sharedName(codeOrLink);
    } catch (const levelcode::CodeError& error) {
        return refuse(error.what());
    }
    const bool hasTape = !contents.tape.empty();
    Tape tape;
    if (hasTape) {
        try {
            tape = parseTape(contents.tape);
        } catch (const TapeError& error) {
            return refuse("The tape in the level code is broken: line " + std::to_string(error.line) + ": " +
                          error.what());
        }
    }
    const std::string folder = outDir.back() == '/' ? outDir : outDir + "/";
    const std::string levelPath = folder + name + ".lev";
    const std::string tapePath = folder + name + ".tape";
    // Before anything is made: what cannot be written is said at once.
    if (const std::string why = outputRefusal(levelPath, {}); !why.empty())
        return reportWriteFailure("vorrel-share", levelPath, why);
    if (const std::string why = hasTape ? outputRefusal(tapePath, {}) : ""; !why.empty())
        return reportWriteFailure("vorrel-share", tapePath, why);

    const LevelText text = parseLevelText(contents.level);
    SDL_Surface* screen = openScreen();
    if (!screen) return platform::kNoDisplayExit;
    if (const int status = checkLevelAndTape(text, levelPath, hasTape ? &tape : nullptr, screen)) return status;
    const std::vector<LintMessage> lint = lintLevelText(text, levelPath, screen);
    for (const LintMessage& message : lint) std::fprintf(stderr, "%s\n", formatLintMessage(message).c_str());
    if (hasErrors(lint)) return refuse("The level in the code does not pass the lint.");

    // The tape first: a level is never left without the tape its code held.
    std::string why;
    if (hasTape) {
        tape.level = levelPath;
        tape.expect = outcomeName(Completed);
        if (!writeAtomically(tapePath, formatTape(tape), why)) return reportWriteFailure("vorrel-share", tapePath, why);
    }
    if (!writeAtomically(levelPath, writeLevelText(text), why)) {
        if (hasTape) std::remove(tapePath.c_str());
        return reportWriteFailure("vorrel-share", levelPath, why);
    }
    std::printf("%s\n", levelPath.c_str());
    if (hasTape) std::printf("%s\n", tapePath.c_str());
    return 0;
}

int run(int argc, char** argv) {
    cmdline::CommandLine line(kProgram, argc, argv);
    if (line.done()) return line.status();
    const std::vector<const char*>& args = line.positionals();
    const std::string command = args[0];
    const char* base = line.value("--base");
    if (command == "decode") {
        if (args.size() != 3) return line.usageError("decode takes CODE-OR-LINK and OUTDIR");
        if (base) return line.usageError("--base is for link only");
        return decode(line, args[1], args[2]);
    }
    if (command != "encode" && command != "link") return line.usageError("unknown command " + command);
    if (base && command != "link") return line.usageError("--base is for link only");
    if (command == "link" && !base) base = kDefaultLinkBase;
    return encode(line, args[1], args.size() == 3 ? args[2] : "", base);
}

}  // namespace

int main(int argc, char** argv) { return runTool(run, argc, argv); }
