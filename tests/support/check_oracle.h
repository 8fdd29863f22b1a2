// Test oracle for a check `find` or `frame` names: a CRC through the
// bit-serial model, a sum by its definition, and the stored check read from
// a frame byte by byte, apart from the code under test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/frames/check_method.h"
#include "support/sum_model.h"
#include "workbench/crc/bitwise.h"

namespace check_oracle {

using Bytes = std::vector<unsigned char>;

inline Uint128 Check(const CheckMethod& method, const Bytes& data) {
    if (method.is_crc()) return crc_bitwise::Crc(method.crc_params(), data);
    for (const SumCheck& sum : kSumChecks) {
        if (sum.name == method.name()) return sum_model::Sum(sum.kind, data);
    }
    ADD_FAILURE() << "no sum is called " << method.name();
    return {};
}

// The check as stored: `size` bytes, the most significant first or last.
inline Bytes Stored(Uint128 value, int size, bool low_first) {
    Bytes bytes;
    for (int i = size - 1; i >= 0; --i) bytes.push_back(static_cast<unsigned char>((value >> (8 * i)).low & 0xFF));
    if (low_first) return Bytes(bytes.rbegin(), bytes.rend());
    return bytes;
}

// Whether the frame holds the check over its data with `head` bytes before
// it and `tail` after the check.
inline bool Holds(const CheckMethod& method, bool low_first, std::size_t head, std::size_t tail, const Bytes& frame) {
    const std::size_t size = static_cast<std::size_t>(method.byte_count());
    if (frame.size() < head + 1 + size + tail) return false;
    const auto data_end = frame.end() - static_cast<std::ptrdiff_t>(size + tail);
    const Bytes data(frame.begin() + static_cast<std::ptrdiff_t>(head), data_end);
    return Bytes(data_end, data_end + static_cast<std::ptrdiff_t>(size)) ==
           Stored(Check(method, data), static_cast<int>(size), low_first);
}

}  // namespace check_oracle
