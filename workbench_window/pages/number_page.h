// The number page's logic, without a window: 2, 4 or 8 bytes as a table of
// every common byte order, and back, a value of a type as its bytes in every
// order; the same table, values and messages as quobrix num.
#pragma once

#include <string>
#include <vector>

namespace number_page {

struct Table {
    // The columns: the order's letters, the number in hex, then each type
    // of the size (signed, unsigned, float).
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::string error;  // quobrix num's message when the bytes make no table
};

// `hex` as quobrix num HEX reads it.
Table NumbersOf(const std::string& hex);

// The types a value may be given as: int16 to uint64, float32 and float64.
std::vector<std::string> TypeNames();

// `value` as `type` (one of TypeNames()), its bytes in every common order of
// its size: rows of the order's letters and the bytes, "%02X " apart, as
// quobrix num --type TYPE --order ORDER --from VALUE prints them.
Table BytesOf(const std::string& type, const std::string& value);

}  // namespace number_page
