// The byte-order tool's numbers: bytes in any order to a number and back,
// the order letters, and numbers as text and back, against the C library.
//
// Input: bytes 0-7 the number's bytes; byte 8 an integer magnitude's size,
// its sign and whether it is written in hex; bytes 9-16 the magnitude;
// then the letters of a random order of 1 to 8 bytes (a shuffle driven by the
// input, each letter in either case), and the rest as a text taken for an
// order.
//
// Checked, for every type and every common order of its size and the random
// order: the number is the bytes placed by hand, and BytesFromNumber gives
// the bytes back; the common orders are permutations, big- and
// little-endian among them, none twice; ByteOrderLetters takes exactly the
// texts a plain count of letters takes, in upper case. Integers are written
// as printf writes them and read back; a magnitude of any size reads as the
// type's bits inside its range (as __int128 arithmetic has it) and as out of
// range outside. Floats: the shortest text has the fewest digits that read
// back by strtod (strtof), found around printf("%.*e") at each count of
// digits, so no shorter text reads back, and is laid out as Python's repr
// would; every text reads back to the same bits, a NaN to the quiet NaN of
// its sign; a double's text read as a float32 is what strtof makes of it, or
// out of range where strtof overflows.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "workbench/numbers/byte_orders.h"
#include "workbench/numbers/number_types.h"
#include "workbench/numbers/shortest_float.h"
#include "fuzz_check.h"

