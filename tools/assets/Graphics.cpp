// Sprite sheets: the tileset with terrain and items, the player's sheet,
// the font strip, the status bar, the page arrows and the intro stars.
#include "Generators.h"
#include "play/HudLayout.h"

#include <cmath>
#include <stdexcept>

#include "level/Vocabulary.h"

namespace {

const double kPi = 3.14159265358979;

// ---------------------------------------------------------------- terrain

// The colours of one level theme.
struct Theme {
    const char* name;
    Rgb dark, base, light, accent, accent2, grass, grassLight;
    int seed;
};

const Theme kThemes[] = {
    // cave: warm brown rock with copper ore
    {"cave", Rgb(58, 42, 44), Rgb(104, 78, 66), Rgb(150, 118, 92), Rgb(206, 112, 52), Rgb(244, 178, 104),
     Rgb(92, 120, 84), Rgb(130, 160, 100), 11},
    // forest: earth under grass, logs and mossy stones
    {"forest", Rgb(62, 40, 30), Rgb(110, 74, 48), Rgb(156, 112, 70), Rgb(70, 150, 60), Rgb(150, 200, 80),
     Rgb(70, 150, 60), Rgb(150, 200, 80), 23},
    // castle: cool grey masonry with red banners
    {"castle", Rgb(52, 50, 64), Rgb(100, 98, 114), Rgb(150, 148, 160), Rgb(200, 52, 44), Rgb(252, 216, 76),
     Rgb(84, 120, 80), Rgb(120, 160, 100), 37},
};

Rgb ramp(const Theme& t, double v)
{
    // 0 dark .. 0.5 base .. 1 light
    v = std::max(0.0, std::min(1.0, v));
    return v < 0.5 ? mix(t.dark, t.base, v * 2) : mix(t.base, t.light, (v - 0.5) * 2);
}

// Irregular rock: tiled noise with darker seams, seamless every 32 pixels.
void rock(Canvas& c, int x0, int y0, const Theme& t, int seed, double bias)
{
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            double n = tiledNoise(x, y, 32, seed) * 0.6 + tiledNoise(x * 2, y * 2, 64, seed + 1) * 0.4;
            double v = 0.25 + n * 0.6 + bias;
            double seam = std::fabs(tiledNoise(x + 3, y * 1.3, 32, seed + 5) - 0.5);
            if (seam < 0.035) v = 0.08;
            else if (seam < 0.06) v -= 0.12;
            v += (hash01(x, y, seed + 9) - 0.5) * 0.08;
            v = std::floor(v * 6) / 6;   // posterise into a few flat shades
            c.set(x0 + x, y0 + y, ramp(t, v));
        }
}

// Masonry: rows of bricks with mortar lines, aligned so neighbours join.
void bricks(Canvas& c, int x0, int y0, const Theme& t, int bw, int bh, int seed, double bias)
{
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int row = y / bh;
            int off = (row % 2) * (bw / 2);
            int bx = (x + off) % bw, by = y % bh;
            int brickId = (x + off) / bw + row * 7;
            double v = 0.45 + bias + (hash01(brickId, row, seed) - 0.5) * 0.2;
            if (by == 0 || bx == 0) v = 0.1;                          // mortar
            else if (by == 1 || bx == 1) v += 0.22;                   // lit edge
            else if (by == bh - 1 || bx == bw - 1) v -= 0.15;         // shaded edge
            v += (hash01(x, y, seed + 3) - 0.5) * 0.06;
            v = std::floor(v * 7) / 7;
            c.set(x0 + x, y0 + y, ramp(t, v));
        }
}

// Horizontal logs or planks with grain.
void planks(Canvas& c, int x0, int y0, const Theme& t, int seed)
{
    Rgb dk(86, 52, 30), md(140, 92, 52), lt(190, 140, 84);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int by = y % 8;
            double grain = std::sin((x + hash01(y / 8, 0, seed) * 32) * 0.55 + std::sin(y * 1.7) * 1.3);
            Rgb col = grain > 0.6 ? lt : md;
            if (by == 7) col = dk;
            else if (by == 0) col = lt;
            if ((x + (y / 8) * 11) % 32 == 0 && by != 7) col = dk;   // butt joints
            c.set(x0 + x, y0 + y, col);
        }
    (void)t;
}

void grassTop(Canvas& c, int x0, int y0, const Theme& t, int seed)
{
    for (int x = 0; x < 32; ++x) {
        int h = 4 + int(hash01(x, 0, seed) * 3);
        for (int y = 0; y < h; ++y) c.set(x0 + x, y0 + y, y < 2 ? t.grassLight : t.grass);
        c.set(x0 + x, y0 + h, shade(t.grass, 0.55));
    }
}

// A lit top edge, so ledges read as something to stand on.
void ledgeTop(Canvas& c, int x0, int y0, const Theme& t)
{
    for (int x = 0; x < 32; ++x) {
        c.set(x0 + x, y0, t.light);
        c.set(x0 + x, y0 + 1, mix(t.light, t.base, 0.4));
        c.set(x0 + x, y0 + 2, t.base);
        c.set(x0 + x, y0 + 3, t.dark);
    }
}

void ladder(Canvas& c, int x0, int y0, Rgb rail, Rgb rung)
{
    Rgb outline(22, 18, 30);
    for (int y = 0; y < 32; ++y) {
        c.fill(x0 + 5, y0 + y, 4, 1, outline);
        c.fill(x0 + 23, y0 + y, 4, 1, outline);
        c.fill(x0 + 6, y0 + y, 2, 1, rail);
        c.fill(x0 + 24, y0 + y, 2, 1, rail);
    }
    for (int r = 0; r < 4; ++r) {
        int y = y0 + 4 + r * 8;
        c.fill(x0 + 8, y - 1, 16, 4, outline);
        c.fill(x0 + 8, y, 16, 2, rung);
        c.fill(x0 + 8, y, 16, 1, mix(rung, Rgb(255, 255, 220), 0.35));
    }
}

void waterTile(Canvas& c, int x0, int y0)
{
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            Rgb col(30, 70 + y, 150 + y);
            if (y < 8 && std::sin(x * 0.4 + y) > 0.7) col = Rgb(120, 190, 230);
            c.set(x0 + x, y0 + y, col);
        }
}

