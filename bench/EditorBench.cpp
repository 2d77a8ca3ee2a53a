// What an edit costs in the level editor on the busiest campaign level (the
// most item records): a cell painted, a crate placed, one step undone or
// redone, a rectangle filled, each with the checks after the change and the
// redraw of the whole window.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "BenchStart.h"
#include "audio/SoundBank.h"
#include "editor/Editor.h"
#include "platform/Events.h"
#include "platform/FileRead.h"
#include "platform/Platform.h"
#include "common/GameScreen.h"

namespace {

SDL_Surface* screen = nullptr;
SoundBank* sounds = nullptr;
std::string busiest;

std::string findBusiest() {
    std::string best;
    size_t most = 0;
    for (int n = 1; n < 1000; ++n) {
        const std::string path = "level/main/level" + std::to_string(n) + ".lev";
        std::string bytes;
        if (!fileread::readFile(path, fileread::kTextCap, bytes)) break;
        EditText text;
        std::string error;
        readEditText(bytes, text, error);
        if (text.records.size() >= most) {
            most = text.records.size();
            best = path;
        }
    }
    return best;
}

// The editor works on a copy, so nothing of the campaign is written.
std::unique_ptr<Editor> openCopy(const std::string& copy) {
    std::string bytes;
    fileread::readFile(busiest, fileread::kTextCap, bytes);
    std::ofstream(copy, std::ios::binary) << bytes;
    std::unique_ptr<Editor> editor(new Editor(screen, sounds, copy));
    std::string error;
    if (!editor->open("", error)) return nullptr;
    editor->recoveryInterval = 0xffffffffu;
    return editor;
}

enum class Edit { Cell, Item, Undo, Rectangle };

// One iteration: a click (or key) that changes something, then one pass of
// the editor (checks and the whole picture).
void editBench(benchmark::State& state, Edit edit) {
    platform::VirtualInput input;
    platform::ScriptedEvents events;
    platform::setEventSource(&events);
    const std::string copy = "/tmp/vorrel-editor-bench-" + std::to_string(getpid()) + ".lev";
    std::unique_ptr<Editor> editor = openCopy(copy);
    if (!editor) {
        state.SkipWithError("cannot open the level");
        return;
    }
    // An open cell of the level to change back and forth.
    int column = -1, row = -1;
    for (int r = 0; r < editor->doc.rows() && column < 0; ++r)
        for (int c = 0; c < editor->doc.columns(); ++c)
            if (editor->doc.keyAt(c, r) == '.' && editor->doc.itemAt(c, r) < 0 && !editor->doc.playerAt(c, r)) {
                column = c;
                row = r;
                break;
            }
    const bool item = edit == Edit::Item;
    if (edit == Edit::Undo) {
        // One step to take back and forth, and the pass after the first edit done.
        editor->choose({PieceKind::Crate, 0});
        events.click(column * 32 + 5, row * 32 + 5);
        editor->pass();
        editor->pass();
    }
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        if (edit == Edit::Undo) {
            events.key(flip ? SDLK_z : SDLK_y, KMOD_LCTRL);
        } else if (edit == Edit::Rectangle) {
            // The whole level but its border, turned to ladder and back.
            editor->choose({PieceKind::Cell, flip ? '?' : '.'});
            input.keyboard.press(SDLK_LSHIFT);
            events.drag(32 + 5, 32 + 5, 18 * 32 + 5, 10 * 32 + 5);
            editor->pass();
            input.keyboard.release(SDLK_LSHIFT);
            continue;
        } else {
            if (item)
                editor->choose({PieceKind::Crate, 0});
            else
                editor->choose({PieceKind::Cell, flip ? '?' : '.'});
            events.click(column * 32 + 5, row * 32 + 5, item && !flip ? SDL_BUTTON_RIGHT : SDL_BUTTON_LEFT);
        }
        editor->pass();
    }
    platform::setEventSource(nullptr);
    std::remove(copy.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (!startBench(argc, argv, "vorrel_editor_bench")) return 2;
    sounds = new SoundBank;
    screen = openGameScreen("Vorrel editor benchmark");
    busiest = findBusiest();
    std::printf("busiest campaign level: %s\n", busiest.c_str());
    const struct {
        const char* name;
        Edit edit;
    } rows[] = {{"edit/paint_cell", Edit::Cell},
                {"edit/place_item", Edit::Item},
                {"edit/undo_redo", Edit::Undo},
                {"edit/fill_rectangle", Edit::Rectangle}};
    for (const auto& row : rows)
        benchmark::RegisterBenchmark(row.name, editBench, row.edit)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete sounds;
    SDL_Quit();
    return 0;
}
