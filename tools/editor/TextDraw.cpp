#include "editor/TextDraw.h"

#include <cctype>

#include "gfx/Surface.h"

namespace {

struct Glyph {
    char ch;
    int width;
    unsigned char rows[7];  // bit j is column j
};

const Glyph kGlyphs[] = {
    {'a', 5, {14, 17, 17, 31, 17, 17, 17}},
    {'b', 5, {15, 17, 17, 15, 17, 17, 15}},
    {'c', 5, {14, 17, 1, 1, 1, 17, 14}},
    {'d', 5, {15, 17, 17, 17, 17, 17, 15}},
    {'e', 5, {31, 1, 1, 15, 1, 1, 31}},
    {'f', 5, {31, 1, 1, 15, 1, 1, 1}},
    {'g', 5, {14, 17, 1, 29, 17, 17, 30}},
    {'h', 5, {17, 17, 17, 31, 17, 17, 17}},
    {'i', 3, {7, 2, 2, 2, 2, 2, 7}},
    {'j', 5, {28, 8, 8, 8, 9, 9, 6}},
    {'k', 5, {17, 9, 5, 3, 5, 9, 17}},
    {'l', 5, {1, 1, 1, 1, 1, 1, 31}},
    {'m', 5, {17, 27, 21, 21, 17, 17, 17}},
    {'n', 5, {17, 19, 21, 25, 17, 17, 17}},
    {'o', 5, {14, 17, 17, 17, 17, 17, 14}},
    {'p', 5, {15, 17, 17, 15, 1, 1, 1}},
    {'q', 5, {14, 17, 17, 17, 21, 9, 22}},
    {'r', 5, {15, 17, 17, 15, 5, 9, 17}},
    {'s', 5, {30, 1, 1, 14, 16, 16, 15}},
    {'t', 5, {31, 4, 4, 4, 4, 4, 4}},
    {'u', 5, {17, 17, 17, 17, 17, 17, 14}},
    {'v', 5, {17, 17, 17, 17, 17, 10, 4}},
    {'w', 5, {17, 17, 17, 21, 21, 27, 17}},
    {'x', 5, {17, 17, 10, 4, 10, 17, 17}},
    {'y', 5, {17, 17, 10, 4, 4, 4, 4}},
    {'z', 5, {31, 16, 8, 4, 2, 1, 31}},
    {'0', 5, {14, 17, 25, 21, 19, 17, 14}},
    {'1', 3, {2, 3, 2, 2, 2, 2, 7}},
    {'2', 5, {14, 17, 16, 8, 4, 2, 31}},
    {'3', 5, {15, 16, 16, 14, 16, 16, 15}},
    {'4', 5, {8, 12, 10, 9, 31, 8, 8}},
    {'5', 5, {31, 1, 15, 16, 16, 17, 14}},
    {'6', 5, {14, 1, 1, 15, 17, 17, 14}},
    {'7', 5, {31, 16, 8, 4, 4, 4, 4}},
    {'8', 5, {14, 17, 17, 14, 17, 17, 14}},
    {'9', 5, {14, 17, 17, 30, 16, 16, 14}},
    {'!', 1, {1, 1, 1, 1, 1, 0, 1}},
    {'-', 5, {0, 0, 0, 15, 0, 0, 0}},
    {'.', 3, {0, 0, 0, 0, 0, 3, 3}},
    {',', 3, {0, 0, 0, 0, 3, 2, 1}},
    {':', 3, {0, 3, 3, 0, 3, 3, 0}},
    {';', 3, {0, 3, 3, 0, 3, 2, 1}},
    {'\'', 3, {2, 2, 1, 0, 0, 0, 0}},
    {'"', 3, {5, 5, 0, 0, 0, 0, 0}},
    {'(', 3, {4, 2, 1, 1, 1, 2, 4}},
    {')', 3, {1, 2, 4, 4, 4, 2, 1}},
    {'[', 3, {7, 1, 1, 1, 1, 1, 7}},
    {']', 3, {7, 4, 4, 4, 4, 4, 7}},
    {'/', 5, {16, 16, 8, 4, 2, 1, 1}},
    {'+', 5, {0, 4, 4, 31, 4, 4, 0}},
    {'=', 5, {0, 0, 31, 0, 31, 0, 0}},
    {'?', 5, {14, 17, 16, 12, 4, 0, 4}},
    {'#', 5, {10, 10, 31, 10, 31, 10, 10}},
    {'%', 5, {19, 19, 8, 4, 2, 25, 25}},
    {'&', 5, {6, 9, 5, 2, 21, 9, 22}},
    {'$', 5, {4, 30, 5, 14, 20, 15, 4}},
    {'<', 4, {8, 4, 2, 1, 2, 4, 8}},
    {'>', 4, {1, 2, 4, 8, 4, 2, 1}},
    {'_', 5, {0, 0, 0, 0, 0, 0, 31}},
    {'*', 5, {0, 21, 14, 31, 14, 21, 0}},
    {'\xa7', 5, {14, 1, 6, 9, 6, 8, 7}},
};

const Glyph* glyphOf(char ch) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (const Glyph& glyph : kGlyphs)
        if (glyph.ch == lower) return &glyph;
    return nullptr;
}

} // namespace

int smallTextWidth(std::string_view text) {
    int width = 0;
    for (char ch : text) {
        const Glyph* glyph = glyphOf(ch);
        width += glyph ? glyph->width + 1 : 4;
    }
    return width;
}

int drawSmallText(SDL_Surface* surface, int x, int y, std::string_view text, Uint32 colour) {
    for (char ch : text) {
        const Glyph* glyph = glyphOf(ch);
        if (!glyph) {
            x += 4;
            continue;
        }
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < glyph->width; ++column)
                if (glyph->rows[row] & (1u << column)) {
                    const int px = x + column, py = y + row;
                    if (px >= 0 && py >= 0 && px < surface->w && py < surface->h) putPixel(surface, px, py, colour);
                }
        x += glyph->width + 1;
    }
    return x;
}

namespace {

// The most letters of text that fit in width with "...", kept from its
// start or from its end.
std::string fit(std::string_view text, int width, bool keepEnd) {
    if (smallTextWidth(text) <= width) return std::string(text);
    int used = smallTextWidth("...");
    size_t keep = 0;
    auto next = [&] { return text.substr(keepEnd ? text.size() - 1 - keep : keep, 1); };
    while (keep < text.size() && used + smallTextWidth(next()) <= width) {
        used += smallTextWidth(next());
        ++keep;
    }
    return keepEnd ? "..." + std::string(text.substr(text.size() - keep)) : std::string(text.substr(0, keep)) + "...";
}

}  // namespace

std::string fitEnd(std::string_view text, int width) { return fit(text, width, false); }

std::string fitStart(std::string_view text, int width) { return fit(text, width, true); }
