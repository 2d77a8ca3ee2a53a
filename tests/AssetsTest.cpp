// Checks the game's own pictures and sounds in data/: that each loads with
// SDL_image / SDL_mixer, has the size and layout the game cuts it by, and
// that the effects are audible through a real audio driver.
#include "TestSupport.h"

#include <SDL/SDL_image.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// The data folder as an absolute path, fixed on first use (tests change
// the working directory).
std::string dataDir()
{
    static const std::string dir = [] {
        const char* env = std::getenv("VORREL_DATA");
        char* real = realpath(env ? env : "../data", nullptr);
        std::string d = real ? real : (env ? env : "../data");
        std::free(real);
        return d;
    }();
    return dir;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A picture converted to plain 32-bit RGB for reading.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;   // 0xRRGGBB
    bool loaded() const { return w > 0; }
    uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
    bool key(int x, int y) const { return at(x, y) == 0xFF00FF; }
    // Painted (non-magenta) pixels in a rectangle.
    int painted(int x0, int y0, int rw, int rh) const
    {
        int n = 0;
        for (int y = y0; y < y0 + rh; ++y)
            for (int x = x0; x < x0 + rw; ++x) n += !key(x, y);
        return n;
    }
    int keyed() const { return w * h - painted(0, 0, w, h); }
    bool sameRect(int ax, int ay, int bx, int by, int rw, int rh) const
    {
        for (int y = 0; y < rh; ++y)
            for (int x = 0; x < rw; ++x)
                if (at(ax + x, ay + y) != at(bx + x, by + y)) return false;
        return true;
    }
    double brightness() const
    {
        double sum = 0;
        for (uint32_t c : px) sum += ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255);
        return sum / (3.0 * px.size());
    }
};

Picture load(const std::string& name)
{
    Picture p;
    SDL_Surface* s = IMG_Load((dataDir() + "/" + name).c_str());
    if (!s) return p;
    SDL_Surface* rgb = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_Surface* c = SDL_ConvertSurface(s, rgb->format, SDL_SWSURFACE);
    p.w = c->w;
    p.h = c->h;
    p.px.resize(size_t(p.w) * p.h);
    SDL_LockSurface(c);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x)
            p.px[size_t(y) * p.w + x] =
                *reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(c->pixels) + y * c->pitch + x * 4) & 0xFFFFFF;
    SDL_UnlockSurface(c);
    SDL_FreeSurface(c);
    SDL_FreeSurface(rgb);
    SDL_FreeSurface(s);
    return p;
}

struct Entry {
    unsigned char key;
    int passable, column, row;
};

struct Description {
    std::vector<std::string> head;   // tileset, steps, player sheet
    std::vector<Entry> entries;
    bool blankLine = false;
};

Description readDescription(const std::string& name)
{
    Description d;
    std::istringstream in(readBytes(dataDir() + "/" + name));
    std::string line;
    while (std::getline(in, line)) {
        if (d.head.size() < 3) {
            d.head.push_back(line);
            continue;
        }
        if (line.empty()) {
            d.blankLine = true;
            continue;
        }
        Entry e{static_cast<unsigned char>(line[0]), -1, -1, -1};
        std::istringstream(line.substr(1)) >> e.passable >> e.column >> e.row;
        d.entries.push_back(e);
    }
    return d;
}

const char* const kThemes[] = {"gfx/cave.txt", "gfx/forest.txt", "gfx/castle.txt"};

} // namespace

