// The formatter's own rules beyond glibc's output: the LP64 sizes whatever
// the host's, the arguments' forms, what each conversion consumed and as
// which type, the escapes, and an error for each way a format and its
// arguments can fail to fit, naming the conversion.
#include "workbench/printf/printf_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Format(const std::string& format, const std::vector<std::string>& arguments) {
    const PrintfResult result = FormatPrintf(format, arguments);
    return result.ok ? result.output : "error: " + result.error;
}

TEST(PrintfFormat, TheIssuesExample) {
    EXPECT_EQ(Format("%08.3f|%-5hhd|%#x", {"3.14159", "300", "255"}), "0003.142|44   |0xff");
}

// long, size_t, ptrdiff_t and pointers have 64 bits and long double is the
// x87 format on every build, the 32-bit and Windows ones too; values worked
// out by hand (2^32 + 5, 2^64 - 1, 2^-16445).
TEST(PrintfFormat, SizesAreLp64) {
    EXPECT_EQ(Format("%ld %lu %zu %td %jd", {"4294967301", "-1", "0x100000000", "-4294967296", "-9223372036854775808"}),
              "4294967301 18446744073709551615 4294967296 -4294967296 -9223372036854775808");
    EXPECT_EQ(Format("%d %u %hd %hhu", {"4294967301", "-1", "65535", "-1"}), "5 4294967295 -1 255");
    EXPECT_EQ(Format("%p %p", {"0x123456789abc", "0"}), "0x123456789abc (nil)");
    EXPECT_EQ(Format("%La", {"0x1p-16445"}), "0x0.000000000000001p-16385");
    EXPECT_EQ(Format("%La %a", {"1", "1"}), "0x8p-3 0x1p+0");
    EXPECT_EQ(Format("%Lg %g", {"1e4000", "1e4000"}), "1e+4000 inf");
    EXPECT_EQ(Format("%.20Lf", {"0.1"}), "0.10000000000000000000");
    EXPECT_EQ(Format("%.20f", {"0.1"}), "0.10000000000000000555");
}

TEST(PrintfFormat, ArgumentForms) {
    EXPECT_EQ(Format("%d %d %d %d %d", {"0x1F", "-0x1f", "017", "+17", "0"}), "31 -31 15 17 0");
    EXPECT_EQ(Format("%c%c%c%c", {"A", "66", "0x43", "5"}), "ABC5");
    EXPECT_EQ(Format("%lc|%ls|%.4ls|", {"\xE4\xB8\xAD", "\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87"}),
              "\xE4\xB8\xAD|\xE4\xB8\xAD\xE6\x96\x87|\xE4\xB8\xAD|");
    EXPECT_EQ(Format("%g %g %g %G %f", {"INF", "-infinity", "nan(7)", "-nan", "0x1.8p1"}), "inf -inf nan -NAN 3.000000");
    EXPECT_EQ(Format("%d", {"18446744073709551615"}), "-1");
    EXPECT_EQ(Format("%s", {""}), "");
}

TEST(PrintfFormat, EscapesAreCs) {
    EXPECT_EQ(Format("a\\tb\\n\\x41\\101z\\\\\\\"\\?", {}), "a\tb\nAAz\\\"?");
    // C's printf reads its format up to the NUL the escape makes.
    EXPECT_EQ(Format("a\\tb\\0z", {}), "a\tb");
    EXPECT_EQ(Format("\\045d", {"7"}), "7");  // a compiler makes it %d before printf sees it
    EXPECT_EQ(Format("\\x25d", {"7"}).substr(0, 14), "error: the esc");  // \x takes every hex digit
    EXPECT_EQ(FormatPrintf("a\\n%d", {"1"}, PrintfEscapes::None).output, "a\\n1");
}

// Which argument each conversion took, in which role, as which type.
TEST(PrintfFormat, ConsumedArguments) {
    const PrintfResult result = FormatPrintf("%*.*Lf %% %-5hhd %s %p", {"8", "-2", "1.5", "300", "x", "0x10"});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.output, "1.500000 % 44    x 0x10");
    ASSERT_EQ(result.conversions.size(), 5u);
    const auto& star = result.conversions[0];
    EXPECT_EQ(star.text, "%*.*Lf");
    EXPECT_EQ(star.position, 1u);
    ASSERT_EQ(star.arguments.size(), 3u);
    EXPECT_EQ(star.arguments[0].role, "width");
    EXPECT_EQ(star.arguments[0].type, "int");
    EXPECT_EQ(star.arguments[1].role, "precision");
    EXPECT_EQ(star.arguments[1].value, "-2");
    EXPECT_EQ(star.arguments[2].argument, 3u);
    EXPECT_EQ(star.arguments[2].type, "long double");
    EXPECT_EQ(star.arguments[2].value, "1.5");
    EXPECT_TRUE(result.conversions[1].arguments.empty());
    EXPECT_EQ(result.conversions[2].arguments[0].type, "signed char");
    EXPECT_EQ(result.conversions[2].arguments[0].value, "44");
    EXPECT_EQ(result.conversions[2].position, 11u);
    EXPECT_EQ(result.conversions[3].arguments[0].type, "const char *");
    EXPECT_EQ(result.conversions[4].arguments[0].type, "void *");
    // A place counts the characters of the format as typed, escapes whole.
    EXPECT_EQ(FormatPrintf("\\t\\x41%d", {"1"}).conversions[0].position, 7u);
}

