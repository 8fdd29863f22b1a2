#include "codepage/multibyte_text.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "codepage/gbk_case_table.h"
#include "codepage/gbk_table.h"

namespace {

using gbk_case_table::CasePair;

unsigned ByteAt(const char* text, std::size_t i) { return static_cast<unsigned char>(text[i]); }

bool StartsDoubleByte(const TextCodePage& page, unsigned byte) {
    return page.gbk_double_byte && gbk_table::IsLeadByte(byte);
}

// The pair's case counterpart, or the pair itself when it has none.
std::uint16_t MapPair(std::uint16_t pair, const CasePair (&table)[gbk_case_table::kPairCount]) {
    const CasePair* end = table + gbk_case_table::kPairCount;
    const CasePair* found =
        std::lower_bound(table, end, pair, [](const CasePair& entry, std::uint16_t key) { return entry.from < key; });
    return found != end && found->from == pair ? found->to : pair;
}

void CaseWalk(char* text, std::size_t length, const TextCodePage& page,
              const std::array<unsigned char, 256>& single_bytes,
              const CasePair (&pairs)[gbk_case_table::kPairCount]) {
    std::size_t i = 0;
    while (i < length) {
        const unsigned byte = ByteAt(text, i);
        if (!StartsDoubleByte(page, byte)) {
            text[i] = static_cast<char>(single_bytes[byte]);
            ++i;
            continue;
        }
        if (i + 1 == length || gbk_table::PairCodePoint(byte, ByteAt(text, i + 1)) == 0) return;
        const std::uint16_t mapped = MapPair(static_cast<std::uint16_t>(byte << 8 | ByteAt(text, i + 1)), pairs);
        text[i] = static_cast<char>(mapped >> 8);
        text[i + 1] = static_cast<char>(mapped & 0xFF);
        i += 2;
    }
}

TextCodePage MakeGbkCodePage() {
    TextCodePage page;
    page.gbk_double_byte = true;
    for (unsigned byte = 0; byte < 256; ++byte) {
        page.to_upper[byte] = static_cast<unsigned char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
        page.to_lower[byte] = static_cast<unsigned char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
    }
    return page;
}

}  // namespace

const TextCodePage& GbkCodePage() {
    static const TextCodePage page = MakeGbkCodePage();
    return page;
}

void MultibyteUpper(char* text, std::size_t length, const TextCodePage& page) {
    CaseWalk(text, length, page, page.to_upper, gbk_case_table::kToUpper);
}

void MultibyteLower(char* text, std::size_t length, const TextCodePage& page) {
    CaseWalk(text, length, page, page.to_lower, gbk_case_table::kToLower);
}

void MultibyteReverse(char* text, std::size_t length, const TextCodePage& page) {
    // In place: turn each double-byte character around first, so that
    // reversing all bytes puts its two bytes back in order.
    if (page.gbk_double_byte) {
        for (std::size_t i = 0; i + 1 < length;) {
            if (gbk_table::IsLeadByte(ByteAt(text, i))) {
                std::swap(text[i], text[i + 1]);
                i += 2;
            } else {
                ++i;
            }
        }
    }
    std::reverse(text, text + length);
}
