// The editor: its keys, the checks after a change, test-play and solving.
#include "editor/Editor.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "audio/SoundBank.h"
#include "editor/EditorLayout.h"
#include "editor/LevelFiles.h"
#include "editor/OpenScreen.h"
#include "editor/SaveAsPrompt.h"
#include "editor/SolveJob.h"
#include "platform/Display.h"
#include "platform/Events.h"
#include "platform/Platform.h"
#include "play/PlayLoop.h"

namespace {

// Seconds of one F6 search; F6 again after an undecided one adds as many.
constexpr double kSolveSeconds = 60;

} // namespace

Editor::Editor(SDL_Surface* screen, SoundBank* sounds, const std::string& path)
    : screen(screen), sounds(sounds), path(path), themes(findThemes()) {
    doc.keyName = themeKeyName;
}

Editor::~Editor() {
    for (PaletteEntry& entry : palette) SDL_FreeSurface(entry.icon);
}

void Editor::refresh(bool rebuild) {
    if (rebuild || !level) {
        doc.keys = readThemeKeys(doc.text.tilesetPath);
        levelError.clear();
        std::unique_ptr<Level> fresh = buildLevel(doc.text, screen, sounds, levelError);
        // A level the game refuses keeps the last picture; the problem is named below.
        if (fresh) level = std::move(fresh);
        else if (level) level.reset();
        placement.forget();
        for (ThemeKey& k : doc.keys) {
            const Cell* prototype = level ? level->spriteTable.findPrototype(static_cast<unsigned char>(k.key)) : nullptr;
            k.hides = prototype && !prototype->liquid && editorlayout::coversCell(prototype->sprite);
        }
        // The palette shows the theme's own pictures, whichever way the theme changed.
        if (paletteTileset != doc.text.tilesetPath) rebuildPalette();
    }
    problems = lintText(doc.text);
    if (!levelError.empty()) {
        bool found = false;
        for (const Problem& problem : problems) found = found || problem.message.error;
        if (!found) {
            Problem problem;
            problem.message.error = true;
            problem.message.text = levelError + " (the game's loader)";
            problems.insert(problems.begin(), problem);
        }
    }
    listProblems();
    dirty = false;
    needRebuild = false;
    toolbar.stale = true;
}

void Editor::changed() {
    dirty = true;
    haveSolution = false;
    verdict.clear();
    toolbar.stale = true;
    dropSolve();
}

void Editor::travel(bool forward) {
    const EditText before = doc.text;
    if (!(forward ? history.redo(doc.text) : history.undo(doc.text))) {
        say(forward ? "Nothing to redo" : "Nothing to undo");
        return;
    }
    const size_t more = forward ? history.redoCount() : history.undoCount();
    say(std::string(forward ? "Redone (" : "Undone (") + std::to_string(more) + " more steps)");
    applied(before);
}

void Editor::cycleTheme() {
    if (themes.empty()) return;
    size_t next = 0;
    for (size_t i = 0; i < themes.size(); ++i)
        if (themes[i].tileset == doc.text.tilesetPath) next = (i + 1) % themes.size();
    const EditText before = doc.text;
    doc.text.tilesetPath = themes[next].tileset;
    doc.text.backgroundPath = themes[next].background;
    commit(before);
    refresh(true);
    say("Theme: " + themes[next].name);
}

