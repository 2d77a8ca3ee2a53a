#include "ArtFile.h"

#include <fstream>
#include <sstream>

ArtBook::ArtBook(const std::string& folder)
{
    readFile(folder + "/palette.txt");
    readFile(folder + "/sprites.txt");
    readFile(folder + "/font.txt");
    glyphs[' '] = std::vector<std::string>(7, "...");
}

void ArtBook::readFile(const std::string& path)
{
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& what) {
        throw std::runtime_error(path + ":" + std::to_string(number) + ": " + what);
    };
    enum { None, Palette, Sprite, Glyph } mode = None;
    std::vector<std::string>* rows = nullptr;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (mode == None || mode == Palette) {
            if (line.empty() || line[0] == '#') continue;
        }
        if (mode == Glyph && line.rfind("glyph ", 0) == 0) mode = None;
        if (mode == None) {
            std::istringstream words(line);
            std::string word, name;
            words >> word >> name;
            if (word == "palette") {
                mode = Palette;
            } else if (word == "sprite" && !name.empty()) {
                mode = Sprite;
                rows = &sprites[name];
                rows->clear();
            } else if (word == "glyph" && line.size() >= 7) {
                mode = Glyph;
                rows = &glyphs[line[6]];
                rows->clear();
            } else {
                fail("unexpected line '" + line + "'");
            }
            continue;
        }
        if (mode == Palette) {
            if (line == "end") {
                mode = None;
                continue;
            }
            std::istringstream words(line);
            std::string letter;
            int r, g, b;
            if (!(words >> letter >> r >> g >> b) || letter.size() != 1) fail("bad palette entry");
            Rgb c(r, g, b);
            if (c.isKey()) fail("magenta is the transparent key, not a colour");
            palette[letter[0]] = c;
            continue;
        }
        if (mode == Sprite && line == "end") {
            mode = None;
            continue;
        }
        if (mode == Glyph && line.empty()) {
            mode = None;
            continue;
        }
        rows->push_back(line);
    }
    if (mode == Sprite) fail("sprite without end");
}

Rgb ArtBook::colour(char letter) const
{
    auto it = palette.find(letter);
    if (it == palette.end()) throw std::runtime_error(std::string("no palette colour '") + letter + "'");
    return it->second;
}

Canvas ArtBook::sprite(const std::string& name) const
{
    auto it = sprites.find(name);
    if (it == sprites.end()) throw std::runtime_error("no sprite " + name);
    size_t w = 0;
    for (const std::string& r : it->second) w = std::max(w, r.size());
    Canvas c(int(w), int(it->second.size()));
    for (size_t y = 0; y < it->second.size(); ++y)
        for (size_t x = 0; x < it->second[y].size(); ++x) {
            char ch = it->second[y][x];
            if (ch != '.' && ch != ' ') c.set(int(x), int(y), colour(ch));
        }
    return c;
}

const std::vector<std::string>& ArtBook::glyph(char c) const
{
    auto it = glyphs.find(c);
    if (it == glyphs.end()) throw std::runtime_error(std::string("no glyph '") + c + "'");
    return it->second;
}

int textWidth(const ArtBook& art, const std::string& text, int scale)
{
    int w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        w += int(art.glyph(text[i])[0].size()) * scale;
        if (i + 1 < text.size()) w += scale;
    }
    return w;
}

void drawText(Canvas& c, const ArtBook& art, const std::string& text, int x, int y, int scale, Rgb ink)
{
    for (char ch : text) {
        const std::vector<std::string>& g = art.glyph(ch);
        for (size_t j = 0; j < g.size(); ++j)
            for (size_t i = 0; i < g[j].size(); ++i)
                if (g[j][i] == '#') c.fill(x + int(i) * scale, y + int(j) * scale, scale, scale, ink);
        x += (int(g[0].size()) + 1) * scale;
    }
}
