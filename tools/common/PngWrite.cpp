// The one PNG writer: rows from a callback, encoded by libpng, written atomically.
#include "common/PngWrite.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "platform/FileWrite.h"

namespace {

// Kept out of the function that owns the row buffer so nothing needing a
// destructor lives across the jump.
bool writeRows(std::FILE* file, int width, int height, int channels, int compression, const PngRowFill& fill,
               uint8_t* row) {
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
    if (compression >= 0) png_set_compression_level(png, compression);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        fill(y, row);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePngFile(const std::string& path, int width, int height, int channels, const PngRowFill& fill, int compression,
                  std::string* error) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) {
        if (error) *error = "no picture to write";
        return false;
    }
    filewrite::Atomic file(path);
    std::vector<uint8_t> row(static_cast<size_t>(width) * channels);
    const bool ok = file.file() && writeRows(file.file(), width, height, channels, compression, fill, row.data()) &&
                    file.commit();
    if (!ok && error) *error = file.error().empty() ? "the picture could not be encoded" : file.error();
    return ok;
}
