#include "common/Tape.h"

#include <cstdlib>
#include <cstring>

#include "entities/Treasure.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "platform/FileRead.h"
#include "play/UndoHistory.h"

namespace {

const char* const kOutcomeNames[] = {"Completed", "Died", "Quit", "Restart", "Unfinished"};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A decimal number of at most 32 bits, digits only.
bool parseCount(const std::string& word, uint32_t& value) {
    if (word.empty() || word.size() > 10) return false;
    uint64_t v = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFFFFFFull) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

int keyIndex(const std::string& name) {
    for (int i = 0; i < kTapeKeyCount; ++i)
        if (name == kTapeKeyNames[i]) return i;
    return -1;
}

// "# word value" header comments, exactly three words; anything else after
// '#' is a plain comment, so prose that happens to start with "level" or
// "expect" never redirects a tape.
void readHeader(const std::vector<std::string>& words, int lineNumber, Tape& tape, int& pageLine) {
    if (words.size() != 3 || words[0] != "#") return;
    const std::string& key = words[1];
    if (key == "level") {
        tape.level = words[2];
    } else if (key == "expect") {
        tape.expect = words[2];
    } else if (key == "select" || key == "page") {
        uint32_t value;
        if (parseCount(words[2], value) && value <= 1000000) (key == "select" ? tape.select : tape.page) = static_cast<int>(value);
        if (key == "page") pageLine = lineNumber;
    }
}

} // namespace

bool loadTapeOrReport(const char* tool, const char* path, Tape& tape) {
    try {
        tape = loadTape(path);
        return true;
    } catch (const TapeError& error) {
        if (error.line > 0)
            std::fprintf(stderr, "%s:%d: %s\n", path, error.line, error.what());
        else
            std::fprintf(stderr, "%s: %s\n", tool, error.what());
        return false;
    }
}

std::string pageRefusal(int page, int available) {
    std::string shown = "0";
    int last = 0;
    for (int p = 10; mapTurnsRight(p - 10, available); p += 10) {
        shown += ", " + std::to_string(p);
        last = p;
    }
    if (page >= 0 && page <= last && page % 10 == 0) return "";
    const size_t comma = shown.rfind(", ");
    if (comma != std::string::npos) shown.replace(comma, 2, " or ");
    return "page " + std::to_string(page) + " is not one the map shows: with " + std::to_string(available) +
           " levels open the page (the first door's offset) is " + shown;
}

bool parseOptionInteger(const char* text, int& value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < -1000000000L || v > 1000000000L) return false;
    value = static_cast<int>(v);
    return true;
}

const char* outcomeName(int outcome) {
    if (outcome < 0 || outcome > kUnfinished) return "?";
    return kOutcomeNames[outcome];
}

int parseOutcome(const std::string& name) {
    for (int i = 0; i <= kUnfinished; ++i)
        if (name == kOutcomeNames[i]) return i;
    return -1;
}

Tape parseTape(const std::string& text) {
    Tape tape;
    uint64_t passes = 0;
    size_t start = 0;
    int lineNumber = 0, pageLine = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        std::vector<std::string> words = splitWords(line);
        if (words.empty()) continue;
        if (words[0][0] == '#') {
            readHeader(words, lineNumber, tape, pageLine);
            continue;
        }
        TapeRun run;
        if (!parseCount(words[0], run.frames))
            throw TapeError(lineNumber, "bad frame count '" + words[0] + "'");
        if (run.frames == 0) throw TapeError(lineNumber, "frame count must be at least 1");
        if (words.size() < 2) throw TapeError(lineNumber, "missing frame time");
        if (!parseCount(words[1], run.dt)) throw TapeError(lineNumber, "bad frame time '" + words[1] + "'");
        for (size_t i = 2; i < words.size(); ++i) {
            int key = keyIndex(words[i]);
            if (key < 0) throw TapeError(lineNumber, "unknown key '" + words[i] + "'");
            run.keys = static_cast<uint16_t>(run.keys | (1u << key));
        }
        passes += run.frames;
        if (passes > kTapeMostPasses)
            throw TapeError(lineNumber, "the tape is longer than " + std::to_string(kTapeMostPasses) + " passes");
        tape.runs.push_back(run);
    }
    if (pageLine) {
        const std::string refusal = pageRefusal(tape.page, tape.select < 0 ? 0 : tape.select);
        if (!refusal.empty()) throw TapeError(pageLine, refusal);
    }
    return tape;
}

Tape loadTape(const std::string& path) {
    std::string text;
    if (!fileread::readFile(path, fileread::kTapeCap, text)) throw TapeError(0, "cannot read " + path);
    return parseTape(text);
}

std::string formatTape(const Tape& tape) {
    std::string out;
    if (!tape.level.empty()) out += "# level " + tape.level + "\n";
    if (!tape.expect.empty()) out += "# expect " + tape.expect + "\n";
    if (tape.select >= 0) out += "# select " + std::to_string(tape.select) + "\n";
    if (tape.page != 0) out += "# page " + std::to_string(tape.page) + "\n";
    for (const TapeRun& run : tape.runs) {
        out += std::to_string(run.frames) + " " + std::to_string(run.dt);
        for (int i = 0; i < kTapeKeyCount; ++i)
            if ((run.keys >> i) & 1u) out += std::string(" ") + kTapeKeyNames[i];
        out += "\n";
    }
    return out;
}

bool ShowDriver::passStart(unsigned pass) {
    pace->delay(20 / speed);
    keys->pump();
    if (keys->keys()[SDLK_ESCAPE]) return false;
    return ReplayDriver::passStart(pass);
}