TEST(AssetsTest, PicturesLoadWithTheirSizes)
{
    testsupport::screen();
    struct Want {
        const char* file;
        int w, h;
    };
    const Want wants[] = {{"gfx/player.png", 576, 544},    {"gfx/fontti.png", 560, 16},
                          {"gfx/arrow_left.png", 32, 32},  {"gfx/arrow_right.png", 32, 32},
                          {"gfx/maski.png", 640, 480},     {"gfx/maski_b.png", 640, 480},
                          {"gfx/quillmoor.png", 640, 480}, {"gfx/logo1.png", 640, 480},
                          {"gfx/logo2.png", 640, 480}};
    for (const Want& w : wants) {
        Picture p = load(w.file);
        ASSERT_TRUE(p.loaded()) << w.file;
        EXPECT_EQ(p.w, w.w) << w.file;
        EXPECT_EQ(p.h, w.h) << w.file;
    }
    Picture tiles = load("gfx/tileset.png");
    ASSERT_TRUE(tiles.loaded());
    EXPECT_GE(tiles.w, 864);
    EXPECT_GE(tiles.h, 384);
    EXPECT_EQ(tiles.w % 32, 0);
    EXPECT_EQ(tiles.h % 32, 0);
    Picture bar = load("gfx/staticalapalkki.png");
    ASSERT_TRUE(bar.loaded());
    EXPECT_LE(bar.w, 576);
    EXPECT_LE(bar.h, 64);
    Picture stars = load("gfx/tahteet.png");
    ASSERT_TRUE(stars.loaded());
    EXPECT_EQ(stars.h, 32);
    EXPECT_GE(stars.w, 32);
    EXPECT_EQ(stars.w % 32, 0);
}

TEST(AssetsTest, FullScreenPicturesHaveNoMagentaAndTheRightShade)
{
    testsupport::screen();
    for (const char* f : {"gfx/maski.png", "gfx/maski_b.png", "gfx/quillmoor.png", "gfx/logo1.png", "gfx/logo2.png"}) {
        Picture p = load(f);
        ASSERT_TRUE(p.loaded()) << f;
        EXPECT_EQ(p.keyed(), 0) << f;
    }
    // the backdrop mask only subdues; the between-screens picture is dark
    Picture mask = load("gfx/maski.png");
    EXPECT_GT(mask.brightness(), 160);
    EXPECT_GT((mask.at(320, 240) & 255), 200u);
    EXPECT_GT((mask.at(0, 0) & 255), 60u);
    EXPECT_LT(load("gfx/maski_b.png").brightness(), 50);
}

TEST(AssetsTest, TilesetHoldsItemsAndDoorsWhereTheGameCutsThem)
{
    testsupport::screen();
    Picture t = load("gfx/tileset.png");
    ASSERT_TRUE(t.loaded());
    auto tile = [&](int c, int r) { return t.painted(c * 32, r * 32, 32, 32); };
    EXPECT_EQ(tile(0, 6), 32 * 32) << "wooden box is solid";
    EXPECT_EQ(tile(1, 7), 32 * 32) << "heavy box is solid";
    EXPECT_FALSE(t.sameRect(0, 6 * 32, 32, 7 * 32, 32, 32)) << "the boxes look different";
    EXPECT_GT(tile(8, 6), 50) << "treasure base";
    EXPECT_GT(tile(0, 8), 50) << "bomb icon";
    // the bomb icon must leave room for its neighbours 6 pixels on
    EXPECT_EQ(t.painted(24, 8 * 32, 8, 32), 0);
    for (int k = 1; k <= 6; ++k) {
        EXPECT_GT(tile(k, 6), 40) << "treasure frame " << k;
        EXPECT_LT(tile(k, 6), 32 * 32) << "treasure frame " << k << " is keyed";
        if (k > 1) {
            EXPECT_FALSE(t.sameRect((k - 1) * 32, 192, k * 32, 192, 32, 32)) << "treasure sparkles";
        }
    }
    for (int k = 2; k <= 6; ++k) {
        EXPECT_GT(tile(k, 3), 60) << "bomb frame " << k;
        if (k > 2) {
            EXPECT_FALSE(t.sameRect((k - 1) * 32, 96, k * 32, 96, 32, 32)) << "bomb counts down";
        }
    }
    for (int k = 0; k < 5; ++k) {
        int x = (3 + k) * 32;
        EXPECT_GT(t.painted(x, 7 * 32, 32, 32), 400) << "door frame " << k << " top";
        EXPECT_GT(t.painted(x, 8 * 32, 32, 32), 800) << "door frame " << k << " bottom";
        if (k > 0) {
            EXPECT_FALSE(t.sameRect(x - 32, 224, x, 224, 32, 64)) << "door frame " << k << " moves";
        }
    }
    for (int k = 5; k < 9; ++k) {   // the frames shown after the blast
        EXPECT_GT(t.painted(k * 96, 320, 96, 64), 600) << "explosion frame " << k;
        EXPECT_LT(t.painted(k * 96, 320, 96, 64), 96 * 64) << "explosion frame " << k << " is keyed";
    }
    EXPECT_GT(t.painted(5 * 96 + 32, 320, 32, 32), 300) << "the blast reaches the cell above";
}

