// The code page 936 (GBK) decoding table, as Windows decodes it. Generated
// into gbk_table.cpp by tools/gen_gbk_table.py from Wine's c_936.nls.
#pragma once

#include <cstdint>

namespace gbk_table {

// Bytes 00-7F are single characters that decode to themselves.
constexpr unsigned kAsciiLimit = 0x80;

// Bytes 81-FE start a pair; the second byte is 40-7E or 80-FE.
constexpr unsigned kLeadFirst = 0x81;
constexpr unsigned kLeadLast = 0xFE;
constexpr unsigned kTrailFirst = 0x40;
constexpr unsigned kTrailLast = 0xFE;
constexpr int kLeadCount = kLeadLast - kLeadFirst + 1;
constexpr int kTrailCount = kTrailLast - kTrailFirst + 1;

// Code points of the bytes 80-FF on their own; 0 for a lead byte.
constexpr int kSingleByteCount = 0x100 - kAsciiLimit;
extern const std::uint16_t kHighSingleBytes[kSingleByteCount];

// Code point of each pair, indexed by lead - kLeadFirst and trail - kTrailFirst;
// 0 for a pair that does not decode (trail 7F).
extern const std::uint16_t kPairs[kLeadCount][kTrailCount];

inline bool IsLeadByte(unsigned byte) { return byte >= kLeadFirst && byte <= kLeadLast; }

// The code point of the pair `lead` `trail`, 0 when they form no character
// (`lead` must be a lead byte).
inline std::uint16_t PairCodePoint(unsigned lead, unsigned trail) {
    if (trail < kTrailFirst || trail > kTrailLast) return 0;
    return kPairs[lead - kLeadFirst][trail - kTrailFirst];
}

}  // namespace gbk_table
