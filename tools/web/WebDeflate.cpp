// Raw deflate in the browser, where zlib is not built: the page's own
// compression stream writes it while the editor waits (ASYNCIFY).
#include "common/Deflate.h"

#include <emscripten.h>

#include <cstdlib>

namespace {

// The zlib stream the browser makes, without its two-byte header and its
// four-byte checksum: the raw deflate between them. Its length, with the
// bytes in a new buffer at *out (freed by the caller); -1 on failure.
EM_ASYNC_JS(int, deflateInPage, (const char* bytes, int size, char** out), {
    try {
        var input = HEAPU8.slice(bytes, bytes + size);
        var stream = new Blob([input]).stream().pipeThrough(new CompressionStream('deflate'));
        var whole = new Uint8Array(await new Response(stream).arrayBuffer());
        var raw = whole.subarray(2, whole.length - 4);
        var at = _malloc(raw.length + 1);
        HEAPU8.set(raw, at);
        HEAP32[out >> 2] = at;
        return raw.length;
    } catch (error) {
        console.log('The level could not be packed: ' + error);
        return -1;
    }
});

} // namespace

std::string deflateRaw(const std::string& text) {
    char* out = nullptr;
    const int size = deflateInPage(text.data(), static_cast<int>(text.size()), &out);
    std::string raw = size >= 0 && out ? std::string(out, static_cast<size_t>(size)) : std::string();
    std::free(out);
    return raw;
}
