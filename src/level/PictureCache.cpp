#include "level/PictureCache.h"

#include <SDL/SDL_image.h>

#include <cstring>
#include <list>

#include "platform/FileRead.h"

namespace {

struct Picture {
    std::string bytes;
    SDL_Surface* surface;
};

// Enough for everything one load asks for, with the most recent first.
constexpr size_t kKept = 6;

// Frees what is still kept when the program ends, so that leak checkers see
// every picture released.
struct Kept {
    ~Kept() {
        for (Picture& picture : list) SDL_FreeSurface(picture.surface);
    }
    std::list<Picture> list;
};

std::list<Picture>& pictures() {
    static Kept kept;
    return kept.list;
}

} // namespace

SDL_Surface* cachedPicture(const std::string& path) {
    std::string bytes;
    if (!fileread::readFile(path, fileread::kPictureCap, bytes)) return nullptr;

    std::list<Picture>& kept = pictures();
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->bytes.size() != bytes.size() || std::memcmp(it->bytes.data(), bytes.data(), bytes.size()) != 0)
            continue;
        kept.splice(kept.begin(), kept, it);
        return it->surface;
    }

    // The same decoding as IMG_Load, which takes the type hint from the name.
    const char* dot = std::strrchr(path.c_str(), '.');
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_Surface* surface = IMG_LoadTyped_RW(source, 1, const_cast<char*>(dot ? dot + 1 : nullptr));
    if (!surface) return nullptr;
    kept.push_front(Picture{std::move(bytes), surface});
    while (kept.size() > kKept) {
        SDL_FreeSurface(kept.back().surface);
        kept.pop_back();
    }
    return surface;
}