TEST(PrintfFormat, ErrorsNameTheConversion) {
    struct Row {
        const char* format;
        std::vector<std::string> arguments;
        const char* error;
    };
    const std::vector<Row> rows = {
        {"%d|%5.2f", {"1"}, "conversion 2 '%5.2f' at character 4 has no argument left for its value (1 argument given)"},
        {"%*d", {}, "conversion 1 '%*d' at character 1 has no argument left for its width (0 arguments given)"},
        {"%d", {"1", "2", "3"}, "3 arguments given, the format takes 1: argument 2 '2' and 1 more left over"},
        {"x%d", {"abc"},
         "conversion 1 '%d' at character 2: argument 1 'abc' is no integer (decimal, 0x hex or 0 octal, with an "
         "optional sign)"},
        {"%d", {"1.5"}, "conversion 1 '%d' at character 1: argument 1 '1.5' is no integer (decimal, 0x hex or 0 "
                        "octal, with an optional sign)"},
        {"%d", {"09"}, "conversion 1 '%d' at character 1: argument 1 '09' is no integer (decimal, 0x hex or 0 octal, "
                       "with an optional sign)"},
        {"%u", {"18446744073709551616"},
         "conversion 1 '%u' at character 1: argument 1 '18446744073709551616' is beyond 64 bits (-2^63 to 2^64-1)"},
        {"%f", {"1.5x"}, "conversion 1 '%f' at character 1: argument 1 '1.5x' is no number (1.5, -2e-3, 0x1.8p3, inf, nan)"},
        {"%n", {}, "conversion 1 '%n' at character 1: %n stores a count in memory and writes nothing; there is no memory here"},
        {"ab%y", {}, "conversion 1 '%y' at character 3: 'y' is no conversion of C's printf (d i u o x X c s f F e E g G a A p %)"},
        {"%1$d", {"1"}, "conversion 1 '%1$' at character 1: positional arguments (%1$d) are not taken, each conversion takes the next"},
        {"%-5", {}, "conversion 1 '%-5' at character 1: the format ends inside the conversion (%% writes a %)"},
        {"%5%", {}, "conversion 1 '%5%' at character 1: a % is written by %% alone, with nothing between"},
        {"%#d", {"1"}, "conversion 1 '%#d' at character 1: the flag # has no meaning for %d, which C leaves undefined"},
        {"%hf", {"1"}, "conversion 1 '%hf' at character 1: the length h goes with integers, not %f (L is long double), which C leaves undefined"},
        {"%Ld", {"1"}, "conversion 1 '%Ld' at character 1: the length L goes with floats, not %d (ll is long long), which C leaves undefined"},
        {"%.3c", {"a"}, "conversion 1 '%.3c' at character 1: a precision has no meaning for %c, which C leaves undefined"},
        {"%05s", {"a"}, "conversion 1 '%05s' at character 1: the flag 0 has no meaning for %s (padding is with blanks), which C leaves undefined"},
        {"%#p", {"1"}, "conversion 1 '%#p' at character 1: the flag # has no meaning for %p, which C leaves undefined"},
        {"%05p", {"1"}, "conversion 1 '%05p' at character 1: the flag 0 has no meaning for %p (padding is with blanks), which C leaves undefined"},
        {"%.3p", {"1"}, "conversion 1 '%.3p' at character 1: a precision has no meaning for %p, which C leaves undefined"},
        {"%lp", {"1"}, "conversion 1 '%lp' at character 1: the length l has no meaning for %p, which C leaves undefined"},
        {"a\\0%d", {"1"}, "1 argument given, the format takes 0: argument 1 '1' left over (the format ends at its NUL, character 2)"},
        {"%99999d", {"1"}, "conversion 1 '%99999' at character 1: a width or precision is beyond 65536"},
        {"%*d", {"70000", "1"}, "conversion 1 '%*d' at character 1: the width 70000 is beyond 65536"},
        {"%c", {"ab"}, "conversion 1 '%c' at character 1: argument 1 'ab' is neither one byte (a character) nor a number"},
        {"%lc", {"0xd800"}, "conversion 1 '%lc' at character 1: argument 1 '0xd800' is no Unicode character (0 to 0x10ffff, no surrogate)"},
        {"%ls", {"\xFF"}, "conversion 1 '%ls' at character 1: argument 1 '\xFF' is no UTF-8 text, so no wide string"},
        {"a\\q", {}, "'\\q' at character 2 of the format is no escape of C (\\n \\t \\r \\a \\b \\f \\v \\\\ \\' \\\" \\? \\ooo \\xhh)"},
        {"a\\", {}, "the format ends in a lone backslash at character 2 of the format (\\\\ is a backslash)"},
        {"\\x100", {}, "the escape \\x at character 1 of the format is beyond a byte (\\x00 to \\xff)"},
        {"\\400", {}, "the escape \\400 at character 1 of the format is beyond a byte (\\0 to \\377)"},
    };
    for (const Row& row : rows) {
        const PrintfResult result = FormatPrintf(row.format, row.arguments);
        EXPECT_FALSE(result.ok) << row.format;
        EXPECT_EQ(result.error, row.error) << row.format;
    }
}

