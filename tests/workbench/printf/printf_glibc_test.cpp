// The formatter against glibc's own printf: a large corpus of random
// conversions (every conversion, flags, widths and precisions given or by
// '*', every length modifier) with random arguments, each formatted both
// ways: by FormatPrintf from the arguments' text, and by snprintf from a
// format built here and arguments of the C types the conversion names. The
// two must agree byte for byte. The seed is fixed, so a failure repeats.
#include "workbench/printf/printf_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// snprintf into a string; NUL bytes (from %c) kept.
std::string CFormat(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vector<char> buffer(1 << 20);
    const int size = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return size < 0 ? "<snprintf failed>" : std::string(buffer.data(), static_cast<std::size_t>(size));
}

// The C library's call with zero, one or two int arguments for '*' before the value.
template <typename T>
std::string CFormatWithStars(const std::string& format, const std::vector<int>& stars, T value) {
    switch (stars.size()) {
        case 0: return CFormat(format.c_str(), value);
        case 1: return CFormat(format.c_str(), stars[0], value);
        default: return CFormat(format.c_str(), stars[0], stars[1], value);
    }
}

struct Case {
    std::string format;    // as given to FormatPrintf
    std::string c_format;  // as given to snprintf: the host's length modifiers
    std::vector<std::string> arguments;
    std::vector<int> stars;
};

class Corpus {
public:
    explicit Corpus(std::uint32_t seed) : random_(seed) {}

    std::uint64_t Bits() { return random_(); }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool OneIn(int n) { return Between(1, n) == 1; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) { return items[static_cast<std::size_t>(Between(0, static_cast<int>(items.size()) - 1))]; }

    // Flags, width and precision of a conversion that takes `flags`; records
    // the '*' arguments.
    void Directive(Case& c, const std::string& flags, bool precision) {
        std::string directive = "%";
        for (char flag : flags) {
            if (OneIn(4)) directive += flag;
        }
        if (OneIn(3)) {
            directive += std::to_string(Between(1, 30));
        } else if (OneIn(6)) {
            const int width = Between(-30, 30);
            directive += "*";
            c.stars.push_back(width);
            c.arguments.push_back(std::to_string(width));
        }
        if (precision && OneIn(2)) {
            const int kind = Between(0, 3);
            if (kind == 0) {
                directive += ".";
            } else if (kind == 1) {
                directive += "." + std::to_string(Between(0, 40));
            } else if (kind == 2) {
                directive += "." + std::to_string(Between(0, 3));
            } else {
                const int given = Between(-5, 40);
                directive += ".*";
                c.stars.push_back(given);
                c.arguments.push_back(OneIn(3) ? "0x" + ToHex(static_cast<std::uint64_t>(given) & 0xFFFFFFFF) : std::to_string(given));
            }
        }
        c.format += directive;
        c.c_format += directive;
    }

    static std::string ToHex(std::uint64_t value) {
        char text[20];
        std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
        return text;
    }

    // A 64-bit integer of a random size, and a text for it in one of the
    // bases, as the signed or the unsigned reading of its bits.
    std::uint64_t Integer(std::string& text) {
        const int bits = Between(0, 64);
        std::uint64_t value = bits == 64 ? Bits() : Bits() & ((std::uint64_t{1} << bits) - 1);
        const bool negative = OneIn(3) && value != 0 && (value >> 63) == 0;
        const int base = Between(0, 2);
        char digits[40];
        if (base == 0) {
            std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(value));
        } else if (base == 1) {
            std::snprintf(digits, sizeof digits, "0%s%llx", OneIn(2) ? "x" : "X", static_cast<unsigned long long>(value));
        } else {
            std::snprintf(digits, sizeof digits, "0%llo", static_cast<unsigned long long>(value));
        }
        text = std::string(negative ? "-" : (OneIn(8) ? "+" : "")) + digits;
        return negative ? std::uint64_t{0} - value : value;
    }

    std::string Run(Case& c, std::string& mine);

private:
    std::mt19937_64 random_;
};

// The host's length modifier for a 64-bit LP64 type.
std::string Host64(const std::string& length) {
    if (length == "l" && sizeof(long) == 8) return "l";
    if ((length == "z" && sizeof(std::size_t) == 8) || (length == "t" && sizeof(std::ptrdiff_t) == 8) ||
        length == "j") {
        return length;
    }
    return "ll";
}

