#include "core/md5.h"

#include <cstring>

namespace {

constexpr int kWordBits = 32;
constexpr int kLengthBytes = 8;                               // the 64-bit bit count...
constexpr int kLengthOffset = MD5_BLOCK_SIZE - kLengthBytes;  // ...ends the last block
constexpr unsigned char kPadMarker = 0x80;                    // the one bit after the message

std::uint32_t RotateLeft(std::uint32_t x, int s) {
    // Both shift counts masked: a count of 0 would otherwise shift by 32.
    return (x << (s & (kWordBits - 1))) | (x >> ((kWordBits - s) & (kWordBits - 1)));
}

// The round functions and one step of each round: a = b + ((a + f(b, c, d) + x + t) <<< s).
std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & y) | (~x & z); }
std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & z) | (y & ~z); }
std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

template <std::uint32_t (*Round)(std::uint32_t, std::uint32_t, std::uint32_t)>
std::uint32_t Step(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t x,
                   int s, std::uint32_t t) {
    return b + RotateLeft(a + Round(b, c, d) + x + t, s);
}

// Little-endian loads and stores, byte by byte: no alignment or host byte
// order assumed.
std::uint32_t LoadLittleEndian(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void StoreLittleEndian(std::uint32_t value, unsigned char* p) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

// The compression function: one 64-byte block, read as sixteen little-endian
// words, folded into `state`.
void MD5Transform(std::uint32_t state[4], const unsigned char block[MD5_BLOCK_SIZE]) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(block + 4 * i);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    // Step i adds T[i] = floor(|sin(i)| x 2^32); the message words follow the
    // order of each round and the rotations cycle through the round's four counts.
    // Round 1.
    a = Step<F>(a, b, c, d, x[ 0],  7, 0xD76AA478);
    d = Step<F>(d, a, b, c, x[ 1], 12, 0xE8C7B756);
    c = Step<F>(c, d, a, b, x[ 2], 17, 0x242070DB);
    b = Step<F>(b, c, d, a, x[ 3], 22, 0xC1BDCEEE);
    a = Step<F>(a, b, c, d, x[ 4],  7, 0xF57C0FAF);
    d = Step<F>(d, a, b, c, x[ 5], 12, 0x4787C62A);
    c = Step<F>(c, d, a, b, x[ 6], 17, 0xA8304613);
    b = Step<F>(b, c, d, a, x[ 7], 22, 0xFD469501);
    a = Step<F>(a, b, c, d, x[ 8],  7, 0x698098D8);
    d = Step<F>(d, a, b, c, x[ 9], 12, 0x8B44F7AF);
    c = Step<F>(c, d, a, b, x[10], 17, 0xFFFF5BB1);
    b = Step<F>(b, c, d, a, x[11], 22, 0x895CD7BE);
    a = Step<F>(a, b, c, d, x[12],  7, 0x6B901122);
    d = Step<F>(d, a, b, c, x[13], 12, 0xFD987193);
    c = Step<F>(c, d, a, b, x[14], 17, 0xA679438E);
    b = Step<F>(b, c, d, a, x[15], 22, 0x49B40821);
    // Round 2.
    a = Step<G>(a, b, c, d, x[ 1],  5, 0xF61E2562);
    d = Step<G>(d, a, b, c, x[ 6],  9, 0xC040B340);
    c = Step<G>(c, d, a, b, x[11], 14, 0x265E5A51);
    b = Step<G>(b, c, d, a, x[ 0], 20, 0xE9B6C7AA);
    a = Step<G>(a, b, c, d, x[ 5],  5, 0xD62F105D);
    d = Step<G>(d, a, b, c, x[10],  9, 0x02441453);
    c = Step<G>(c, d, a, b, x[15], 14, 0xD8A1E681);
    b = Step<G>(b, c, d, a, x[ 4], 20, 0xE7D3FBC8);
    a = Step<G>(a, b, c, d, x[ 9],  5, 0x21E1CDE6);
    d = Step<G>(d, a, b, c, x[14],  9, 0xC33707D6);
    c = Step<G>(c, d, a, b, x[ 3], 14, 0xF4D50D87);
    b = Step<G>(b, c, d, a, x[ 8], 20, 0x455A14ED);
    a = Step<G>(a, b, c, d, x[13],  5, 0xA9E3E905);
    d = Step<G>(d, a, b, c, x[ 2],  9, 0xFCEFA3F8);
    c = Step<G>(c, d, a, b, x[ 7], 14, 0x676F02D9);
    b = Step<G>(b, c, d, a, x[12], 20, 0x8D2A4C8A);
    // Round 3.
    a = Step<H>(a, b, c, d, x[ 5],  4, 0xFFFA3942);
    d = Step<H>(d, a, b, c, x[ 8], 11, 0x8771F681);
    c = Step<H>(c, d, a, b, x[11], 16, 0x6D9D6122);
    b = Step<H>(b, c, d, a, x[14], 23, 0xFDE5380C);
    a = Step<H>(a, b, c, d, x[ 1],  4, 0xA4BEEA44);
    d = Step<H>(d, a, b, c, x[ 4], 11, 0x4BDECFA9);
    c = Step<H>(c, d, a, b, x[ 7], 16, 0xF6BB4B60);
    b = Step<H>(b, c, d, a, x[10], 23, 0xBEBFBC70);
    a = Step<H>(a, b, c, d, x[13],  4, 0x289B7EC6);
    d = Step<H>(d, a, b, c, x[ 0], 11, 0xEAA127FA);
    c = Step<H>(c, d, a, b, x[ 3], 16, 0xD4EF3085);
    b = Step<H>(b, c, d, a, x[ 6], 23, 0x04881D05);
    a = Step<H>(a, b, c, d, x[ 9],  4, 0xD9D4D039);
    d = Step<H>(d, a, b, c, x[12], 11, 0xE6DB99E5);
    c = Step<H>(c, d, a, b, x[15], 16, 0x1FA27CF8);
    b = Step<H>(b, c, d, a, x[ 2], 23, 0xC4AC5665);
    // Round 4.
    a = Step<I>(a, b, c, d, x[ 0],  6, 0xF4292244);
    d = Step<I>(d, a, b, c, x[ 7], 10, 0x432AFF97);
    c = Step<I>(c, d, a, b, x[14], 15, 0xAB9423A7);
    b = Step<I>(b, c, d, a, x[ 5], 21, 0xFC93A039);
    a = Step<I>(a, b, c, d, x[12],  6, 0x655B59C3);
    d = Step<I>(d, a, b, c, x[ 3], 10, 0x8F0CCC92);
    c = Step<I>(c, d, a, b, x[10], 15, 0xFFEFF47D);
    b = Step<I>(b, c, d, a, x[ 1], 21, 0x85845DD1);
    a = Step<I>(a, b, c, d, x[ 8],  6, 0x6FA87E4F);
    d = Step<I>(d, a, b, c, x[15], 10, 0xFE2CE6E0);
    c = Step<I>(c, d, a, b, x[ 6], 15, 0xA3014314);
    b = Step<I>(b, c, d, a, x[13], 21, 0x4E0811A1);
    a = Step<I>(a, b, c, d, x[ 4],  6, 0xF7537E82);
    d = Step<I>(d, a, b, c, x[11], 10, 0xBD3AF235);
    c = Step<I>(c, d, a, b, x[ 2], 15, 0x2AD7D2BB);
    b = Step<I>(b, c, d, a, x[ 9], 21, 0xEB86D391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

void MD5Init(MD5Context* context) {
    context->state[0] = 0x67452301;
    context->state[1] = 0xEFCDAB89;
    context->state[2] = 0x98BADCFE;
    context->state[3] = 0x10325476;
    context->count[0] = 0;
    context->count[1] = 0;
}

void MD5Update(MD5Context* context, const unsigned char* data, std::uint32_t length) {
    std::uint32_t index = (context->count[0] >> 3) & (MD5_BLOCK_SIZE - 1);

    // The bit count is 64 bits wide in two words: carry into the high word.
    const std::uint32_t low_before = context->count[0];
    context->count[0] += length << 3;
    if (context->count[0] < low_before) ++context->count[1];
    context->count[1] += length >> 29;

    if (index != 0) {
        const std::uint32_t room = MD5_BLOCK_SIZE - index;
        if (length < room) {
            if (length > 0) std::memcpy(context->buffer + index, data, length);
            return;
        }
        std::memcpy(context->buffer + index, data, room);
        MD5Transform(context->state, context->buffer);
        data += room;
        length -= room;
    }
    while (length >= MD5_BLOCK_SIZE) {
        std::memcpy(context->buffer, data, MD5_BLOCK_SIZE);
        MD5Transform(context->state, context->buffer);
        data += MD5_BLOCK_SIZE;
        length -= MD5_BLOCK_SIZE;
    }
    if (length > 0) std::memcpy(context->buffer, data, length);
}

void MD5Final(unsigned char digest[MD5_DIGEST_SIZE], MD5Context* context) {
    const std::uint32_t index = (context->count[0] >> 3) & (MD5_BLOCK_SIZE - 1);
    context->buffer[index] = kPadMarker;
    const std::uint32_t after_marker = MD5_BLOCK_SIZE - 1 - index;
    if (after_marker < kLengthBytes) {
        // No room left for the length: it goes into one more block.
        std::memset(context->buffer + index + 1, 0, after_marker);
        MD5Transform(context->state, context->buffer);
        std::memset(context->buffer, 0, kLengthOffset);
    } else {
        std::memset(context->buffer + index + 1, 0, after_marker - kLengthBytes);
    }
    StoreLittleEndian(context->count[0], context->buffer + kLengthOffset);
    StoreLittleEndian(context->count[1], context->buffer + kLengthOffset + 4);
    MD5Transform(context->state, context->buffer);
    for (int i = 0; i < 4; ++i) StoreLittleEndian(context->state[i], digest + 4 * i);
}