namespace {

std::string Hex64(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::uint64_t LowBytes(std::uint64_t value, int size) {
    return size >= 8 ? value : value & ((std::uint64_t{1} << (8 * size)) - 1);
}

// A valid order: each of the first `size` letters once, in either case.
std::string NaiveLetters(const std::string& text, int size) {
    if (size < 1 || size > 8 || static_cast<int>(text.size()) != size) return "";
    std::string upper;
    for (const char ch : text) upper += static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
    for (int i = 0; i < size; ++i) {
        int count = 0;
        for (const char ch : upper) count += ch == 'A' + i ? 1 : 0;
        if (count != 1) return "";
    }
    return upper;
}

void CheckOrder(const std::string& order, const unsigned char* bytes) {
    const int size = static_cast<int>(order.size());
    // Byte i is the letter's byte: A the most significant.
    std::uint64_t expected = 0;
    for (int i = 0; i < size; ++i) {
        const int significance = size - 1 - (order[static_cast<std::size_t>(i)] - 'A');
        expected += static_cast<std::uint64_t>(bytes[i]) * (std::uint64_t{1} << (8 * significance));
    }
    const std::uint64_t value = NumberFromBytes(bytes, order);
    FUZZ_CHECK(value == expected, "%s: %s, expected %s", order.c_str(), Hex64(value).c_str(), Hex64(expected).c_str());
    unsigned char back[8] = {};
    BytesFromNumber(value, order, back);
    FUZZ_CHECK(std::memcmp(back, bytes, static_cast<std::size_t>(size)) == 0, "%s: the bytes do not come back",
               order.c_str());
}

// repr's layout of the digits d1 d2 ... (the point after d1) times 10^exponent.
std::string ReprLayout(bool negative, std::string digits, int exponent) {
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string text = negative ? "-" : "";
    if (exponent >= -4 && exponent <= 15) {
        if (exponent < 0) return text + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) return text + digits + std::string(whole - digits.size(), '0');
        return text + digits.substr(0, whole) + "." + digits.substr(whole);
    }
    text += digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    char power[16];
    std::snprintf(power, sizeof power, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return text + power;
}

bool ReadsBack(const std::string& text, bool is_float, std::uint64_t bits) {
    if (is_float) {
        const float back = std::strtof(text.c_str(), nullptr);
        std::uint32_t back_bits;
        std::memcpy(&back_bits, &back, sizeof back_bits);
        return back_bits == (bits & 0x7FFFFFFFu);
    }
    const double back = std::strtod(text.c_str(), nullptr);
    std::uint64_t back_bits;
    std::memcpy(&back_bits, &back, sizeof back_bits);
    return back_bits == (bits & 0x7FFFFFFFFFFFFFFFu);
}

// The fewest significant digits that read back; `is_float`: through strtof.
// At each count printf("%.*e") rounds the value correctly to the nearest
// decimal; the next decimal above and below it are tried too, as a power of
// two lies nearer to its lower neighbour than to its upper, so that only a
// decimal on the far side may read back. Of a count's decimals at most one
// of the three reads back, or else the nearest does.
std::string ShortestByPrintf(double value, bool is_float, std::uint64_t bits) {
    const bool negative = std::signbit(value);
    if (std::isnan(value)) return negative ? "-nan" : "nan";
    if (std::isinf(value)) return negative ? "-inf" : "inf";
    if (value == 0) return negative ? "-0" : "0";
    for (int digits = 1; digits <= 17; ++digits) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*e", digits - 1, std::fabs(value));
        std::uint64_t mantissa = 0;
        const char* e = std::strchr(text, 'e');
        for (const char* p = text; p < e; ++p) {
            if (*p != '.') mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
        }
        const int scale = std::atoi(e + 1) - (digits - 1);  // the value of the last digit
        for (const std::uint64_t candidate : {mantissa, mantissa - 1, mantissa + 1}) {
            if (candidate == 0) continue;
            const std::string candidate_digits = std::to_string(candidate);
            if (!ReadsBack(candidate_digits + "e" + std::to_string(scale), is_float, bits)) continue;
            return ReprLayout(negative, candidate_digits,
                              scale + static_cast<int>(candidate_digits.size()) - 1);
        }
    }
    return "(no text reads back)";
}

double DoubleOf(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float FloatOf(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::uint64_t QuietNan(bool negative, bool is_float) {
    const std::uint64_t nan = is_float ? 0x7FC00000u : 0x7FF8000000000000u;
    const std::uint64_t sign = is_float ? 0x80000000u : 0x8000000000000000u;
    return negative ? nan | sign : nan;
}

bool IsNan(std::uint64_t bits, bool is_float) {
    return is_float ? std::isnan(FloatOf(static_cast<std::uint32_t>(bits))) : std::isnan(DoubleOf(bits));
}

void CheckText(const NumberType& type, std::uint64_t raw) {
    const std::uint64_t bits = LowBytes(raw, type.size);
    const std::string text = NumberText(type, bits);
    std::string expected;
    if (type.kind == NumberKind::Float) {
        const bool is_float = type.size == 4;
        const double value = is_float ? static_cast<double>(FloatOf(static_cast<std::uint32_t>(bits))) : DoubleOf(bits);
        expected = ShortestByPrintf(value, is_float, bits);
        const std::string shortest =
            is_float ? ShortestSingleText(static_cast<std::uint32_t>(bits)) : ShortestDoubleText(bits);
        FUZZ_CHECK(shortest == expected, "%s %s: shortest \"%s\", expected \"%s\"", type.name, Hex64(bits).c_str(),
                   shortest.c_str(), expected.c_str());
    } else {
        char buffer[32];
        if (type.kind == NumberKind::Unsigned) {
            std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(bits));
        } else {
            // The top bit of the type's bytes is the sign: subtract 2^(8 size).
            const int shift = 8 * type.size - 1;
            const long long value = (bits >> shift & 1u) != 0 && type.size < 8
                                        ? static_cast<long long>(bits) - (1LL << shift) * 2
                                        : static_cast<long long>(bits);
            std::snprintf(buffer, sizeof buffer, "%lld", value);
        }
        expected = buffer;
    }
    FUZZ_CHECK(text == expected, "%s %s: \"%s\", expected \"%s\"", type.name, Hex64(bits).c_str(), text.c_str(),
               expected.c_str());
    const NumberRead read = ReadNumberText(type, text);
    FUZZ_CHECK(read.error == NumberTextError::None, "%s: \"%s\" does not read back (%d)", type.name, text.c_str(),
               static_cast<int>(read.error));
    const bool is_nan = type.kind == NumberKind::Float && IsNan(bits, type.size == 4);
    const std::uint64_t want = is_nan ? QuietNan(text[0] == '-', type.size == 4) : bits;
    FUZZ_CHECK(read.value == want, "%s: \"%s\" reads as %s, expected %s", type.name, text.c_str(),
               Hex64(read.value).c_str(), Hex64(want).c_str());
}

// A magnitude of up to 8 bytes with a sign, as decimal or 0x hex, against
// the type's range.
void CheckIntegerRange(const NumberType& type, unsigned char form, std::uint64_t raw) {
    const int magnitude_size = 1 + form % 8;
    const bool negative = (form & 8u) != 0, hex = (form & 16u) != 0;
    const std::uint64_t magnitude = LowBytes(raw, magnitude_size);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, hex ? "%s0x%llx" : "%s%llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude));
    const __int128 value = negative ? -static_cast<__int128>(magnitude) : static_cast<__int128>(magnitude);
    const int bits = 8 * type.size;
    __int128 low = 0, high = 0;
    if (type.kind == NumberKind::Unsigned) {
        high = (static_cast<__int128>(1) << bits) - 1;
    } else {
        low = -(static_cast<__int128>(1) << (bits - 1));
        high = (static_cast<__int128>(1) << (bits - 1)) - 1;
    }
    const NumberRead read = ReadNumberText(type, buffer);
    if (value < low || value > high) {
        FUZZ_CHECK(read.error == NumberTextError::OutOfRange, "%s: \"%s\" is out of range, read %d", type.name,
                   buffer, static_cast<int>(read.error));
        return;
    }
    const std::uint64_t want = LowBytes(static_cast<std::uint64_t>(value), type.size);
    FUZZ_CHECK(read.error == NumberTextError::None && read.value == want, "%s: \"%s\" read %d %s, expected %s",
               type.name, buffer, static_cast<int>(read.error), Hex64(read.value).c_str(), Hex64(want).c_str());
}

// The double's text read as a float: rounded once, as strtof does.
void CheckFloatFromDoubleText(std::uint64_t bits) {
    const double value = DoubleOf(bits);
    if (std::isnan(value) || std::isinf(value)) return;
    const std::string text = ShortestDoubleText(bits);
    const NumberType* float32 = FindNumberType("float32");
    FUZZ_CHECK(float32 != nullptr, "no float32");
    const NumberRead read = ReadNumberText(*float32, text);
    const float single = std::strtof(text.c_str(), nullptr);
    if (std::isinf(single)) {
        FUZZ_CHECK(read.error == NumberTextError::OutOfRange, "float32 \"%s\": not out of range (%d)", text.c_str(),
                   static_cast<int>(read.error));
        return;
    }
    std::uint32_t single_bits;
    std::memcpy(&single_bits, &single, sizeof single_bits);
    FUZZ_CHECK(read.error == NumberTextError::None && read.value == single_bits,
               "float32 \"%s\": read %d %s, strtof %s", text.c_str(), static_cast<int>(read.error),
               Hex64(read.value).c_str(), Hex64(single_bits).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    unsigned char bytes[8];
    std::uint64_t raw = 0;
    for (unsigned char& b : bytes) {
        b = input.Byte();
        raw = raw << 8 | b;
    }
    const unsigned char form = input.Byte();
    std::uint64_t magnitude = 0;
    for (int i = 0; i < 8; ++i) magnitude = magnitude << 8 | input.Byte();

    for (const NumberType& type : NumberTypes()) {
        const std::vector<std::string> orders = CommonByteOrders(type.size);
        FUZZ_CHECK(orders.size() >= 2 && orders[0] == std::string("ABCDEFGH").substr(0, type.size) &&
                       orders[1] == std::string("HGFEDCBA").substr(static_cast<std::size_t>(8 - type.size)),
                   "%s: the common orders do not start big- and little-endian", type.name);
        for (std::size_t i = 0; i < orders.size(); ++i) {
            FUZZ_CHECK(NaiveLetters(orders[i], type.size) == orders[i], "%s: \"%s\" is no order", type.name,
                       orders[i].c_str());
            for (std::size_t j = 0; j < i; ++j) FUZZ_CHECK(orders[i] != orders[j], "%s twice", orders[i].c_str());
            CheckOrder(orders[i], bytes);
        }
        CheckText(type, raw);
        if (type.kind != NumberKind::Float) CheckIntegerRange(type, form, magnitude);
    }
    CheckFloatFromDoubleText(raw);

    // A random order: a shuffle of the first letters, each in either case.
    const int order_size = 1 + input.Byte() % 8;
    std::string letters = std::string("ABCDEFGH").substr(0, static_cast<std::size_t>(order_size));
    for (int i = order_size - 1; i > 0; --i) std::swap(letters[static_cast<std::size_t>(i)], letters[input.Byte() % (i + 1)]);
    CheckOrder(letters, bytes);
    std::string mixed = letters;
    const unsigned char cases = input.Byte();
    for (int i = 0; i < order_size; ++i) {
        if ((cases >> i & 1u) != 0) mixed[static_cast<std::size_t>(i)] = static_cast<char>(mixed[static_cast<std::size_t>(i)] + 32);
    }
    FUZZ_CHECK(ByteOrderLetters(mixed, order_size) == letters, "\"%s\" is not read as %s", mixed.c_str(),
               letters.c_str());

    const std::string text = input.Rest();
    for (int n = 0; n <= 9; ++n) {
        FUZZ_CHECK(ByteOrderLetters(text, n) == NaiveLetters(text, n), "\"%s\" of %d bytes: \"%s\", expected \"%s\"",
                   fuzz::Hex(text).c_str(), n, ByteOrderLetters(text, n).c_str(), NaiveLetters(text, n).c_str());
    }
    return 0;
}
