#include "common/PngWrite.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

Uint32 readPixel(const SDL_Surface* surface, int x, int y) {
    const Uint8* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * surface->format->BytesPerPixel;
    switch (surface->format->BytesPerPixel) {
    case 1: return *p;
    case 2: {
        Uint16 v;
        std::memcpy(&v, p, 2);
        return v;
    }
    case 3:
        return SDL_BYTEORDER == SDL_BIG_ENDIAN ? (Uint32(p[0]) << 16 | Uint32(p[1]) << 8 | p[2])
                                               : (Uint32(p[2]) << 16 | Uint32(p[1]) << 8 | p[0]);
    default: {
        Uint32 v;
        std::memcpy(&v, p, 4);
        return v;
    }
    }
}

// Kept out of the function that calls setjmp so nothing needing a destructor
// lives across the jump.
bool writeRows(std::FILE* file, int width, int height, std::vector<png_bytep>& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(SDL_Surface* surface, const char* path) {
    if (!surface || !path || surface->w <= 0 || surface->h <= 0) return false;
    const int width = surface->w, height = surface->h;
    std::vector<png_byte> pixels(static_cast<size_t>(width) * height * 3);
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(readPixel(surface, x, y), surface->format, &r, &g, &b);
            png_byte* out = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            out[0] = r;
            out[1] = g;
            out[2] = b;
        }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) rows[y] = &pixels[static_cast<size_t>(y) * width * 3];
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool ok = writeRows(file, width, height, rows);
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) std::remove(path);
    return ok;
}
