// The play loop draws the unchanging part of a frame from kept pictures and
// puts the cells back only where sprites went. Every frame must look exactly
// as the frame drawn layer by layer: these tests replay plays both ways and
// compare the screen after every pass.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "audio/SoundBank.h"
#include "entities/Bomb.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "play/PlayLoop.h"
#include "common/Tape.h"

namespace fs = std::filesystem;

namespace {

using testsupport::InFolder;
using testsupport::sounds;

// From the build's absolute data path: __FILE__ may be relative (compiler caches).
fs::path sourceRoot() { return fs::path(VORREL_SOURCE_DATA).parent_path(); }

uint64_t screenHash(SDL_Surface* screen) {
    if (SDL_MUSTLOCK(screen)) SDL_LockSurface(screen);
    uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < screen->h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(screen->pixels) + y * screen->pitch;
        for (int x = 0; x + 8 <= screen->w * screen->format->BytesPerPixel; x += 8) {
            uint64_t word;
            std::memcpy(&word, row + x, 8);
            hash = (hash ^ word) * 1099511628211ull;
        }
    }
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
    return hash;
}

// A tape replay that notes a hash of the screen after every pass.
class Filming : public ReplayDriver {
public:
    Filming(const Tape& tape, Level& level, bool plain) : ReplayDriver(tape, level), level(level) {
        plainDrawing = plain;
    }
    void afterUpdates(unsigned pass, uint32_t dt) override {
        ReplayDriver::afterUpdates(pass, dt);
        hashes.push_back(screenHash(level.screen));
    }
    Level& level;
    std::vector<uint64_t> hashes;
};

struct Film {
    std::vector<uint64_t> hashes;
    bool blasted = false;
};

Film film(const std::string& levelPath, const Tape& tape, bool plain, bool selectMode, int available) {
    Level level(levelPath, testsupport::screen(), &sounds(), 1, false);
    Filming driver(tape, level, plain);
    int page = tape.page, chosen = -1;
    runPlayLoop(level, page, selectMode, selectMode ? &chosen : nullptr, available, &driver);
    Film result;
    result.hashes = driver.hashes;
    for (const Bomb* bomb : level.player->bombs) result.blasted = result.blasted || bomb->exploded;
    return result;
}

// The first pass where the two drawings differ, or -1.
long firstDifference(const Film& a, const Film& b) {
    if (a.hashes.size() != b.hashes.size()) return static_cast<long>(std::min(a.hashes.size(), b.hashes.size()));
    for (size_t i = 0; i < a.hashes.size(); ++i)
        if (a.hashes[i] != b.hashes[i]) return static_cast<long>(i);
    return -1;
}

} // namespace

// Bombs that blast walls, water, boxes falling and pushed, treasures, the
// map with its doors and numbers: the campaign's own solutions.
TEST(StaticLayerTest, CampaignPlaysLookTheSameAsDrawnLayerByLayer) {
    InFolder folder(sourceRoot() / "data");
    const struct {
        const char* tape;
        bool bombs;
    } plays[] = {{"select-door1", false}, {"level26", true}, {"level29", true}, {"level30", true}};
    for (const auto& play : plays) {
        const Tape tape = loadTape("level/main/tapes/" + std::string(play.tape) + ".tape");
        const bool selectMode = tape.level == "level/main/select.lev";
        const int available = tape.select > 0 ? tape.select : 12;
        const Film composed = film(tape.level, tape, false, selectMode, available);
        const Film plain = film(tape.level, tape, true, selectMode, available);
        ASSERT_GT(plain.hashes.size(), 30u) << play.tape;
        EXPECT_EQ(firstDifference(composed, plain), -1) << play.tape << ": the frames differ from this pass on";
        // The blast frames and the frames after them are covered.
        if (play.bombs) {
            EXPECT_TRUE(plain.blasted) << play.tape;
        }
    }
}

