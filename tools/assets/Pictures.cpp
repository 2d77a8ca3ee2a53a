// Full-screen pictures (title, maker, masks) and the level backgrounds.
// None of them may contain the transparent magenta.
#include "Generators.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

namespace {

const double kPi = 3.14159265358979;

// Night sky from top to bottom with a scatter of small stars.
void sky(Canvas& c, Rgb top, Rgb bottom, int seed)
{
    for (int y = 0; y < c.height(); ++y) {
        double t = double(y) / c.height();
        // banded like a palette ramp rather than a smooth gradient
        t = std::floor(t * 12) / 12;
        c.fill(0, y, c.width(), 1, mix(top, bottom, t));
    }
    for (int i = 0; i < 140; ++i) {
        int x = int(hash01(i, 0, seed) * c.width()), y = int(hash01(i, 1, seed) * c.height() * 0.6);
        double b = hash01(i, 2, seed);
        Rgb s = mix(c.get(x, y), Rgb(255, 246, 200), 0.4 + b * 0.6);
        c.set(x, y, s);
        if (b > 0.9) {
            c.set(x + 1, y, mix(c.get(x + 1, y), s, 0.5));
            c.set(x - 1, y, mix(c.get(x - 1, y), s, 0.5));
            c.set(x, y + 1, mix(c.get(x, y + 1), s, 0.5));
            c.set(x, y - 1, mix(c.get(x, y - 1), s, 0.5));
        }
    }
}

// A ridge of hills: everything below height(x) painted in col.
template <typename H>
void hills(Canvas& c, Rgb col, Rgb rim, H height)
{
    for (int x = 0; x < c.width(); ++x) {
        int top = int(height(x));
        for (int y = std::max(0, top); y < c.height(); ++y) c.set(x, y, y == top ? rim : col);
    }
}

// Big bevelled title letters: dark drop shadow, outline, two-tone fill.
void titleText(Canvas& c, const ArtBook& art, const std::string& text, int cx, int y, int scale, Rgb upper,
               Rgb lower)
{
    int w = textWidth(art, text, scale);
    int x = cx - w / 2;
    Canvas ink(c.width(), c.height());
    drawText(ink, art, text, x, y, scale, upper);
    for (int yy = 0; yy < c.height(); ++yy)
        for (int xx = 0; xx < c.width(); ++xx)
            if (!ink.get(xx, yy).isKey()) {
                double t = double(yy - y) / (7 * scale);
                Rgb col = t < 0.45 ? upper : lower;
                if (!ink.get(xx, yy - scale / 3).isKey() == false) col = mix(col, Rgb(255, 255, 255), 0.5);
                ink.set(xx, yy, col);
            }
    Canvas shadow(c.width(), c.height());
    drawText(shadow, art, text, x + scale / 2, y + scale / 2, scale, Rgb(10, 8, 16));
    Canvas outlined = ink;
    for (int i = 0; i < std::max(1, scale / 4); ++i) outlined.outline(art.colour('K'));
    c.blit(shadow, 0, 0);
    c.blit(outlined, 0, 0);
}

void smallText(Canvas& c, const ArtBook& art, const std::string& text, int cx, int y, int scale, Rgb ink)
{
    int x = cx - textWidth(art, text, scale) / 2;
    Canvas t(c.width(), c.height());
    drawText(t, art, text, x, y, scale, ink);
    t.outline(art.colour('K'));
    c.blit(t, 0, 0);
}

} // namespace