// What a blast leaves: broken stones hanging loose in the air of the cell,
// with gaps all round and no edge to stand on, so it reads as debris one
// falls through, never as a floor.
void rubble(Canvas& c, int x0, int y0, const Theme& t, int seed)
{
    Canvas r(32, 32);
    // x, y, size of each chip; none touches the cell's edges or another
    const double chips[][3] = {{6, 6, 3}, {18, 4, 2.5}, {27, 9, 3}, {12, 14, 3.5}, {23, 19, 3},
                               {5, 21, 2.5}, {15, 26, 3}, {27, 27, 2.5}};
    int i = 0;
    for (const auto& k : chips) {
        // an irregular chip: a slanted wedge, lit on its upper side
        double w = k[2], tilt = (hash01(i, 1, seed) - 0.5) * 1.6;
        for (int dy = -int(w); dy <= int(w * 0.7); ++dy) {
            double half = w * (1 - std::fabs(dy + 0.3 * w) / (1.3 * w));
            for (int dx = int(-half + tilt * dy * 0.5); dx <= int(half + tilt * dy * 0.5); ++dx)
                r.set(int(k[0]) + dx, int(k[1]) + dy, ramp(t, dy < 0 ? 0.85 : 0.5 + hash01(i, 2, seed) * 0.2));
        }
        ++i;
    }
    for (int s = 0; s < 10; ++s)   // dust still settling
        r.set(2 + int(hash01(s, 3, seed) * 28), 2 + int(hash01(s, 4, seed) * 28), ramp(t, 0.7));
    r.outline(Rgb(22, 18, 30));
    c.blit(r, x0, y0);
}

// ----------------------------------------------------------- decorations

// A miner's pick left in a heap of copper ore: warm wood, grey iron and
// rust, nothing of the gem's cold colours or its cut outline.
void pickAndOre(Canvas& c, int x0, int y0, const Theme& t, const ArtBook& art)
{
    Canvas d(32, 32);
    d.line(9, 29, 21, 8, 2, art.colour('w'));   // the handle, leaning right
    d.line(10, 29, 22, 8, 1, art.colour('v'));
    // the head: a curved iron bar across the handle's top end
    const double head[][2] = {{12, 9}, {15, 6.5}, {19, 5.5}, {23, 6}, {27, 8}, {30, 11}};
    for (int i = 0; i + 1 < 6; ++i)
        d.line(head[i][0], head[i][1], head[i + 1][0], head[i + 1][1], 2, art.colour(i < 2 ? 'g' : 'G'));
    d.fill(20, 6, 3, 4, art.colour('k'));   // the eye the handle goes through
    const double lumps[][3] = {{7, 28, 5}, {16, 29, 4.5}, {24, 28, 5.5}, {12, 25, 3.5}, {21, 24, 3}};
    int i = 0;
    for (const auto& l : lumps) {
        d.ellipse(l[0], l[1], l[2], l[2] * 0.75, ramp(t, 0.35 + hash01(i, 7, t.seed) * 0.3));
        d.ellipse(l[0] - 1, l[1] - 1, l[2] * 0.35, l[2] * 0.25, t.accent);   // a copper vein
        d.set(int(l[0]) - 2, int(l[1]) - 2, t.accent2);
        ++i;
    }
    d.outline(Rgb(22, 18, 30));
    c.blit(d, x0, y0);
}