void Editor::key(const SDL_KeyboardEvent& event) {
    const SDLKey sym = event.keysym.sym;
    const int mod = event.keysym.mod;  // the browser's SDL keeps it in a plain number
    if (asking != Ask::None) {
        answer(sym);
        return;
    }
    if (mod & KMOD_CTRL) {
        if (sym == SDLK_z && (mod & KMOD_SHIFT)) travel(true);
        else if (sym == SDLK_z) travel(false);
        else if (sym == SDLK_y) travel(true);
        else if (sym == SDLK_s && (mod & KMOD_SHIFT)) startSaveAs();
        else if (sym == SDLK_s) save();
        else if (sym == SDLK_o) startOpen();
        else if (sym == SDLK_q) requestQuit();
        else if (sym == SDLK_c || sym == SDLK_x) copySelection(sym == SDLK_x);
        else if (sym == SDLK_v) startPaste();
        return;
    }
    if (sym >= SDLK_0 && sym <= SDLK_9) {
        // 1 to 9 and 0 choose the first ten entries; with Shift, the next ten.
        const size_t index = (sym == SDLK_0 ? 9 : sym - SDLK_1) + (mod & KMOD_SHIFT ? 10 : 0);
        if (index < palette.size()) choose(palette[index].piece);
        say("");
        return;
    }
    const bool shift = mod & KMOD_SHIFT;
    switch (sym) {
    case SDLK_ESCAPE:
        if (region == Region::Paste) {
            region = Region::None;
            say("Paste cancelled");
        } else if (!selection.empty()) {
            selection = CellRect();
            say("");
        } else if (helpShown || problemsShown) {
            helpShown = problemsShown = false;
        } else {
            requestQuit();
        }
        break;
    case SDLK_F1: helpShown = !helpShown; break;
    case SDLK_F2: problemsShown = !problemsShown; break;
    case SDLK_F5: testPlay(shift); break;
    case SDLK_F6: solve(); break;
    case SDLK_F7: playSolution(shift ? 4 : 1); break;
    case SDLK_F8: share(); break;
    case SDLK_TAB: cyclePalette(shift ? -1 : 1); break;
    case SDLK_t: cycleTheme(); break;
    case SDLK_f: flood(); break;
    case SDLK_g: gridShown = !gridShown; break;
    case SDLK_PLUS:
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
    case SDLK_MINUS:
    case SDLK_KP_MINUS: {
        const bool more = sym == SDLK_PLUS || sym == SDLK_EQUALS || sym == SDLK_KP_PLUS;
        EditText before = doc.text;
        EditResult result = doc.setBombs(doc.bombs() + (more ? 1 : -1));
        say(result.refusal);
        if (result.changed) {
            commit(before);
            say("The player carries " + std::to_string(doc.bombs()) + (doc.bombs() == 1 ? " bomb" : " bombs"));
        }
        break;
    }
    default: break;
    }
}

void Editor::handle(const SDL_Event& event) {
    if (sessionEvent(event)) return;
    switch (event.type) {
    case SDL_QUIT:
        if (asking == Ask::None) requestQuit();
        break;
    case SDL_KEYDOWN: key(event.key); break;
    case SDL_MOUSEBUTTONDOWN:
        if (asking == Ask::None) mouseDown(event.button);
        break;
    case SDL_MOUSEBUTTONUP: mouseUp(event.button); break;
    case SDL_MOUSEMOTION:
        if (asking == Ask::None) mouseMotion(event.motion.x, event.motion.y);
        break;
    default: break;
    }
}

bool Editor::pass() {
    SDL_Event event;
    while (!done && platform::pollEvent(event)) handle(event);
    if (done) return false;
    if (dirty) refresh(needRebuild);
    if (platform::ticks() - lastRecovery >= recoveryInterval) writeRecovery();
    // Under the Open screen the level is not drawn: its pictures were made
    // with the loader the drawn level's items share.
    if (!opener) draw();
    drawSessionScreens();
    platform::present(screen);
    platform::delay(15);
    return true;
}

void Editor::run() {
    while (pass()) {}
}

void Editor::drainEvents() {
    SDL_Event event;
    while (platform::pollEvent(event)) {}
    strokeButton = 0;
    region = Region::None;
}

void Editor::testPlay(bool fromHover) {
    EditText text = doc.text;
    if (fromHover) {
        if (!doc.inside(hoverColumn, hoverRow)) {
            say("Point at a cell to start the test there");
            return;
        }
        // The player is put there for this play only; the level keeps its start.
        EditDoc start = doc;
        const EditResult placed = start.startAt(hoverColumn, hoverRow);
        if (!placed.refusal.empty()) {
            say("Cannot start there: " + placed.refusal);
            return;
        }
        text = start.text;
    }
    PlayOutcome outcome = Quit;
    bool music = sounds != nullptr;
    // R plays the test again from its start, as the band says; each play is
    // a tape of its own, so the kept one is the last.
    do {
        std::string error;
        std::unique_ptr<Level> play = buildLevel(text, screen, sounds, error, music);
        if (!play) {
            say("Cannot play: " + error);
            refresh(true);
            return;
        }
        music = false;
        TapeRecorder recorder(playKeyboard);
        platform::Keyboard* previous = playKeyboard;
        platform::setKeyboard(&recorder);
        int page = 0;
        outcome = runPlayLoop(*play, page, false, nullptr, 0, &recorder);
        recorder.finish();
        platform::setKeyboard(previous);
        playedTape = recorder.tape;
    } while (outcome == Restart);
    if (sounds) Mix_HaltMusic();
    drainEvents();
    // The items of the drawn level find their level through class-wide
    // references, which the test level took over.
    refresh(true);
    if (outcome == Completed && fromHover) {
        say("Won from cell " + std::to_string(hoverColumn) + "," + std::to_string(hoverRow) +
            " (only a test from the start can be kept as the tape)");
    } else if (outcome == Completed) {
        asking = Ask::KeepTape;
        const std::string tapePath = tapePathFor(path);
        const bool replaces = access(tapePath.c_str(), F_OK) == 0;
        say("Won! Keep these keys as the level's tape (" + tapePath + (replaces ? ", replacing the one there" : "") +
            ")? y/n");
    } else {
        say(outcome == Died ? "Test-play: the player died" : "Test-play ended");
    }
}

