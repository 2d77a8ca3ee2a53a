#pragma once
// The one PNG writer of the tools, the tests and the asset generator: 8 bits
// a channel, written atomically (nothing is left half-written, and a target
// that is not a regular file is refused). Needs no SDL, so the asset
// generator builds it too.
#include <cstdint>
#include <functional>
#include <string>

struct SDL_Surface;

// Fills one row of width * channels bytes (R, G, B and, with 4 channels, A).
using PngRowFill = std::function<void(int y, uint8_t* row)>;

// compression: zlib's level 0 to 9, or -1 for libpng's default. False, with
// the reason in error when given, when the file cannot be written.
bool writePngFile(const std::string& path, int width, int height, int channels, const PngRowFill& fill,
                  int compression = -1, std::string* error = nullptr);

// Writes the surface as an 8-bit RGB PNG (any pixel format SDL can read back).
bool writePng(SDL_Surface* surface, const char* path, std::string* error = nullptr);