// The map's page turn, tinted background water, and a walk off into it.
TEST(StaticLayerTest, PageTurnsAndBackgroundWaterLookTheSame) {
    InFolder folder(sourceRoot() / "tests" / "tapes");
    {
        const Tape tape = loadTape("select-page.tape");
        const int available = tape.select > 0 ? tape.select : 12;
        const Film composed = film(tape.level, tape, false, true, available);
        const Film plain = film(tape.level, tape, true, true, available);
        ASSERT_FALSE(plain.hashes.empty());
        EXPECT_EQ(firstDifference(composed, plain), -1) << "select-page";
    }

    testsupport::ScratchDir scratch;
    InFolder data(sourceRoot() / "data");
    std::ifstream in("level/main/level26.lev");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Background water over the walk, in front of and behind decorations.
    text += "bgitem 4 10 w 1\nbgitem 5 10 w 1\nbgitem 9 9 w 1\n";
    const std::string path = scratch.path() + "/tinted.lev";
    std::ofstream(path) << text;
    Tape tape;
    for (int i = 0; i < 60; ++i) tape.append(20, 1u << 1);          // right
    for (int i = 0; i < 40; ++i) tape.append(1 + i * 9, 1u << 0);   // left, frames up to 352 ms
    for (int i = 0; i < 30; ++i) tape.append(20, (1u << 1) | (1u << 4));  // right with x
    const Film composed = film(path, tape, false, false, 12);
    const Film plain = film(path, tape, true, false, 12);
    ASSERT_EQ(plain.hashes.size(), 130u);
    EXPECT_EQ(firstDifference(composed, plain), -1) << "tinted level";
}

// The play loop finds the places drawn over through this record.
TEST(StaticLayerTest, DrawnAreasNoteClippedPlacesAndOverflow) {
    SDL_Surface* screen = testsupport::screen();
    SDL_Surface* sprite = SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    DrawnAreas areas;
    areas.target = screen;
    watchDrawing(&areas);
    blitRect(sprite, screen, 0, 0, 32, 32, 620, -10);  // clipped at the right and the top
    blitRect(sprite, sprite, 0, 0, 8, 8, 4, 4);        // another surface: not noted
    blitRect(sprite, screen, 0, 0, 32, 32, 700, 100);  // off the screen: nothing drawn
    fillRect(screen, 10, 20, 5, 6, 0);
    noteDrawn(screen, -5, 470, 10, 40);
    watchDrawing(nullptr);
    blitRect(sprite, screen, 0, 0, 32, 32, 0, 0);  // no longer watched
    ASSERT_EQ(areas.count, 3);
    EXPECT_EQ(areas.areas[0].x, 620);
    EXPECT_EQ(areas.areas[0].y, 0);
    EXPECT_EQ(areas.areas[0].w, 20);
    EXPECT_EQ(areas.areas[0].h, 22);
    EXPECT_EQ(areas.areas[1].x, 10);
    EXPECT_EQ(areas.areas[1].h, 6);
    EXPECT_EQ(areas.areas[2].x, 0);
    EXPECT_EQ(areas.areas[2].y, 470);
    EXPECT_EQ(areas.areas[2].w, 5);
    EXPECT_EQ(areas.areas[2].h, 10);
    EXPECT_FALSE(areas.overflowed);

    watchDrawing(&areas);  // starts afresh
    EXPECT_EQ(areas.count, 0);
    for (int i = 0; i <= DrawnAreas::kCapacity; ++i) blitRect(sprite, screen, 0, 0, 4, 4, i, 0);
    watchDrawing(nullptr);
    EXPECT_EQ(areas.count, DrawnAreas::kCapacity);
    EXPECT_TRUE(areas.overflowed);
    SDL_FreeSurface(sprite);
}

// Sprites are encoded for the screen when the level is built, so no first
// draw of one during the play (a bomb placed, a jump begun) makes SDL encode
// it then, which would allocate in the middle of a frame.
TEST(StaticLayerTest, SpritesAreEncodedForTheScreenWhenTheLevelIsBuilt) {
    InFolder folder(sourceRoot() / "data");
    Level level("level/main/level26.lev", testsupport::screen(), &sounds(), 1, false);
    int tiles = 0;
    for (const Cell* prototype : level.spriteTable.prototypes)
        if (prototype && prototype->sprite) {
            ++tiles;
            EXPECT_TRUE(prototype->sprite->flags & SDL_RLEACCEL);
        }
    EXPECT_GT(tiles, 5);
    ASSERT_FALSE(level.player->bombs.empty());
    const Bomb* bomb = level.player->bombs[0];
    EXPECT_TRUE(bomb->strip.surface->flags & SDL_RLEACCEL);
    EXPECT_TRUE(bomb->blastStrip.surface->flags & SDL_RLEACCEL);
    EXPECT_TRUE(level.player->currentStrip().surface->flags & SDL_RLEACCEL);
}
