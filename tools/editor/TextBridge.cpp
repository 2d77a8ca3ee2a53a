#include "editor/TextBridge.h"

#include "level/LevelText.h"

LevelText toLevelText(const EditText& text) {
    LevelText level;
    level.tilesetPath = text.tilesetPath;
    level.backgroundPath = text.backgroundPath;
    unsigned line = 4;
    for (const std::string& row : text.grid) level.grid.push_back({row, line++});
    for (const EditRecord& record : text.records) level.records.push_back({record.name, record.attributes, line++});
    return level;
}

bool readEditText(const std::string& bytes, EditText& out, std::string&) {
    const LevelText level = parseLevelText(bytes);
    out = EditText();
    out.tilesetPath = level.tilesetPath;
    out.backgroundPath = level.backgroundPath;
    for (const GridLine& row : level.grid) out.grid.push_back(row.bytes);
    for (const RecordLine& record : level.records) out.records.push_back({record.name, record.attributes});
    return true;
}

std::string writeEditText(const EditText& text) { return writeLevelText(toLevelText(text)); }