TEST(AssetsTest, TilesetDescriptionsNameRealTilesAndEveryKeyOnce)
{
    testsupport::screen();
    Picture t = load("gfx/tileset.png");
    ASSERT_TRUE(t.loaded());
    for (const char* theme : kThemes) {
        Description d = readDescription(theme);
        ASSERT_EQ(d.head.size(), 3u) << theme;
        EXPECT_TRUE(load(d.head[0]).loaded()) << theme;
        EXPECT_EQ(d.head[1], "32 32") << theme;
        EXPECT_TRUE(load(d.head[2]).loaded()) << theme;
        EXPECT_FALSE(d.blankLine) << theme << ": a blank line repeats the last key";
        std::map<unsigned char, Entry> keys;
        for (const Entry& e : d.entries) {
            EXPECT_TRUE(keys.emplace(e.key, e).second) << theme << " repeats key " << int(e.key);
            ASSERT_GE(e.column, 0);
            ASSERT_GE(e.row, 0);
            EXPECT_LE((e.column + 1) * 32, t.w);
            EXPECT_LE((e.row + 1) * 32, t.h);
            EXPECT_TRUE(e.passable == 0 || e.passable == 1);
        }
        const unsigned char needed[] = {'.', '#', '=', '?', '$', 0xA7};
        for (unsigned char k : needed)
            ASSERT_TRUE(keys.count(k)) << theme << " lacks key " << int(k);
        const Entry& air = keys['.'];
        EXPECT_EQ(air.passable, 1);
        EXPECT_EQ(t.painted(air.column * 32, air.row * 32, 32, 32), 0) << theme << ": air must be clear";
        for (unsigned char k : {(unsigned char)'#', (unsigned char)'='}) {
            const Entry& wall = keys[k];
            EXPECT_EQ(wall.passable, 0);
            EXPECT_EQ(t.painted(wall.column * 32, wall.row * 32, 32, 32), 32 * 32) << theme << " " << k;
        }
        const Entry& rubble = keys[0xA7];
        EXPECT_EQ(rubble.passable, 1);
        int r = t.painted(rubble.column * 32, rubble.row * 32, 32, 32);
        EXPECT_GT(r, 50) << theme << ": rubble shows";
        EXPECT_LT(r, 700) << theme << ": rubble leaves the cell open";
        const Entry& ladder = keys['?'];
        EXPECT_LT(t.painted(ladder.column * 32, ladder.row * 32, 32, 32), 800) << theme << ": ladders are see-through";
    }
    // every theme has its own walls
    Description a = readDescription(kThemes[0]), b = readDescription(kThemes[1]);
    EXPECT_NE(a.entries[1].row, b.entries[1].row);
}

