// The mouse: strokes that paint, clear or pick cells, and palette clicks.
#include "editor/Editor.h"

#include "editor/EditorLayout.h"
#include "level/LevelEdit.h"
#include "level/LevelText.h"
#include "platform/Platform.h"

using namespace editorlayout;

namespace {

std::vector<RecordLine> recordLines(const std::vector<EditRecord>& records) {
    std::vector<RecordLine> lines(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        lines[i].name = records[i].name;
        lines[i].attributes = records[i].attributes;
    }
    return lines;
}

bool ctrlHeld() {
    const uint8_t* keys = platform::keyState();
    return keys[SDLK_LCTRL] || keys[SDLK_RCTRL];
}

} // namespace

void Editor::applyAt(int column, int row) {
    if (!doc.inside(column, row)) return;
    EditText before = doc.text;
    EditResult result;
    if (strokePick) {
        choose(doc.pick(column, row));
        say("");
        return;
    }
    if (strokeButton == SDL_BUTTON_RIGHT)
        result = doc.erase(column, row);
    else
        result = doc.paint(current, column, row);
    if (!result.refusal.empty()) say(result.refusal);
    if (!result.changed) return;
    if (!strokeRecorded) {
        history.record(before);
        strokeRecorded = true;
    }
    if (!result.refusal.empty()) say("");
    // A cell painted over a cell of the same kind is put in place in the
    // drawn level, changed records place their items again; anything else
    // builds the level again.
    const char key = doc.keyAt(column, row);
    const bool patched = level && !needRebuild && before.records.size() == doc.text.records.size() &&
                         before.grid[row][column] != key && row < static_cast<int>(level->grid.size()) &&
                         static_cast<int>(level->grid[row].size()) == doc.columns() &&
                         setCellKey(*level, column, row, static_cast<unsigned char>(key));
    if (!patched && !(level && !needRebuild && before.grid == doc.text.grid &&
                      placement.place(*level, recordLines(doc.text.records))))
        needRebuild = true;
    changed();
}

void Editor::mouseDown(const SDL_MouseButtonEvent& event) {
    if (event.button == SDL_BUTTON_WHEELUP || event.button == SDL_BUTTON_WHEELDOWN) {
        cyclePalette(event.button == SDL_BUTTON_WHEELUP ? -1 : 1);
        return;
    }
    if (event.y >= kLevelHeight) {
        if (event.button != SDL_BUTTON_LEFT) return;
        const int index = (event.x - 4) / kIconStep;
        if (event.x >= 4 && index < static_cast<int>(palette.size()) && event.y >= kIconTop &&
            event.y < kIconTop + kIconSize) {
            current = palette[index].piece;
            say("");
        }
        return;
    }
    strokeButton = event.button;
    strokePick = event.button == SDL_BUTTON_MIDDLE || (event.button == SDL_BUTTON_LEFT && ctrlHeld());
    strokeRecorded = false;
    strokeColumn = event.x / kCellSize;
    strokeRow = event.y / kCellSize;
    applyAt(strokeColumn, strokeRow);
}

void Editor::mouseMotion(int x, int y) {
    hoverColumn = y < kLevelHeight ? x / kCellSize : -1;
    hoverRow = y < kLevelHeight ? y / kCellSize : -1;
    if (!strokeButton || strokePick || hoverColumn < 0) return;
    // Every cell on the way from the last one, so a fast drag leaves no gaps.
    int c = strokeColumn, r = strokeRow;
    const int tc = hoverColumn, tr = hoverRow;
    const int dc = tc > c ? 1 : -1, dr = tr > r ? 1 : -1;
    const int nc = tc > c ? tc - c : c - tc, nr = tr > r ? tr - r : r - tr;
    int error = nc - nr;
    while (c != tc || r != tr) {
        const int e2 = 2 * error;
        if (e2 > -nr) {
            error -= nr;
            c += dc;
        }
        if (e2 < nc) {
            error += nc;
            r += dr;
        }
        applyAt(c, r);
    }
    strokeColumn = tc;
    strokeRow = tr;
}