// %p with + or space: a sign before the 0x, none before (nil), as glibc
// writes them (checked against glibc in the random corpus too).
TEST(PrintfFormat, PointerSigns) {
    EXPECT_EQ(Format("[%+p] [% p] [%+ p] [%-+6p] [%+p] [% 7p]", {"1", "1", "0x12", "0xab", "0", "0"}),
              "[+0x1] [ 0x1] [+0x12] [+0xab ] [(nil)] [  (nil)]");
}

// Long doubles in the explanation as the shortest decimal that reads back
// to them: the 21 digits of 0.1L were noise.
TEST(PrintfFormat, ExplainedLongDoublesAreShortest) {
    const PrintfResult result = FormatPrintf("%Lf %Lf %Lf %Lg %Lg", {"0.1", "0x1p-16445", "1e4000", "-0.3333333333333333333", "nan"});
    ASSERT_TRUE(result.ok) << result.error;
    std::vector<std::string> values;
    for (const auto& conversion : result.conversions) values.push_back(conversion.arguments.back().value);
    EXPECT_EQ(values, (std::vector<std::string>{"0.1", "4e-4951", "1e+4000", "-0.3333333333333333333", "nan"}));
}

// The most text one run writes: 64 MiB exactly is written, a byte more is
// an error naming what passed the bound, whether a conversion or the
// format's own text did; through a sink, the text comes in pieces.
TEST(PrintfFormat, TheTextIsBounded) {
    static_assert(kMaxPrintfOutput == 64 * 65536 * 16, "the help says 64 MiB");
    std::string format;
    for (int i = 0; i < 1024; ++i) format += "%65536c";  // 64 MiB
    std::size_t pieces = 0, bytes = 0;
    const PrintfSink count = [&](const std::string& piece) {
        ++pieces;
        bytes += piece.size();
        return true;
    };
    std::vector<std::string> arguments(1024, "x");
    PrintfResult result = FormatPrintf(format, arguments, PrintfEscapes::C, count);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.size, kMaxPrintfOutput);
    EXPECT_EQ(bytes, kMaxPrintfOutput);
    EXPECT_EQ(pieces, 1024u);
    EXPECT_TRUE(result.output.empty());
    arguments.push_back("y");
    result = FormatPrintf(format + "%c", arguments, PrintfEscapes::C, count);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "conversion 1025 '%c' at character 7169 takes the text past 67108864 bytes (64 MiB), the "
                            "most one run writes");
    result = FormatPrintf(format + "ab", std::vector<std::string>(1024, "x"), PrintfEscapes::C, count);
    EXPECT_EQ(result.error, "the format's text at character 7169 takes the text past 67108864 bytes (64 MiB), the most "
                            "one run writes");
    result = FormatPrintf(format + "%%", std::vector<std::string>(1024, "x"), PrintfEscapes::C, count);
    EXPECT_EQ(result.error, "the format's text at character 7169 takes the text past 67108864 bytes (64 MiB), the most "
                            "one run writes");
    // Without a sink the text is held, to the same bound.
    result = FormatPrintf("%65536.65536f|%s", {"1", "abc"});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.size, result.output.size());
    EXPECT_EQ(result.output.size(), 65536u + 2 + 4);
    // A sink that cannot take the text ends the run there.
    int calls = 0;
    result = FormatPrintf("a%db%dc", {"1", "2"}, PrintfEscapes::C, [&](const std::string&) { return ++calls < 2; });
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.write_failed);
    EXPECT_EQ(calls, 2);
}

}  // namespace
