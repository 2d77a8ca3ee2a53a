// Level codes, which reach the game from any link. The input's first byte
// picks what is fuzzed: a code's text through the decoder, or the rest as a
// deflate stream under a valid checksum, so the inflater is reached at all.
// The inflater must agree with zlib's on every stream, within the cap.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "level/Inflate.h"
#include "level/LevelCode.h"
#include "platform/FileRead.h"

namespace {

constexpr size_t kCap = 1 << 16;

// zlib's reading of the stream: true with its output when it ends within the cap.
bool zlibInflate(const uint8_t* data, size_t size, std::string& out, size_t& used) {
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK) std::abort();
    out.assign(kCap, '\0');
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(kCap);
    const int result = inflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    used = stream.total_in;
    inflateEnd(&stream);
    return result == Z_STREAM_END;
}

void decode(const std::string& code) {
    try {
        const levelcode::Contents contents = levelcode::decodeLevelCode(code);
        if (contents.level.size() > fileread::kTextCap || contents.tape.size() > fileread::kTapeCap) std::abort();
    } catch (const levelcode::CodeError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t* rest = data + 1;
    const size_t restSize = size - 1;
    if (data[0] & 1) {
        decode(std::string(reinterpret_cast<const char*>(rest), restSize));
        return 0;
    }
    std::string mine, theirs;
    size_t usedMine = 0, usedTheirs = 0;
    const InflateResult result = inflateRaw(rest, restSize, kCap, mine, usedMine);
    const bool zlibDone = zlibInflate(rest, restSize, theirs, usedTheirs);
    if ((result == InflateResult::Done) != zlibDone) std::abort();
    if (zlibDone && (mine != theirs || usedMine != usedTheirs)) std::abort();
    if (mine.size() > kCap) std::abort();
    // The same stream inside a code whose checksum holds: sizes as inflated,
    // or as the input's first byte says.
    const std::string stream(reinterpret_cast<const char*>(rest), restSize);
    const size_t levelSize = data[0] & 2 ? data[0] >> 2 : mine.size();
    decode(levelcode::frameLevelCode(stream, levelSize, data[0] & 2 ? 1 : 0));
    return 0;
}