std::string Corpus::Run(Case& c, std::string& mine) {
    const int kind = Between(0, 9);
    std::string expected;
    if (kind <= 3) {
        // Integers.
        const char conversion = Pick(std::vector<char>{'d', 'i', 'u', 'o', 'x', 'X'});
        const bool is_signed = conversion == 'd' || conversion == 'i';
        Directive(c, conversion == 'd' || conversion == 'i' || conversion == 'u' ? "-+ 0" : "-+ #0", true);
        const std::string length = Pick(std::vector<std::string>{"", "hh", "h", "l", "ll", "j", "z", "t"});
        std::string text;
        const std::uint64_t value = Integer(text);
        c.arguments.push_back(text);
        c.format += length + conversion;
        if (length == "" || length == "hh" || length == "h") {
            c.c_format += length + conversion;
            // Through int and back, as a promoted argument is.
            int promoted = 0;
            if (length == "hh") promoted = is_signed ? static_cast<signed char>(value) : static_cast<unsigned char>(value);
            if (length == "h") promoted = is_signed ? static_cast<short>(value) : static_cast<unsigned short>(value);
            if (length == "") promoted = static_cast<int>(static_cast<std::uint32_t>(value));
            expected = CFormatWithStars(c.c_format, c.stars, promoted);
        } else {
            c.c_format += Host64(length) + conversion;
            if (Host64(length) == "ll") {
                expected = CFormatWithStars(c.c_format, c.stars, static_cast<long long>(value));
            } else {
                expected = CFormatWithStars(c.c_format, c.stars, static_cast<std::int64_t>(value));
            }
        }
    } else if (kind <= 6) {
        // Doubles.
        const char conversion = Pick(std::vector<char>{'f', 'F', 'e', 'E', 'g', 'G', 'a', 'A'});
        Directive(c, "-+ #0", true);
        const std::string length = OneIn(6) ? "l" : "";
        c.format += length + conversion;
        c.c_format += length + conversion;
        double value = 0;
        const int shape = Between(0, 5);
        if (shape == 0) {
            std::uint64_t bits = Bits();
            std::memcpy(&value, &bits, sizeof value);
        } else if (shape == 1) {
            value = std::ldexp(static_cast<double>(Bits() >> 11), Between(-1100, 1000));
        } else if (shape == 2) {
            value = static_cast<double>(Between(-100000, 100000)) / Pick(std::vector<double>{1, 2, 8, 10, 100, 1000, 1024});
        } else if (shape == 3) {
            value = Pick(std::vector<double>{0.0, -0.0, 0.5, 1.5, 2.5, 0.125, 9.5, 99.5, 999.9999, 1e-5, 5e-324,
                                             DBL_MAX, DBL_MIN, HUGE_VAL, -HUGE_VAL, NAN, -NAN, 1e15, 1e16, 1e17});
        } else {
            value = std::ldexp(static_cast<double>(Bits() >> Between(11, 63)), Between(-60, 60));
        }
        if (OneIn(2)) value = -value;
        char text[64];
        if (std::isnan(value)) {
            std::snprintf(text, sizeof text, "%s", std::signbit(value) ? "-nan" : (OneIn(2) ? "NaN" : "nan(123)"));
        } else {
            std::snprintf(text, sizeof text, OneIn(2) ? "%.17g" : "%a", value);
        }
        c.arguments.push_back(text);
        expected = CFormatWithStars(c.c_format, c.stars, value);
    } else if (kind == 7) {
        // Long doubles: a 64-bit significand, any exponent, subnormals too.
        const char conversion = Pick(std::vector<char>{'f', 'F', 'e', 'E', 'g', 'G', 'a', 'A'});
        Directive(c, "-+ #0", true);
        c.format += std::string("L") + conversion;
        c.c_format += std::string("L") + conversion;
        const std::uint64_t significand = Bits() >> Between(0, 63);
        const int exponent = OneIn(4) ? Between(-16500, 16300) : Between(-200, 200);
        long double value = std::ldexp(static_cast<long double>(significand), exponent);
        if (OneIn(2)) value = -value;
        char text[80];
        std::snprintf(text, sizeof text, OneIn(2) ? "%.21Lg" : "%La", value);
        c.arguments.push_back(text);
        expected = CFormatWithStars(c.c_format, c.stars, value);
    } else if (kind == 8) {
        // Strings and characters.
        const bool string = OneIn(2);
        Directive(c, "-", string);
        c.format += string ? "s" : "c";
        c.c_format += string ? "s" : "c";
        if (string) {
            std::string text;
            const int size = Between(0, 20);
            for (int i = 0; i < size; ++i) text += static_cast<char>(Between(1, 255));
            c.arguments.push_back(text);
            expected = CFormatWithStars(c.c_format, c.stars, text.c_str());
        } else {
            // A number, or the character itself (which, alone, is no number).
            int code = Between(0, 300);
            if (code < 256 && OneIn(2)) {
                c.arguments.push_back(std::string(1, static_cast<char>(code)));
            } else {
                c.arguments.push_back(std::to_string(code));
                if (c.arguments.back().size() == 1) code = c.arguments.back()[0];
            }
            expected = CFormatWithStars(c.c_format, c.stars, code);
        }
    } else {
        // Pointers, and %%.
        if (OneIn(3)) {
            c.format += "%%";
            c.c_format += "%%";
            expected = CFormat(c.c_format.c_str());
        } else {
            Directive(c, "-", false);
            c.format += "p";
            c.c_format += "p";
            const std::uint64_t value = OneIn(5) ? 0 : Bits() >> Between(0, 63);
            c.arguments.push_back("0x" + ToHex(value));
            if (sizeof(void*) != 8) return "";
            std::uintptr_t address = static_cast<std::uintptr_t>(value);
            expected = CFormatWithStars(c.c_format, c.stars, reinterpret_cast<void*>(address));
        }
    }
    const PrintfResult result = FormatPrintf(c.format, c.arguments, PrintfEscapes::None);
    mine = result.ok ? result.output : "<error: " + result.error + ">";
    return expected;
}

