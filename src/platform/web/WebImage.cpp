// Pictures for the web build: PNG files decoded in the program itself, to
// the same pixels SDL_image gives natively (a decoder of the browser's own
// might correct colours or blend transparency).
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileRead.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include "stb_image.h"

namespace {

// Memory read by IMG_LoadTyped_RW; SDL_RWFromFile stays the sound library's.
struct MemorySource {
    uint32_t magic;
    const unsigned char* bytes;
    int size;
};
constexpr uint32_t kMemoryMagic = 0x564D454D;

SDL_Surface* decode(const unsigned char* bytes, int size) {
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(bytes, size, &w, &h, &channels, 0);
    if (!pixels) return nullptr;
    const bool alpha = channels == 2 || channels == 4;
    SDL_Surface* s = SDL_CreateRGBSurface(alpha ? SDL_SRCALPHA : 0, w, h, 32, 0x000000FF, 0x0000FF00, 0x00FF0000,
                                          alpha ? 0xFF000000 : 0);
    if (s) {
        auto* out = static_cast<uint32_t*>(s->pixels);
        for (long i = 0, n = static_cast<long>(w) * h; i < n; ++i) {
            const unsigned char* p = pixels + i * channels;
            uint32_t r, g, b, a = 255;
            if (channels >= 3) {
                r = p[0], g = p[1], b = p[2];
                if (channels == 4) a = p[3];
            } else {
                r = g = b = p[0];
                if (channels == 2) a = p[1];
            }
            out[i] = r | g << 8 | b << 16 | (alpha ? a << 24 : 0);
        }
    }
    stbi_image_free(pixels);
    return s;
}

} // namespace

extern "C" {

SDL_RWops* SDL_RWFromConstMem(const void* mem, int size) {
    auto* source = new MemorySource{kMemoryMagic, static_cast<const unsigned char*>(mem), size};
    return reinterpret_cast<SDL_RWops*>(source);
}

SDL_Surface* IMG_LoadTyped_RW(SDL_RWops* src, int freesrc, char*) {
    auto* source = reinterpret_cast<MemorySource*>(src);
    if (!source || source->magic != kMemoryMagic) return nullptr;
    SDL_Surface* s = decode(source->bytes, source->size);
    if (freesrc) delete source;
    return s;
}

SDL_Surface* IMG_Load(const char* file) {
    std::string bytes;
    if (!file || !fileread::readFile(file, fileread::kPictureCap, bytes)) return nullptr;
    return decode(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

} // extern "C"
