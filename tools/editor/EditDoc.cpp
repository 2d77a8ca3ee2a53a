#include "editor/EditDoc.h"

#include "level/TilesetText.h"
#include "level/Vocabulary.h"

namespace {

// The record each kind of piece is written as; the cell has none.
constexpr struct {
    PieceKind piece;
    Record record;
} kPieceRecords[] = {
    {PieceKind::Player, Record::Player},     {PieceKind::Goal, Record::Goal},      {PieceKind::Gem, Record::Treasure},
    {PieceKind::Crate, Record::Box},         {PieceKind::Heavy, Record::Heavybox}, {PieceKind::Bombs, Record::Bombs},
    {PieceKind::Decoration, Record::Bgitem},
};

const RecordRule* ruleOfPiece(PieceKind kind) {
    for (const auto& entry : kPieceRecords)
        if (entry.piece == kind) return &ruleOf(entry.record);
    return nullptr;
}

bool isRecord(const EditRecord& record, Record kind) {
    const RecordRule* rule = findRecord(record.name, record.attributes.size());
    return rule && rule->kind == kind;
}

bool standsAt(const EditRecord& record, int column, int row) {
    return record.attributes.size() >= 2 && parseInt(record.attributes[0]) == column &&
           parseInt(record.attributes[1]) == row;
}

EditRecord makeRecord(Record kind, int column, int row) {
    EditRecord record;
    record.name = recordName(kind);
    record.attributes = {std::to_string(column), std::to_string(row)};
    return record;
}

} // namespace

const SheetStrip* pictureOf(PieceKind kind) {
    const RecordRule* rule = ruleOfPiece(kind);
    return rule ? rule->picture : nullptr;
}

const char* pieceNoun(PieceKind kind) {
    const RecordRule* rule = ruleOfPiece(kind);
    return rule ? rule->word : "cell";
}

bool EditDoc::inside(int column, int row) const {
    return row >= 0 && row < rows() && column >= 0 && column < static_cast<int>(text.grid[row].size());
}

char EditDoc::keyAt(int column, int row) const { return inside(column, row) ? text.grid[row][column] : 0; }

const ThemeKey* EditDoc::findKey(char key) const {
    for (const ThemeKey& k : keys)
        if (k.key == key) return &k;
    return nullptr;
}

bool EditDoc::passable(char key) const {
    const ThemeKey* k = findKey(key);
    return k && k->passable;
}

char EditDoc::openKey() const {
    const char open = static_cast<char>(kOpenKey);
    if (passable(open)) return open;
    for (const ThemeKey& k : keys)
        if (k.passable && k.key != static_cast<char>(kWaterKey) && k.key != static_cast<char>(kLadderKey)) return k.key;
    return open;
}

std::string EditDoc::nameOf(char key) const {
    if (keyName) return keyName(*this, key);
    return std::string("key '") + key + "'";
}

std::string EditDoc::nameOf(const Piece& piece) const {
    if (piece.kind == PieceKind::Cell) return nameOf(piece.key);
    if (piece.kind == PieceKind::Decoration) return "decoration: " + nameOf(piece.key);
    return pieceNoun(piece.kind);
}

int EditDoc::itemAt(int column, int row) const {
    int found = -1;
    for (size_t i = 0; i < text.records.size(); ++i) {
        const EditRecord& record = text.records[i];
        if (!isPlacedRecord(record.name) || record.attributes.size() != 2) continue;
        if (standsAt(record, column, row)) found = static_cast<int>(i);
    }
    if (found >= 0) return found;
    int player = -1;
    return playerAt(column, row, &player) ? player : -1;
}

bool EditDoc::playerAt(int column, int row, int* record) const {
    int last = -1;
    for (size_t i = 0; i < text.records.size(); ++i)
        if (isRecord(text.records[i], Record::Player)) last = static_cast<int>(i);
    if (record) *record = last;
    if (last < 0) return column == kPlayerStartColumn && row == kPlayerStartRow;
    return standsAt(text.records[last], column, row);
}

int EditDoc::decorationAt(int column, int row) const {
    for (size_t i = 0; i < text.records.size(); ++i) {
        const EditRecord& record = text.records[i];
        if ((isRecord(record, Record::Bgitem) || isRecord(record, Record::Bgwater)) && standsAt(record, column, row))
            return static_cast<int>(i);
    }
    return -1;
}

PieceKind EditDoc::kindOfRecord(int index) const {
    const std::string& name = text.records[index].name;
    for (const auto& entry : kPieceRecords)
        if (name == recordName(entry.record)) return entry.piece;
    return PieceKind::Cell;
}

int EditDoc::bombs() const {
    int total = 0;
    for (const EditRecord& record : text.records)
        if (isRecord(record, Record::Bombs)) total += parseInt(record.attributes[0]);
    return total;
}