TEST(AssetsTest, BackgroundsTileWithoutSeams)
{
    testsupport::screen();
    for (const char* name : {"gfx/bg_cave.png", "gfx/bg_forest.png", "gfx/bg_castle.png"}) {
        Picture p = load(name);
        ASSERT_TRUE(p.loaded()) << name;
        EXPECT_EQ(p.keyed(), 0) << name;
        auto diff = [&](uint32_t a, uint32_t b) {
            int d = 0;
            for (int s = 0; s < 24; s += 8) d += std::abs(int((a >> s) & 255) - int((b >> s) & 255));
            return d;
        };
        // a seam is where a picture meets its own repeat: that edge should
        // differ no more than the sharpest edge inside the picture does
        auto columnStep = [&](int x0, int x1) {
            double d = 0;
            for (int y = 0; y < p.h; ++y) d += diff(p.at(x0, y), p.at(x1, y));
            return d / p.h;
        };
        auto rowStep = [&](int y0, int y1) {
            double d = 0;
            for (int x = 0; x < p.w; ++x) d += diff(p.at(x, y0), p.at(x, y1));
            return d / p.w;
        };
        double sharpestX = 0, sharpestY = 0;
        for (int x = 0; x + 1 < p.w; ++x) sharpestX = std::max(sharpestX, columnStep(x, x + 1));
        for (int y = 0; y + 1 < p.h; ++y) sharpestY = std::max(sharpestY, rowStep(y, y + 1));
        EXPECT_LE(columnStep(p.w - 1, 0), sharpestX * 1.05 + 1) << name;
        EXPECT_LE(rowStep(p.h - 1, 0), sharpestY * 1.05 + 1) << name;
    }
}

TEST(AssetsTest, PlayerSheetStripsAnimate)
{
    testsupport::screen();
    Picture p = load("gfx/player.png");
    ASSERT_TRUE(p.loaded());
    struct Strip {
        const char* name;
        int top, size, frames;
    };
    const Strip strips[] = {{"walk right", 64, 32, 10}, {"walk left", 96, 32, 10},     {"jump left", 416, 32, 9},
                            {"jump right", 384, 32, 9}, {"bomb left", 352, 32, 9},     {"bomb right", 320, 32, 9},
                            {"step left", 256, 64, 9},  {"step right", 192, 64, 9},    {"push left", 480, 32, 6},
                            {"push right", 448, 32, 6}, {"ladder", 512, 32, 6}};
    for (const Strip& s : strips) {
        std::set<std::vector<uint32_t>> distinct;
        for (int k = 0; k < s.frames; ++k) {
            int n = p.painted(k * s.size, s.top, s.size, s.size);
            EXPECT_GT(n, 120) << s.name << " frame " << k;
            std::vector<uint32_t> frame;
            for (int y = 0; y < s.size; ++y)
                for (int x = 0; x < s.size; ++x) frame.push_back(p.at(k * s.size + x, s.top + y));
            distinct.insert(frame);
        }
        EXPECT_GE(int(distinct.size()), s.frames - 1) << s.name << " barely moves";
        // nothing is drawn past the last frame of the strip
        EXPECT_EQ(p.painted(s.frames * s.size, s.top, p.w - s.frames * s.size, s.size), 0) << s.name;
    }
    // stepping up right starts in the bottom-left cell and ends in the top-right one
    EXPECT_GT(p.painted(0, 192 + 32, 32, 32), 150);
    EXPECT_EQ(p.painted(32, 192, 32, 32), 0);
    EXPECT_GT(p.painted(8 * 64 + 32, 192, 32, 32), 150);
    EXPECT_EQ(p.painted(8 * 64, 192 + 32, 32, 32), 0);
    // and the left one mirrors it: bottom-right to top-left
    EXPECT_GT(p.painted(32, 256 + 32, 32, 32), 150);
    EXPECT_GT(p.painted(8 * 64, 256, 32, 32), 150);
    // left strips are mirror images of the right ones
    for (int x = 0; x < 32; ++x) EXPECT_EQ(p.at(x, 64 + 20), p.at(31 - x, 96 + 20));
}

