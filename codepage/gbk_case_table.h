// The case pairs of the code page 936 (GBK) double-byte characters: the
// simple Unicode case mapping of each decodable pair, kept where the
// counterpart is itself a pair of the code page. Generated into
// gbk_case_table.cpp by tools/gen_gbk_case_table.py.
#pragma once

#include <cstdint>

namespace gbk_case_table {

// A pair's bytes as lead << 8 | trail.
struct CasePair {
    std::uint16_t from;
    std::uint16_t to;
};

// Small Roman numerals (10), full-width Latin (26), Greek (24) and Cyrillic
// (33) letters; the generator checks that nothing else changes.
constexpr int kPairCount = 10 + 26 + 24 + 33;

// Sorted by `from`; a pair not listed keeps its case.
extern const CasePair kToUpper[kPairCount];
extern const CasePair kToLower[kPairCount];

}  // namespace gbk_case_table
