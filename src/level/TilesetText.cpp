// Reading of tileset descriptions.
#include "level/TilesetText.h"

#include <algorithm>

#include "level/TextReader.h"
#include "platform/FileRead.h"

TilesetText parseTilesetText(const std::string& bytes) {
    TilesetText description;
    TextReader reader(bytes);
    reader.getLine(description.imagePath);
    description.stepsRead = reader.readUnsigned(description.stepX) && reader.readUnsigned(description.stepY);
    reader.skipLine();
    const std::string& text = reader.bytes();
    unsigned line = 1 + static_cast<unsigned>(std::count(text.begin(), text.begin() + reader.offset(), '\n'));
    if (reader.getLine(description.sheetPath)) description.sheetLine = line++;

    TileEntry entry;
    while (reader.getLine(entry.text)) {
        FieldReader fields(entry.text);
        entry.keyRead = fields.readByte(entry.key);
        fields.readFlag(entry.passable);
        fields.readInt(entry.column);
        fields.readInt(entry.row);
        entry.line = line++;
        description.entries.push_back(entry);
    }
    return description;
}

bool readTilesetFile(const std::string& path, TilesetText& description) {
    std::string bytes;
    const bool read = fileread::readFile(path, fileread::kTextCap, bytes);
    description = parseTilesetText(read ? bytes : std::string());
    return read;
}