TEST(AssetsTest, FontHasAGlyphInEveryCell)
{
    testsupport::screen();
    Picture f = load("gfx/fontti.png");
    ASSERT_TRUE(f.loaded());
    std::set<std::vector<uint32_t>> shapes;
    for (int cell = 0; cell < 35; ++cell) {
        EXPECT_GT(f.painted(cell * 16, 0, 16, 16), 20) << "cell " << cell;
        std::vector<uint32_t> g;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) g.push_back(f.at(cell * 16 + x, y));
        shapes.insert(g);
    }
    EXPECT_EQ(shapes.size(), 35u);
    // the glyph after a '1' is drawn 8 pixels closer, so the '1' (cell 26)
    // keeps to the left half of its cell
    EXPECT_EQ(f.painted(26 * 16 + 8, 0, 8, 16), 0);
    // door numbers are two glyphs on a 32-pixel door: "10" takes 24 pixels
    for (int cell = 25; cell < 35; ++cell) EXPECT_EQ(f.painted(cell * 16 + 14, 0, 2, 16), 0) << cell;
}

TEST(AssetsTest, StatusBarArrowsAndStars)
{
    testsupport::screen();
    Picture bar = load("gfx/staticalapalkki.png");
    ASSERT_TRUE(bar.loaded());
    // Drawn at (64, 416) over the black band: its top rows let the band's
    // lines run on, below them it is solid (no window for icons that would
    // read as a hole) and as black as the band, so bomb area and bar are
    // one panel.
    ASSERT_EQ(bar.h, 64);
    EXPECT_EQ(bar.painted(5, 0, bar.w - 5, 4), 0);
    EXPECT_EQ(bar.painted(0, 4, bar.w, 60), bar.w * 60);
    EXPECT_EQ(bar.at(10, 60), 0x000000u);
    EXPECT_EQ(bar.at(bar.w - 2, 60), 0x000000u);
    for (const char* a : {"gfx/arrow_left.png", "gfx/arrow_right.png"}) {
        Picture p = load(a);
        ASSERT_TRUE(p.loaded());
        EXPECT_GT(p.painted(0, 0, 32, 32), 100) << a;
        EXPECT_GT(p.keyed(), 100) << a;
    }
    // the right arrow ends in a point on the right and a blunt shaft on the
    // left; the left arrow is its mirror image
    Picture l = load("gfx/arrow_left.png"), r = load("gfx/arrow_right.png");
    auto columnHeight = [&](int x) { return r.painted(x, 0, 1, 32); };
    int first = 0, last = 31;
    while (first < 32 && columnHeight(first) == 0) ++first;
    while (last >= 0 && columnHeight(last) == 0) --last;
    ASSERT_LT(first, last);
    EXPECT_LE(columnHeight(last), 4) << "point on the right";
    EXPECT_GE(columnHeight(first), 6) << "shaft on the left";
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(l.at(x, y), r.at(31 - x, y));
    Picture stars = load("gfx/tahteet.png");
    for (int k = 0; k < stars.w / 32; ++k) EXPECT_GT(stars.painted(k * 32, 0, 32, 32), 5) << "star " << k;

    std::istringstream loc(readBytes(dataDir() + "/gfx/starloc.txt"));
    int n = 0, x, y;
    while (loc >> x >> y) {
        ++n;
        EXPECT_TRUE(x >= 0 && x <= 640 - 32 && y >= 0 && y <= 480 - 32) << x << "," << y;
    }
    EXPECT_EQ(n, 5);
    std::istringstream bar5(readBytes(dataDir() + "/zik/space.bar"));
    std::vector<unsigned> timing;
    unsigned v;
    while (bar5 >> v) timing.push_back(v);
    ASSERT_EQ(timing.size(), 5u);
    EXPECT_GE(timing[0], 1000u);
    EXPECT_LT(timing[0], 14999u);
}

