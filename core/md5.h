// The MD5 message digest of RFC 1321, streamed through a caller-owned context.
// Use: MD5Init, any number of MD5Update, then MD5Final.
#pragma once

#include <cstdint>

constexpr int MD5_BLOCK_SIZE = 64;   // bytes compressed at a time
constexpr int MD5_DIGEST_SIZE = 16;  // state[0..3], each least significant byte first

struct MD5Context {
    std::uint32_t state[4];                 // the chaining values A, B, C, D
    std::uint32_t count[2];                 // message bits so far mod 2^64, low word first
    unsigned char buffer[MD5_BLOCK_SIZE];   // the bytes of the block not yet complete
};

void MD5Init(MD5Context* context);
void MD5Update(MD5Context* context, const unsigned char* data, std::uint32_t length);
// Pads, compresses the last block or blocks and writes the digest; the
// context is spent afterwards.
void MD5Final(unsigned char digest[MD5_DIGEST_SIZE], MD5Context* context);
