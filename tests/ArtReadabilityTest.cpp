// What the player must tell apart at a glance, measured on the game's own
// pictures drawn by the game's own code: water against every backdrop, the
// decorations against the gem, rubble against floors, the band's bomb icons.
#include <gtest/gtest.h>

#include <SDL/SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "level/LevelText.h"
#include "platform/Platform.h"
#include "play/View.h"

namespace fs = std::filesystem;

namespace {

using testsupport::dataFolder;

struct Lab {
    double l, a, b;
};

// CIE L*a*b* of an sRGB colour (D65), for a colour difference the eye agrees with.
Lab toLab(Uint8 r8, Uint8 g8, Uint8 b8) {
    auto lin = [](Uint8 v) {
        double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    double r = lin(r8), g = lin(g8), b = lin(b8);
    double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double deltaE(const Lab& p, const Lab& q) { return std::hypot(p.l - q.l, p.a - q.a, p.b - q.b); }

Lab labAt(SDL_Surface* s, int x, int y) {
    Uint8 r, g, b;
    testsupport::pixelRGB(s, x, y, r, g, b);
    return toLab(r, g, b);
}

// The value below which a tenth of the samples lie: the weak spots count,
// a stray pixel does not.
double lowTenth(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 10];
}

// A level of the theme with water in every odd row, open air between.
LevelText pools(const std::string& theme, int bombs = 0) {
    std::string text = "gfx/" + theme + ".txt\ngfx/bg_" + theme + ".png\n13\n";
    for (int r = 0; r < 13; ++r) text += std::string(20, r % 2 ? '$' : '.') + "\n";
    if (bombs) text += "bomb " + std::to_string(bombs) + "\n";
    return parseLevelText(text);
}

// The tileset as plain 0xRRGGBB pixels, magenta for clear.
struct Tiles {
    int w = 0, h = 0;
    std::vector<Uint32> px;
    Tiles() {
        SDL_Surface* loaded = IMG_Load((dataFolder() / "gfx/tileset.png").string().c_str());
        if (!loaded) return;
        SDL_Surface* s = SDL_ConvertSurface(loaded, testsupport::screen()->format, SDL_SWSURFACE);
        SDL_FreeSurface(loaded);
        w = s->w;
        h = s->h;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Uint8 r, g, b;
                testsupport::pixelRGB(s, x, y, r, g, b);
                px.push_back(Uint32(r) << 16 | Uint32(g) << 8 | b);
            }
        SDL_FreeSurface(s);
    }
    Uint32 at(int x, int y) const { return px[size_t(y) * w + x]; }
    bool clear(int x, int y) const { return at(x, y) == 0xFF00FF; }
};

// Hue in degrees of a clearly coloured pixel, or -1 for greys, near-blacks
// and magenta.
double hueOf(Uint32 c) {
    double r = (c >> 16 & 255) / 255.0, g = (c >> 8 & 255) / 255.0, b = (c & 255) / 255.0;
    double hi = std::max({r, g, b}), lo = std::min({r, g, b});
    if (c == 0xFF00FF || hi < 0.25 || (hi - lo) / hi < 0.35) return -1;
    double h = hi == r ? (g - b) / (hi - lo) : hi == g ? 2 + (b - r) / (hi - lo) : 4 + (r - g) / (hi - lo);
    return std::fmod(h * 60 + 360, 360);
}

double hueDistance(double a, double b) {
    double d = std::fabs(a - b);
    return std::min(d, 360 - d);
}

}  // namespace

