// Raw deflate decoding: stored, fixed and dynamic Huffman blocks.
#include "level/Inflate.h"

namespace {

struct Broken {};
struct TooLarge {};

constexpr int kMaxBits = 15;

struct Huffman {
    short count[kMaxBits + 1];
    short symbol[288];
};

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    uint32_t buffer = 0;
    int held = 0;
    std::string& out;
    size_t cap;

    int bits(int need) {
        uint32_t value = buffer;
        while (held < need) {
            if (pos == size) throw Broken();
            value |= static_cast<uint32_t>(data[pos++]) << held;
            held += 8;
        }
        buffer = value >> need;
        held -= need;
        return static_cast<int>(value & ((1u << need) - 1));
    }

    void put(char byte) {
        if (out.size() >= cap) throw TooLarge();
        out += byte;
    }

    int decode(const Huffman& h) {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= kMaxBits; ++len) {
            code |= bits(1);
            const int count = h.count[len];
            if (code - count < first) return h.symbol[index + (code - first)];
            index += count;
            first += count;
            first <<= 1;
            code <<= 1;
        }
        throw Broken();
    }
};

// Builds the decoding table from code lengths: negative when the lengths
// ask for more codes than exist, positive when some codes are left unused.
int construct(Huffman& h, const short* length, int n) {
    for (int len = 0; len <= kMaxBits; ++len) h.count[len] = 0;
    for (int s = 0; s < n; ++s) h.count[length[s]]++;
    if (h.count[0] == n) return 0;
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
        left <<= 1;
        left -= h.count[len];
        if (left < 0) return left;
    }
    short offs[kMaxBits + 1];
    offs[1] = 0;
    for (int len = 1; len < kMaxBits; ++len) offs[len + 1] = static_cast<short>(offs[len] + h.count[len]);
    for (int s = 0; s < n; ++s)
        if (length[s] != 0) h.symbol[offs[length[s]]++] = static_cast<short>(s);
    return left;
}

void stored(Reader& r) {
    r.buffer = 0;
    r.held = 0;
    if (r.size - r.pos < 4) throw Broken();
    const unsigned len = r.data[r.pos] | (r.data[r.pos + 1] << 8);
    const unsigned check = r.data[r.pos + 2] | (r.data[r.pos + 3] << 8);
    r.pos += 4;
    if (len != (~check & 0xFFFFu)) throw Broken();
    if (r.size - r.pos < len) throw Broken();
    for (unsigned i = 0; i < len; ++i) r.put(static_cast<char>(r.data[r.pos++]));
}

void codes(Reader& r, const Huffman& lengths, const Huffman& distances) {
    static const short kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const short kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const short kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                            33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                            1025, 1537, 2049, 3073, 4097, 6145,  8193,  12289, 16385, 24577};
    static const short kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    for (;;) {
        int symbol = r.decode(lengths);
        if (symbol < 256) {
            r.put(static_cast<char>(symbol));
        } else if (symbol == 256) {
            return;
        } else {
            symbol -= 257;
            if (symbol >= 29) throw Broken();
            const int len = kLengthBase[symbol] + r.bits(kLengthExtra[symbol]);
            const int d = r.decode(distances);
            if (d >= 30) throw Broken();
            const size_t distance = static_cast<size_t>(kDistanceBase[d] + r.bits(kDistanceExtra[d]));
            if (distance > r.out.size()) throw Broken();
            for (int i = 0; i < len; ++i) r.put(r.out[r.out.size() - distance]);
        }
    }
}

void fixed(Reader& r) {
    static Huffman lengths, distances;
    static bool built = false;
    if (!built) {
        short length[288];
        int s = 0;
        for (; s < 144; ++s) length[s] = 8;
        for (; s < 256; ++s) length[s] = 9;
        for (; s < 280; ++s) length[s] = 7;
        for (; s < 288; ++s) length[s] = 8;
        construct(lengths, length, 288);
        for (s = 0; s < 30; ++s) length[s] = 5;
        construct(distances, length, 30);
        built = true;
    }
    codes(r, lengths, distances);
}

void dynamic(Reader& r) {
    static const short kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    short length[320] = {};
    Huffman lengths, distances;
    const int nlen = r.bits(5) + 257;
    const int ndist = r.bits(5) + 1;
    const int ncode = r.bits(4) + 4;
    if (nlen > 286 || ndist > 30) throw Broken();
    for (int i = 0; i < ncode; ++i) length[kOrder[i]] = static_cast<short>(r.bits(3));
    if (construct(lengths, length, 19) != 0) throw Broken();

    int index = 0;
    while (index < nlen + ndist) {
        int symbol = r.decode(lengths);
        if (symbol < 16) {
            length[index++] = static_cast<short>(symbol);
            continue;
        }
        short repeated = 0;
        if (symbol == 16) {
            if (index == 0) throw Broken();
            repeated = length[index - 1];
            symbol = 3 + r.bits(2);
        } else if (symbol == 17) {
            symbol = 3 + r.bits(3);
        } else {
            symbol = 11 + r.bits(7);
        }
        if (index + symbol > nlen + ndist) throw Broken();
        while (symbol--) length[index++] = repeated;
    }
    if (length[256] == 0) throw Broken();
    // An incomplete code is allowed only as a single code of one bit, as
    // zlib (which writes the codes) reads them.
    auto single = [](const Huffman& h, int n) { return n - h.count[0] == 1 && h.count[1] == 1; };
    int err = construct(lengths, length, nlen);
    if (err < 0 || (err > 0 && !single(lengths, nlen))) throw Broken();
    err = construct(distances, length + nlen, ndist);
    if (err < 0 || (err > 0 && !single(distances, ndist))) throw Broken();
    codes(r, lengths, distances);
}

} // namespace

InflateResult inflateRaw(const uint8_t* data, size_t size, size_t cap, std::string& out, size_t& used) {
    out.clear();
    used = 0;
    Reader reader{data, size, 0, 0, 0, out, cap};
    try {
        int last;
        do {
            last = reader.bits(1);
            switch (reader.bits(2)) {
            case 0: stored(reader); break;
            case 1: fixed(reader); break;
            case 2: dynamic(reader); break;
            default: throw Broken();
            }
        } while (!last);
    } catch (const Broken&) {
        return InflateResult::Broken;
    } catch (const TooLarge&) {
        return InflateResult::TooLarge;
    }
    used = reader.pos;
    return InflateResult::Done;
}