EditResult EditDoc::setBombs(int count) {
    EditResult result;
    if (count < 0 || count > 9) {
        result.refusal = count < 0 ? "The player carries no bombs already" : "Nine bombs at most";
        return result;
    }
    if (count == bombs()) return result;
    if (count > 0 && !findKey(static_cast<char>(kRubbleKey))) {
        result.refusal = "This theme has no rubble cell, so it cannot have bombs";
        return result;
    }
    size_t at = text.records.size();
    for (size_t i = text.records.size(); i-- > 0;)
        if (isRecord(text.records[i], Record::Bombs)) {
            text.records.erase(text.records.begin() + i);
            at = i;
        }
    if (count > 0) {
        EditRecord record;
        record.name = recordName(Record::Bombs);
        record.attributes = {std::to_string(count)};
        text.records.insert(text.records.begin() + std::min(at, text.records.size()), record);
    }
    result.changed = true;
    return result;
}

EditResult EditDoc::paint(const Piece& piece, int column, int row) {
    EditResult result;
    if (!inside(column, row)) return result;
    switch (piece.kind) {
    case PieceKind::Cell: return paintCell(piece.key, column, row);
    case PieceKind::Decoration:
        return placeDecoration({std::string(1, piece.key)}, column, row);
    case PieceKind::Bombs:
        result.refusal = "Bombs are carried by the player: + and - change their number";
        return result;
    default: return placeItem(piece.kind, column, row);
    }
}

EditResult EditDoc::paintCell(char key, int column, int row) {
    EditResult result;
    if (keyAt(column, row) == key) return result;
    if (!findKey(key)) {
        result.refusal = "This theme has no such cell";
        return result;
    }
    const int item = itemAt(column, row);
    const bool player = playerAt(column, row);
    const ThemeKey* painted = findKey(key);
    if (painted->hides && decorationAt(column, row) >= 0) {
        result.refusal = "A decoration stands there and " + nameOf(key) + " would hide it: clear it first";
        return result;
    }
    if ((item >= 0 || player) && !passable(key)) {
        result.refusal = cannotStand(player ? PieceKind::Player : kindOfRecord(item), key) + ": move it first";
        return result;
    }
    text.grid[row][column] = key;
    result.changed = true;
    return result;
}

EditResult EditDoc::placeItem(PieceKind kind, int column, int row) {
    EditResult result;
    if (!passable(keyAt(column, row))) {
        result.refusal = cannotStand(kind, keyAt(column, row));
        return result;
    }
    const bool playerHere = playerAt(column, row);
    if (kind == PieceKind::Player) {
        if (playerHere) return result;
        int other = itemAt(column, row);
        if (other >= 0) {
            result.refusal = std::string("A ") + pieceNoun(kindOfRecord(other)) +
                             " stands there: each item needs a cell of its own";
            return result;
        }
        putPlayer(column, row);
        result.changed = true;
        return result;
    }
    if (playerHere) {
        result.refusal = "The player stands there: each item needs a cell of its own";
        return result;
    }
    const int other = itemAt(column, row);
    if (other >= 0 && kindOfRecord(other) == kind) return result;
    // Placing over another item replaces it: still one item per cell.
    if (other >= 0) text.records.erase(text.records.begin() + other);
    // Only the last goal record opens the level, so a second door would be
    // a dead decoy: placing the door moves it, as it moves the player.
    int goal = -1;
    if (kind == PieceKind::Goal)
        for (size_t i = 0; i < text.records.size(); ++i)
            if (isRecord(text.records[i], Record::Goal)) goal = static_cast<int>(i);
    if (goal >= 0)
        text.records[goal] = makeRecord(Record::Goal, column, row);
    else
        text.records.push_back(makeRecord(ruleOfPiece(kind)->kind, column, row));
    result.changed = true;
    return result;
}

EditResult EditDoc::startAt(int column, int row) {
    EditResult result;
    if (!inside(column, row) || !passable(keyAt(column, row))) {
        result.refusal = cannotStand(PieceKind::Player, keyAt(column, row));
        return result;
    }
    putPlayer(column, row);
    result.changed = true;
    return result;
}

void EditDoc::putPlayer(int column, int row) {
    // The last player record is the one the game reads; a level without one
    // gets its record first, where the writer puts it.
    int record = -1;
    playerAt(column, row, &record);
    if (record >= 0)
        text.records[record] = makeRecord(Record::Player, column, row);
    else
        text.records.insert(text.records.begin(), makeRecord(Record::Player, column, row));
}

std::string EditDoc::cannotStand(PieceKind kind, char key) const {
    return (kind == PieceKind::Player ? std::string("The player") : std::string("A ") + pieceNoun(kind)) +
           " cannot stand inside " + nameOf(key);
}

