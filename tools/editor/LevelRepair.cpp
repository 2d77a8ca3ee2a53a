// Mending the faults of a level file that keep the game from loading it.
#include "editor/LevelRepair.h"

#include "common/Lint.h"
#include "level/LevelText.h"
#include "level/Vocabulary.h"

namespace {

std::string recordText(const RecordLine& record) {
    std::string text = record.name;
    for (const std::string& word : record.attributes) text += " " + word;
    return text;
}

// Where a player without a record can start: where the game puts him when the
// cell is open, otherwise the first open cell, top row first.
bool placePlayer(EditDoc& doc, int& column, int& row) {
    const Piece player{PieceKind::Player, 0};
    if (doc.inside(kPlayerStartColumn, kPlayerStartRow) && doc.passable(doc.keyAt(kPlayerStartColumn, kPlayerStartRow)))
        return false;
    for (row = 0; row < doc.rows(); ++row)
        for (column = 0; column < doc.columns(); ++column)
            if (doc.passable(doc.keyAt(column, row)) && doc.itemAt(column, row) < 0 &&
                doc.paint(player, column, row).changed)
                return true;
    return false;
}

} // namespace

bool readAndRepair(const std::string& bytes, const std::string& path, EditDoc& doc, std::vector<Repair>& repairs) {
    const LevelText parsed = parseLevelText(bytes);
    std::string ignored;
    readEditText(bytes, doc.text, ignored);
    doc.keys = readThemeKeys(doc.text.tilesetPath);
    repairs.clear();

    // The first error of each record line decides; the records go in reverse
    // so that the indexes before them stay.
    std::vector<bool> dropped(parsed.records.size(), false);
    for (const LintMessage& message : lintLevelText(parsed, path)) {
        if (!message.error) continue;
        for (size_t i = 0; i < parsed.records.size(); ++i)
            if (!dropped[i] && parsed.records[i].line == static_cast<unsigned>(message.line)) {
                dropped[i] = true;
                repairs.push_back(
                    {parsed.records[i].line, "dropped \"" + recordText(parsed.records[i]) + "\": " + message.text});
            }
    }
    for (size_t i = parsed.records.size(); i-- > 0;)
        if (dropped[i] && i < doc.text.records.size()) doc.text.records.erase(doc.text.records.begin() + i);

    bool hasPlayer = false;
    for (const EditRecord& record : doc.text.records)
        hasPlayer = hasPlayer || record.name == recordName(Record::Player);
    int column = 0, row = 0;
    if (!hasPlayer && placePlayer(doc, column, row))
        repairs.push_back({1, std::string("no ") + recordName(Record::Player) +
                                  " record and no open cell where the player starts: placed at column " +
                                  std::to_string(column) + ", row " + std::to_string(row)});

    // What is left must pass the lint's errors: a grid or a tileset fault is no
    // matter of one line.
    return !hasErrors(lintLevelText(parseLevelText(writeEditText(doc.text)), path));
}
