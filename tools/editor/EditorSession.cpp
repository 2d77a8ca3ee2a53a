// The editing session: opening, saving, the recovery file, the questions,
// and the Open and Save As screens.
#include "editor/Editor.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "common/LevelLoad.h"
#include "editor/LevelFiles.h"
#include "editor/OpenScreen.h"
#include "editor/Panel.h"
#include "editor/SaveAsPrompt.h"
#include "editor/TextDraw.h"
#include "level/LevelText.h"
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
    if (!load(path, themeName, error)) return false;
    for (const Repair& repair : repairs)
        std::printf("%s:%u: repaired: %s\n", path.c_str(), repair.line, repair.text.c_str());
    std::fflush(stdout);
    return true;
}

bool Editor::load(const std::string& file, const std::string& themeName, std::string& error) {
    EditDoc fresh;
    fresh.keyName = themeKeyName;
    std::vector<Repair> mended;
    std::string bytes, before;
    std::string folderNote;
    // Through a link to the file it names; a link to nothing names a new file.
    const bool exists = access(file.c_str(), F_OK) == 0;
    if (exists) {
        bool editable = fileread::readFile(file, fileread::kTextCap, bytes) &&
                        readAndRepair(bytes, file, fresh, mended);
        if (editable) {
            std::string refusal;
            editable = buildLevel(fresh.text, screen, nullptr, refusal) != nullptr;
        }
        if (!editable) {
            // The first cause, as every tool says it.
            try {
                Level check(file, screen, nullptr, 1, false);
                error = file + ": the game's loader accepts the file, but the editor cannot read it";
            } catch (const LoadError& failure) {
                error = loadFailureCause(file, failure, screen, nullptr);
            }
            return false;
        }
        EditText unmended;
        std::string ignored;
        readEditText(bytes, unmended, ignored);
        before = writeEditText(unmended);
    } else {
        const Theme* theme = themes.empty() ? nullptr : &themes[0];
        for (const Theme& t : themes)
            if (t.name == themeName) theme = &t;
        if (!theme || (!themeName.empty() && theme->name != themeName)) {
            error = "vorrel-edit: unknown theme '" + themeName + "' (run it from the data folder)";
            return false;
        }
        fresh.text = newLevelText(theme->tileset, theme->background);
        // Untouched, a new level has nothing to lose.
        before = writeEditText(fresh.text);
        folderNote = folderRefusal(file);
    }

    path = file;
    doc.text = fresh.text;
    history = History();
    existedOnDisk = exists;
    openedBytes = bytes;
    backupKept = false;
    savedBytes = before;
    repairs = mended;
    repairsShown = !repairs.empty();
    repairsConfirmed = repairs.empty();
    recoveryWritten.clear();
    // The clipboard stays: a region may be carried from one level to another.
    selection = CellRect();
    region = Region::None;
    changed();
    asking = Ask::None;
    if (!repairs.empty())
        say("Opened with " + std::to_string(repairs.size()) + (repairs.size() == 1 ? " repair" : " repairs") +
            "; ctrl+s asks before saving over the file");
    else if (!folderNote.empty())
        say("Cannot be saved here: " + folderNote + "; ctrl+shift+s saves elsewhere");
    else if (exists)
        say("Opened " + path);
    else
        say("A new level: paint it, then save it with ctrl+s");
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
    if (path.empty()) {
        // A shared level opened from its code has no file yet.
        startSaveAs();
        return false;
    }
    // Checked again here, whatever the last pass saw.
    refresh(needRebuild);
    for (const Problem& problem : problems)
        if (problem.message.error) {
            say("Not saved: the game would refuse this level: " + problem.message.text);
            return false;
        }
    if (!repairsConfirmed) {
        asking = Ask::SaveRepaired;
        say("The editor repaired this file when it opened it: save over it? y saves (the old file goes to .bak), n "
            "goes back");
        return false;
    }
    const std::string bytes = writeEditText(doc.text);
    std::string error;
    // The .bak holds the file as this session found it, written once.
    const std::string* backup = existedOnDisk && !backupKept ? &openedBytes : nullptr;
    if (!saveLevelFile(path, bytes, backup, error)) {
        const std::string folder = folderRefusal(path);
        say(folder.empty() ? "Not saved: cannot write " + path + ": " + error
                           : "Not saved: " + folder + "; ctrl+shift+s saves elsewhere");
        return false;
    }
    backupKept = backupKept || backup;
    savedBytes = bytes;
    toolbar.stale = true;
    filewrite::removeFile(recoveryPath(path));
    recoveryWritten.clear();
    say("Saved " + path);
    return true;
}

