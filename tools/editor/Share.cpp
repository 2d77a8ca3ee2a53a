// The editor's sharing: F8 makes the level's link, and a code or link given
// in place of a file opens as an unsaved level.
#include <cstdio>

#include "common/ShareCode.h"
#include "editor/Editor.h"
#include "editor/LevelFiles.h"
#include "level/LevelCode.h"
#include "level/LevelText.h"

std::string linkPathFor(const std::string& levelPath) { return levelStem(levelPath) + ".link"; }

void Editor::share() {
    refresh(needRebuild);
    if (!problems.empty()) {
        say("Not shared: the lint has something to say (f2): " + problems.front().message.text);
        return;
    }
    const LevelText text = toLevelText(doc.text);
    const std::string foreign = levelcode::foreignFile(text);
    if (!foreign.empty()) {
        say("Not shared: " + levelcode::foreignFileMessage(foreign));
        return;
    }
    // The test-play's kept tape, else the solver's, as long as it wins this
    // very text; else the solver is asked now.
    const Tape* tapes[] = {&playedTape, haveSolution ? &solution : nullptr};
    for (const Tape* tape : tapes) {
        if (!tape || tape->runs.empty()) continue;
        const bool wins = shareProblem(text, *tape, screen).empty();
        // The replay's level took over the items' class-wide references.
        refresh(true);
        if (wins) {
            shareWith(tape);
            return;
        }
    }
    solve();
    if (haveSolution) {
        shareWith(&solution);
        return;
    }
    asking = Ask::ShareAnyway;
    say(note + ". Share it without a solution? y/n");
}

void Editor::shareWith(const Tape* tape) {
    sharedLink = linkOf(kDefaultLinkBase, encodeLevelCode(toLevelText(doc.text), tape));
    std::printf("%s\n", sharedLink.c_str());
    std::fflush(stdout);
    std::string where = "printed";
    if (!path.empty()) {
        std::string error;
        const std::string linkPath = linkPathFor(path);
        where = writeAtomically(linkPath, sharedLink + "\n", error) ? "in " + linkPath : "cannot write " + linkPath;
    }
    say(std::string(tape ? "Link with its solution" : "Link") + " (" + where + "): " + sharedLink);
}

bool Editor::openCode(const std::string& codeOrLink, std::string& error) {
    levelcode::Contents contents;
    try {
        contents = levelcode::decodeLevelCode(codeOrLink);
    } catch (const levelcode::CodeError& failure) {
        error = failure.what();
        return false;
    }
    if (!readEditText(contents.level, doc.text, error)) return false;
    path.clear();
    savedBytes.clear();
    if (!contents.tape.empty()) playedTape = parseTape(contents.tape);
    say("A shared level: ctrl+s asks for a file name");
    refresh(true);
    rebuildPalette();
    return true;
}
