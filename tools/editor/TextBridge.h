#pragma once
// The level text as the editor holds it, read and written through the
// game's one level grammar.
#include <string>
#include <vector>

struct EditRecord {
    std::string name;
    std::vector<std::string> attributes;
};

struct EditText {
    std::string tilesetPath;
    std::string backgroundPath;
    std::vector<std::string> grid;
    std::vector<EditRecord> records;
};

struct LevelText;
LevelText toLevelText(const EditText& text);
// Every text reads as a level; the loader and the lint say what is wrong.
bool readEditText(const std::string& bytes, EditText& out, std::string& error);
// The canonical text of the level.
std::string writeEditText(const EditText& text);
