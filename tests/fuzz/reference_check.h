// A frame's check the long way, for the frame targets: CRCs bit by bit
// (reference_crc.h) from a method's parameters, and each sum from its
// definition as a closed formula over the whole message, where the library
// carries a running register byte by byte.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "workbench/frames/check_method.h"
#include "reference_crc.h"

namespace fuzz {

inline CrcBits BitsOfWord(Uint128 value) {
    CrcBits bits = 0;
    for (int i = 0; i < kMaxCrcWidth; ++i) {
        if (value.Bit(i)) SetBit(bits, i);
    }
    return bits;
}

inline Uint128 WordOfBits(const CrcBits& bits) {
    Uint128 value;
    for (int i = 0; i < kMaxCrcWidth; ++i) {
        if (BitOf(bits, i)) value |= Uint128{1} << i;
    }
    return value;
}

inline ReferenceCrc ReferenceOf(const CrcParams& params) {
    return {params.width, BitsOfWord(params.poly), BitsOfWord(params.init), BitsOfWord(params.xorout), params.refin,
            params.refout};
}

// The sums by the names `find` prints. False for a name that is none.
inline bool ReferenceSum(std::string_view name, const unsigned char* data, std::size_t size, std::uint64_t& value) {
    std::uint64_t total = 0, weighted = 0, xored = 0;
    for (std::size_t i = 0; i < size; ++i) {
        total += data[i];
        weighted += static_cast<std::uint64_t>(size - i) * data[i];  // byte i is in size - i running sums
        xored ^= data[i];
    }
    if (name == "SUM-8") value = total % 256;
    else if (name == "SUM-16") value = total % 65536;
    else if (name == "SUM-32") value = total % 4294967296u;
    else if (name == "SUM-8/TWOS") value = (256 - total % 256) % 256;
    else if (name == "SUM-16/TWOS") value = (65536 - total % 65536) % 65536;
    else if (name == "SUM-8/ONES") value = 255 - total % 256;
    else if (name == "SUM-16/ONES") value = 65535 - total % 65536;
    else if (name == "XOR-8") value = xored;
    else if (name == "INET-16") {
        // RFC 1071: big-endian words, an odd last byte padded with a zero,
        // added with end-around carry, the sum's complement sent.
        std::uint64_t words = 0;
        for (std::size_t i = 0; i < size; ++i) words += i % 2 == 0 ? std::uint64_t{data[i]} << 8 : data[i];
        while (words > 0xFFFF) words = (words & 0xFFFF) + (words >> 16);
        value = 0xFFFF ^ words;
    } else if (name == "FLETCHER-16") {
        value = (weighted % 255) << 8 | (total % 255);
    } else if (name == "ADLER-32") {
        // A starts at 1, and B adds A once per byte.
        value = ((size + weighted) % 65521) << 16 | ((1 + total) % 65521);
    } else {
        return false;
    }
    return true;
}

// The check of `method` over the bytes; sums by name, CRCs bit by bit.
inline Uint128 ReferenceCheck(const CheckMethod& method, const unsigned char* data, std::size_t size) {
    if (method.is_crc()) {
        return WordOfBits(ReferenceOf(method.crc_params())
                              .Compute(std::string(reinterpret_cast<const char*>(data), size)));
    }
    std::uint64_t value = 0;
    if (!ReferenceSum(method.name(), data, size, value)) {
        std::fprintf(stderr, "no reference for the check \"%s\"\n", method.name().c_str());
        std::abort();
    }
    return Uint128{value};
}

// The number the check's bytes hold, read by hand.
inline Uint128 ReadByHand(const unsigned char* bytes, int count, bool little_endian) {
    Uint128 value;
    for (int i = 0; i < count; ++i) {
        const int significance = little_endian ? i : count - 1 - i;
        value |= Uint128{bytes[i]} << (8 * significance);
    }
    return value;
}

}  // namespace fuzz
