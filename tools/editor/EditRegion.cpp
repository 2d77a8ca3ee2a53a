// Rectangles, floods and blocks of cells, one cell at a time through EditDoc.
#include "editor/EditRegion.h"

#include <algorithm>
#include <utility>

namespace {

void note(RegionResult& total, const EditResult& one) {
    if (one.changed) ++total.changed;
    if (one.refusal.empty()) return;
    if (total.refused++ == 0) total.refusal = one.refusal;
}

// Takes away the item (not the player) and the decoration of a cell.
void clearPieces(EditDoc& doc, int column, int row, RegionResult& result) {
    for (;;) {
        const int item = doc.itemAt(column, row);
        const int decoration = doc.decorationAt(column, row);
        const bool removable = (item >= 0 && doc.kindOfRecord(item) != PieceKind::Player) || decoration >= 0;
        if (!removable) return;
        EditResult one = doc.erase(column, row);
        if (!one.changed) return;
        note(result, one);
    }
}

} // namespace

CellRect spanOf(int column0, int row0, int column1, int row1) {
    CellRect rect;
    rect.column = std::min(column0, column1);
    rect.row = std::min(row0, row1);
    rect.columns = std::max(column0, column1) - rect.column + 1;
    rect.rows = std::max(row0, row1) - rect.row + 1;
    return rect;
}

std::string RegionResult::report(const std::string& done) const {
    return refused ? done + ", " + std::to_string(refused) + " kept: " + refusal : done;
}

RegionResult fillRect(EditDoc& doc, char key, const CellRect& rect) {
    RegionResult result;
    for (int r = rect.row; r < rect.row + rect.rows; ++r)
        for (int c = rect.column; c < rect.column + rect.columns; ++c)
            if (doc.inside(c, r)) note(result, doc.paint({PieceKind::Cell, key}, c, r));
    return result;
}

RegionResult floodFill(EditDoc& doc, char key, int column, int row) {
    RegionResult result;
    if (!doc.inside(column, row)) return result;
    const char from = doc.keyAt(column, row);
    if (from == key) return result;
    // The whole region first: a cell that keeps its key (an item stands in
    // it) must not stop the flood behind it.
    std::vector<std::vector<bool>> seen(doc.rows());
    for (int r = 0; r < doc.rows(); ++r) seen[r].assign(doc.text.grid[r].size(), false);
    std::vector<std::pair<int, int>> todo{{column, row}}, region;
    seen[row][column] = true;
    while (!todo.empty()) {
        const auto [c, r] = todo.back();
        todo.pop_back();
        region.push_back({c, r});
        for (const auto& [dc, dr] : {std::pair<int, int>{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            const int nc = c + dc, nr = r + dr;
            if (!doc.inside(nc, nr) || seen[nr][nc] || doc.keyAt(nc, nr) != from) continue;
            seen[nr][nc] = true;
            todo.push_back({nc, nr});
        }
    }
    std::sort(region.begin(), region.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    });
    for (const auto& [c, r] : region) note(result, doc.paint({PieceKind::Cell, key}, c, r));
    return result;
}

Block copyBlock(const EditDoc& doc, const CellRect& rect) {
    Block block;
    block.columns = rect.columns;
    block.rows = rect.rows;
    for (int r = rect.row; r < rect.row + rect.rows; ++r) {
        std::string keys;
        for (int c = rect.column; c < rect.column + rect.columns; ++c) {
            keys += doc.inside(c, r) ? doc.keyAt(c, r) : doc.openKey();
            if (!doc.inside(c, r)) continue;
            const int decoration = doc.decorationAt(c, r);
            if (decoration >= 0) {
                // A water tint has no key: it goes along by its words alone.
                const std::vector<std::string>& words = doc.text.records[decoration].attributes;
                const char key = words.size() == 3 ? words[2][0] : 0;
                block.pieces.push_back({{PieceKind::Decoration, key},
                                        c - rect.column,
                                        r - rect.row,
                                        std::vector<std::string>(words.begin() + 2, words.end())});
            }
            const Piece piece = doc.pick(c, r);
            if (piece.kind != PieceKind::Cell && piece.kind != PieceKind::Decoration)
                block.pieces.push_back({piece, c - rect.column, r - rect.row, {}});
        }
        block.keys.push_back(keys);
    }
    return block;
}

RegionResult clearRect(EditDoc& doc, const CellRect& rect) {
    RegionResult result;
    const char open = doc.openKey();
    for (int r = rect.row; r < rect.row + rect.rows; ++r)
        for (int c = rect.column; c < rect.column + rect.columns; ++c) {
            if (!doc.inside(c, r)) continue;
            clearPieces(doc, c, r, result);
            note(result, doc.paint({PieceKind::Cell, open}, c, r));
        }
    return result;
}

RegionResult pasteBlock(EditDoc& doc, const Block& block, int column, int row) {
    RegionResult result;
    // The player first: where he leaves, a solid cell of the block may go.
    for (const Block::Placed& placed : block.pieces)
        if (placed.piece.kind == PieceKind::Player)
            note(result, doc.paint(placed.piece, column + placed.column, row + placed.row));
    for (int r = 0; r < block.rows; ++r)
        for (int c = 0; c < block.columns; ++c) {
            if (!doc.inside(column + c, row + r)) continue;
            clearPieces(doc, column + c, row + r, result);
            note(result, doc.paint({PieceKind::Cell, block.keys[r][c]}, column + c, row + r));
        }
    for (const Block::Placed& placed : block.pieces) {
        const int c = column + placed.column, r = row + placed.row;
        if (placed.piece.kind == PieceKind::Player || !doc.inside(c, r)) continue;
        note(result, placed.piece.kind == PieceKind::Decoration ? doc.placeDecoration(placed.words, c, r)
                                                                : doc.paint(placed.piece, c, r));
    }
    return result;
}
