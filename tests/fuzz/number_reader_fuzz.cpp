// The number reader and formatter behind Float->Hex and Hex->Float, against
// the C library: glibc's strtod, strtof, the processor's double-to-float
// conversion and snprintf's "%.Ng", all correctly rounded.
//
// Input: the text to read (up to its first zero byte); its first ten bytes
// also give a double (bytes 0-7), a precision and an output size for the
// formatter.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/floatconv.h"
#include "workbench/numbers/shortest_float.h"
#include "fuzz_check.h"
#include "reference_number.h"

namespace {

// Reading: the same bits as strtod on the decimal prefix.
double CheckRead(const std::string& text) {
    bool end_agrees = false;
    const double expected = fuzz::LibraryNumber(text, &end_agrees);
    FUZZ_CHECK(end_agrees, "strtod stops elsewhere than the decimal prefix of \"%s\"", text.c_str());
    const double read = ReadDecimalNumber(text.c_str());
    FUZZ_CHECK(DoubleBits(read) == DoubleBits(expected), "\"%s\" read %a, strtod %a", text.c_str(), read, expected);
    return read;
}

// Single precision: the processor's conversion of the same double, and
// strtof on the text except where rounding twice (decimal to double, double
// to float) must differ from rounding once: the double then lies exactly
// halfway between the two floats.
void CheckSingle(const std::string& text, double read) {
    const float single = ToSingle(read);
    FUZZ_CHECK(SingleBits(single) == SingleBits(static_cast<float>(read)), "ToSingle(%a) = %a, the processor's %a",
               read, static_cast<double>(single), static_cast<double>(static_cast<float>(read)));

    const std::string prefix = text.substr(0, fuzz::DecimalPrefixLength(text));
    const float once = std::strtof(prefix.c_str(), nullptr);
    if (SingleBits(once) == SingleBits(single)) return;
    const bool same_sign = std::signbit(once) == std::signbit(single);
    const std::uint32_t a = SingleBits(once) & 0x7FFFFFFFu, b = SingleBits(single) & 0x7FFFFFFFu;
    const bool neighbours = same_sign && (a > b ? a - b : b - a) == 1;
    const double low = std::fmin(std::fabs(static_cast<double>(once)), std::fabs(static_cast<double>(single)));
    const double high = std::fmax(std::fabs(static_cast<double>(once)), std::fabs(static_cast<double>(single)));
    // Past the largest float the "next" one is infinity, halfway at 2^128 - 2^103.
    const double halfway = std::isinf(high) ? std::ldexp(1.0, 128) - std::ldexp(1.0, 103) : (low + high) / 2;
    FUZZ_CHECK(neighbours && std::fabs(read) == halfway, "\"%s\": strtof %a, ToSingle %a of %a", text.c_str(),
               static_cast<double>(once), static_cast<double>(single), read);
}

// The single-precision reader rounds once: strtof's bits, and it stops where
// the decimal prefix ends.
void CheckSingleReader(const std::string& text) {
    const std::size_t length = fuzz::DecimalPrefixLength(text);
    const std::string prefix = text.substr(0, length);
    const char* end = nullptr;
    const float read = ReadDecimalSingle(text.c_str(), &end);
    const float expected = std::strtof(prefix.c_str(), nullptr);
    FUZZ_CHECK(SingleBits(read) == SingleBits(expected), "\"%s\" read as float %a, strtof %a", text.c_str(),
               static_cast<double>(read), static_cast<double>(expected));
    FUZZ_CHECK(static_cast<std::size_t>(end - text.c_str()) == length, "\"%s\": the number ends at %d, not %d",
               text.c_str(), static_cast<int>(end - text.c_str()), static_cast<int>(length));
}

// The shortest texts read back to the same bits.
void CheckShortest(std::uint64_t bits) {
    const double value = DoubleFromBits(bits);
    if (!std::isnan(value)) {
        const std::string text = ShortestDoubleText(bits);
        FUZZ_CHECK(DoubleBits(std::strtod(text.c_str(), nullptr)) == bits, "%a written as \"%s\"", value, text.c_str());
    }
    const std::uint32_t single_bits = static_cast<std::uint32_t>(bits);
    const float single = SingleFromBits(single_bits);
    if (!std::isnan(single)) {
        const std::string text = ShortestSingleText(single_bits);
        FUZZ_CHECK(SingleBits(std::strtof(text.c_str(), nullptr)) == single_bits, "float %a written as \"%s\"",
                   static_cast<double>(single), text.c_str());
    }
}

// Formatting: the text and length of snprintf's "%.Ng" into `size` bytes.
void CheckFormat(double value, int precision, int size) {
    char ours[kGeneralTextSize + 8];
    char theirs[kGeneralTextSize + 8];
    std::memset(ours, '#', sizeof ours);
    std::memset(theirs, '#', sizeof theirs);
    const int n = FormatGeneral(value, precision, ours, size);
    const int expected = std::snprintf(theirs, static_cast<std::size_t>(size), "%.*g", precision, value);
    FUZZ_CHECK(n == expected && std::memcmp(ours, theirs, sizeof ours) == 0,
               "%%.%dg of %a into %d bytes: \"%.*s\" (%d), snprintf \"%.*s\" (%d)", precision, value, size,
               static_cast<int>(sizeof ours), ours, n, static_cast<int>(sizeof theirs), theirs, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const double read = CheckRead(text);
    CheckSingle(text, read);
    CheckSingleReader(text);
    // The report's own conversions: %.7g and %.15g of the number read.
    CheckFormat(read, 7, kGeneralTextSize);
    CheckFormat(read, 15, kGeneralTextSize);

    if (size >= 10) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, data, sizeof bits);
        const double any = DoubleFromBits(bits);
        CheckFormat(any, data[8] % (kMaxGeneralPrecision + 1), data[9] % (kGeneralTextSize + 1));
        // Hex->Float shows a float widened, with "%g".
        const double widened = SingleFromBits(static_cast<std::uint32_t>(bits));
        CheckFormat(widened, 6, kGeneralTextSize);
        FUZZ_CHECK(SingleBits(ToSingle(any)) == SingleBits(static_cast<float>(any)), "ToSingle(%a)", any);
        CheckShortest(bits);
    }
    return 0;
}