void mushrooms(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    auto one = [&](int cx, int h, int r) {
        d.fill(cx - 1, 31 - h, 3, h + 1, art.colour('W'));
        d.ellipse(cx + 0.5, 31 - h, r, r * 0.6, art.colour('r'));
        d.fill(cx - 1, 31 - h - 1, 2, 1, art.colour('W'));
        d.set(cx + r / 2, 31 - h, art.colour('W'));
    };
    one(10, 8, 6);
    one(20, 5, 4);
    one(25, 3, 3);
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

void stalactite(Canvas& c, int x0, int y0, const Theme& t)
{
    Canvas d(32, 32);
    const double cones[][3] = {{9, 18, 4}, {18, 26, 5}, {25, 12, 3}};
    for (const auto& k : cones)
        for (int y = 0; y < int(k[1]); ++y) {
            double half = k[2] * (1 - double(y) / k[1]);
            for (int x = int(k[0] - half); x <= int(k[0] + half); ++x)
                d.set(x, y, x < k[0] ? t.light : t.base);
        }
    d.outline(Rgb(22, 18, 30));
    c.blit(d, x0, y0);
}

void torch(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    d.fill(14, 14, 4, 12, art.colour('v'));
    d.fill(12, 13, 8, 3, art.colour('g'));
    d.ellipse(16, 9, 4, 6, art.colour('o'));
    d.ellipse(16, 10, 2.5, 4, art.colour('y'));
    d.ellipse(16, 11, 1.2, 2, art.colour('Y'));
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

void bush(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    const double blobs[][3] = {{9, 25, 7}, {22, 25, 7}, {16, 20, 8}, {16, 27, 6}};
    for (const auto& b : blobs) d.disc(b[0], b[1], b[2], art.colour('E'));
    for (const auto& b : blobs) d.disc(b[0] - 2, b[1] - 2, b[2] * 0.55, art.colour('e'));
    d.disc(12, 16, 2, art.colour('l'));
    d.disc(7, 21, 1.5, art.colour('l'));
    d.fill(0, 31, 32, 1, art.colour('E'));
    d.set(19, 19, art.colour('r'));
    d.set(10, 24, art.colour('r'));
    d.set(24, 22, art.colour('r'));
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

void flowers(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    const int stems[][3] = {{6, 10, 'm'}, {13, 14, 'y'}, {20, 9, 'W'}, {26, 12, 'm'}};
    for (const auto& s : stems) {
        d.line(s[0], 31, s[0], 31 - s[1], 1, art.colour('e'));
        d.set(s[0] + 1, 31 - s[1] / 2, art.colour('l'));
        d.disc(s[0] + 0.5, 31 - s[1] - 1, 2.2, art.colour(char(s[2])));
        d.set(s[0], 31 - s[1] - 1, art.colour('o'));
    }
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

void vines(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    const int strands[][2] = {{7, 26}, {16, 18}, {24, 30}};
    for (const auto& s : strands) {
        for (int y = 0; y < s[1]; ++y) {
            int x = s[0] + int(std::lround(std::sin(y * 0.45 + s[0]) * 1.5));
            d.set(x, y, art.colour('e'));
            d.set(x + 1, y, art.colour('E'));
            if (y % 6 == 3) {
                d.fill(x - 2, y, 2, 2, art.colour('l'));
                d.fill(x + 2, y + 2, 2, 2, art.colour('e'));
            }
        }
    }
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

void banner(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    d.fill(6, 1, 20, 2, art.colour('v'));
    for (int y = 3; y < 30; ++y) {
        int inset = y > 22 ? (y - 22) : 0;
        for (int x = 9; x < 23; ++x) {
            if (y > 22 && std::abs(x - 16) < inset) continue;   // swallow tail
            d.set(x, y, x < 11 ? art.colour('R') : art.colour('r'));
        }
    }
    d.disc(16, 12, 3.5, art.colour('y'));
    d.disc(16, 12, 1.5, art.colour('r'));
    d.fill(9, 5, 14, 1, art.colour('y'));
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

void chains(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    for (int s = 0; s < 2; ++s) {
        int x = s ? 22 : 9, len = s ? 20 : 28;
        for (int y = 0; y < len; y += 4) {
            if ((y / 4) % 2 == 0) d.frame(x - 1, y, 3, 5, art.colour('G'));
            else d.fill(x, y, 1, 5, art.colour('g'));
        }
    }
    d.disc(22.5, 23, 3, art.colour('g'));   // a weight hanging from the short chain
    d.disc(21.5, 22, 1, art.colour('G'));
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

void windowArch(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    d.fill(8, 10, 16, 20, art.colour('G'));
    d.ellipse(16, 10, 8, 8, art.colour('G'));
    // a night sky of plain shadow with a pale moon: no blue glass, which
    // would read as a gem beside one
    d.fill(10, 10, 12, 18, art.colour('k'));
    d.ellipse(16, 10, 6, 6, art.colour('k'));
    d.disc(12.5, 9.5, 1.8, art.colour('Y'));
    d.fill(15, 4, 2, 24, art.colour('g'));
    d.fill(10, 15, 12, 2, art.colour('g'));
    d.set(19, 20, art.colour('W'));
    d.fill(6, 28, 20, 3, art.colour('g'));
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

// ----------------------------------------------------------------- items

void woodenBox(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Rgb K = art.colour('K'), dk = art.colour('v'), md = art.colour('w'), lt = art.colour('n');
    c.fill(x0, y0, 32, 32, K);
    c.fill(x0 + 1, y0 + 1, 30, 30, md);
    for (int y = 1; y < 31; ++y)
        for (int x = 1; x < 31; ++x)
            if (std::sin(x * 0.9 + y * 0.15 + std::sin(y * 0.7)) > 0.85) c.set(x0 + x, y0 + y, dk);
    for (int i = 0; i < 4; ++i) c.fill(x0 + 1, y0 + 8 * i + 7, 30, 1, dk);   // plank seams
    // frame and diagonal brace
    c.frame(x0 + 1, y0 + 1, 30, 30, lt);
    c.frame(x0 + 2, y0 + 2, 28, 28, dk);
    c.frame(x0 + 3, y0 + 3, 26, 26, lt);
    c.line(x0 + 4, y0 + 27, x0 + 27, y0 + 4, 3, lt);
    c.line(x0 + 5, y0 + 28, x0 + 28, y0 + 5, 1, dk);
    for (int cx : {4, 27})
        for (int cy : {4, 27}) c.fill(x0 + cx - 1, y0 + cy - 1, 2, 2, art.colour('g'));
}

void heavyBox(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Rgb K = art.colour('K'), dk = art.colour('k'), md = art.colour('g'), lt = art.colour('G');
    c.fill(x0, y0, 32, 32, K);
    c.fill(x0 + 1, y0 + 1, 30, 30, md);
    for (int y = 5; y < 27; ++y)
        for (int x = 5; x < 27; ++x) c.set(x0 + x, y0 + y, mix(dk, md, (x + y) / 64.0));
    c.frame(x0 + 1, y0 + 1, 30, 30, lt);
    c.frame(x0 + 4, y0 + 4, 24, 24, K);
    c.fill(x0 + 1, y0 + 14, 30, 4, lt);   // steel band
    c.fill(x0 + 1, y0 + 17, 30, 1, dk);
    for (int cx : {3, 28})
        for (int cy : {3, 28}) {
            c.fill(x0 + cx - 1, y0 + cy - 1, 2, 2, art.colour('W'));
            c.set(x0 + cx, y0 + cy, dk);
        }
    for (int cx = 7; cx < 28; cx += 6) c.set(x0 + cx, y0 + 15, art.colour('W'));
    c.fill(x0 + 12, y0 + 22, 8, 3, dk);   // stamped weight mark
    c.fill(x0 + 13, y0 + 23, 6, 1, lt);
}

void treasureBase(Canvas& c, int x0, int y0, const ArtBook& art)
{
    Canvas d(32, 32);
    d.fill(7, 26, 18, 5, art.colour('g'));
    d.fill(9, 24, 14, 2, art.colour('G'));
    d.fill(7, 26, 18, 1, art.colour('G'));
    d.fill(11, 28, 10, 1, art.colour('k'));
    d.fill(5, 30, 22, 2, art.colour('k'));
    d.outline(art.colour('K'));
    c.blit(d, x0, y0);
}

void sparkle(Canvas& c, int x, int y, int size, Rgb col)
{
    c.set(x, y, Rgb(255, 255, 255));
    for (int i = 1; i <= size; ++i) {
        c.set(x + i, y, col);
        c.set(x - i, y, col);
        c.set(x, y + i, col);
        c.set(x, y - i, col);
    }
}

void treasureFrame(Canvas& c, int x0, int y0, int k, const ArtBook& art)
{
    Canvas d(32, 32);
    Canvas gem = art.sprite("gem");
    int bob = int(std::lround(std::sin(k * 2 * kPi / 6) * 1.5));
    d.blit(gem, 8, 9 + bob);
    d.outline(art.colour('K'));
    // a glint that travels across the gem, and two stars that blink in turn
    int gx = 10 + k * 2;
    d.set(gx, 14 + bob, art.colour('W'));
    d.set(gx + 1, 13 + bob, art.colour('W'));
    const int spots[6][2] = {{5, 7}, {27, 9}, {24, 3}, {4, 16}, {28, 19}, {15, 3}};
    sparkle(d, spots[k][0], spots[k][1], 2, art.colour('Y'));
    sparkle(d, spots[(k + 3) % 6][0], spots[(k + 3) % 6][1], 1, art.colour('C'));
    c.blit(d, x0, y0);
}

Canvas bombBody(const ArtBook& art, int fuseLeft, int spark)
{
    // 32 x 32: the body sits on the floor, the fuse rises from its top.
    Canvas d(32, 32);
    Canvas body = art.sprite("bomb");
    d.blit(body, 10, 21);
    // fuse: a short curve of up to 5 segments above the cap
    double fx = 16, fy = 21;
    Rgb rope = art.colour('n');
    for (int s = 0; s < fuseLeft; ++s) {
        double nx = fx + 1.6, ny = fy - 2.2 + (s % 2) * 0.6;
        d.line(fx, fy, nx, ny, 1, rope);
        fx = nx;
        fy = ny;
    }
    if (spark > 0) {
        int sx = int(std::lround(fx)), sy = int(std::lround(fy));
        d.disc(sx + 0.5, sy + 0.5, 1.6, art.colour('o'));
        sparkle(d, sx, sy - 1, spark, art.colour('y'));
        d.set(sx, sy - 1, art.colour('Y'));
    }
    return d;
}

void bombFrame(Canvas& c, int x0, int y0, int secondsLeft, const ArtBook& art)
{
    Canvas d = bombBody(art, secondsLeft, secondsLeft % 2 ? 3 : 2);
    // the seconds left, painted on the body, yellow turning red
    Rgb ink = secondsLeft >= 4 ? art.colour('y') : secondsLeft >= 2 ? art.colour('o') : art.colour('Y');
    const auto& g = art.glyph(char('0' + secondsLeft));
    int gx = 16 - int(g[0].size()) / 2;
    for (size_t j = 0; j < g.size(); ++j)
        for (size_t i = 0; i < g[j].size(); ++i)
            if (g[j][i] == '#') d.set(gx + int(i), 23 + int(j), ink);
    if (secondsLeft == 1) {
        // last second: the shell glows
        for (int y = 20; y < 32; ++y)
            for (int x = 9; x < 23; ++x) {
                Rgb p = d.get(x, y);
                if (p == art.colour('k')) d.set(x, y, art.colour('R'));
            }
    }
    c.blit(d, x0, y0);
}

void bombIcon(Canvas& c, int x0, int y0, const ArtBook& art)
{
    // Drawn at the left of its tile: the status bar stacks icons 6 px apart,
    // so each shows only its left six columns under the next. A pale rim on
    // that side and a dark body behind it keep every bomb apart on the black.
    Canvas d = bombBody(art, 3, 1);
    Canvas icon(32, 32);
    icon.blitRegion(d, 9, 8, 23, 24, 0, 2);
    for (int y = 0; y < 32; ++y) {
        int x = 0;
        while (x < 32 && icon.get(x, y).isKey()) ++x;
        if (x >= 32 || y < 13) continue;   // the rim runs round the body, not up the fuse
        icon.set(x, y, art.colour('G'));
        if (x + 1 < 32 && !icon.get(x + 1, y).isKey()) icon.set(x + 1, y, art.colour('W'));
    }
    c.blit(icon, x0, y0);
}

void doorFrame(Canvas& c, int x0, int y0, int k, const ArtBook& art)
{
    // 32 x 64: a stone arch; the wooden door swings inwards, showing a warm
    // glow behind it. Frame 0 is shut, frame 4 wide open.
    Canvas d(32, 64);
    Rgb K = art.colour('K');
    d.fill(1, 12, 30, 52, art.colour('g'));
    d.ellipse(16, 13, 15, 12, art.colour('g'));
    // stone joints
    for (int y = 14; y < 64; y += 7) {
        d.fill(1, y, 4, 1, art.colour('k'));
        d.fill(27, y, 4, 1, art.colour('k'));
    }
    d.fill(1, 12, 2, 52, art.colour('G'));
    // the opening
    Canvas hole(32, 64);
    hole.fill(5, 13, 22, 51, Rgb(1, 1, 1));
    hole.ellipse(16, 14, 11, 9, Rgb(1, 1, 1));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 32; ++x)
            if (!hole.get(x, y).isKey()) {
                double glow = std::max(0.0, (y - 10) / 54.0);
                d.set(x, y, mix(Rgb(40, 24, 48), Rgb(252, 200, 90), glow * glow));
            }
    // the door leaf: full width when shut, narrower as it swings away
    int leaf = (22 * (4 - k)) / 4;
    if (k == 4) leaf = 2;
    for (int y = 5; y < 64; ++y)
        for (int x = 5; x < 5 + leaf; ++x) {
            if (hole.get(x, y).isKey()) continue;
            int plank = (x - 5) * 4 / std::max(1, leaf);
            Rgb col = plank % 2 ? art.colour('w') : art.colour('n');
            if (k > 0) col = shade(col, 0.75);   // turning away from the light
            if ((x - 5) % std::max(2, leaf / 4) == 0) col = art.colour('v');
            d.set(x, y, col);
        }
    if (leaf > 6) {
        for (int by : {22, 48}) d.fill(5, by, leaf, 2, art.colour('k'));   // iron bands
        d.disc(5 + leaf - 4.5, 37, 1.6, art.colour('y'));                    // ring handle
    }
    d.fill(0, 62, 32, 2, art.colour('k'));   // threshold
    d.outline(K);
    // outline only reaches outside the arch; finish its inner rim too
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 32; ++x)
            if (!hole.get(x, y).isKey() && (hole.get(x - 1, y).isKey() || hole.get(x + 1, y).isKey() ||
                                             hole.get(x, y - 1).isKey()))
                d.set(x, y, K);
    c.blit(d, x0, y0);
}

void explosionFrame(Canvas& c, int x0, int y0, int k)
{
    // 96 x 64 around the bomb's cell (bottom middle): fire fills that cell,
    // its two neighbours and the cell above, then turns to smoke.
    const double grow[9] = {0.3, 0.5, 0.7, 0.9, 1.0, 1.1, 1.15, 1.2, 1.2};
    const double age[9] = {0.0, 0.0, 0.0, 0.0, 0.05, 0.1, 0.28, 0.45, 0.6};
    Canvas d(96, 64);
    const double lobes[4][3] = {{48, 44, 28}, {16, 48, 19}, {80, 48, 19}, {48, 16, 19}};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x) {
            double heat = -10;
            for (int l = 0; l < 4; ++l) {
                double r = lobes[l][2] * grow[k] * (l == 0 ? 1.0 : std::min(1.0, grow[k] * 1.1));
                double dist = std::hypot(x - lobes[l][0], y - lobes[l][1]);
                heat = std::max(heat, 1 - dist / std::max(1.0, r));
            }
            double n = tiledNoise(x + k * 5, y - k * 4, 96, 101) - 0.5;
            heat += n * 0.45 - age[k];
            if (heat <= 0.02) continue;
            Rgb col;
            double smoke = age[k];
            if (heat > 0.75 - smoke * 0.4 && k < 7) col = Rgb(255, 250, 220);
            else if (heat > 0.55 - smoke * 0.3 && k < 8) col = Rgb(252, 216, 76);
            else if (heat > 0.35 - smoke * 0.2) col = k < 7 ? Rgb(236, 128, 40) : Rgb(120, 100, 100);
            else if (heat > 0.18) col = k < 6 ? Rgb(200, 52, 44) : Rgb(90, 80, 88);
            else col = k < 5 ? Rgb(130, 30, 36) : Rgb(60, 54, 64);
            if (k == 8 && hash01(x, y, 7) < 0.35) continue;   // the last puff thins out
            d.set(x, y, col);
        }
    // flying sparks
    for (int s = 0; s < 14 && k < 8; ++s) {
        double a = hash01(s, 0, 55) * 2 * kPi, sp = 12 + hash01(s, 1, 55) * 30;
        int sx = int(48 + std::cos(a) * sp * grow[k]), sy = int(46 + std::sin(a) * sp * grow[k] * 0.8);
        if (sx >= 0 && sx < 96 && sy >= 0 && sy < 64) d.set(sx, sy, Rgb(255, 246, 170));
    }
    c.blit(d, x0, y0);
}

} // namespace

void save(const Canvas& c, const std::string& path)
{
    if (!c.writePng(path)) throw std::runtime_error("cannot write " + path);
}

void makeTileset(const ArtBook& art, const std::string& out) { save(buildTileset(art), out + "/gfx/tileset.png"); }

Canvas buildTileset(const ArtBook& art)
{
    Canvas t(864, 384);
    auto at = [](int col) { return col * 32; };
    for (int row = 0; row < 3; ++row) {
        const Theme& th = kThemes[row];
        int y = row * 32;
        // column 0 stays clear: open air
        if (row == 0) {   // cave
            rock(t, at(1), y, th, th.seed, 0.0);
            rock(t, at(2), y, th, th.seed + 40, 0.05);
            for (int i = 0; i < 7; ++i) {   // copper ore
                int ox = 4 + int(hash01(i, 1, 3) * 24), oy = 4 + int(hash01(i, 2, 3) * 24);
                t.fill(at(2) + ox, y + oy, 2, 2, th.accent);
                t.set(at(2) + ox, y + oy, th.accent2);
            }
            rock(t, at(3), y, th, th.seed + 80, -0.15);
            rock(t, at(4), y, th, th.seed, 0.05);
            ledgeTop(t, at(4), y, th);
            rock(t, at(5), y, th, th.seed + 120, -0.25);
            ladder(t, at(6), y, art.colour('w'), art.colour('n'));
            pickAndOre(t, at(9), y, th, art);
            mushrooms(t, at(10), y, art);
            stalactite(t, at(11), y, th);
            torch(t, at(12), y, art);
        } else if (row == 1) {   // forest
            rock(t, at(1), y, th, th.seed, 0.0);
            planks(t, at(2), y, th, th.seed);
            Theme moss = th;
            moss.dark = Rgb(50, 58, 50);
            moss.base = Rgb(96, 104, 92);
            moss.light = Rgb(140, 150, 130);
            bricks(t, at(3), y, moss, 16, 16, th.seed, 0.0);
            for (int x = 0; x < 32; ++x)   // moss creeping down from the top
                for (int yy = 0; yy < 2 + int(hash01(x, 5, 9) * 5); ++yy) t.set(at(3) + x, y + yy, th.grass);
            rock(t, at(4), y, th, th.seed, 0.0);
            grassTop(t, at(4), y, th, th.seed);
            rock(t, at(5), y, th, th.seed + 60, -0.2);
            ladder(t, at(6), y, art.colour('v'), art.colour('w'));
            bush(t, at(9), y, art);
            flowers(t, at(10), y, art);
            vines(t, at(11), y, art);
            torch(t, at(12), y, art);
        } else {   // castle
            bricks(t, at(1), y, th, 16, 8, th.seed, 0.0);
            bricks(t, at(2), y, th, 32, 16, th.seed + 1, 0.05);
            bricks(t, at(3), y, th, 16, 8, th.seed + 2, -0.1);
            for (int x = 0; x < 32; ++x)   // cracks
                if (std::abs(int(std::sin(x * 0.3) * 5) + 16 - x / 2) < 1 && x > 6)
                    t.set(at(3) + x, y + 6 + x / 2, th.dark);
            bricks(t, at(4), y, th, 32, 8, th.seed + 3, 0.05);
            ledgeTop(t, at(4), y, th);
            bricks(t, at(5), y, th, 16, 8, th.seed + 4, -0.25);
            ladder(t, at(6), y, art.colour('g'), art.colour('G'));
            banner(t, at(9), y, art);
            windowArch(t, at(10), y, art);
            chains(t, at(11), y, art);
            torch(t, at(12), y, art);
        }
        waterTile(t, at(7), y);
        rubble(t, at(8), y, th, th.seed);
    }
    // The items, where the game cuts them.
    using namespace sheet;
    for (int s = 0; s < kBombWaiting.frames; ++s)
        bombFrame(t, kBombWaiting.x() + s * kBombWaiting.width, kBombWaiting.y(), kBombWaiting.frames - s, art);
    woodenBox(t, kBox.x(), kBox.y(), art);
    for (int k = 0; k < kTreasure.frames; ++k)
        treasureFrame(t, kTreasure.x() + k * kTreasure.width, kTreasure.y(), k, art);
    treasureBase(t, kTreasureBase.x(), kTreasureBase.y(), art);
    heavyBox(t, kHeavybox.x(), kHeavybox.y(), art);
    for (int k = 0; k < kGoal.frames; ++k) doorFrame(t, kGoal.x() + k * kGoal.width, kGoal.y(), k, art);
    bombIcon(t, kBombIcon.x(), kBombIcon.y(), art);
    for (int k = 0; k < kBombBlast.frames; ++k)
        explosionFrame(t, kBombBlast.x() + k * kBombBlast.width, kBombBlast.y(), k);
    return t;
}

// ---------------------------------------------------------------- player

namespace {

struct Pt {
    double x, y;
};

// The target itself, or the nearest point a limb of length reach can touch.
Pt reachable(Pt root, Pt target, double reach)
{
    double dx = target.x - root.x, dy = target.y - root.y, d = std::hypot(dx, dy);
    if (d <= reach || d == 0) return target;
    return {root.x + dx * reach / d, root.y + dy * reach / d};
}

// Two-bone reach from root towards target; the joint bends to the side
// given by bend (+1 or -1).
Pt joint(Pt root, Pt target, double l1, double l2, double bend)
{
    double dx = target.x - root.x, dy = target.y - root.y;
    double d = std::max(0.01, std::min(l1 + l2 - 0.01, std::hypot(dx, dy)));
    double a = (l1 * l1 - l2 * l2 + d * d) / (2 * d);
    double h = std::sqrt(std::max(0.0, l1 * l1 - a * a));
    double ux = dx / std::hypot(dx, dy), uy = dy / std::hypot(dx, dy);
    return {root.x + ux * a - uy * h * bend, root.y + uy * a + ux * h * bend};
}

// One drawing of the hero. Coordinates face right; the left-facing sheets
// are mirror images.
struct Pose {
    Pt hip;
    double lean = 0;      // shoulder x minus hip x
    Pt foot[2];           // 0 front (near), 1 back (far)
    Pt hand[2];
    bool back = false;    // seen from behind (ladder)
    bool holdBomb = false;
    Pt bomb{0, 0};
};

void drawPose(Canvas& c, const Pose& p, const ArtBook& art, int ox, int oy)
{
    Canvas f(c.width(), c.height());
    const double thigh = 5.5, shin = 5.5, upper = 5, fore = 5;
    Pt hip{p.hip.x + ox, p.hip.y + oy};
    Pt sh{hip.x + p.lean, hip.y - 9};
    Rgb trousers = art.colour('B'), boots = art.colour('v'), tunic = art.colour('b'), skin = art.colour('s');
    auto leg = [&](int i, double tone) {
        Pt foot = reachable(hip, Pt{p.foot[i].x + ox, p.foot[i].y + oy}, thigh + shin);
        Pt knee = joint(hip, foot, thigh, shin, p.back ? (i ? 1 : -1) : -1);
        f.line(hip.x, hip.y, knee.x, knee.y, 3, shade(trousers, tone));
        f.line(knee.x, knee.y, foot.x, foot.y - 1, 3, shade(trousers, tone));
        int fx = int(std::lround(foot.x)), fy = int(std::lround(foot.y));
        if (p.back) f.fill(fx - 1, fy - 2, 3, 3, shade(boots, tone));
        else f.fill(fx - 1, fy - 2, 5, 3, shade(boots, tone));
    };
    auto arm = [&](int i, double tone) {
        Pt s{sh.x + (p.back ? (i ? 4 : -4) : 0), sh.y + 1};
        Pt hand = reachable(s, Pt{p.hand[i].x + ox, p.hand[i].y + oy}, upper + fore);
        Pt elbow = joint(s, hand, upper, fore, p.back ? (i ? -1 : 1) : 1);
        f.line(s.x, s.y, elbow.x, elbow.y, 2, shade(tunic, tone * (i == 0 && !p.back ? 1.3 : 1.0)));
        f.line(elbow.x, elbow.y, hand.x, hand.y, 2, shade(skin, tone));
        f.fill(int(std::lround(hand.x)) - 1, int(std::lround(hand.y)) - 1, 2, 2, shade(skin, tone));
    };
    if (!p.back) {
        arm(1, 0.7);
        leg(1, 0.7);
    } else {
        leg(0, 1.0);
        leg(1, 1.0);
    }
    // torso: a tunic with a belt and a red scarf
    f.line(hip.x, hip.y - 1, sh.x, sh.y + 2, 7, tunic);
    f.line(hip.x - 3, hip.y, hip.x + 3, hip.y, 1, art.colour('v'));
    f.line(hip.x - 3, hip.y + 1, hip.x + 3, hip.y + 1, 1, shade(trousers, 1.0));
    f.line(sh.x - 3, sh.y, sh.x + 3, sh.y, 2, art.colour('r'));
    Canvas head = art.sprite(p.back ? "head_back" : "head_right");
    f.blit(head, int(std::lround(sh.x)) - (p.back ? 5 : 4), int(std::lround(sh.y)) - 8);
    if (!p.back) leg(0, 1.0);
    if (p.holdBomb) {   // held in front of the body, behind the near arm
        Canvas b = bombBody(art, 3, 1);
        Canvas small = b.sub(8, 14, 16, 18);
        f.blit(small, int(std::lround(p.bomb.x)) + ox - 8, int(std::lround(p.bomb.y)) + oy - 17);
    }
    if (!p.back) {
        arm(0, 1.0);
    } else {
        arm(0, 1.0);
        arm(1, 1.0);
    }
    f.outline(art.colour('K'));
    c.blit(f, 0, 0);
}

Pose standing()
{
    Pose p;
    p.hip = {16, 21};
    p.lean = 1;
    p.foot[0] = {17, 31};
    p.foot[1] = {15, 31};
    p.hand[0] = {18, 21};
    p.hand[1] = {15, 21};
    return p;
}

Pose walkPose(int k, int frames, double stride, double lean)
{
    double ph = 2 * kPi * k / frames;
    Pose p;
    p.hip = {16, 21 - 0.6 * std::fabs(std::cos(ph))};
    p.lean = lean;
    for (int i = 0; i < 2; ++i) {
        double s = std::sin(ph + i * kPi);
        double lift = std::max(0.0, std::cos(ph + i * kPi)) * 2.5;
        p.foot[i] = {16 + stride * s, 31 - lift};
        p.hand[i] = {16 + lean - 3.5 * s, 21};
    }
    return p;
}

// Renders the poses of the player's strip `facing` (its number in the
// game's order) where the game cuts it, and the mirror image of each frame
// into the strip `mirror` (if not negative).
template <typename F>
void strip(Canvas& sheet, int facing, int mirror, const ArtBook& art, F poseOf)
{
    const PlayerStripLayout& layout = kPlayerStripLayouts[facing];
    const int w = layout.frameWidth, h = layout.frameHeight;
    for (int k = 0; k < layout.frames; ++k) {
        Canvas f(w, h);
        drawPose(f, poseOf(k), art, 0, 0);
        sheet.blit(f, k * w, layout.top);
        if (mirror >= 0) sheet.blit(f.mirrored(), k * w, kPlayerStripLayouts[mirror].top);
    }
}

Pt lerp(Pt a, Pt b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

} // namespace

void makePlayerSheet(const ArtBook& art, const std::string& out)
{
    save(buildPlayerSheet(art), out + "/gfx/player.png");
}

Canvas buildPlayerSheet(const ArtBook& art)
{
    Canvas s(kPlayerSheetWidth, kPlayerSheetHeight);
    // walk: right (strip 0), left (1)
    strip(s, 0, 1, art, [](int k) { return walkPose(k, 10, 4.5, 1.5); });

    // jump: right (3), left (2). Crouch, spring, tuck over the gap,
    // reach down, land.
    strip(s, 3, 2, art, [](int k) {
        Pose p = standing();
        switch (k) {
        case 0:
            p.hip = {15, 24};
            p.lean = 3;
            p.foot[0] = {19, 31};
            p.foot[1] = {13, 31};
            p.hand[0] = {13, 23};
            p.hand[1] = {11, 22};
            break;
        case 1:
            p.hip = {16, 20};
            p.lean = 2;
            p.foot[0] = {14, 30};
            p.foot[1] = {11, 29};
            p.hand[0] = {22, 11};
            p.hand[1] = {20, 10};
            break;
        case 8:
            p.hip = {16, 24};
            p.lean = 2;
            p.foot[0] = {20, 31};
            p.foot[1] = {13, 31};
            p.hand[0] = {22, 21};
            p.hand[1] = {11, 21};
            break;
        default: {
            double t = (k - 2) / 5.0;   // 0 .. 1 over the flight
            p.hip = {16, 19};
            p.lean = 2;
            double tuck = std::sin(t * kPi);
            p.foot[0] = {19 + 2 * t, 28 - 3 * tuck};
            p.foot[1] = {13 + 2 * t, 27 - 3 * tuck};
            p.hand[0] = {23, 14 + 4 * t};
            p.hand[1] = {10, 14 + 3 * t};
        }
        }
        return p;
    });

    // place a bomb: right (5), left (4). Kneel, set it down, rise.
    strip(s, 5, 4, art, [](int k) {
        const double dip[9] = {0, 2, 4, 5.5, 6.5, 6.5, 5, 3, 1};
        Pose p = standing();
        p.hip = {12, 21 + dip[k]};
        p.lean = 1 + dip[k] * 0.9;
        p.foot[0] = {17, 31};
        p.foot[1] = {9, 31};
        double t = std::min(1.0, k / 5.0);
        p.bomb = lerp(Pt{21, 20}, Pt{16, 31}, t * t);
        p.holdBomb = true;
        Pt reach = k <= 5 ? Pt{p.bomb.x + 1, p.bomb.y - 5} : lerp(Pt{19, 25}, Pt{17, 20}, (k - 5) / 3.0);
        p.hand[0] = reach;
        p.hand[1] = {reach.x - 2, reach.y};
        return p;
    });

    // step up: right (7), left (6), 64 x 64 frames. The hero starts in
    // the bottom-left cell, grips the ledge (its top edge is y = 32, x from
    // 32) and climbs onto the top-right cell.
    strip(s, 7, 6, art, [](int k) {
        Pose p;
        p.lean = 1;
        switch (k) {
        case 0:   // looking up, arms raised towards the edge
            p.hip = {16, 53};
            p.foot[0] = {18, 63};
            p.foot[1] = {14, 63};
            p.hand[0] = {24, 36};
            p.hand[1] = {22, 37};
            break;
        case 1:   // a hop: hands catch the edge
            p.hip = {20, 45};
            p.lean = 2;
            p.foot[0] = {20, 56};
            p.foot[1] = {17, 55};
            p.hand[0] = {32, 31};
            p.hand[1] = {30, 31};
            break;
        case 2:   // pulling up
            p.hip = {23, 41};
            p.lean = 3;
            p.foot[0] = {24, 51};
            p.foot[1] = {21, 52};
            p.hand[0] = {33, 31};
            p.hand[1] = {31, 31};
            break;
        case 3:   // a knee over the edge
            p.hip = {28, 36};
            p.lean = 4;
            p.foot[0] = {34, 31};
            p.foot[1] = {25, 45};
            p.hand[0] = {36, 31};
            p.hand[1] = {34, 31};
            break;
        case 4:   // pushing on the ledge, the other leg follows
            p.hip = {33, 31};
            p.lean = 4;
            p.foot[0] = {37, 31};
            p.foot[1] = {30, 38};
            p.hand[0] = {39, 30};
            p.hand[1] = {37, 30};
            break;
        case 5:
            p.hip = {37, 27};
            p.lean = 4;
            p.foot[0] = {41, 31};
            p.foot[1] = {34, 32};
            p.hand[0] = {44, 28};
            p.hand[1] = {42, 28};
            break;
        case 6:
            p.hip = {42, 24};
            p.lean = 3;
            p.foot[0] = {45, 31};
            p.foot[1] = {40, 31};
            p.hand[0] = {47, 24};
            p.hand[1] = {43, 25};
            break;
        case 7:
            p.hip = {46, 22};
            p.lean = 2;
            p.foot[0] = {48, 31};
            p.foot[1] = {45, 31};
            p.hand[0] = {49, 22};
            p.hand[1] = {45, 22};
            break;
        default:
            p = standing();
            p.hip.x += 32;
            p.foot[0].x += 32;
            p.foot[1].x += 32;
            p.hand[0].x += 32;
            p.hand[1].x += 32;
        }
        return p;
    });

    // push: right (9), left (8). Leaning in, both hands on the load.
    strip(s, 9, 8, art, [](int k) {
        Pose p = walkPose(k, 6, 4.0, 5);
        p.hip = {13, 22 - 0.5 * std::fabs(std::cos(2 * kPi * k / 6))};
        p.foot[0].x -= 3;
        p.foot[1].x -= 3;
        p.hand[0] = {29, 16};
        p.hand[1] = {28, 18};
        return p;
    });

    // ladder (10): seen from behind, hands and feet taking turns.
    strip(s, 10, -1, art, [](int k) {
        double ph = 2 * kPi * k / 6;
        Pose p;
        p.back = true;
        p.hip = {16, 21 + std::sin(2 * ph) * 0.7};
        p.lean = 0;
        double a = std::cos(ph) * 3;
        // the hand travelling up reaches a little higher than the one
        // coming down, so the six frames are all different
        double rising = std::sin(ph) > 0 ? 1 : std::sin(ph) < 0 ? -1 : 0;
        p.hand[0] = {10, 9 + a - rising};
        p.hand[1] = {22, 9 - a + rising};
        p.foot[0] = {12, 30 - a};
        p.foot[1] = {20, 30 + a};
        return p;
    });

    // an idle figure in the unused top band, for reference when drawing
    Canvas idle(32, 32);
    drawPose(idle, standing(), art, 0, 0);
    s.blit(idle, 0, 0);
    return s;
}

// ----------------------------------------------------------- font and HUD

void makeFontStrip(const ArtBook& art, const std::string& out)
{
    Canvas f(560, 16);
    std::string cells = "abcdefghijklmnopqrstuvwxy0123456789";
    for (size_t i = 0; i < cells.size(); ++i) {
        Canvas g(16, 16);
        const auto& rows = art.glyph(cells[i]);
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t x = 0; x < rows[y].size(); ++x)
                if (rows[y][x] == '#') g.fill(1 + int(x) * 2, 1 + int(y) * 2, 2, 2, y < 3 ? art.colour('W') : art.colour('Y'));
        g.outline(art.colour('K'));
        f.blit(g, int(i) * 16, 0);
    }
    save(f, out + "/gfx/fontti.png");
}

void makeLetters(const ArtBook& art, const std::string& out)
{
    // White, twice the glyphs' size, outlined so they read over any picture.
    const std::string cells = kLetterOrder;
    Canvas f(kLetterWidth * int(cells.size()), kLetterHeight);
    for (size_t i = 0; i < cells.size(); ++i) {
        Canvas g(kLetterWidth, kLetterHeight);
        const auto& rows = art.glyph(cells[i]);
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t x = 0; x < rows[y].size(); ++x)
                if (rows[y][x] == '#') g.fill(1 + int(x) * 2, 1 + int(y) * 2, 2, 2, art.colour('W'));
        g.outline(art.colour('K'));
        f.blit(g, int(i) * kLetterWidth, 0);
    }
    save(f, out + "/" + kLettersPath);
}

namespace {

// Text in the look of the game's font strip: white upper rows over pale
// yellow.
void fontStyleText(Canvas& c, const ArtBook& art, const std::string& text, int x, int y, int scale)
{
    Canvas ink(c.width(), c.height());
    drawText(ink, art, text, x, y, scale, art.colour('Y'));
    for (int yy = y; yy < y + 3 * scale && yy < c.height(); ++yy)
        for (int xx = 0; xx < c.width(); ++xx)
            if (!ink.get(xx, yy).isKey()) ink.set(xx, yy, art.colour('W'));
    c.blit(ink, 0, 0);
}

// A key cap (18 x 20) with its top-left at (x, y): the band's white and grey
// lines as its rim. Arrows are drawn as triangles, anything else as a glyph.
void keyCap(Canvas& c, const ArtBook& art, int x, int y, char key)
{
    const Rgb white(255, 255, 255), grey(64, 64, 64), face(28, 28, 28);
    const int w = hud::kCapWidth, h = hud::kCapHeight;
    c.fill(x, y, w, h, face);
    c.frame(x, y, w, h, grey);
    c.fill(x + 1, y, w - 2, 1, white);   // lit from above, as the band's top line
    c.set(x, y, Rgb(0, 0, 0));
    c.set(x + w - 1, y, Rgb(0, 0, 0));
    c.set(x, y + h - 1, Rgb(0, 0, 0));
    c.set(x + w - 1, y + h - 1, Rgb(0, 0, 0));
    const Rgb ink = art.colour('W');
    if (key == '<' || key == '>') {
        for (int i = 0; i < 6; ++i) {
            int col = key == '>' ? x + 6 + i : x + 11 - i;
            c.fill(col, y + 4 + i, 1, 12 - 2 * i, ink);
        }
    } else if (key == '^' || key == 'v') {
        for (int i = 0; i < 6; ++i) {
            int row = key == 'v' ? y + 7 + i : y + 12 - i;
            c.fill(x + 3 + i, row, 12 - 2 * i, 1, ink);
        }
    } else {
        drawText(c, art, std::string(1, key), x + 4, y + 3, 2, ink);
    }
}

} // namespace

void makeHud(const ArtBook& art, const std::string& out)
{
    // Drawn at (64, 416), over the band the game draws first: black from
    // x = 0 with a white line at y = 417 and a grey one at y = 419, and the
    // bomb icons stacked from x = 0 (six pixels apart, so the first nine are
    // whole left of x = 64). The bar is the rest of that one panel: its top
    // rows are clear so the band's lines run on unbroken, its body is the
    // band's own black, and its left edge is a double divider that closes
    // the bomb area on the right like a frame. Icons past the ninth tuck in
    // behind the divider.
    Canvas b(576, 64);
    const Rgb black(0, 0, 0), white(255, 255, 255), grey(64, 64, 64);
    b.fill(0, 4, 576, 60, black);
    // the divider: the band's white line turns down between two grey ones,
    // which meet the grey line on either side
    b.fill(0, 3, 1, 61, grey);
    b.fill(1, 2, 1, 62, black);
    b.fill(2, 1, 1, 63, white);
    b.fill(3, 2, 1, 62, black);
    b.fill(4, 3, 1, 61, grey);
    // key help in two rows, the upper one level with the bomb icons; undo
    // stands where the play lights it, beside retry
    struct Hint {
        const char* keys;
        const char* word;
    };
    const Hint rows[2][4] = {{{"x", "jump"}, {"z", "bomb"}, {"u", "undo"}, {"r", "retry"}},
                             {{"<>", "walk"}, {"^v", "climb"}, {"ml", "music"}, {"h", "hint"}}};
    static_assert(hud::kUndoColumn == 2, "the undo hint's place in the table");
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < 4; ++k) {
            const int x = hud::kHintX + hud::kHintSpacing * k, y = hud::kHintRowY[r];
            const std::string keys = rows[r][k].keys;
            for (size_t i = 0; i < keys.size(); ++i)
                keyCap(b, art, x + hud::kCapsEnd - hud::kCapStep * int(keys.size() - i), y, keys[i]);
            fontStyleText(b, art, rows[r][k].word, x + 48, y + 3, 2);
        }
    // the game's name at the right end of the lower row, in the hints' own
    // size so that four columns of them fit beside it
    const int w = textWidth(art, "vorrel", 2), nameY = hud::kHintRowY[1] + 3;
    drawText(b, art, "vorrel", 576 - w - 13, nameY + 1, 2, art.colour('o'));
    drawText(b, art, "vorrel", 576 - w - 14, nameY, 2, art.colour('y'));
    save(b, out + "/gfx/staticalapalkki.png");
}

void makeArrows(const ArtBook& art, const std::string& out)
{
    // Pointing right: a shaft on the left, the head's flat back at x = 16
    // and its point at x = 28.
    Canvas a(32, 32);
    a.fill(4, 12, 13, 8, art.colour('y'));
    a.fill(4, 12, 13, 2, art.colour('Y'));
    for (int y = 4; y < 28; ++y) {
        int half = y < 16 ? y - 4 : 27 - y;   // 0 at the tips, 11 in the middle
        a.fill(16, y, half + 1, 1, y < 14 ? art.colour('Y') : art.colour('y'));
    }
    a.fill(16, 20, 12, 8, kKey);   // keep the lower half a clean slope
    for (int y = 16; y < 28; ++y) a.fill(16, y, 28 - y, 1, art.colour(y > 21 ? 'o' : 'y'));
    a.outline(art.colour('K'));
    save(a, out + "/gfx/arrow_right.png");
    save(a.mirrored(), out + "/gfx/arrow_left.png");
}

void makeStars(const ArtBook& art, const std::string& out)
{
    const int frames = 10;
    Canvas s(32 * frames, 32);
    for (int k = 0; k < frames; ++k) {
        double pulse = 0.5 + 0.5 * std::cos(2 * kPi * k / frames);   // 1 = brightest
        Canvas f(32, 32);
        int arm = 3 + int(std::lround(pulse * 11));
        f.line(16 - arm, 16, 16 + arm, 16, 1, art.colour('y'));
        f.line(16, 16 - arm, 16, 16 + arm, 1, art.colour('y'));
        int diag = arm / 3;
        f.line(16 - diag, 16 - diag, 16 + diag, 16 + diag, 1, art.colour('Y'));
        f.line(16 - diag, 16 + diag, 16 + diag, 16 - diag, 1, art.colour('Y'));
        f.disc(16.5, 16.5, 1 + pulse * 2, art.colour('Y'));
        f.set(16, 16, art.colour('W'));
        s.blit(f, k * 32, 0);
    }
    save(s, out + "/gfx/tahteet.png");
}