// ---------------------------------------------------------------------------

ReplayDriver::ReplayDriver(const Tape& tape, Level& level, std::FILE* trace)
    : tape(tape),
      level(level),
      trace(trace),
      previousClock(platform::installedClock()),
      previousKeyboard(platform::installedKeyboard()) {
    platform::setClock(&clock);
    platform::setKeyboard(&keyboard);
}

ReplayDriver::~ReplayDriver() {
    platform::setClock(previousClock);
    platform::setKeyboard(previousKeyboard);
}

bool ReplayDriver::passStart(unsigned) {
    while (run < tape.runs.size() && inRun >= tape.runs[run].frames) {
        ++run;
        inRun = 0;
    }
    if (run >= tape.runs.size()) {
        tapeEnded = true;
        clock.armed = false;
        return false;
    }
    const TapeRun& frame = tape.runs[run];
    ++inRun;
    ++used;
    applyKeyMask(frame.keys, keyboard.state);
    clock.arm(frame.dt);
    return true;
}

void ReplayDriver::afterUpdates(unsigned, uint32_t dt) {
    if (!trace) return;
    char flags[10];
    playerFlags(level, flags);
    std::fprintf(trace, "%llu %u %.3f %.3f %s\n", static_cast<unsigned long long>(used), dt, level.player->x,
                 level.player->y, flags);
}

void playerFlags(const Level& level, char* out) {
    const Player& p = *level.player;
    const bool set[] = {p.walking, p.jumping,  p.pushing, p.falling,    p.steppingUp,
                        p.placingBomb, p.onLadder, p.dead,    p.reachedGoal};
    const char letters[] = "WJPFSBLDG";
    int n = 0;
    for (int i = 0; i < 9; ++i)
        if (set[i]) out[n++] = letters[i];
    if (n == 0) out[n++] = '-';
    out[n] = '\0';
}

ReplayResult summarizePlay(const Level& level, int outcome, uint64_t frames) {
    ReplayResult result;
    result.outcome = outcome;
    result.frames = frames;
    result.x = level.player->x;
    result.y = level.player->y;
    result.treasures = static_cast<unsigned>(level.treasures.size());
    for (const Treasure* treasure : level.treasures)
        if (treasure->collected) ++result.collected;
    result.bombs = level.player->bombsLeft();
    return result;
}

ReplayResult replayTape(Level& level, const Tape& tape, const ReplayOptions& options, std::FILE* trace) {
    int page = options.page;
    int chosen = -1;
    int outcome;
    uint64_t frames;
    uint32_t endTicks;
    {
        ReplayDriver driver(tape, level, trace);
        PlayOutcome played = runPlayLoop(level, page, options.selectMode, options.selectMode ? &chosen : nullptr,
                                         options.available, &driver);
        frames = driver.framesUsed();
        outcome = driver.ranOut() ? kUnfinished : static_cast<int>(played);
        endTicks = driver.clock.now;
    }
    ReplayResult result = summarizePlay(level, outcome, frames);
    result.selectMode = options.selectMode;
    result.chosen = chosen;
    result.page = page;
    result.endTicks = endTicks;
    return result;
}

std::string formatReport(const ReplayResult& r) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "outcome %s\nframes %llu\nplayer %.3f %.3f\ntreasures %u %u\nbombs %u\n",
                  outcomeName(r.outcome), static_cast<unsigned long long>(r.frames), r.x, r.y, r.collected,
                  r.treasures, r.bombs);
    std::string out = buffer;
    if (r.selectMode) {
        std::snprintf(buffer, sizeof buffer, "chosen %d\npage %d\n", r.chosen, r.page);
        out += buffer;
    }
    return out;
}

// ---------------------------------------------------------------------------

TapeRecorder::TapeRecorder(platform::Keyboard* inner) : inner(inner) {
    std::memset(frozenState, 0, sizeof frozenState);
    // Room for long plays up front, so recording a pass does not allocate.
    tape.runs.reserve(1u << 16);
}

uint8_t* TapeRecorder::innerKeys() {
    if (inner) return inner->keys();
    // SDL's own keyboard sits behind the seam while this recorder is installed.
    platform::setKeyboard(nullptr);
    uint8_t* state = platform::keyState();
    platform::setKeyboard(this);
    return state;
}

void TapeRecorder::pump() {
    if (inner) {
        inner->pump();
    } else {
        platform::setKeyboard(nullptr);
        platform::pumpEvents();
        platform::setKeyboard(this);
    }
    // The start sequence's fade pumps too, before the first pass.
    if (frozen || !playing || holding) return;
    if (pumpedThisPass) {
        // A closing sequence pumps again before any new pass: the play is over.
        frozen = true;
        applyKeyMask(passKeys, frozenState);
        return;
    }
    pumpedThisPass = true;
    passKeys = keyMaskOf(innerKeys());
}

uint8_t* TapeRecorder::keys() {
    if (frozen) return frozenState;
    return innerKeys();
}

bool TapeRecorder::passStart(unsigned) {
    playing = true;
    pumpedThisPass = false;
    passRecorded = false;
    return true;
}

void TapeRecorder::afterUpdates(unsigned, uint32_t dt) {
    tape.append(dt, passKeys);
    passRecorded = true;
}

void TapeRecorder::finish() {
    // The pass whose end check ended the play never slept: its frame time is
    // never used, 20 ms stands for it.
    if (!passRecorded && pumpedThisPass) tape.append(20, passKeys);
    passRecorded = true;
}
