// A reference reading of hex text, written from the rule rather than from
// the scanner: the text is cut into runs of hex digits; each run gives its
// digit pairs as bytes, and a run of odd length also its last digit alone,
// unless that digit is 0 and an 'x' or 'X' follows the run (a "0x" prefix).
#pragma once

#include <cctype>
#include <cstdlib>
#include <string>

namespace fuzz {

inline bool IsHexDigitChar(char ch) {
    // isxdigit in the "C" locale; a byte above 7F is never a digit.
    return static_cast<unsigned char>(ch) < 0x80 && std::isxdigit(static_cast<unsigned char>(ch));
}

inline std::string ReferenceHexDecode(const std::string& text) {
    std::string bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!IsHexDigitChar(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IsHexDigitChar(text[end])) ++end;
        for (std::size_t at = i; at + 1 < end; at += 2) {
            const char pair[] = {text[at], text[at + 1], '\0'};
            bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
        }
        if ((end - i) % 2 == 1) {
            const char last[] = {text[end - 1], '\0'};
            const bool zero_before_x = last[0] == '0' && end < text.size() && (text[end] == 'x' || text[end] == 'X');
            if (!zero_before_x) bytes += static_cast<char>(std::strtoul(last, nullptr, 16));
        }
        i = end;
    }
    return bytes;
}

}  // namespace fuzz