// Water is drawn by tinting what lies behind it, so whether it reads as
// water depends on the backdrops: the surface line and the body must stand
// apart from the dry backdrop beside them in every theme.
TEST(ArtReadability, WaterStandsOutAgainstEveryBackdrop) {
    testsupport::InFolder in(dataFolder());
    platform::VirtualClock clock;
    platform::setClock(&clock);
    SDL_Surface* screen = testsupport::screen();
    for (const char* theme : {"cave", "forest", "castle"}) {
        Level level(pools(theme), screen, nullptr, 1, false);
        EXPECT_NE(level.backdrop, nullptr) << theme;
        if (!level.backdrop) continue;  // the clock must be put back below
        std::vector<double> line, body;
        for (Uint32 now : {0u, 400u, 1700u}) {
            clock.now = now;
            SDL_BlitSurface(level.backdrop, nullptr, screen, nullptr);
            drawCells(level, 0);
            for (int x = 0; x < 640; ++x)
                for (int row = 1; row < 13; row += 2) {
                    // the surface lies between rows 8 - 9 and 8 + 9 of its cell
                    int y = 32 * row - 1;
                    for (; y < 32 * row + 18; ++y) {
                        Lab dry = labAt(level.backdrop, x, y), wet = labAt(screen, x, y);
                        if (deltaE(dry, wet) > 0.5) break;
                    }
                    line.push_back(deltaE(labAt(level.backdrop, x, y), labAt(screen, x, y)));
                    for (int by = 32 * row + 20; by < 32 * row + 32; by += 3)
                        body.push_back(deltaE(labAt(level.backdrop, x, by), labAt(screen, x, by)));
                }
        }
        std::printf("[ water ] %-6s surface line dE %.1f, body dE %.1f (the lowest tenth)\n", theme, lowTenth(line),
                    lowTenth(body));
        EXPECT_GE(lowTenth(line), 30) << theme;
        EXPECT_GE(lowTenth(body), 15) << theme;
    }
    platform::setClock(nullptr);
}

// A decoration that shares the gem's colours is a false gem beside a real one.
TEST(ArtReadability, NoDecorationWearsTheGemsColours) {
    testsupport::screen();
    Tiles t;
    ASSERT_GT(t.w, 0);
    std::vector<double> gemHues;
    for (int y = 6 * 32 + 8; y < 6 * 32 + 24; ++y)  // the gem's body in its first frame
        for (int x = 32 + 8; x < 32 + 24; ++x)
            if (hueOf(t.at(x, y)) >= 0) gemHues.push_back(hueOf(t.at(x, y)));
    ASSERT_GT(gemHues.size(), 50u);
    std::sort(gemHues.begin(), gemHues.end());
    const double gem = gemHues[gemHues.size() / 2];
    for (int row = 0; row < 3; ++row)
        for (int col = 9; col <= 12; ++col) {
            int painted = 0, gemLike = 0;
            for (int y = 32 * row; y < 32 * row + 32; ++y)
                for (int x = 32 * col; x < 32 * col + 32; ++x) {
                    if (t.clear(x, y)) continue;
                    ++painted;
                    double h = hueOf(t.at(x, y));
                    gemLike += h >= 0 && hueDistance(h, gem) < 35;
                }
            EXPECT_GT(painted, 60) << "decoration " << col << "," << row;
            EXPECT_LE(gemLike * 50, painted) << "decoration " << col << "," << row << " looks like a gem";
        }
}

// Rubble is no floor: loose chips with air between them, nothing a player
// would take for a ledge.
TEST(ArtReadability, RubbleIsLooseDebris) {
    testsupport::screen();
    Tiles t;
    ASSERT_GT(t.w, 0);
    for (int row = 0; row < 3; ++row) {
        int painted = 0, longestRun = 0;
        for (int y = 32 * row; y < 32 * row + 32; ++y)
            for (int x = 256, run = 0; x < 288; ++x) {
                run = t.clear(x, y) ? 0 : run + 1;
                painted += run > 0;
                longestRun = std::max(longestRun, run);
            }
        EXPECT_GT(painted, 100) << "theme row " << row;
        EXPECT_LT(painted, 32 * 32 * 4 / 10) << "theme row " << row;
        EXPECT_LE(longestRun, 10) << "theme row " << row << " has a ledge";
    }
}

// The band shows one bomb icon per bomb, each overlapping the last: every
// one must show as its own bright rim on the black.
TEST(ArtReadability, EveryBombOnTheBandShows) {
    testsupport::InFolder in(dataFolder());
    SDL_Surface* screen = testsupport::screen();
    resetViewImages();
    for (int bombs : {0, 1, 2, 5, 8}) {
        Level level(pools("cave", bombs), screen, nullptr, 1, false);
        SDL_FillRect(screen, nullptr, 0);
        drawHud(level);
        int runs = 0;
        bool bright = false;
        for (int x = 0; x < 64; ++x) {
            Uint8 r, g, b;
            testsupport::pixelRGB(screen, x, 440, r, g, b);
            bool now = r + g + b > 3 * 120;
            runs += now && !bright;
            bright = now;
        }
        EXPECT_EQ(runs, bombs) << bombs << " bombs";
    }
    resetViewImages();
}