EditResult EditDoc::placeDecoration(const std::vector<std::string>& words, int column, int row) {
    EditResult result;
    if (words.size() == 1 && !findKey(words[0][0])) {
        result.refusal = "This theme has no such decoration";
        return result;
    }
    const ThemeKey* cell = findKey(keyAt(column, row));
    if (cell && cell->hides) {
        result.refusal = "A decoration behind " + nameOf(keyAt(column, row)) + " is never seen";
        return result;
    }
    const int at = decorationAt(column, row);
    EditRecord record = makeRecord(Record::Bgitem, column, row);
    record.attributes.insert(record.attributes.end(), words.begin(), words.end());
    if (at >= 0) {
        const std::vector<std::string>& there = text.records[at].attributes;
        if (std::vector<std::string>(there.begin() + 2, there.end()) == words) return result;
        text.records[at] = record;
    } else {
        text.records.push_back(record);
    }
    result.changed = true;
    return result;
}

EditResult EditDoc::erase(int column, int row) {
    EditResult result;
    if (!inside(column, row)) return result;
    const int item = itemAt(column, row);
    if (item >= 0 && kindOfRecord(item) == PieceKind::Player) {
        result.refusal = "There is always one player: place it elsewhere to move it";
        return result;
    }
    if (item < 0 && playerAt(column, row)) {
        result.refusal = "There is always one player: place it elsewhere to move it";
        return result;
    }
    if (item >= 0) {
        text.records.erase(text.records.begin() + item);
        result.changed = true;
        return result;
    }
    const int decoration = decorationAt(column, row);
    if (decoration >= 0) {
        text.records.erase(text.records.begin() + decoration);
        result.changed = true;
        return result;
    }
    return paintCell(openKey(), column, row);
}

Piece EditDoc::pick(int column, int row) const {
    Piece piece;
    const int item = itemAt(column, row);
    if (item >= 0) {
        piece.kind = kindOfRecord(item);
        return piece;
    }
    if (playerAt(column, row)) {
        piece.kind = PieceKind::Player;
        return piece;
    }
    const int decoration = decorationAt(column, row);
    if (decoration >= 0 && text.records[decoration].attributes.size() == 3) {
        piece.kind = PieceKind::Decoration;
        piece.key = text.records[decoration].attributes[2][0];
        return piece;
    }
    piece.key = keyAt(column, row);
    return piece;
}

std::vector<ThemeKey> readThemeKeys(const std::string& path) {
    std::vector<ThemeKey> keys;
    TilesetText description;
    readTilesetFile(path, description);
    for (const TileEntry& entry : description.entries) {
        const char key = static_cast<char>(entry.key);
        bool seen = false;
        for (const ThemeKey& k : keys) seen = seen || k.key == key;
        if (!seen) keys.push_back({key, entry.passable});
    }
    return keys;
}

std::string themeKeyName(const EditDoc& doc, char key) {
    struct Names {
        const char* theme;
        const char* names[8];  // # % & = - d p v
    };
    static const Names table[] = {
        {"cave", {"rock", "copper ore", "dark rock", "rock ledge", "deep rock", "pick and ore", "mushrooms", "stalactites"}},
        {"forest", {"earth", "log planks", "mossy stone", "grass", "deep earth", "bush", "flowers", "vines"}},
        {"castle", {"small bricks", "large blocks", "cracked bricks", "stone ledge", "dark bricks", "banner", "window", "chains"}},
    };
    switch (static_cast<unsigned char>(key)) {
    case kOpenKey:
        return "open air";
    case kLadderKey:
        return "ladder";
    case kWaterKey:
        return "water";
    case kRubbleKey:
        return "rubble";
    case 't': return "torch";
    default: break;
    }
    static const char order[] = "#%&=-dpv";
    for (const Names& names : table) {
        if (doc.text.tilesetPath.find(names.theme) == std::string::npos) continue;
        for (int i = 0; i < 8; ++i)
            if (order[i] == key) return names.names[i];
    }
    if (static_cast<unsigned char>(key) > 32 && static_cast<unsigned char>(key) < 127)
        return std::string("cell '") + key + "'";
    return "cell " + std::to_string(static_cast<unsigned char>(key));
}

EditText newLevelText(const std::string& tilesetPath, const std::string& backgroundPath) {
    EditText text;
    text.tilesetPath = tilesetPath;
    text.backgroundPath = backgroundPath;
    for (int row = 0; row < kVisibleRows; ++row) {
        if (row == 0 || row >= kVisibleRows - 2)
            text.grid.push_back(std::string(kVisibleColumns, '#'));
        else
            text.grid.push_back("#" + std::string(kVisibleColumns - 2, static_cast<char>(kOpenKey)) + "#");
    }
    text.records.push_back(makeRecord(Record::Player, 2, 10));
    text.records.push_back(makeRecord(Record::Treasure, 10, 10));
    text.records.push_back(makeRecord(Record::Goal, 17, 10));
    return text;
}
