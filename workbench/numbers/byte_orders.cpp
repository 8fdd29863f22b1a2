#include "workbench/numbers/byte_orders.h"

namespace {

constexpr int kMaxBytes = 8;

// How far below the top byte the byte of `letter` lies: A 0, B 1, ...
int Place(char letter) { return letter - 'A'; }

int Shift(char letter, int size) { return 8 * (size - 1 - Place(letter)); }

}  // namespace

std::vector<std::string> CommonByteOrders(int size) {
    switch (size) {
        case 2:
            return {"AB", "BA"};
        case 4:
            return {"ABCD", "DCBA", "BADC", "CDAB"};
        case 8:
            return {"ABCDEFGH", "HGFEDCBA", "BADCFEHG", "GHEFCDAB"};
        default:
            return {};
    }
}

std::string ByteOrderLetters(const std::string& text, int size) {
    if (size < 1 || size > kMaxBytes || text.size() != static_cast<std::size_t>(size)) return "";
    std::string letters;
    bool seen[kMaxBytes] = {};
    for (const char ch : text) {
        const char upper = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        if (upper < 'A' || Place(upper) >= size || seen[Place(upper)]) return "";
        seen[Place(upper)] = true;
        letters += upper;
    }
    return letters;
}

std::uint64_t NumberFromBytes(const unsigned char* bytes, const std::string& order) {
    const int size = static_cast<int>(order.size());
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value |= static_cast<std::uint64_t>(bytes[i]) << Shift(order[i], size);
    return value;
}

void BytesFromNumber(std::uint64_t value, const std::string& order, unsigned char* bytes) {
    const int size = static_cast<int>(order.size());
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(value >> Shift(order[i], size));
}
