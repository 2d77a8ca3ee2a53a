#include "editor/TextBridge.h"

#include <cstdlib>
#include <sstream>

namespace {

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string word;
    while (in >> word) out.push_back(word);
    return out;
}

} // namespace

bool readEditText(const std::string& bytes, EditText& out, std::string& error) {
    std::vector<std::string> lines = splitLines(bytes);
    if (lines.size() < 3) {
        error = "not a level file: fewer than three lines";
        return false;
    }
    out = EditText();
    out.tilesetPath = lines[0];
    out.backgroundPath = lines[1];
    const unsigned long n = std::strtoul(lines[2].c_str(), nullptr, 10);
    size_t i = 3;
    for (; i < lines.size() && i < 3 + n; ++i) out.grid.push_back(lines[i]);
    for (; i < lines.size(); ++i) {
        std::vector<std::string> w = words(lines[i]);
        EditRecord record;
        if (!w.empty()) {
            record.name = w[0];
            record.attributes.assign(w.begin() + 1, w.end());
        }
        out.records.push_back(record);
    }
    return true;
}

std::string writeEditText(const EditText& text) {
    std::string out = text.tilesetPath + "\n" + text.backgroundPath + "\n" + std::to_string(text.grid.size()) + "\n";
    for (const std::string& row : text.grid) out += row + "\n";
    for (const EditRecord& record : text.records) {
        out += record.name;
        for (const std::string& attribute : record.attributes) out += " " + attribute;
        out += "\n";
    }
    return out;
}
