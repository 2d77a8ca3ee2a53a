#pragma once
// Tapes: a play of a level written down as the frame time and the held keys
// of every pass of the frame loop. Every motion in a play depends on those
// two alone, so replaying the tape reproduces the play exactly.
#include <SDL/SDL.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "play/PlayLoop.h"
#include "play/TapeRuns.h"

class Level;

// The outcome of a replay: a PlayOutcome, or a tape that ran out first.
constexpr int kUnfinished = 4;
const char* outcomeName(int outcome);
// Completed, Died, Quit, Restart or Unfinished; -1 for anything else.
int parseOutcome(const std::string& name);
// A whole decimal command-line value within +-1e9 (the tools' --select and --page).
bool parseOptionInteger(const char* text, int& value);
// A page is the first door's offset of a map page the game can show: 0 and
// each page the map turns to with `available` levels open (none beyond 0
// outside selection mode). Empty when `page` is one, else the line saying
// which values it takes.
std::string pageRefusal(int page, int available);

// A bad tape line, with its 1-based number (0: the file could not be read).
class TapeError : public std::runtime_error {
public:
    TapeError(int line, const std::string& message)
        : std::runtime_error(message), line(line) {}
    int line;
};

// The most passes a tape may hold: at the game's 50 passes a second, two
// hours on one screen, far beyond any human play of a level (the campaign's
// longest recorded play is under 5,000 passes), while a replay of a full
// tape still ends in minutes.
constexpr uint64_t kTapeMostPasses = 360000;

// Throws TapeError with the line of the first fault, or of the run that
// takes the tape beyond kTapeMostPasses.
Tape parseTape(const std::string& text);
Tape loadTape(const std::string& path);
// For the tools: loads a tape, or prints its error on standard error as
// "PATH:LINE: message" (or "TOOL: message") and returns false.
bool loadTapeOrReport(const char* tool, const char* path, Tape& tape);
// The tape's text: its header comments (level, expect, select, page when
// set), then one line per run.
std::string formatTape(const Tape& tape);

// A clock whose next delay during a play pass lasts exactly the tape's
// frame time. The play loop reads the frame time as the ticks passed over
// its 20 ms sleep, so that sleep is stretched or shortened to DT. Any other
// wait (sequences, fades) advances by what it asks, and any reading of the
// clock between the start of a pass and its sleep means the pass was cut
// short by its end check and a closing sequence is running.
class ReplayClock : public platform::Clock {
public:
    uint32_t ticks() override {
        armed = false;
        return now;
    }
    void delay(uint32_t ms) override {
        now += armed ? pending : ms;
        armed = false;
    }
    void arm(uint32_t dt) {
        pending = dt;
        armed = true;
    }
    uint32_t now = 0;
    uint32_t pending = 0;
    bool armed = false;
};

// Drives the play loop from a tape: installs the replay clock and a scripted
// keyboard while it lives; at the start of pass k it holds frame k's keys and
// arms frame k's time, and it abandons the play when the tape has no frame k.
class ReplayDriver : public PlayHooks {
public:
    // trace, when given, receives "PASS DT X Y FLAGS" after every pass.
    ReplayDriver(const Tape& tape, Level& level, std::FILE* trace = nullptr);
    ~ReplayDriver() override;
    ReplayDriver(const ReplayDriver&) = delete;
    ReplayDriver& operator=(const ReplayDriver&) = delete;

    bool passStart(unsigned pass) override;
    void afterUpdates(unsigned pass, uint32_t dt) override;

    // Tape frames used: the passes that started with a frame of the tape.
    uint64_t framesUsed() const { return used; }
    bool ranOut() const { return tapeEnded; }

    ReplayClock clock;
    platform::ScriptedKeyboard keyboard;

private:
    const Tape& tape;
    Level& level;
    std::FILE* trace;
    // What was installed before, put back when the replay ends (the editor's
    // and the page's own clocks and keys).
    platform::Clock* previousClock;
    platform::Keyboard* previousKeyboard;
    size_t run = 0;
    uint32_t inRun = 0;
    uint64_t used = 0;
    bool tapeEnded = false;
};

// Plays a tape on screen at its own pace (20 ms a pass, or speed times
// faster: only the wait between passes shortens, so it is the same play);
// Escape stops it.
// The driver installs the tape's clock and keys; the pace and Escape come
// from those installed before it.
class ShowDriver : public ReplayDriver {
public:
    ShowDriver(const Tape& tape, Level& level, platform::Clock* pace, platform::Keyboard* keys, int speed = 1)
        : ReplayDriver(tape, level), pace(pace), keys(keys), speed(speed) {}
    bool passStart(unsigned pass) override;

private:
    platform::Clock* pace;
    platform::Keyboard* keys;
    int speed;
};

// The player's flags as trace letters (W J P F S B L D G, '-' for none).
// Writes at most 10 bytes including the terminator.
void playerFlags(const Level& level, char* out);

struct ReplayOptions {
    bool selectMode = false;
    int available = 0;
    int page = 0;
};

struct ReplayResult {
    int outcome = kUnfinished;
    uint64_t frames = 0;
    double x = 0;
    double y = 0;
    unsigned collected = 0;
    unsigned treasures = 0;
    unsigned bombs = 0;
    bool selectMode = false;
    int chosen = -1;
    int page = 0;
    uint32_t endTicks = 0;  // the replay clock when the play loop returned
};

// The level's state after a play: position, treasures, bombs.
ReplayResult summarizePlay(const Level& level, int outcome, uint64_t frames);
// Runs the real play loop over the loaded level under the tape.
ReplayResult replayTape(Level& level, const Tape& tape, const ReplayOptions& options, std::FILE* trace = nullptr);
// The report lines: outcome, frames, player, treasures, bombs (and chosen,
// page in selection mode), each ending with a line feed.
std::string formatReport(const ReplayResult& result);

// Records a play: wraps a keyboard (null: SDL's own through the platform
// seam), notes the held keys at the first pump of every pass and the frame
// time after its updates. Once the play has ended (a second pump within one
// pass comes from a closing sequence) it keeps reporting the final pass's
// keys, as a replay of the tape does.
class TapeRecorder : public PlayHooks, public platform::Keyboard {
public:
    explicit TapeRecorder(platform::Keyboard* inner = nullptr);
    void pump() override;
    uint8_t* keys() override;
    bool passStart(unsigned pass) override;
    void afterUpdates(unsigned pass, uint32_t dt) override;
    void worldHeld(bool held) override { holding = held; }
    // Adds the final pass when its end check ended the play; call once after
    // runPlayLoop returns.
    void finish();

    Tape tape;

private:
    uint8_t* innerKeys();
    platform::Keyboard* inner;
    uint16_t passKeys = 0;
    bool playing = false;
    bool pumpedThisPass = false;
    bool passRecorded = true;
    bool frozen = false;
    bool holding = false;  // the hint is up: its pumps are no pass's
    uint8_t frozenState[SDLK_LAST];
};
