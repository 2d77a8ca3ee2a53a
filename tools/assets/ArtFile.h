#pragma once
// Reads the text sources in art/: the palette, hand-drawn sprite grids and
// the letter shapes of the font.
#include "Canvas.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

class ArtBook {
public:
    // Reads palette.txt, sprites.txt and font.txt from the folder; throws
    // std::runtime_error naming the file and line of anything malformed.
    explicit ArtBook(const std::string& folder);

    Rgb colour(char letter) const;
    Canvas sprite(const std::string& name) const;
    // The rows of a letter shape ('#' ink, '.' paper); a space gives an
    // empty 3-column shape.
    const std::vector<std::string>& glyph(char c) const;

private:
    void readFile(const std::string& path);
    std::map<char, Rgb> palette;
    std::map<std::string, std::vector<std::string>> sprites;
    std::map<char, std::vector<std::string>> glyphs;
};

// Text drawing with the letter shapes: each ink pixel becomes a block of
// `scale` pixels; letters are one shape column apart.
int textWidth(const ArtBook& art, const std::string& text, int scale);
void drawText(Canvas& c, const ArtBook& art, const std::string& text, int x, int y, int scale, Rgb ink);
