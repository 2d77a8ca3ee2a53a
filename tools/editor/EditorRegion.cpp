// The region tools in the window: Shift+drag rectangles, F floods, the
// selection, Ctrl+C/X/V and moving a selection, each one step of undo.
#include "editor/Editor.h"

#include "editor/EditorLayout.h"
#include "editor/Panel.h"
#include "gfx/Surface.h"

using namespace editorlayout;

namespace {

std::string size(int columns, int rows) { return std::to_string(columns) + " x " + std::to_string(rows); }
std::string size(const CellRect& rect) { return size(rect.columns, rect.rows); }
std::string cells(int count) { return std::to_string(count) + (count == 1 ? " cell" : " cells"); }

} // namespace

void Editor::finishRegionStroke(int column, int row) {
    const EditText before = doc.text;
    RegionResult result;
    std::string done;
    switch (region) {
    case Region::None: return;
    case Region::Rectangle:
        if (current.kind != PieceKind::Cell) {
            say("A rectangle is filled with a cell: choose one in the palette");
            return;
        }
        result = fillRect(doc, current.key, spanOf(anchorColumn, anchorRow, column, row));
        done = "Filled " + cells(result.changed);
        break;
    case Region::Select:
        if (column == anchorColumn && row == anchorRow) {
            // Not dragged: a pick. Dragged, it leaves the choice alone.
            choose(doc.pick(column, row));
            say("");
            return;
        }
        selection = spanOf(anchorColumn, anchorRow, column, row);
        say("Selected " + size(selection) + " cells: drag to move, ctrl+c copies, ctrl+x cuts");
        return;
    case Region::Move: {
        const int dc = column - anchorColumn, dr = row - anchorRow;
        if (!dc && !dr) return;
        const RegionResult cleared = clearRect(doc, selection);
        result = pasteBlock(doc, floating, selection.column + dc, selection.row + dr);
        result.changed += cleared.changed;
        selection.column += dc;
        selection.row += dr;
        done = "Moved " + size(floating.columns, floating.rows) + " cells";
        break;
    }
    case Region::Paste:
        result = pasteBlock(doc, clipboard, column, row);
        done = "Pasted " + size(clipboard.columns, clipboard.rows) + " cells";
        break;
    }
    if (result.changed) commit(before);
    say(result.report(done));
}

void Editor::copySelection(bool cut) {
    if (selection.empty()) {
        say("Nothing selected: drag with ctrl or the middle button to select");
        return;
    }
    clipboard = copyBlock(doc, selection);
    if (!cut) {
        say("Copied " + size(selection) + " cells: ctrl+v pastes");
        return;
    }
    const EditText before = doc.text;
    const RegionResult result = clearRect(doc, selection);
    if (result.changed) commit(before);
    say(result.report("Cut " + size(selection) + " cells: ctrl+v pastes"));
    selection = CellRect();
}

void Editor::startPaste() {
    if (clipboard.keys.empty()) {
        say("Nothing to paste: select cells, then ctrl+c or ctrl+x");
        return;
    }
    selection = CellRect();
    region = Region::Paste;
    say("Paste: the block follows the mouse; a click puts it down, escape cancels");
}

void Editor::flood() {
    if (!doc.inside(hoverColumn, hoverRow)) {
        say("Point at a cell to fill from it");
        return;
    }
    if (current.kind != PieceKind::Cell) {
        say("A fill spreads a cell: choose one in the palette");
        return;
    }
    const EditText before = doc.text;
    const RegionResult result = floodFill(doc, current.key, hoverColumn, hoverRow);
    if (result.changed) commit(before);
    say(result.report("Filled " + cells(result.changed)));
}

void Editor::drawBlock(const Block& block, int column, int row) {
    for (int r = 0; r < block.rows; ++r)
        for (int c = 0; c < block.columns; ++c) {
            const Cell* prototype =
                level ? level->spriteTable.findPrototype(static_cast<unsigned char>(block.keys[r][c])) : nullptr;
            if (prototype && prototype->sprite && doc.inside(column + c, row + r))
                blitRect(prototype->sprite, screen, 0, 0, kCellSize, kCellSize, (column + c) * kCellSize,
                         (row + r) * kCellSize);
        }
    for (const Block::Placed& placed : block.pieces) {
        if (!doc.inside(column + placed.column, row + placed.row)) continue;
        for (const PaletteEntry& entry : palette)
            if (entry.piece == placed.piece && entry.icon)
                blitRect(entry.icon, screen, 0, 0, kIconSize, kIconSize, (column + placed.column) * kCellSize + 4,
                         (row + placed.row) * kCellSize + 4);
    }
    frameRect(screen, column * kCellSize, row * kCellSize, block.columns * kCellSize, block.rows * kCellSize, 1,
              rgb(screen, 255, 220, 0));
}

void Editor::drawRegion() {
    const Uint32 cyan = rgb(screen, 80, 220, 255);
    const bool hovering = doc.inside(hoverColumn, hoverRow);
    if (region == Region::Move && hovering) {
        drawBlock(floating, selection.column + hoverColumn - anchorColumn, selection.row + hoverRow - anchorRow);
    } else if (!selection.empty()) {
        frameRect(screen, selection.column * kCellSize, selection.row * kCellSize, selection.columns * kCellSize,
                  selection.rows * kCellSize, 1, cyan);
    }
    if (region == Region::Paste && hovering) drawBlock(clipboard, hoverColumn, hoverRow);
    if ((region == Region::Rectangle || region == Region::Select) && hovering) {
        const CellRect rect = spanOf(anchorColumn, anchorRow, hoverColumn, hoverRow);
        frameRect(screen, rect.column * kCellSize, rect.row * kCellSize, rect.columns * kCellSize,
                  rect.rows * kCellSize, 1, region == Region::Rectangle ? rgb(screen, 255, 220, 0) : cyan);
    }
}
