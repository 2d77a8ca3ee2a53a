// The editing session: opening, saving, the recovery file and the questions.
#include "editor/Editor.h"

#include <unistd.h>

#include <cstdio>

#include "editor/LevelFiles.h"
#include "level/LoadError.h"
#include "platform/FileRead.h"
#include "platform/FileWrite.h"
#include "platform/Platform.h"

std::vector<Theme> findThemes() {
    std::vector<Theme> themes;
    for (const char* name : {"cave", "forest", "castle"}) {
        Theme theme{name, std::string("gfx/") + name + ".txt", std::string("gfx/bg_") + name + ".png"};
        if (fileread::isReadable(theme.tileset, fileread::kTextCap)) themes.push_back(theme);
    }
    return themes;
}

bool Editor::open(const std::string& themeName, std::string& error) {
    std::string bytes;
    existedOnDisk = fileread::readFile(path, fileread::kTextCap, bytes);
    // Something there that cannot be read as a level file (a folder, say)
    // is not taken for a new level: the loader says what it makes of it.
    if (existedOnDisk || access(path.c_str(), F_OK) == 0) {
        try {
            Level check(path, screen, sounds, 1, false);
        } catch (const LoadError& failure) {
            error = failure.silent ? "" : failure.what();
            return false;
        }
        if (!existedOnDisk) {
            error = "vorrel-edit: cannot read " + path;
            return false;
        }
        if (!readEditText(bytes, doc.text, error)) return false;
        savedBytes = writeEditText(doc.text);
    } else {
        const Theme* theme = themes.empty() ? nullptr : &themes[0];
        for (const Theme& t : themes)
            if (t.name == themeName) theme = &t;
        if (!theme || (!themeName.empty() && theme->name != themeName)) {
            error = "vorrel-edit: unknown theme '" + themeName + "' (run it from the data folder)";
            return false;
        }
        doc.text = newLevelText(theme->tileset, theme->background);
        say("A new level: paint it, then save it with ctrl+s");
    }
    if (fileread::readFile(recoveryPath(path), fileread::kTextCap, recoveredBytes)) {
        asking = Ask::Recover;
        say("A recovery file of unsaved changes exists: y opens it, n deletes it");
    }
    lastRecovery = platform::ticks();
    refresh(true);
    rebuildPalette();
    return true;
}

bool Editor::modified() const { return writeEditText(doc.text) != savedBytes; }

bool Editor::save() {
    // Checked again here, whatever the last pass saw.
    refresh(needRebuild);
    for (const Problem& problem : problems)
        if (problem.message.error) {
            say("Not saved: the game would refuse this level: " + problem.message.text);
            return false;
        }
    const std::string bytes = writeEditText(doc.text);
    std::string error;
    if (!saveLevelFile(path, bytes, error)) {
        say("Not saved: cannot write " + path + ": " + error);
        return false;
    }
    savedBytes = bytes;
    existedOnDisk = true;
    filewrite::removeFile(recoveryPath(path));
    recoveryWritten.clear();
    say("Saved " + path);
    return true;
}

void Editor::writeRecovery() {
    const std::string bytes = writeEditText(doc.text);
    lastRecovery = platform::ticks();
    if (!modified() || bytes == recoveryWritten) return;
    std::string error;
    if (writeAtomically(recoveryPath(path), bytes, error))
        recoveryWritten = bytes;
    else
        say("Cannot write the recovery file: " + error);
}

void Editor::requestQuit() {
    if (!modified()) {
        filewrite::removeFile(recoveryPath(path));
        done = true;
        return;
    }
    asking = Ask::Quit;
    say("Save the changes? y saves, n discards them, escape goes back");
}

void Editor::answer(SDLKey sym) {
    const bool yes = sym == SDLK_y, no = sym == SDLK_n, back = sym == SDLK_ESCAPE;
    switch (asking) {
    case Ask::Quit:
        if (yes && save()) done = true;
        if (no) {
            filewrite::removeFile(recoveryPath(path));
            done = true;
        }
        if (yes || no || back) asking = Ask::None;
        if (back) say("");
        break;
    case Ask::Recover: {
        if (!yes && !no) return;
        asking = Ask::None;
        if (no) {
            filewrite::removeFile(recoveryPath(path));
            say("Recovery file deleted");
            return;
        }
        EditText recovered;
        std::string error;
        if (!readEditText(recoveredBytes, recovered, error)) {
            say("The recovery file cannot be read: " + error);
            return;
        }
        history.record(doc.text);
        doc.text = recovered;
        refresh(true);
        rebuildPalette();
        changed();
        say("Recovered the unsaved changes; ctrl+s saves them");
        break;
    }
    case Ask::KeepTape: {
        if (!yes && !no) return;
        asking = Ask::None;
        if (no) {
            say("");
            return;
        }
        playedTape.level = path;
        playedTape.expect = "Completed";
        std::string error;
        const std::string tapePath = tapePathFor(path);
        if (writeAtomically(tapePath, "# recorded with vorrel-edit\n" + formatTape(playedTape), error))
            say("Kept the tape as " + tapePath + (modified() ? " (save the level too)" : ""));
        else
            say("Cannot write " + tapePath + ": " + error);
        break;
    }
    case Ask::None:
        break;
    }
}
