// What a number text reads as, by the C library: glibc's strtod on the part
// that a decimal-only reader takes. glibc also reads hexadecimal numbers and
// the words inf, infinity and nan, which the program deliberately does not:
// there only the decimal prefix counts ("0x1p3" reads 0, "inf" reads 0).
#pragma once

#include <cstdlib>
#include <string>

namespace fuzz {

inline bool IsCSpace(char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }
inline bool IsDecimalDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The length of the leading white space, sign, digits with an optional point,
// and exponent with at least one digit; 0 when no digit comes before the
// exponent (the text then reads 0).
inline std::size_t DecimalPrefixLength(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDecimalDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDecimalDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDecimalDigit(text[j])) {
            while (j < text.size() && IsDecimalDigit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

// Whether glibc reads more than the decimal prefix: a hexadecimal number or
// one of the words, after white space and a sign.
inline bool LibraryReadsMore(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const auto lower = [&](std::size_t at) {
        return at < text.size() ? static_cast<char>(text[at] | 0x20) : '\0';
    };
    const auto hex_digit = [&](std::size_t at) {
        const char ch = lower(at);
        return IsDecimalDigit(ch) || (ch >= 'a' && ch <= 'f');
    };
    if (text.compare(i, 1, "0") == 0 && lower(i + 1) == 'x')
        return hex_digit(i + 2) || (lower(i + 2) == '.' && hex_digit(i + 3));
    return (lower(i) == 'i' && lower(i + 1) == 'n' && lower(i + 2) == 'f') ||
           (lower(i) == 'n' && lower(i + 1) == 'a' && lower(i + 2) == 'n');
}

// The value of the decimal prefix by strtod, and, through `end_agrees`,
// whether strtod on the whole text stops where the prefix ends (it must,
// unless it reads more).
inline double LibraryNumber(const std::string& text, bool* end_agrees = nullptr) {
    const std::string prefix = text.substr(0, DecimalPrefixLength(text));
    const double value = std::strtod(prefix.c_str(), nullptr);
    if (end_agrees) {
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        const std::size_t consumed = static_cast<std::size_t>(end - text.c_str());
        *end_agrees = LibraryReadsMore(text) || consumed == prefix.size();
    }
    return value;
}

}  // namespace fuzz