TEST(PrintfGlibc, RandomConversionsEqualGlibc) {
    ASSERT_EQ(LDBL_MANT_DIG, 64) << "the long doubles are built as x87 extended values";
    Corpus corpus(20261209);
    int failures = 0;
    for (int i = 0; i < 30000 && failures < 20; ++i) {
        Case c;
        std::string mine;
        const std::string expected = corpus.Run(c, mine);
        if (c.format.find('p') != std::string::npos && sizeof(void*) != 8) continue;
        if (mine != expected) {
            ++failures;
            std::string arguments;
            for (const std::string& argument : c.arguments) arguments += " '" + argument + "'";
            ADD_FAILURE() << "case " << i << ": '" << c.format << "'" << arguments << "\n  glibc: '" << expected
                          << "'\n  mine:  '" << mine << "'";
        }
    }
}

// Several conversions in one format, with literal text between them, consume
// their arguments in order.
TEST(PrintfGlibc, FormatsOfSeveralConversions) {
    Corpus corpus(7);
    for (int i = 0; i < 1500; ++i) {
        Case whole;
        std::string expected;
        const int count = corpus.Between(1, 5);
        for (int k = 0; k < count; ++k) {
            Case one;
            std::string mine;
            expected += corpus.Run(one, mine) + "|";
            whole.format += one.format + "|";
            whole.arguments.insert(whole.arguments.end(), one.arguments.begin(), one.arguments.end());
        }
        if (whole.format.find('p') != std::string::npos && sizeof(void*) != 8) continue;
        const PrintfResult result = FormatPrintf(whole.format, whole.arguments, PrintfEscapes::None);
        ASSERT_TRUE(result.ok) << whole.format << ": " << result.error;
        ASSERT_EQ(result.output, expected) << whole.format;
    }
}

// Wide characters and strings as glibc writes them in a UTF-8 locale.
TEST(PrintfGlibc, WideCharactersAsUtf8) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
    const std::vector<std::pair<std::string, std::wstring>> strings = {
        {"abc", L"abc"}, {"h\xC3\xA9llo", L"h\u00e9llo"}, {"\xE4\xB8\xAD\xE6\x96\x87", L"\u4e2d\u6587"},
        {"\xF0\x9F\x98\x80!", L"\U0001F600!"}, {"", L""}};
    for (const auto& [utf8, wide] : strings) {
        for (const char* format : {"%ls", "%8ls", "%-8ls|", "%.1ls", "%.2ls", "%.3ls", "%.4ls", "%10.5ls|"}) {
            const PrintfResult result = FormatPrintf(format, {utf8});
            ASSERT_TRUE(result.ok) << result.error;
            EXPECT_EQ(result.output, CFormat(format, wide.c_str())) << format << " " << utf8;
        }
    }
    for (const auto& [text, code] : std::vector<std::pair<std::string, wint_t>>{
             {"A", L'A'}, {"0x4e2d", 0x4e2d}, {"\xC3\xA9", 0xe9}, {"128512", 0x1F600}}) {
        for (const char* format : {"%lc", "%5lc", "%-5lc|"}) {
            const PrintfResult result = FormatPrintf(format, {text});
            ASSERT_TRUE(result.ok) << result.error;
            EXPECT_EQ(result.output, CFormat(format, code)) << format << " " << text;
        }
    }
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
