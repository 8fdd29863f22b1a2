#include "workbench/numbers/number_types.h"

#include "core/binary_format.h"
#include "core/floatconv.h"
#include "workbench/numbers/shortest_float.h"

namespace {

const std::vector<NumberType> kTypes = {
    {"int16", 2, NumberKind::Signed},    {"uint16", 2, NumberKind::Unsigned}, {"int32", 4, NumberKind::Signed},
    {"uint32", 4, NumberKind::Unsigned}, {"int64", 8, NumberKind::Signed},    {"uint64", 8, NumberKind::Unsigned},
    {"float32", 4, NumberKind::Float},   {"float64", 8, NumberKind::Float},
};

int Bits(const NumberType& type) { return 8 * type.size; }

std::uint64_t Mask(const NumberType& type) {
    return Bits(type) == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << Bits(type)) - 1;
}

// The largest magnitude of a negative and of a positive value of an integer type.
std::uint64_t MostNegative(const NumberType& type) {
    return type.kind == NumberKind::Signed ? std::uint64_t{1} << (Bits(type) - 1) : 0;
}
std::uint64_t MostPositive(const NumberType& type) {
    return type.kind == NumberKind::Signed ? MostNegative(type) - 1 : Mask(type);
}

int DigitValue(char ch, int base) {
    int value = base;
    if (ch >= '0' && ch <= '9') value = ch - '0';
    if (ch >= 'a' && ch <= 'f') value = ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') value = ch - 'A' + 10;
    return value < base ? value : -1;
}

bool SameLetters(const std::string& text, std::size_t at, const char* word) {
    for (std::size_t i = 0; word[i] != '\0'; ++i, ++at) {
        if (at >= text.size()) return false;
        const char ch = text[at];
        const char lower = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
        if (lower != word[i]) return false;
    }
    return true;
}

NumberRead ReadInteger(const NumberType& type, const std::string& text) {
    NumberRead read;
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    int base = 10;
    if (text.size() > at + 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
        DigitValue(text[at + 2], 16) >= 0) {
        base = 16;
        at += 2;
    }
    if (at >= text.size() || DigitValue(text[at], base) < 0) {
        read.error = NumberTextError::NoNumber;
        return read;
    }
    std::uint64_t magnitude = 0;
    bool too_large = false;
    for (; at < text.size() && DigitValue(text[at], base) >= 0; ++at) {
        const auto digit = static_cast<std::uint64_t>(DigitValue(text[at], base));
        const auto base64 = static_cast<std::uint64_t>(base);
        if (magnitude > (~std::uint64_t{0} - digit) / base64) too_large = true;
        magnitude = magnitude * base64 + digit;
    }
    if (at < text.size()) {
        read.error = NumberTextError::TrailingText;
        read.position = at;
        return read;
    }
    if (too_large || magnitude > (negative ? MostNegative(type) : MostPositive(type))) {
        read.error = NumberTextError::OutOfRange;
        return read;
    }
    read.value = (negative ? ~magnitude + 1 : magnitude) & Mask(type);
    return read;
}

NumberRead ReadFloat(const NumberType& type, const std::string& text) {
    const BinaryFormat& format = type.size == 4 ? kSingle : kDouble;
    const std::uint64_t sign = std::uint64_t{1} << SignShift(format);
    NumberRead read;
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const std::uint64_t sign_bit = negative ? sign : 0;
    // The quiet NaN has the top fraction bit set.
    const std::uint64_t quiet_nan = InfinityBits(format) | std::uint64_t{1} << (FractionBits(format) - 1);
    const struct {
        const char* word;
        std::uint64_t bits;
    } words[] = {{"infinity", InfinityBits(format)}, {"inf", InfinityBits(format)}, {"nan", quiet_nan}};
    for (const auto& word : words) {
        if (SameLetters(text, at, word.word)) {
            at += std::char_traits<char>::length(word.word);
            read.value = sign_bit | word.bits;
            if (at < text.size()) {
                read.error = NumberTextError::TrailingText;
                read.position = at;
            }
            return read;
        }
    }

    const char* start = text.c_str();
    const char* end = start;
    // The reader skips leading blanks; a number here starts at once.
    if (text.empty() || text[0] == ' ' || (text[0] >= '\t' && text[0] <= '\r')) {
        read.error = NumberTextError::NoNumber;
        return read;
    }
    read.value = type.size == 4 ? SingleBits(ReadDecimalSingle(start, &end)) : DoubleBits(ReadDecimalNumber(start, &end));
    if (end == start) {
        read.error = NumberTextError::NoNumber;
    } else if (static_cast<std::size_t>(end - start) < text.size()) {
        read.error = NumberTextError::TrailingText;
        read.position = static_cast<std::size_t>(end - start);
    } else if ((read.value & ~sign) == InfinityBits(format)) {
        read.error = NumberTextError::OutOfRange;
    }
    return read;
}

}  // namespace

const std::vector<NumberType>& NumberTypes() { return kTypes; }

const NumberType* FindNumberType(const std::string& name) {
    for (const NumberType& type : kTypes) {
        if (name == type.name) return &type;
    }
    return nullptr;
}

std::vector<NumberType> NumberTypesOfSize(int size) {
    std::vector<NumberType> types;
    for (const NumberType& type : kTypes) {
        if (type.size == size) types.push_back(type);
    }
    return types;
}

std::string NumberText(const NumberType& type, std::uint64_t value) {
    value &= Mask(type);
    switch (type.kind) {
        case NumberKind::Unsigned:
            return std::to_string(value);
        case NumberKind::Signed:
            if (value & MostNegative(type)) return "-" + std::to_string((~value + 1) & Mask(type));
            return std::to_string(value);
        case NumberKind::Float:
            break;
    }
    return type.size == 4 ? ShortestSingleText(static_cast<std::uint32_t>(value)) : ShortestDoubleText(value);
}

NumberRead ReadNumberText(const NumberType& type, const std::string& text) {
    return type.kind == NumberKind::Float ? ReadFloat(type, text) : ReadInteger(type, text);
}

std::string NumberRangeText(const NumberType& type) {
    if (type.kind == NumberKind::Float) {
        const BinaryFormat& format = type.size == 4 ? kSingle : kDouble;
        return "magnitudes up to " + NumberText(type, InfinityBits(format) - 1);
    }
    const std::string low = type.kind == NumberKind::Signed ? "-" + std::to_string(MostNegative(type)) : "0";
    return low + " to " + std::to_string(MostPositive(type));
}
