// The formatter against glibc's own printf: a large corpus of random
// conversions (every conversion, flags, widths and precisions given or by
// '*', every length modifier) with random arguments, each formatted both
// ways: by FormatPrintf from the arguments' text, and by snprintf from a
// format built here and arguments of the C types the conversion names. The
// two must agree byte for byte. The seed is fixed, so a failure repeats.
#include "workbench/printf/printf_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// snprintf into a string; NUL bytes (from %c) kept.
std::string CFormat(const char* format, ...) {
    // Measured first, then written into a buffer of that size: a megabyte
    // for every call cost the sanitizers' and the emulated builds minutes.
    std::va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (size >= 0) {
        text.resize(static_cast<std::size_t>(size) + 1);
        std::vsnprintf(&text[0], text.size(), format, again);
        text.resize(static_cast<std::size_t>(size));
    }
    va_end(again);
    return size < 0 ? "<snprintf failed>" : text;
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
            // + and space as glibc writes them: a sign before 0x.
            Directive(c, "-+ ", false);
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

// A random conversion of a float with a large precision, and now and then
// a large width: the text of every digit of the exact value and far past
// its end, and rounding at any place within it.
struct LargeCase {
    std::string format;
    std::string argument;
    std::string expected;
};

LargeCase LargePrecisionCase(Corpus& corpus, bool long_double, int max_precision) {
    LargeCase c;
    std::string directive = "%";
    for (char flag : std::string("-+ #0")) {
        if (corpus.OneIn(4)) directive += flag;
    }
    if (corpus.OneIn(4)) directive += std::to_string(corpus.Between(1, max_precision + 100));
    // Precisions of every size up to the largest, small ones as often as large.
    const int digits = corpus.Between(0, static_cast<int>(std::to_string(max_precision).size()));
    const int precision = std::min(max_precision, corpus.Between(0, digits == 0 ? 9 : static_cast<int>(std::pow(10, digits))));
    directive += "." + std::to_string(precision);
    const char conversion = corpus.Pick(std::vector<char>{'f', 'F', 'e', 'E', 'g', 'G', 'a', 'A'});
    char text[80];
    if (long_double) {
        const std::uint64_t significand = corpus.Bits() >> corpus.Between(0, 63);
        const int exponent = corpus.OneIn(3) ? corpus.Between(-16500, 16300) : corpus.Between(-400, 400);
        long double value = std::ldexp(static_cast<long double>(significand), exponent);
        if (corpus.OneIn(2)) value = -value;
        std::snprintf(text, sizeof text, "%La", value);
        c.format = directive + "L" + conversion;
        c.expected = CFormat(c.format.c_str(), value);
    } else {
        double value = 0;
        const int shape = corpus.Between(0, 3);
        if (shape == 0) {
            std::uint64_t bits = corpus.Bits();
            std::memcpy(&value, &bits, sizeof value);
        } else if (shape == 1) {
            value = std::ldexp(static_cast<double>(corpus.Bits() >> 11), corpus.Between(-1126, 971));
        } else if (shape == 2) {
            value = corpus.Pick(std::vector<double>{0.1, 1.0 / 3, 2.0 / 3, 0.5, 0.05, 1e-300, 5e-324, DBL_MAX, DBL_MIN,
                                                    0.0, 9.5, 99.95, 1e22, 1e23});
        } else {
            value = static_cast<double>(corpus.Between(-100000, 100000)) / 1024;
        }
        if (corpus.OneIn(2)) value = -value;
        std::snprintf(text, sizeof text, "%a", value);
        c.format = directive + conversion;
        c.expected = CFormat(c.format.c_str(), value);
    }
    c.argument = text;
    return c;
}

// Precisions up to a few thousand, doubles and long doubles: every digit
// written is the exact value's, rounded as glibc rounds.
TEST(PrintfGlibc, LargePrecisionsEqualGlibc) {
    Corpus corpus(65536);
    int failures = 0;
    for (int i = 0; i < 1500 && failures < 10; ++i) {
        const LargeCase c = LargePrecisionCase(corpus, i % 3 == 0, 5000);
        const PrintfResult result = FormatPrintf(c.format, {c.argument}, PrintfEscapes::None);
        const std::string mine = result.ok ? result.output : "<error: " + result.error + ">";
        if (mine != c.expected) {
            ++failures;
            ADD_FAILURE() << "case " << i << ": '" << c.format << "' '" << c.argument << "'\n  glibc: '"
                          << c.expected.substr(0, 200) << "...' (" << c.expected.size() << " bytes)\n  mine:  '"
                          << mine.substr(0, 200) << "...' (" << mine.size() << " bytes)";
        }
    }
}

// The largest precision and width taken, on the values whose exact
// decimals are longest or reach furthest: every digit of 2^-16445 and of
// the largest long double, and far past them.
TEST(PrintfGlibc, TheLargestPrecisionsEqualGlibc) {
    struct Row {
        std::string format;
        std::string argument;  // the value as %a writes it
        std::string expected;
    };
    const auto row = [](const std::string& format, double value) {
        return Row{format, CFormat("%a", value), CFormat(format.c_str(), value)};
    };
    const auto long_row = [](const std::string& format, long double value) {
        return Row{format, CFormat("%La", value), CFormat(format.c_str(), value)};
    };
    const long double smallest = std::ldexp(1.0L, -16445);
    const long double largest_subnormal = std::ldexp(static_cast<long double>(0x7FFFFFFFFFFFFFFFull), -16445);
    const std::vector<Row> rows = {
        row("%.65536g", 0.1),
        row("%.65536e", 0.1),
        row("%.65536f", std::ldexp(1.0, -1074)),
        row("%#.65536G", DBL_MAX),
        row("%-+65536.30000f|", -2.5),
        row("%065536.1e", -1e300),
        row("%.65536a", 1.0 / 3),
        long_row("%.65536La", smallest),
        long_row("%.65536Lf", smallest),
        long_row("%.65536Le", smallest),
        long_row("%.16500Le", largest_subnormal),
        long_row("%.65536Lg", LDBL_MAX),
        long_row("%.65536Lf", LDBL_MAX),
        long_row("%#.65536Lg", 1e-4000L),
        long_row("% .65536LE", 1.0L / 3),
    };
    for (const Row& r : rows) {
        const PrintfResult result = FormatPrintf(r.format, {r.argument}, PrintfEscapes::None);
        ASSERT_TRUE(result.ok) << r.format << ": " << result.error;
        EXPECT_EQ(result.output.size(), r.expected.size()) << r.format << " " << r.argument;
        EXPECT_TRUE(result.output == r.expected) << r.format << " " << r.argument;
    }
}

// %#g with P significant digits of a value that rounds up to 10^P: ISO C
// writes P digits (1.0e+02), glibc one (1.e+02). Over values at every
// power of ten and either side of each rounding point, that is the only
// place where the two differ, and the help names it.
TEST(PrintfGlibc, AlternateGDepartsFromGlibcOnlyWhereIsoCSays) {
    int departures = 0;
    for (int power = 0; power <= 18; ++power) {
        const long double ten = std::pow(10.0L, power);
        for (const long double value : {ten - 0.5L, ten - 0.25L, ten - 0.75L, ten - 1, ten + 0.5L, ten * 0.9995L,
                                        ten * 0.99949L, ten / 1000 - 0.0005L, std::nextafter(ten - 0.5L, 0.0L),
                                        ten * 0.95L}) {
            for (int precision = 0; precision <= 20; ++precision) {
                for (const char* flags : {"#", "", "#-12", "#+"}) {
                    for (const bool as_double : {true, false}) {
                        const std::string format = std::string("%") + flags + "." + std::to_string(precision) +
                                                   (as_double ? "" : "L") + (power % 2 == 0 ? "g" : "G");
                        const double rounded = static_cast<double>(value);
                        const long double exact = as_double ? static_cast<long double>(rounded) : value;
                        char text[80];
                        std::snprintf(text, sizeof text, "%La", exact);
                        const std::string glibc = as_double ? CFormat(format.c_str(), rounded) : CFormat(format.c_str(), value);
                        const PrintfResult result = FormatPrintf(format, {text}, PrintfEscapes::None);
                        ASSERT_TRUE(result.ok) << result.error;
                        // Does it round up to 10^P at P significant digits?
                        const int significant = precision == 0 ? 1 : precision;
                        char at_p[80];
                        std::snprintf(at_p, sizeof at_p, "%.*Le", significant - 1, exact);
                        const long double ten_to_p = std::pow(10.0L, significant);
                        const bool departs = flags[0] == '#' && significant >= 2 &&
                                             std::strtold(at_p, nullptr) == ten_to_p && exact < ten_to_p;
                        if (!departs) {
                            EXPECT_EQ(result.output, glibc) << format << " of " << text;
                            continue;
                        }
                        ++departures;
                        // ISO C: exponent notation with P digits, as %#.(P-1)e writes it.
                        char iso[80];
                        std::snprintf(iso, sizeof iso, (std::string("%") + flags + ".*" + (power % 2 == 0 ? "Le" : "LE")).c_str(),
                                      significant - 1, exact);
                        EXPECT_EQ(result.output, iso) << format << " of " << text;
                        EXPECT_NE(result.output, glibc) << format << " of " << text << ": glibc follows ISO C now";
                    }
                }
            }
        }
    }
    EXPECT_GT(departures, 20);
}

// The format ends at its first NUL as C's printf's does, wherever the NUL
// comes from: glibc is handed the same bytes as a C string.
TEST(PrintfGlibc, TheFormatEndsAtItsNul) {
    struct Row {
        const char* format;  // as typed, with escapes
        std::string bytes;   // as a compiler makes it
        std::vector<std::string> arguments;
    };
    const std::vector<Row> rows = {
        {"a\\0b", std::string("a\0b", 3), {}},
        {"\\0abc", std::string("\0abc", 4), {}},
        {"\\x00%d", std::string("\0%d", 3), {}},
        {"x\\000y", std::string("x\0y", 3), {}},
        {"x\\0000", std::string("x\0" "0", 3), {}},
        {"%d\\0%d", std::string("%d\0%d", 5), {"7"}},
        {"%s|\\0|%s", std::string("%s|\0|%s", 7), {"ab"}},
        {"%5.1f\\x00\\n", std::string("%5.1f\0\n", 7), {"2.25"}},
        {"a\\01b", "a\01b", {}},  // \01 is 1, no NUL
        {"%%\\0%%", std::string("%%\0%%", 5), {}},
    };
    for (const Row& row : rows) {
        const PrintfResult result = FormatPrintf(row.format, row.arguments);
        ASSERT_TRUE(result.ok) << row.format << ": " << result.error;
        // One argument at most here: the C string (up to the NUL) with it.
        const std::string glibc = row.arguments.empty()         ? CFormat(row.bytes.c_str())
                                  : row.bytes[1] == 's'         ? CFormat(row.bytes.c_str(), row.arguments[0].c_str())
                                  : row.bytes.find('f') < 6     ? CFormat(row.bytes.c_str(), 2.25)
                                                                : CFormat(row.bytes.c_str(), 7);
        EXPECT_EQ(result.output, glibc) << row.format;
        // --raw bytes with the NUL itself end there too.
        const PrintfResult raw = FormatPrintf(row.bytes, row.arguments, PrintfEscapes::None);
        ASSERT_TRUE(raw.ok) << row.format << ": " << raw.error;
        EXPECT_EQ(raw.output, glibc) << row.format;
    }
    // A %s argument is a C string too, ending at its NUL.
    EXPECT_EQ(FormatPrintf("[%s][%5s][%ls]", {std::string("ab\0cd", 5), std::string("x\0y", 3), std::string("\xC3\xA9\0\xFF", 4)}).output,
              "[ab][    x][\xC3\xA9]");
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