namespace {

// Reads the sound data file as the game does: kind and path per line.
std::vector<std::pair<std::string, std::string>> soundLines()
{
    std::vector<std::pair<std::string, std::string>> lines;
    std::istringstream in(readBytes(dataDir() + "/zik/data.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream w(line);
        std::string kind, path;
        if (w >> kind >> path) lines.emplace_back(kind, path);
    }
    return lines;
}

// Seconds of audio in an Ogg Vorbis file: last granule position / rate.
double oggSeconds(const std::string& bytes)
{
    size_t id = bytes.find("\x01vorbis");
    size_t last = bytes.rfind("OggS");
    if (id == std::string::npos || last == std::string::npos || last + 14 > bytes.size()) return 0;
    uint32_t rate = 0;
    for (int i = 0; i < 4; ++i) rate |= uint32_t(uint8_t(bytes[id + 12 + i])) << (8 * i);
    uint64_t granule = 0;
    for (int i = 0; i < 8; ++i) granule |= uint64_t(uint8_t(bytes[last + 6 + i])) << (8 * i);
    return rate ? double(granule) / rate : 0;
}

// Loudest sample, mean of each channel and the level of the difference
// between the channels next to their sum, of interleaved 16-bit stereo.
struct Levels {
    int peak = 0;
    double mean[2] = {0, 0};
    double side = 0;
};

Levels levelsOf(const int16_t* s, size_t n)
{
    Levels l;
    double sum[2] = {0, 0}, mid = 0, side = 0;
    for (size_t i = 0; i + 1 < n; i += 2) {
        l.peak = std::max({l.peak, std::abs(int(s[i])), std::abs(int(s[i + 1]))});
        sum[0] += s[i];
        sum[1] += s[i + 1];
        mid += (double(s[i]) + s[i + 1]) * (double(s[i]) + s[i + 1]);
        side += (double(s[i]) - s[i + 1]) * (double(s[i]) - s[i + 1]);
    }
    const double frames = std::max<double>(1, n / 2);
    for (int c = 0; c < 2; ++c) l.mean[c] = sum[c] / frames / 32768;
    l.side = mid > 0 ? std::sqrt(side / mid) : 0;
    return l;
}

double chunkRms(const Mix_Chunk* c)
{
    const int16_t* s = reinterpret_cast<const int16_t*>(c->abuf);
    size_t n = c->alen / 2;
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / n) : 0;
}

} // namespace

TEST(AssetsTest, SoundsLoadInTheGamesOrder)
{
    testsupport::screen();   // also picks the dummy audio driver unless one is set
    auto lines = soundLines();
    ASSERT_EQ(lines.size(), 6u);
    const char* kinds = "MMFFFF";
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].first, std::string(1, kinds[i]));
    EXPECT_EQ(lines[0].second, "zik/level.ogg");
    EXPECT_EQ(lines[1].second, "zik/title.ogg");

    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    size_t total = 0;
    for (const auto& l : lines) {
        std::string path = dataDir() + "/" + l.second;
        total += readBytes(path).size();
        if (l.first == "M") {
            Mix_Music* m = Mix_LoadMUS(path.c_str());
            EXPECT_NE(m, nullptr) << path << ": " << Mix_GetError();
            if (m) Mix_FreeMusic(m);
        } else {
            Mix_Chunk* c = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
            ASSERT_NE(c, nullptr) << path << ": " << Mix_GetError();
            double seconds = c->alen / (44100.0 * 4);
            EXPECT_GT(seconds, 0.1) << path;
            EXPECT_LT(seconds, 2.0) << path << ": effects are short";
            EXPECT_GT(chunkRms(c), 1000) << path << " is nearly silent";
            Mix_FreeChunk(c);
        }
    }
    Mix_CloseAudio();
    EXPECT_LT(total, 2u * 1024 * 1024) << "committed audio stays small";
    EXPECT_GE(oggSeconds(readBytes(dataDir() + "/zik/level.ogg")), 60.0) << "level music runs a minute before repeating";
    EXPECT_GE(oggSeconds(readBytes(dataDir() + "/zik/title.ogg")), 20.0);
}

