// The text tools as the rules state them, one character at a time: bytes
// 81-FE lead a double-byte character; only 'a'-'z' / 'A'-'Z' and four GBK
// ranges have a case; a pair that is no character of the code page stops the
// case walk; statistics pair bytes from 80 up regardless of the code page.
#pragma once

#include <string>
#include <vector>

#include "codepage/gbk_table.h"

namespace fuzz {

inline bool IsLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The double-byte characters with a case in GBK: small form, capital form, count.
struct CaseRange {
    unsigned small, capital, count;
};
constexpr CaseRange kCaseRanges[] = {
    {0xA2A1, 0xA2F1, 10},  // small Roman numerals
    {0xA3E1, 0xA3C1, 26},  // full-width Latin letters
    {0xA6C1, 0xA6A1, 24},  // Greek letters
    {0xA7D1, 0xA7A1, 33},  // Cyrillic letters
};

inline unsigned CasePair(unsigned pair, bool upper) {
    for (const CaseRange& r : kCaseRanges) {
        const unsigned from = upper ? r.small : r.capital, to = upper ? r.capital : r.small;
        if (pair >= from && pair < from + r.count) return pair - from + to;
    }
    return pair;
}

inline std::string ReferenceCase(std::string text, bool upper) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (!IsLead(byte)) {
            if (upper && byte >= 'a' && byte <= 'z') text[i] = static_cast<char>(byte - 'a' + 'A');
            if (!upper && byte >= 'A' && byte <= 'Z') text[i] = static_cast<char>(byte - 'A' + 'a');
            ++i;
            continue;
        }
        if (i + 1 == text.size()) break;
        const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
        if (gbk_table::PairCodePoint(byte, trail) == 0) break;
        const unsigned mapped = CasePair(static_cast<unsigned>(byte) << 8 | trail, upper);
        text[i] = static_cast<char>(mapped >> 8);
        text[i + 1] = static_cast<char>(mapped & 0xFF);
        i += 2;
    }
    return text;
}

// The characters from the left; a lead byte that ends the text stands alone.
inline std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        characters.push_back(text.substr(i, n));
        i += n;
    }
    return characters;
}

inline std::string ReferenceReverse(const std::string& text) {
    const std::vector<std::string> characters = Characters(text);
    std::string reversed;
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) reversed += *it;
    return reversed;
}

struct ReferenceStats {
    int total = 0, ascii = 0, chinese = 0;
    int counts[128] = {};
};

inline ReferenceStats CountReference(const std::string& text) {
    ReferenceStats stats;
    stats.total = static_cast<int>(text.size());
    int high_run = 0;  // bytes from 80 up since the last byte below 80
    for (char ch : text) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            ++stats.ascii;
            ++stats.counts[byte];
            high_run = 0;
        } else if (++high_run % 2 == 0) {
            ++stats.chinese;
        }
    }
    return stats;
}

}  // namespace fuzz