void makeBackgrounds(const ArtBook& art, const std::string& out)
{
    const int n = 128;   // every background repeats seamlessly at 128 pixels
    {
        // cave: dim layered rock, warm as embers, with faint ochre glints.
        // The backdrops keep a warm red so water, which drains red, turns
        // plainly blue against them.
        Canvas c(n, n);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                double v = tiledNoise(x, y * 1.0, n, 5) * 0.5 + tiledNoise(x * 2, y * 2, 2 * n, 6) * 0.3 +
                           tiledNoise(x * 4, y * 4, 4 * n, 7) * 0.2;
                double strata = std::sin((y + tiledNoise(x, 0, n, 8) * 24) * 2 * kPi / 32) * 0.5 + 0.5;
                v = v * 0.75 + strata * 0.25;
                v = std::floor(v * 7) / 7;
                c.set(x, y, mix(Rgb(66, 34, 32), Rgb(116, 66, 52), v));
            }
        for (int i = 0; i < 10; ++i) {
            int x = int(hash01(i, 3, 9) * n), y = int(hash01(i, 4, 9) * n);
            c.set(x, y, Rgb(170, 120, 60));
        }
        save(c, out + "/gfx/bg_cave.png");
    }
    {
        // forest: rows of dark trunks under an rose-red canopy, in dusky mauve mist
        Canvas c(n, n);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                double mist = 0.5 + 0.5 * std::sin(y * 2 * kPi / n);
                c.set(x, y, mix(Rgb(84, 44, 62), Rgb(120, 66, 84), std::floor(mist * 5) / 5));
            }
        const int trunks[][3] = {{10, 9, 0}, {44, 14, 1}, {78, 7, 0}, {104, 11, 1}};
        for (const auto& t : trunks)
            for (int y = 0; y < n; ++y)
                for (int dx = 0; dx < t[1]; ++dx) {
                    int x = (t[0] + dx + int(std::sin(y * 2 * kPi / n) * 2)) % n;
                    Rgb col = t[2] ? Rgb(70, 36, 50) : Rgb(84, 44, 58);
                    if (dx == 1) col = shade(col, 1.4);
                    if (dx == t[1] - 1) col = shade(col, 0.7);
                    if (hash01(dx, y / 3, t[0]) > 0.85) col = shade(col, 0.8);
                    c.set(x, y, col);
                }
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                double leaf = tiledNoise(x * 2, y * 2, 2 * n, 12) * 0.7 + tiledNoise(x * 4, y * 4, 4 * n, 13) * 0.3;
                if (leaf > 0.66) c.set(x, y, leaf > 0.74 ? Rgb(160, 76, 96) : Rgb(128, 58, 78));
            }
        save(c, out + "/gfx/bg_forest.png");
    }
    {
        // castle: large dim blocks of warm torchlit brick, each course a
        // little offset
        Canvas c(n, n);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                int row = y / 16, off = (row % 2) * 16;
                int bx = (x + off) % 32, by = y % 16;
                int id = ((x + off) % n) / 32 + row * 5;
                double v = 0.45 + (hash01(id, row, 4) - 0.5) * 0.25 + (tiledNoise(x, y, n, 3) - 0.5) * 0.2;
                if (bx == 0 || by == 0) v = 0.1;
                else if (by == 1) v += 0.12;
                v = std::floor(v * 6) / 6;
                c.set(x, y, mix(Rgb(60, 32, 30), Rgb(124, 74, 58), v));
            }
        // a narrow window slit with the evening sun
        c.fill(60, 36, 8, 40, Rgb(48, 26, 26));
        c.fill(62, 38, 4, 36, Rgb(120, 100, 60));
        c.fill(62, 38, 1, 36, Rgb(170, 150, 90));
        save(c, out + "/gfx/bg_castle.png");
    }
    (void)art;
}

void makeMasks(const ArtBook& art, const std::string& out)
{
    (void)art;
    Canvas m(640, 480);
    Canvas b(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            double dx = (x - 319.5) / 320, dy = (y - 239.5) / 240;
            double d = std::min(1.0, (dx * dx * 0.9 + dy * dy) / 1.9);
            int v = int(230 - 100 * d);
            m.set(x, y, Rgb(v, v, v));
            double dd = std::sqrt(dx * dx + dy * dy);
            b.set(x, y, mix(Rgb(30, 22, 42), Rgb(6, 4, 10), std::min(1.0, dd / 1.3)));
        }
    m.unkey();
    b.unkey();
    save(m, out + "/gfx/maski.png");
    save(b, out + "/gfx/maski_b.png");
}