// Runs in a child process of the tests below, with the disk audio driver.
// Plays one effect and waits until it has been written out; or, given a
// piece of music, plays it with every effect one after another, over and
// over, until the driver has written the music's length.
TEST(AssetsDiskAudio, Play)
{
    const char* which = std::getenv("VORREL_PLAY_EFFECT");
    const char* music = std::getenv("VORREL_PLAY_MUSIC");
    if (!which && !music) GTEST_SKIP() << "only run by the disk driver tests of AssetsTest";
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    if (which) {
        Mix_Chunk* c = Mix_LoadWAV_RW(SDL_RWFromFile(which, "rb"), 1);
        ASSERT_NE(c, nullptr);
        Mix_PlayChannelTimed(-1, c, 0, -1);
        for (int i = 0; i < 300 && Mix_Playing(-1); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        Mix_CloseAudio();
        Mix_FreeChunk(c);
    } else {
        Mix_Music* m = Mix_LoadMUS(music);
        ASSERT_NE(m, nullptr) << Mix_GetError();
        std::string all;
        for (const auto& l : soundLines()) {
            if (l.first != "F") continue;
            Mix_Chunk* c = Mix_LoadWAV_RW(SDL_RWFromFile((dataDir() + "/" + l.second).c_str(), "rb"), 1);
            ASSERT_NE(c, nullptr) << l.second;
            all.append(reinterpret_cast<const char*>(c->abuf), c->alen);
            Mix_FreeChunk(c);
        }
        Mix_Chunk* effects = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(&all[0]), Uint32(all.size()));
        ASSERT_NE(effects, nullptr);
        // both start in the same mixing pass
        SDL_LockAudio();
        Mix_PlayMusic(m, -1);
        Mix_PlayChannelTimed(-1, effects, -1, -1);
        SDL_UnlockAudio();
        const off_t want = off_t(std::atof(std::getenv("VORREL_PLAY_SECONDS")) * 44100) * 4;
        struct stat st {};
        for (int i = 0; i < 6000; ++i) {
            if (stat(std::getenv("SDL_DISKAUDIOFILE"), &st) == 0 && st.st_size >= want) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        Mix_CloseAudio();
        Mix_FreeChunk(effects);
        Mix_FreeMusic(m);
    }
    SDL_Quit();
}

namespace {

// Records through the disk audio driver what the child above plays, with
// `settings` ("NAME=VALUE") added to its environment; the samples, or a
// failure message.
std::string recordWithDiskDriver(const std::string& raw, std::vector<std::string> settings, int delayMs)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        if (v.rfind("SDL_AUDIODRIVER=", 0) != 0 && v.rfind("SDL_DISKAUDIO", 0) != 0 && v.rfind("VORREL_PLAY_", 0) != 0)
            env.push_back(v);
    }
    env.push_back("SDL_AUDIODRIVER=disk");
    env.push_back("SDL_DISKAUDIOFILE=" + raw);
    env.push_back("SDL_DISKAUDIODELAY=" + std::to_string(delayMs));
    for (std::string& s : settings) env.push_back(s);
    // Everything the child needs is made before the fork: the parent may
    // run audio threads, so the child only calls dup2 and execve.
    std::vector<char*> envp;
    for (std::string& v : env) envp.push_back(&v[0]);
    envp.push_back(nullptr);
    std::string filter = "--gtest_filter=AssetsDiskAudio.Play";
    char* argv[] = {const_cast<char*>("vorrel_tests"), &filter[0], nullptr};
    int log = open((raw + ".log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log < 0) return "cannot write " + raw + ".log";
    pid_t child = fork();
    if (child < 0) return "cannot fork";
    if (child == 0) {
        // keep the child's chatter out of this test's output
        dup2(log, 1);
        dup2(log, 2);
        execve("/proc/self/exe", argv, envp.data());
        _exit(127);
    }
    close(log);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the player failed:\n" + readBytes(raw + ".log");
    return "";
}

} // namespace

// The game mixes at full volume for music and effects alike, and SDL_mixer
// clips the sum: the loudest music and the loudest effect together must stay
// under full scale. No file carries an offset; the music is in stereo, gently.
TEST(AssetsTest, SoundsLeaveHeadroomForEachOther)
{
    testsupport::screen();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    int loudest[2] = {0, 0};   // music, effects
    for (const auto& l : soundLines()) {
        // SDL_mixer decodes Ogg music into a sample just as well
        Mix_Chunk* c = Mix_LoadWAV_RW(SDL_RWFromFile((dataDir() + "/" + l.second).c_str(), "rb"), 1);
        ASSERT_NE(c, nullptr) << l.second;
        Levels got = levelsOf(reinterpret_cast<const int16_t*>(c->abuf), c->alen / 2);
        Mix_FreeChunk(c);
        const bool music = l.first == "M";
        loudest[music ? 0 : 1] = std::max(loudest[music ? 0 : 1], got.peak);
        for (double mean : got.mean) EXPECT_LT(std::fabs(mean), 0.005) << l.second << " carries an offset";
        if (music) {
            EXPECT_GT(got.side, 0.05) << l.second << " is mono";
            EXPECT_LT(got.side, 0.5) << l.second << " is too wide";
        }
    }
    Mix_CloseAudio();
    EXPECT_LT(loudest[0] + loudest[1], 32767) << "music peak " << loudest[0] << ", effect peak " << loudest[1];
}

// What the player hears: each piece of music through its whole loop with
// the effects sounding over it one after another, recorded from the disk
// driver (which writes as fast as it can with no delay).
TEST(AssetsTest, EffectsOverTheMusicDoNotClip)
{
    auto lines = soundLines();
    testsupport::ScratchDir scratch;
    for (const auto& l : lines) {
        if (l.first != "M") continue;
        std::string music = dataDir() + "/" + l.second;
        double seconds = oggSeconds(readBytes(music)) + 1;
        std::string raw = scratch.path() + "/mix.raw";
        std::string failed = recordWithDiskDriver(
            raw, {"VORREL_PLAY_MUSIC=" + music, "VORREL_PLAY_SECONDS=" + std::to_string(seconds)}, 0);
        ASSERT_EQ(failed, "") << l.second;
        std::string bytes = readBytes(raw);
        ASSERT_GE(bytes.size(), size_t(seconds * 44100) * 4) << l.second << ": the driver stopped early";
        Levels got = levelsOf(reinterpret_cast<const int16_t*>(bytes.data()), bytes.size() / 2);
        EXPECT_LT(got.peak, 32767) << l.second << ": the mix reaches full scale";
        for (double mean : got.mean) EXPECT_LT(std::fabs(mean), 0.005) << l.second << " carries an offset";
        EXPECT_GT(got.side, 0.05) << l.second << " plays in mono";
    }
}

TEST(AssetsTest, EffectsAreAudibleThroughTheDiskDriver)
{
    auto lines = soundLines();   // also fixes the data folder before the scratch folder is entered
    testsupport::ScratchDir scratch;
    int index = 0;
    for (const auto& l : lines) {
        if (l.first != "F") continue;
        std::string effect = dataDir() + "/" + l.second;
        std::string raw = scratch.path() + "/effect" + std::to_string(index++) + ".raw";
        std::string failed = recordWithDiskDriver(raw, {"VORREL_PLAY_EFFECT=" + effect}, 23);
        ASSERT_EQ(failed, "") << l.second;
        std::string bytes = readBytes(raw);
        const int16_t* s = reinterpret_cast<const int16_t*>(bytes.data());
        size_t n = bytes.size() / 2;
        ASSERT_GT(n, 44100u / 4) << l.second << ": the driver wrote almost nothing";
        // loudest 50 ms window
        const size_t win = 4410;
        double best = 0, sum = 0;
        for (size_t i = 0; i < n; ++i) {
            sum += double(s[i]) * s[i];
            if (i >= win) sum -= double(s[i - win]) * s[i - win];
            best = std::max(best, sum);
        }
        EXPECT_GT(std::sqrt(best / win), 1500) << l.second << " plays silent";
    }
}
