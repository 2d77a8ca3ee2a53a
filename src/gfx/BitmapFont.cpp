#include "gfx/BitmapFont.h"

#include <cstdio>

#include "gfx/Surface.h"

BitmapFont loadFont() {
    BitmapFont font;
    font.surface = loadImage("gfx/fontti.png");
    if (font.surface) SDL_SetColorKey(font.surface, SDL_SRCCOLORKEY, SDL_MapRGB(font.surface->format, 255, 0, 255));
    return font;
}

namespace {

int glyphCell(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= '0' && c <= '9') return c - '0' + 25;
    return 0;
}

} // namespace

void drawText(SDL_Surface* target, const BitmapFont& font, unsigned x, int y, const std::string& text) {
    if (!target || !font.surface) return;
    // A '1' is narrow in the font: everything after it closes up by 8 pixels.
    unsigned shift = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const unsigned left = x + static_cast<unsigned>(font.glyphWidth) * static_cast<unsigned>(i) - shift;
        blitRect(font.surface, target, glyphCell(c) * font.glyphWidth, 0, font.glyphWidth, font.glyphHeight,
                 static_cast<int>(left), y);
        if (c == '1') shift += 8;
    }
}

void numberToText(int value, std::string& out) {
    // Same text as a default stream gives, without a stream's allocations:
    // the labels are formatted every frame.
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    out.assign(buffer);
}