void makeTitlePictures(const ArtBook& art, const std::string& out)
{
    Canvas tiles = buildTileset(art);
    Canvas hero = buildPlayerSheet(art);
    {
        // 1: the name over a night landscape with a cave mouth
        Canvas c(640, 480);
        sky(c, Rgb(14, 12, 34), Rgb(70, 40, 84), 1);
        c.disc(570, 56, 24, Rgb(236, 232, 210));
        c.disc(562, 50, 21, Rgb(250, 248, 230));
        hills(c, Rgb(36, 28, 54), Rgb(70, 56, 90), [](int x) { return 330 + 30 * std::sin(x * 0.011) + 12 * std::sin(x * 0.037); });
        hills(c, Rgb(22, 18, 30), Rgb(52, 44, 62), [](int x) { return 380 + 20 * std::sin(x * 0.02 + 1) + 8 * std::sin(x * 0.07); });
        // cave mouth
        c.ellipse(320, 470, 90, 70, Rgb(8, 6, 12));
        c.ellipse(320, 478, 70, 50, Rgb(2, 2, 4));
        // torches either side
        for (int tx : {210, 414}) c.blitRegion(tiles, 12 * 32, 0, 32, 32, tx, 410);
        titleText(c, art, "vorrel", 320, 110, 12, art.colour('y'), art.colour('o'));
        smallText(c, art, "press space", 320, 270, 3, art.colour('W'));
        c.unkey();
        save(c, out + "/gfx/logo1.png");
    }
    {
        // 2: the hero with the things of the game, drawn large
        Canvas c(640, 480);
        sky(c, Rgb(24, 18, 30), Rgb(60, 44, 52), 2);
        for (int y = 320; y < 480; ++y)
            for (int x = 0; x < 640; x += 32) c.blitRegion(tiles, 4 * 32, y == 320 ? 0 : 0, 32, 32, x, 320 + ((y - 320) / 32) * 32);
        Canvas scene(160, 40);
        scene.blitRegion(hero, 0, 64, 32, 32, 8, 8);            // hero walking
        scene.blitRegion(tiles, 0, 6 * 32, 32, 32, 44, 8);       // wooden box
        scene.blitRegion(tiles, 4 * 32, 3 * 32, 32, 32, 82, 8);  // burning bomb
        scene.blitRegion(tiles, 8 * 32, 6 * 32, 32, 32, 118, 8); // treasure
        scene.blitRegion(tiles, 1 * 32, 6 * 32, 32, 32, 118, 8);
        Canvas big = scene.scaled(4);
        c.blit(big, 0, 320 - 160);
        titleText(c, art, "vorrel", 320, 40, 8, art.colour('C'), art.colour('b'));
        smallText(c, art, "boxes bombs and treasure", 320, 130, 2, art.colour('W'));
        smallText(c, art, "press space", 320, 420, 3, art.colour('Y'));
        c.unkey();
        save(c, out + "/gfx/logo2.png");
    }
}

void makeMakerPicture(const ArtBook& art, const std::string& out)
{
    // The maker's picture: a quill over a heather moor at dusk. The five
    // intro stars twinkle over the name.
    Canvas c(640, 480);
    sky(c, Rgb(20, 16, 44), Rgb(140, 70, 90), 3);
    hills(c, Rgb(70, 40, 80), Rgb(110, 70, 110), [](int x) { return 360 + 18 * std::sin(x * 0.013 + 2); });
    hills(c, Rgb(48, 30, 56), Rgb(130, 70, 150), [](int x) { return 400 + 14 * std::sin(x * 0.021); });
    for (int i = 0; i < 400; ++i) {   // heather
        int x = int(hash01(i, 0, 77) * 640), y = 405 + int(hash01(i, 1, 77) * 75);
        c.set(x, y, Rgb(170, 90, 170));
        c.set(x, y - 1, Rgb(210, 120, 190));
    }
    // the quill: a long feather leaning right, its nib at the bottom
    Canvas q(640, 480);
    for (int t = 0; t < 260; ++t) {
        double px = 490 + t * 0.5, py = 360 - t;
        double w = std::sin(std::min(1.0, t / 240.0) * kPi) * 26 + 2;
        for (int s = -int(w); s <= int(w); ++s) {
            bool barb = (t + (s > 0 ? 0 : 3)) % 7 == 0;
            Rgb col = s < 0 ? Rgb(236, 232, 220) : Rgb(200, 196, 200);
            if (barb) col = Rgb(150, 144, 160);
            q.set(int(px + s), int(py + std::abs(s) * 0.35), col);
        }
    }
    q.line(490, 360, 620, 100, 2, Rgb(120, 110, 120));   // shaft
    q.line(484, 372, 492, 356, 3, Rgb(52, 44, 62));      // nib
    q.outline(Rgb(22, 18, 30));
    c.blit(q, 0, 0);
    titleText(c, art, "quillmoor", 262, 220, 8, art.colour('W'), art.colour('G'));
    smallText(c, art, "presents", 262, 300, 3, art.colour('y'));
    c.unkey();
    save(c, out + "/gfx/quillmoor.png");

    // star places: top-left corners of the 32 x 32 stars, about the name
    const int stars[5][2] = {{42, 196}, {150, 270}, {250, 190}, {352, 264}, {448, 198}};
    std::ofstream f(out + "/gfx/starloc.txt");
    for (const auto& s : stars) f << s[0] << " " << s[1] << "\n";
    if (!f) throw std::runtime_error("cannot write starloc.txt");
}
