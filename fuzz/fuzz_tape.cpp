// The tape parser: tapes travel with shared levels, so any text may reach
// it. The input is a tape's text. A tape it accepts must come back the same
// through the writer: parse, write, parse gives the same runs and headers,
// and writing that again gives the same text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/Tape.h"

namespace {

bool sameTape(const Tape& a, const Tape& b) {
    if (a.level != b.level || a.expect != b.expect || a.select != b.select || a.page != b.page) return false;
    if (a.runs.size() != b.runs.size()) return false;
    for (size_t i = 0; i < a.runs.size(); ++i)
        if (a.runs[i].frames != b.runs[i].frames || a.runs[i].dt != b.runs[i].dt || a.runs[i].keys != b.runs[i].keys)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Tape tape;
    try {
        tape = parseTape(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const TapeError& error) {
        // A refusal names a line of the input (the whole file is not read here).
        if (error.line < 1) std::abort();
        return 0;
    }
    const std::string text = formatTape(tape);
    Tape again;
    try {
        again = parseTape(text);
    } catch (const TapeError&) {
        std::abort();  // the writer wrote a tape its own parser refuses
    }
    if (!sameTape(tape, again) || formatTape(again) != text) std::abort();
    return 0;
}
