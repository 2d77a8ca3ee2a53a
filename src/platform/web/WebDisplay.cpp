// The browser's half of the display: the picture goes to the page's canvas
// as it is; the page scales the canvas to the window (web/shell.html).
#include "platform/Display.h"

#include <emscripten.h>

#include <cstdlib>

namespace platform {
namespace {

SDL_Surface* picture = nullptr;  // SDL's screen, the web SDL's own surface
uint8_t* canvasPixels = nullptr;
bool presenting = true;

EM_JS(void, showOnCanvas, (const uint8_t* rgba, int w, int h), {
    var canvas = Module['canvas'];
    if (!canvas) return;
    if (!Module.vorrelScreen || Module.vorrelScreen.width != w || Module.vorrelScreen.height != h) {
        if (canvas.width != w) canvas.width = w;
        if (canvas.height != h) canvas.height = h;
        Module.vorrelContext = canvas.getContext('2d');
        Module.vorrelScreen = Module.vorrelContext.createImageData(w, h);
    }
    Module.vorrelScreen.data.set(HEAPU8.subarray(rgba, rgba + w * h * 4));
    Module.vorrelContext.putImageData(Module.vorrelScreen, 0, 0);
    if (Module.onFrame) Module.onFrame();
});

// The page's touch controls hold keys by writing the held-key array the game
// reads; it needs where that array is and the numbers of the keys.
EM_JS(void, offerTouchKeys, (uint8_t* keys, int left, int right, int up, int down, int jump, int bomb, int restart,
                             int back, int enter, int undo, int hint), {
    Module.touchKeys = {state: keys, left: left, right: right, up: up, down: down, x: jump, z: bomb, r: restart,
                        escape: back, space: enter, u: undo, h: hint};
});

} // namespace

SDL_Surface* openDisplay(int w, int h, const DisplayOptions&) {
    closeDisplay();
    picture = SDL_SetVideoMode(w, h, 32, 0);
    if (!picture) return nullptr;
    canvasPixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(w) * h * 4));
    offerTouchKeys(SDL_GetKeyState(nullptr), SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_x, SDLK_z, SDLK_r,
                   SDLK_ESCAPE, SDLK_SPACE, SDLK_u, SDLK_h);
    return picture;
}

void closeDisplay() {
    std::free(canvasPixels);
    canvasPixels = nullptr;
    picture = nullptr;
}

// The canvas takes bytes in the order red, green, blue, alpha.
void present(SDL_Surface* shown) {
    if (!shown || shown != SDL_GetVideoSurface() || !presenting) return;
    const size_t n = static_cast<size_t>(shown->w) * shown->h;
    if (!canvasPixels || shown != picture) {
        std::free(canvasPixels);
        canvasPixels = static_cast<uint8_t*>(std::malloc(n * 4));
        picture = shown;
    }
    const uint32_t* from = static_cast<const uint32_t*>(shown->pixels);
    const SDL_PixelFormat* f = shown->format;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = from[i];
        uint8_t* to = canvasPixels + i * 4;
        to[0] = static_cast<uint8_t>(p >> f->Rshift);
        to[1] = static_cast<uint8_t>(p >> f->Gshift);
        to[2] = static_cast<uint8_t>(p >> f->Bshift);
        to[3] = 255;
    }
    showOnCanvas(canvasPixels, shown->w, shown->h);
}

// The page switches to full screen itself (Alt+Enter, its button): only a
// key or click handler of its own may ask the browser.
void toggleFullscreen() {}
bool isFullscreen() { return false; }
bool isFullscreenToggle(const SDL_Event&) { return false; }
Placement placement() { return Placement(); }
bool screenToPicture(int&, int&) { return true; }

} // namespace platform

// The replay page runs whole plays at once: their frames need not be shown.
extern "C" EMSCRIPTEN_KEEPALIVE void webShowFrames(int on) { platform::presenting = on != 0; }
