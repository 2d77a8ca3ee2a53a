// The desktop half of the display: SDL's video surface at a whole multiple
// of the picture, or the desktop's own resolution in full screen.
#include "platform/Display.h"

#include <cstring>

namespace platform {
namespace {

struct State {
    SDL_Surface* picture = nullptr;  // owned
    SDL_Surface* video = nullptr;    // SDL's
    int w = 0, h = 0;
    int desktopW = 0, desktopH = 0;  // 0 when SDL cannot tell
    int windowScale = 1;
    bool fullscreen = false;
    Placement at;
    int blackFrames = 0;  // both buffers of a new mode get their border cleared
};

State state;

constexpr Uint32 kWindowFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;
constexpr Uint32 kFullFlags = SDL_HWSURFACE | SDL_SRCALPHA | SDL_DOUBLEBUF | SDL_FULLSCREEN;

bool setWindow() {
    // A factor the display refuses falls back to the next smaller one.
    for (int factor = state.windowScale; factor >= 1; --factor) {
        SDL_Surface* video = SDL_SetVideoMode(state.w * factor, state.h * factor, 32, kWindowFlags);
        if (video && video->format->BytesPerPixel == 4) {
            state.video = video;
            state.at = Placement{factor, 0, 0};
            state.fullscreen = false;
            return true;
        }
    }
    return false;
}

// The desktop's own resolution: no mode change for the monitor. Where SDL
// cannot tell it or refuses it, a mode of the picture's own size.
bool setFullscreen() {
    const int sizes[2][2] = {{state.desktopW, state.desktopH}, {state.w, state.h}};
    for (const auto& size : sizes) {
        if (size[0] < state.w || size[1] < state.h) continue;
        SDL_Surface* video = SDL_SetVideoMode(size[0], size[1], 32, kFullFlags);
        if (!video || video->format->BytesPerPixel != 4) continue;
        state.video = video;
        state.at = centred(video->w, video->h, state.w, state.h);
        state.fullscreen = true;
        return true;
    }
    return false;
}

bool setMode(bool fullscreen) {
    const bool ok = (fullscreen && setFullscreen()) || setWindow();
    if (!ok) {
        state.video = nullptr;
        return false;
    }
    state.blackFrames = 2;
    return true;
}

void clearBorder(SDL_Surface* video) {
    const Placement& at = state.at;
    const int pw = state.w * at.factor, ph = state.h * at.factor;
    const Uint32 black = SDL_MapRGB(video->format, 0, 0, 0);
    SDL_Rect bands[4] = {{0, 0, Uint16(video->w), Uint16(at.y)},
                         {0, Sint16(at.y + ph), Uint16(video->w), Uint16(video->h - at.y - ph)},
                         {0, Sint16(at.y), Uint16(at.x), Uint16(ph)},
                         {Sint16(at.x + pw), Sint16(at.y), Uint16(video->w - at.x - pw), Uint16(ph)}};
    for (SDL_Rect& band : bands)
        if (band.w && band.h) SDL_FillRect(video, &band, black);
}

// Each picture row is widened once into the screen, then copied for the
// other rows of its band: about the cost of one copy of the output.
void scaleInto(SDL_Surface* picture, SDL_Surface* video, const Placement& at) {
    const int f = at.factor;
    const size_t rowBytes = static_cast<size_t>(picture->w) * f * 4;
    for (int y = 0; y < picture->h; ++y) {
        const Uint32* in = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(picture->pixels) +
                                                           y * picture->pitch);
        Uint8* first = static_cast<Uint8*>(video->pixels) + (at.y + y * f) * video->pitch + at.x * 4;
        Uint32* out = reinterpret_cast<Uint32*>(first);
        switch (f) {
        case 1:
            std::memcpy(out, in, rowBytes);
            break;
        case 2:
            for (int x = 0; x < picture->w; ++x, out += 2) out[0] = out[1] = in[x];
            break;
        case 3:
            for (int x = 0; x < picture->w; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
            break;
        default:
            for (int x = 0; x < picture->w; ++x)
                for (int k = 0; k < f; ++k) *out++ = in[x];
        }
        for (int k = 1; k < f; ++k) std::memcpy(first + k * video->pitch, first, rowBytes);
    }
}

} // namespace

SDL_Surface* openDisplay(int w, int h, const DisplayOptions& options) {
    closeDisplay();
    state.w = w;
    state.h = h;
    // Only before the first mode is set does SDL report the desktop's size.
    if (const SDL_VideoInfo* info = SDL_GetVideoInfo()) {
        state.desktopW = info->current_w;
        state.desktopH = info->current_h;
    }
    state.windowScale = options.scale > 0 ? options.scale : windowFactor(state.desktopW, state.desktopH, w, h);
    if (!setMode(options.fullscreen)) return nullptr;
    const SDL_PixelFormat* f = state.video->format;
    state.picture = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, f->Rmask, f->Gmask, f->Bmask, 0);
    return state.picture;
}

void closeDisplay() {
    SDL_FreeSurface(state.picture);
    state = State();
}

void present(SDL_Surface* picture) {
    if (!picture) return;
    if (picture == SDL_GetVideoSurface()) {
        SDL_Flip(picture);
        return;
    }
    SDL_Surface* video = state.video;
    if (picture != state.picture || !video) return;
    if (state.blackFrames > 0) {
        clearBorder(video);
        --state.blackFrames;
    }
    if (SDL_MUSTLOCK(video) && SDL_LockSurface(video) < 0) return;
    scaleInto(picture, video, state.at);
    if (SDL_MUSTLOCK(video)) SDL_UnlockSurface(video);
    SDL_Flip(video);
}

void toggleFullscreen() {
    if (!state.picture) return;
    setMode(!state.fullscreen);
}

bool isFullscreen() { return state.fullscreen; }

bool isFullscreenToggle(const SDL_Event& event) {
    return event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT);
}

Placement placement() { return state.picture ? state.at : Placement(); }

bool screenToPicture(int& x, int& y) { return !state.picture || toPicture(state.at, state.w, state.h, x, y); }

} // namespace platform
