// The parameters of a CRC as the public catalogue writes them (Williams'
// model): the register's width, the polynomial in normal form without its
// top bit, the register's start, whether input bytes and the result are
// reflected, and the final XOR.
#pragma once

#include <string>

#include "workbench/crc/uint128.h"

constexpr int kCrcMinWidth = 1;
constexpr int kCrcMaxWidth = 82;

struct CrcParams {
    int width = 0;
    Uint128 poly;
    Uint128 init;
    bool refin = false;
    bool refout = false;
    Uint128 xorout;
};

inline bool operator==(const CrcParams& a, const CrcParams& b) {
    return a.width == b.width && a.poly == b.poly && a.init == b.init && a.refin == b.refin &&
           a.refout == b.refout && a.xorout == b.xorout;
}
inline bool operator!=(const CrcParams& a, const CrcParams& b) { return !(a == b); }

// Whether `params` make a CRC; false with what makes them none (a width
// outside 1 to 82, a value with bits above the width) in `error`, one line
// for the user. An even polynomial is sound: it is a CRC, if a weak one.
bool CheckCrcParams(const CrcParams& params, std::string& error);