void Editor::writeRecovery() {
    if (path.empty()) return;
    const std::string bytes = writeEditText(doc.text);
    lastRecovery = platform::ticks();
    // While the question about an older recovery file is open, that file is
    // the only copy of its work.
    if (!modified() || bytes == recoveryWritten || asking == Ask::Recover) return;
    std::string error;
    if (writeAtomically(recoveryPath(path), bytes, error))
        recoveryWritten = bytes;
    else if (asking == Ask::None)  // a question waiting for its answer stays on the line
        say("Cannot write the recovery file: " + error);
}

void Editor::keepUnsavedWork() { writeRecovery(); }

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
        if (yes || no || back) asking = Ask::None;
        if (yes) {
            quitAfterSave = true;
            if (save()) done = true;
            // Only the question about a repaired file carries the quit on.
            if (asking != Ask::SaveRepaired) quitAfterSave = false;
        }
        if (no) {
            if (!path.empty()) filewrite::removeFile(recoveryPath(path));
            done = true;
        }
        if (back) say("");
        break;
    case Ask::SaveRepaired:
        if (!yes && !no && !back) return;
        asking = Ask::None;
        if (yes) {
            repairsConfirmed = true;
            if (save() && quitAfterSave) done = true;
            if (!pendingFile.empty() && !modified()) openChosen();
        } else {
            say("Not saved");
        }
        quitAfterSave = false;
        pendingFile.clear();
        break;
    case Ask::Replace:
        if (!yes && !no && !back) return;
        asking = Ask::None;
        if (yes)
            saveAs(pendingFile);
        else
            say("Not saved");
        pendingFile.clear();
        break;
    case Ask::OpenOther:
        if (!yes && !no && !back) return;
        asking = Ask::None;
        if (back) {
            pendingFile.clear();
            say("");
            return;
        }
        if (no && !path.empty()) filewrite::removeFile(recoveryPath(path));
        if (no || save()) openChosen();
        if (asking == Ask::None) pendingFile.clear();
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
        if (path.empty()) {
            say("The tape stays with the level for f8; save the level to keep it in a file");
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
    case Ask::ShareAnyway:
        if (!yes && !no) return;
        asking = Ask::None;
        if (yes) shareWith(nullptr);
        else say("");
        break;
    case Ask::None:
        break;
    }
}

void Editor::startOpen() {
    std::vector<std::string> folders{filewrite::folderOf(path)};
    if (!playerLevelsFolder().empty()) folders.push_back(playerLevelsFolder());
    opener.reset(new OpenScreen(folders, path));
}

void Editor::openChosen() {
    const std::string file = pendingFile;
    pendingFile.clear();
    std::string error;
    if (!load(file, "", error)) {
        // The failed load took over the class-wide references of the drawn level's items.
        refresh(true);
        say("Cannot open " + file + ": " + error);
        return;
    }
    for (const Repair& repair : repairs)
        std::printf("%s:%u: repaired: %s\n", path.c_str(), repair.line, repair.text.c_str());
    std::fflush(stdout);
}

void Editor::startSaveAs() {
    std::vector<std::string> folders;
    if (!path.empty() && folderRefusal(path).empty()) folders.push_back(filewrite::folderOf(path));
    const std::string own = playerLevelsFolder();
    if (!own.empty() && (path.empty() || filewrite::folderOf(path) != own)) folders.push_back(own);
    // A level opened from a code has no name of its own yet.
    const std::string name = path.empty() ? "shared" : levelStem(path.substr(path.rfind('/') + 1));
    prompt.reset(new SaveAsPrompt(folders, name));
}

