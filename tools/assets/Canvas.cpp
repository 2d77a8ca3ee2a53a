#include "Canvas.h"

#include "common/PngWrite.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

const Rgb kKey(255, 0, 255);

Rgb mix(Rgb a, Rgb b, double t)
{
    return Rgb(int(std::lround(a.r + (b.r - a.r) * t)), int(std::lround(a.g + (b.g - a.g) * t)),
               int(std::lround(a.b + (b.b - a.b) * t)));
}

Rgb shade(Rgb c, double f)
{
    Rgb s(int(c.r * f), int(c.g * f), int(c.b * f));
    if (s.isKey()) s.g = 1;
    return s;
}

Canvas::Canvas(int ww, int hh, Rgb fillColour) : w(ww), h(hh), px(size_t(ww) * hh, fillColour) {}

void Canvas::set(int x, int y, Rgb c)
{
    if (inside(x, y)) px[size_t(y) * w + x] = c;
}

void Canvas::fill(int x, int y, int rw, int rh, Rgb c)
{
    for (int j = y; j < y + rh; ++j)
        for (int i = x; i < x + rw; ++i) set(i, j, c);
}

void Canvas::frame(int x, int y, int rw, int rh, Rgb c)
{
    fill(x, y, rw, 1, c);
    fill(x, y + rh - 1, rw, 1, c);
    fill(x, y, 1, rh, c);
    fill(x + rw - 1, y, 1, rh, c);
}

void Canvas::line(double x0, double y0, double x1, double y1, double thick, Rgb c)
{
    // Stamps square pens along the segment; crisp enough at pixel-art sizes.
    double len = std::max(std::fabs(x1 - x0), std::fabs(y1 - y0));
    int steps = std::max(1, int(std::ceil(len * 2)));
    int t = std::max(1, int(std::lround(thick)));
    for (int s = 0; s <= steps; ++s) {
        double f = double(s) / steps;
        int cx = int(std::floor(x0 + (x1 - x0) * f + 0.5 - (t - 1) / 2.0));
        int cy = int(std::floor(y0 + (y1 - y0) * f + 0.5 - (t - 1) / 2.0));
        fill(cx, cy, t, t, c);
    }
}

void Canvas::disc(double cx, double cy, double r, Rgb c) { ellipse(cx, cy, r, r, c); }

void Canvas::ellipse(double cx, double cy, double rx, double ry, Rgb c)
{
    if (rx <= 0 || ry <= 0) return;
    for (int y = int(std::floor(cy - ry)); y <= int(std::ceil(cy + ry)); ++y)
        for (int x = int(std::floor(cx - rx)); x <= int(std::ceil(cx + rx)); ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) set(x, y, c);
        }
}

void Canvas::blit(const Canvas& src, int x, int y) { blitRegion(src, 0, 0, src.w, src.h, x, y); }

void Canvas::blitRegion(const Canvas& src, int sx, int sy, int sw, int sh, int x, int y)
{
    for (int j = 0; j < sh; ++j)
        for (int i = 0; i < sw; ++i) {
            Rgb c = src.get(sx + i, sy + j);
            if (!c.isKey()) set(x + i, y + j, c);
        }
}

Canvas Canvas::mirrored() const
{
    Canvas m(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) m.set(w - 1 - x, y, get(x, y));
    return m;
}

Canvas Canvas::sub(int x, int y, int sw, int sh) const
{
    Canvas s(sw, sh);
    for (int j = 0; j < sh; ++j)
        for (int i = 0; i < sw; ++i) s.set(i, j, get(x + i, y + j));
    return s;
}

Canvas Canvas::scaled(int f) const
{
    Canvas s(w * f, h * f);
    for (int y = 0; y < h * f; ++y)
        for (int x = 0; x < w * f; ++x) s.set(x, y, get(x / f, y / f));
    return s;
}

void Canvas::outline(Rgb c)
{
    std::vector<Rgb> out = px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!get(x, y).isKey()) continue;
            bool touch = (x > 0 && !get(x - 1, y).isKey()) || (x + 1 < w && !get(x + 1, y).isKey()) ||
                         (y > 0 && !get(x, y - 1).isKey()) || (y + 1 < h && !get(x, y + 1).isKey());
            if (touch) out[size_t(y) * w + x] = c;
        }
    px.swap(out);
}

void Canvas::unkey()
{
    for (Rgb& c : px)
        if (c.isKey()) c.g = 1;
}

bool Canvas::writePng(const std::string& path) const
{
    // Fixed settings and no time chunk, so the same picture always gives the
    // same bytes.
    return writePngFile(path, w, h, 3, [this](int y, uint8_t* row) {
        for (int x = 0; x < w; ++x, row += 3) {
            Rgb c = px[size_t(y) * w + x];
            row[0] = c.r;
            row[1] = c.g;
            row[2] = c.b;
        }
    }, 9);
}

double hash01(int x, int y, int seed)
{
    uint32_t hsh = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    hsh = (hsh ^ (hsh >> 13)) * 1274126177u;
    hsh ^= hsh >> 16;
    return (hsh & 0xFFFFFF) / double(0x1000000);
}

double tiledNoise(double x, double y, int period, int seed)
{
    // Bilinear value noise on a lattice of 8-pixel cells that wraps at period.
    const int cell = 8;
    int n = std::max(1, period / cell);
    double gx = x / cell, gy = y / cell;
    int x0 = int(std::floor(gx)), y0 = int(std::floor(gy));
    double fx = gx - x0, fy = gy - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto at = [&](int i, int j) { return hash01(((i % n) + n) % n, ((j % n) + n) % n, seed); };
    double a = at(x0, y0), b = at(x0 + 1, y0), c = at(x0, y0 + 1), d = at(x0 + 1, y0 + 1);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}
