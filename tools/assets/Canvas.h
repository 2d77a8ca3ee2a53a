#pragma once
// A plain RGB picture with drawing helpers for the asset generators.
// Magenta (255, 0, 255) is the transparent key of the game, so it is the
// "empty" colour here too and is never used as a painted colour.
#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 255, g = 0, b = 255;
    Rgb() = default;
    Rgb(int rr, int gg, int bb) : r(clamp(rr)), g(clamp(gg)), b(clamp(bb)) {}
    bool isKey() const { return r == 255 && g == 0 && b == 255; }
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
    static uint8_t clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : uint8_t(v); }
};

extern const Rgb kKey;

Rgb mix(Rgb a, Rgb b, double t);   // t = 0 gives a, 1 gives b
Rgb shade(Rgb c, double f);         // scales brightness; never produces the key

class Canvas {
public:
    Canvas() = default;
    Canvas(int w, int h, Rgb fill = kKey);
    int width() const { return w; }
    int height() const { return h; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Rgb get(int x, int y) const { return inside(x, y) ? px[size_t(y) * w + x] : kKey; }
    void set(int x, int y, Rgb c);
    void fill(int x, int y, int rw, int rh, Rgb c);
    void frame(int x, int y, int rw, int rh, Rgb c);
    void line(double x0, double y0, double x1, double y1, double thick, Rgb c);
    void disc(double cx, double cy, double r, Rgb c);
    void ellipse(double cx, double cy, double rx, double ry, Rgb c);
    // Copies every non-key pixel of src with its top-left corner at (x, y).
    void blit(const Canvas& src, int x, int y);
    void blitRegion(const Canvas& src, int sx, int sy, int sw, int sh, int x, int y);
    Canvas mirrored() const;
    Canvas sub(int x, int y, int sw, int sh) const;
    Canvas scaled(int factor) const;
    // Paints c on every key pixel that touches a painted one (4-neighbourhood).
    void outline(Rgb c);
    // Replaces any accidental magenta with a near colour so only true
    // transparency is keyed.
    void unkey();
    bool writePng(const std::string& path) const;

private:
    int w = 0, h = 0;
    std::vector<Rgb> px;
};

// Deterministic integer hash noise in [0, 1).
double hash01(int x, int y, int seed);
// Smooth value noise that repeats every period pixels in both directions.
double tiledNoise(double x, double y, int period, int seed);