bool Editor::saveAs(const std::string& file) {
    // The editor goes on with the new file: what a later save keeps as its
    // .bak is the file that was there before this one.
    const std::string oldPath = path, oldOpened = openedBytes;
    const bool oldExisted = existedOnDisk, oldKept = backupKept, oldConfirmed = repairsConfirmed;
    // The player's own folder is made when the first level goes there.
    if (filewrite::folderOf(file) == playerLevelsFolder()) {
        std::error_code ignored;
        std::filesystem::create_directories(filewrite::folderOf(file), ignored);
    }
    path = file;
    existedOnDisk = fileread::readFile(file, fileread::kTextCap, openedBytes);
    backupKept = false;
    repairsConfirmed = true;
    if (save()) {
        filewrite::removeFile(recoveryPath(oldPath));
        return true;
    }
    path = oldPath;
    openedBytes = oldOpened;
    existedOnDisk = oldExisted;
    backupKept = oldKept;
    repairsConfirmed = oldConfirmed;
    return false;
}

bool Editor::sessionEvent(const SDL_Event& event) {
    // Closing the window closes these screens first, so its question is seen.
    if (event.type == SDL_QUIT) {
        if (opener) refresh(true);
        opener.reset();
        prompt.reset();
        repairsShown = false;
        return false;
    }
    if (repairsShown) {
        if (event.type == SDL_KEYDOWN || event.type == SDL_MOUSEBUTTONDOWN) repairsShown = false;
        return true;
    }
    if (prompt) {
        if (event.type != SDL_KEYDOWN) return true;
        const SaveAsPrompt::Result result = prompt->key(event.key.keysym);
        if (result == SaveAsPrompt::Cancelled) {
            prompt.reset();
            say("");
        } else if (result == SaveAsPrompt::Done) {
            const std::string file = prompt->path();
            prompt.reset();
            if (file == path) {
                save();
            } else if (access(file.c_str(), F_OK) == 0) {
                pendingFile = file;
                asking = Ask::Replace;
                say(file + " exists: replace it? y/n");
            } else {
                saveAs(file);
            }
        }
        return true;
    }
    if (opener) {
        OpenScreen::Result result = OpenScreen::Choosing;
        if (event.type == SDL_KEYDOWN) result = opener->key(event.key.keysym.sym);
        if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT)
            result = opener->click(event.button.x, event.button.y);
        if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_WHEELUP) opener->wheel(-1);
        if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_WHEELDOWN) opener->wheel(1);
        if (result == OpenScreen::Choosing) return true;
        const std::string file = opener->chosen();
        opener.reset();
        // Its picture was made by the game's loader, which took over the
        // class-wide references of the drawn level's items.
        refresh(true);
        if (result == OpenScreen::Cancelled) return true;
        pendingFile = file;
        if (!modified()) {
            openChosen();
        } else {
            asking = Ask::OpenOther;
            say("Save the changes before opening " + file + "? y saves, n discards them, escape goes back");
        }
        return true;
    }
    return false;
}

void Editor::drawSessionScreens() {
    if (opener) opener->draw(screen);
    if (prompt) prompt->draw(screen);
    if (!repairsShown) return;
    const int shown = static_cast<int>(repairs.size() < 30 ? repairs.size() : 30);
    const Uint32 orange = rgb(screen, 255, 170, 60);
    drawPanel(screen, 8, 8, 624, shown * 11 + 36, orange);
    drawSmallText(screen, 16, 15,
                  "the file had faults the game would refuse; the editor repaired them (any key goes on):",
                  rgb(screen, 255, 220, 0));
    for (int i = 0; i < shown; ++i)
        drawSmallText(screen, 16, 30 + i * 11, "line " + std::to_string(repairs[i].line) + ": " + repairs[i].text,
                      orange);
}