void Editor::solve() {
    if (!SolveJob::available()) {
        say("The solver is not available");
        return;
    }
    if (solveJob) {
        // The search the last F6 left undecided, on this very text: on from where it stopped.
        solveJob->extend(kSolveSeconds);
    } else {
        std::string error;
        // Without sounds: the search would play them.
        std::unique_ptr<Level> work = buildLevel(doc.text, screen, nullptr, error);
        if (!work) {
            say("Cannot solve: " + error);
            return;
        }
        solveLevel = std::move(work);
        solveJob.reset(new SolveJob(*solveLevel, kSolveSeconds));
    }
    SolveJob& job = *solveJob;
    SolveJob::State state = SolveJob::Running;
    bool cancelled = false;
    // Slices of 30 to 100 ms, whatever the level's speed, so the count
    // moves and Escape answers at once (in a browser, the whole page too).
    uint64_t budget = 200;
    while (state == SolveJob::Running && !cancelled) {
        const double before = job.seconds();
        state = job.step(budget);
        const double spent = job.seconds() - before;
        if (spent < 0.03) budget = std::min<uint64_t>(budget * 2, 1000000);
        else if (spent > 0.1 && budget > 1) budget /= 2;
        SDL_Event event;
        while (platform::pollEvent(event))
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) cancelled = true;
        char line[160];
        std::snprintf(line, sizeof line, "Solving: %llu states, %.1f seconds (escape cancels)",
                      static_cast<unsigned long long>(job.states()), job.seconds());
        say(line);
        draw();
        platform::present(screen);
        // A browser shows the picture and takes events only while the search waits.
        platform::delay(1);
    }
    // The verdict goes on the check line, with the checks, never apart from them.
    char words[160];
    haveSolution = false;
    bool undecided = false;
    verdictTone = 1;
    // An Escape that comes with the last slice is too late to cancel it.
    if (state == SolveJob::Running) {
        std::snprintf(words, sizeof words, "solving cancelled after %.1f seconds (f6 goes on)", job.seconds());
        undecided = true;
    } else if (state == SolveJob::Solved && job.tape()) {
        solution = *job.tape();
        haveSolution = true;
        verdictTone = 0;
        std::snprintf(words, sizeof words, "solvable in %u moves (f7 shows how)", job.moves());
    } else if (state == SolveJob::Unsolvable) {
        verdictTone = 2;
        std::snprintf(words, sizeof words, "cannot be won: the solver tried every way");
    } else {
        std::snprintf(words, sizeof words, "not decided in %.0f seconds (f6 goes on)", job.seconds());
        undecided = true;
    }
    if (!undecided) dropSolve();
    refresh(true);
    verdict = words;
    toolbar.stale = true;
    say("");
}

void Editor::dropSolve() {
    solveJob.reset();
    solveLevel.reset();
}

void Editor::playSolution(int speed) {
    if (!haveSolution) {
        say(SolveJob::available() ? "No solution yet: f6 solves the level" : "The solver is not available");
        return;
    }
    std::string error;
    std::unique_ptr<Level> play = buildLevel(doc.text, screen, sounds, error);
    if (!play) {
        say("Cannot play: " + error);
        return;
    }
    platform::Clock* clock = platform::installedClock();
    platform::Keyboard* keyboard = platform::installedKeyboard();
    {
        ShowDriver driver(solution, *play, clock, keyboard, speed);
        int page = 0;
        runPlayLoop(*play, page, false, nullptr, 0, &driver);
    }
    play.reset();
    drainEvents();
    refresh(true);
    say(speed > 1 ? "That was the solver's solution, at " + std::to_string(speed) + "x"
                  : std::string("That was the solver's solution"));
}
