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

bool shiftHeld() {
    const uint8_t* keys = platform::keyState();
    return keys[SDLK_LSHIFT] || keys[SDLK_RSHIFT];
}

} // namespace

void Editor::applyAt(int column, int row) {
    if (!doc.inside(column, row)) return;
    EditText before = doc.text;
    EditResult result;
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
    applied(before);
}

void Editor::commit(const EditText& before) {
    history.record(before);
    applied(before);
}

void Editor::applied(const EditText& before) {
    // The drawn level follows through the level's own edits: the cells whose
    // key changed, then the records that changed. Anything else (another
    // theme, another size, a refused record) builds the level again.
    const bool sameLook =
        before.tilesetPath == doc.text.tilesetPath && before.backgroundPath == doc.text.backgroundPath;
    // Records as they were need no placing, even when the level was just
    // built and the placement does not know them yet.
    bool sameRecords = before.records.size() == doc.text.records.size();
    for (size_t i = 0; sameRecords && i < before.records.size(); ++i)
        sameRecords = before.records[i].name == doc.text.records[i].name &&
                      before.records[i].attributes == doc.text.records[i].attributes;
    if (!level || needRebuild || !sameLook || !updateCells(*level, before.grid, doc.text.grid) ||
        (!sameRecords && !placement.place(*level, recordLines(doc.text.records))))
        needRebuild = true;
    changed();
}

void Editor::mouseDown(const SDL_MouseButtonEvent& event) {
    if (event.button == SDL_BUTTON_WHEELUP || event.button == SDL_BUTTON_WHEELDOWN) {
        cyclePalette(event.button == SDL_BUTTON_WHEELUP ? -1 : 1);
        return;
    }
    if (region == Region::Paste) {
        // The block follows the mouse: a left click puts it down, any other cancels.
        if (event.button == SDL_BUTTON_LEFT && event.y < kLevelHeight)
            finishRegionStroke(event.x / kCellSize, event.y / kCellSize);
        else
            say("Paste cancelled");
        region = Region::None;
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
    strokeColumn = anchorColumn = event.x / kCellSize;
    strokeRow = anchorRow = event.y / kCellSize;
    hoverColumn = strokeColumn;
    hoverRow = strokeRow;
    region = Region::None;
    if (event.button == SDL_BUTTON_LEFT && !strokePick && shiftHeld()) {
        region = Region::Rectangle;
        return;
    }
    if (event.button == SDL_BUTTON_LEFT && !strokePick && selection.contains(strokeColumn, strokeRow)) {
        region = Region::Move;
        floating = copyBlock(doc, selection);
        return;
    }
    selection = CellRect();
    // A pick dragged on to other cells selects them; the release tells which.
    if (strokePick) region = Region::Select;
    else applyAt(strokeColumn, strokeRow);
}

void Editor::mouseUp(const SDL_MouseButtonEvent& event) {
    if (event.button != strokeButton) return;
    strokeButton = 0;
    if (region == Region::None || region == Region::Paste) return;
    const int column = event.x / kCellSize, row = (event.y < kLevelHeight ? event.y : kLevelHeight - 1) / kCellSize;
    finishRegionStroke(column, row);
    region = Region::None;
}

void Editor::mouseMotion(int x, int y) {
    hoverColumn = y < kLevelHeight ? x / kCellSize : -1;
    hoverRow = y < kLevelHeight ? y / kCellSize : -1;
    if (!strokeButton || strokePick || region != Region::None || hoverColumn < 0) return;
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
