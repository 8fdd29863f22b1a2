// The code page 936 (GBK) encoding table: the inverse of gbk_table.h's
// decoding table, generated at build time by tools/gen_gbk_encode_table.py.
#pragma once

#include <cstdint>

namespace gbk_table {

constexpr unsigned kBmpSize = 0x10000;

// GBK bytes of each BMP code point, a pair as lead << 8 | trail; 0 when the
// code page has none (U+0000 is byte 00 and needs no lookup).
extern const std::uint16_t kEncode[kBmpSize];

}  // namespace gbk_table
