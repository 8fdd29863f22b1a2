// The C array writer and reader: the text they agree on, streamed in pieces
// of any size, and the reader's judgement of C it did not write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "workbench/c_array/c_array_reader.h"
#include "workbench/c_array/c_array_writer.h"

using namespace std::string_literals;

namespace {

std::string Write(const CArrayFormat& format, const std::string& bytes, std::size_t piece = 0) {
    CArrayWriter writer(format);
    std::string out, error;
    writer.Begin(out);
    if (piece == 0) piece = bytes.size() + 1;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        writer.Bytes(bytes.data() + at, std::min(piece, bytes.size() - at), out);
    }
    EXPECT_TRUE(writer.End(out, error)) << error;
    return out;
}

struct ReadResult {
    bool ok = false;
    std::string bytes, error;
};

ReadResult Read(const std::string& text, int size = 1, bool big_endian = false, std::size_t piece = 0) {
    CArrayReader reader(size, big_endian);
    ReadResult result;
    if (piece == 0) piece = text.size() + 1;
    result.ok = true;
    for (std::size_t at = 0; at < text.size() && result.ok; at += piece) {
        result.ok = reader.Feed(text.data() + at, std::min(piece, text.size() - at), result.bytes);
    }
    result.ok = result.ok && reader.Finish(result.bytes);
    result.error = reader.error();
    return result;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int v : values) bytes += static_cast<char>(v);
    return bytes;
}

}  // namespace

// What xxd -i (2022-01-14) prints for "hello\n" in a file named hello.txt,
// its declarations made const.
TEST(CArrayWriter, ByteArrayAsXxdWritesIt) {
    CArrayFormat format;
    format.name = CArrayNameFromPath("hello.txt");
    EXPECT_EQ(Write(format, "hello\n"),
              "const unsigned char hello_txt[] = {\n"
              "  0x68, 0x65, 0x6c, 0x6c, 0x6f, 0x0a\n"
              "};\n"
              "const unsigned int hello_txt_len = 6;\n");
    // A line break after every 12th element; none after the last.
    const std::string text = Write(format, std::string(25, 'a'));
    EXPECT_NE(text.find("0x61,\n  0x61"), std::string::npos);
    EXPECT_NE(text.find("  0x61\n};\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 3 + 1);
    // No element: the braces alone, as xxd writes them.
    EXPECT_EQ(Write(format, ""), "const unsigned char hello_txt[] = {\n};\nconst unsigned int hello_txt_len = 0;\n");
}

TEST(CArrayWriter, NamesAsXxdMakesThem) {
    EXPECT_EQ(CArrayNameFromPath("fw/app-1.bin"), "fw_app_1_bin");
    EXPECT_EQ(CArrayNameFromPath("1st.bin"), "__1st_bin");
    EXPECT_EQ(CArrayNameFromPath("\xC3\xA9.bin"), "___bin");  // é: two bytes, two underscores
    EXPECT_EQ(CArrayNameFromPath("/tmp/a.bin"), "_tmp_a_bin");
    EXPECT_TRUE(IsCIdentifier("_a1"));
    EXPECT_FALSE(IsCIdentifier("1a"));
    EXPECT_FALSE(IsCIdentifier("a-b"));
    EXPECT_FALSE(IsCIdentifier(""));
}

TEST(CArrayWriter, WideElementsInBothOrdersAndPadding) {
    CArrayFormat format;
    format.name = "w";
    format.element_size = 4;
    format.pad = true;
    const std::string bytes = Bytes({1, 2, 3, 4, 5});
    const std::string little = Write(format, bytes);
    EXPECT_NE(little.find("const uint32_t w[] = {\n  0x04030201, 0x00000005\n};\nconst unsigned int w_len = 2;"),
              std::string::npos)
        << little;
    EXPECT_EQ(little.rfind("#include <stdint.h>\n\n", 0), 0u);
    format.big_endian = true;
    EXPECT_NE(Write(format, bytes).find("0x01020304, 0x05000000\n"), std::string::npos);
    format.element_size = 2;
    format.decimal = true;
    EXPECT_NE(Write(format, bytes).find("  258, 772, 1280\n"), std::string::npos);
    // Without --pad the partial element is an error, and nothing ends the array.
    format.pad = false;
    CArrayWriter writer(format);
    std::string out, error;
    writer.Bytes(bytes.data(), bytes.size(), out);
    std::string end;
    EXPECT_FALSE(writer.End(end, error));
    EXPECT_EQ(end, "");
    EXPECT_EQ(error, "5 bytes are no whole number of 2-byte elements: 1 left over");
}

TEST(CArrayWriter, HeaderQualifiersAndCrc) {
    CArrayFormat format;
    format.name = "boot";
    format.header = true;
    format.crc = true;
    format.is_const = false;
    format.per_line = 4;
    // CRC-32/ISO-HDLC of "123456789": 0xCBF43926, the catalogue's check value.
    EXPECT_EQ(Write(format, "123456789"),
              "#ifndef BOOT_H\n#define BOOT_H\n\n"
              "static unsigned char boot[] = {\n"
              "  0x31, 0x32, 0x33, 0x34,\n  0x35, 0x36, 0x37, 0x38,\n  0x39\n"
              "};\n"
              "static unsigned int boot_len = 9;\n"
              "/* CRC-32 (ISO-HDLC, as zlib) of the 9 bytes: 0xCBF43926 */\n"
              "\n#endif /* BOOT_H */\n");
    // Padding is no part of the content's CRC: that of "1234" again.
    format.header = false;
    format.element_size = 4;
    format.pad = true;
    const std::string padded = Write(format, "1234" "5");
    // zlib.crc32(b"12345") = 0xCBF53A1C.
    EXPECT_NE(padded.find("of the 5 bytes: 0xCBF53A1C"), std::string::npos) << padded;
}

TEST(CArrayWriter, SignedDecimalElements) {
    CArrayFormat format;
    format.element_size = 1;
    format.is_signed = true;
    format.decimal = true;
    CArrayWriter writer(format);
    std::string out, error;
    writer.Begin(out);
    for (const std::uint64_t v : {std::uint64_t{0} - 128, std::uint64_t{127}, std::uint64_t{0} - 1}) writer.Element(v, out);
    ASSERT_TRUE(writer.End(out, error));
    EXPECT_NE(out.find("const int8_t data[] = {\n  -128, 127, -1\n};"), std::string::npos) << out;
}

// Every type, order, notation and line width: the reader gives back the
// bytes the writer took, whatever pieces either is handed.
TEST(CArrayRoundTrip, EveryFormatInPiecesOfAnySize) {
    std::mt19937 random(24);
    for (const int size : {1, 2, 4}) {
        for (const bool big : {false, true}) {
            for (const bool decimal : {false, true}) {
                for (int trial = 0; trial < 20; ++trial) {
                    std::string bytes(random() % 200, '\0');
                    for (char& c : bytes) c = static_cast<char>(random());
                    CArrayFormat format;
                    format.element_size = size;
                    format.big_endian = big;
                    format.decimal = decimal;
                    format.pad = true;
                    format.crc = trial % 2 == 0;
                    format.header = trial % 3 == 0;
                    format.per_line = static_cast<int>(random() % 20);
                    const std::string text = Write(format, bytes, 1 + random() % 7);
                    EXPECT_EQ(text, Write(format, bytes)) << "the pieces changed the text";
                    std::string padded = bytes;
                    padded.resize((bytes.size() + size - 1) / size * size, '\0');
                    const ReadResult back = Read(text, size, big, 1 + random() % 5);
                    ASSERT_TRUE(back.ok) << back.error << "\n" << text;
                    EXPECT_EQ(back.bytes, padded) << text;
                }
            }
        }
    }
}

TEST(CArrayReader, NumbersOfEveryNotation) {
    // The values by hand: 0x1F, 31, 037, 0b11111 and '\x1f' are one number.
    EXPECT_EQ(Read("{0x1F, 31, 037, 0b11111, '\\x1f', '\\037', 0X1fu, 31UL, 31llu}").bytes, std::string(9, '\x1f'));
    EXPECT_EQ(Read("{'a', '\\n', '\\0', '\\\\', '\\'', '\"', 'A', ' ', '\\t'}").bytes, "a\n\0\\'\"A \t"s);
    EXPECT_EQ(Read("{-1, -128, +5, 0, 00}").bytes, Bytes({0xFF, 0x80, 5, 0, 0}));
    EXPECT_EQ(Read("{-1}", 2).bytes, Bytes({0xFF, 0xFF}));
    EXPECT_EQ(Read("{0x1234, -2}", 2, true).bytes, Bytes({0x12, 0x34, 0xFF, 0xFE}));
    EXPECT_EQ(Read("{65535, 0xFFFFFFFF}", 4).bytes, Bytes({0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Read("{0xFFFFFFFFFFFFFFFF, -9223372036854775808}", 8).bytes,
              std::string(8, '\xFF') + std::string(7, '\0') + "\x80");
}

TEST(CArrayReader, WhatSurroundsTheNumbers) {
    const std::string declared =
        "/* made by hand { 1 } */\n#ifndef X_H\n#include <stdint.h>\n"
        "static const uint8_t x[5] = { // the first\n 1, /* two */ 2,\n { 3 }, 4 };\n"
        "const unsigned int x_len = 5;\n#endif\n{ garbage after the array";
    // Braces around one element hold one number; the fifth is C's zero.
    EXPECT_EQ(Read(declared).bytes, Bytes({1, 2, 3, 4, 0}));
    // The numbers alone, with or without a trailing comma.
    EXPECT_EQ(Read(" 1, 2,\n3,").bytes, Bytes({1, 2, 3}));
    EXPECT_EQ(Read("/* lead */ 'x'").bytes, "x");
    EXPECT_EQ(Read("int a[] = {};").bytes, "");
    EXPECT_EQ(Read("{1,2}").bytes, Read("{1,2}", 1, false, 1).bytes);
    // A slash that starts no comment is an error, at the end too.
    EXPECT_EQ(Read("{1 / 2}").error, "line 1, column 4: '/' is not part of a number");
}

TEST(CArrayReader, ErrorsNameTheirLine) {
    const struct {
        const char* text;
        int size;
        const char* error;
    } kCases[] = {
        {"{1,\n2,\nfoo}", 1, "line 3, column 1: 'foo' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{1,\n256}", 1, "line 2, column 1: '256' does not fit in 1 byte (0 to 255, or -128 to -1)"},
        {"{-129}", 1, "line 1, column 2: '-129' does not fit in 1 byte (0 to 255, or -128 to -1)"},
        {"{65536}", 2, "line 1, column 2: '65536' does not fit in 2 bytes (0 to 65535, or -32768 to -1)"},
        {"{1 2}", 1, "line 1, column 4: '2' follows the number before it without a comma"},
        {"{1,,2}", 1, "line 1, column 4: ',' with no number before it"},
        {"{1;2}", 1, "line 1, column 3: ';' is not part of a number"},
        {"{08}", 1, "line 1, column 2: '08' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{0x}", 1, "line 1, column 2: '0x' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{1.5}", 1, "line 1, column 2: '1.5' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{1uu}", 1, "line 1, column 2: '1uu' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{18446744073709551616}", 8, "line 1, column 2: '18446744073709551616' is larger than 64 bits"},
        {"{'ab'}", 1, "line 1, column 2: ''ab'' is not a character literal of one byte"},
        {"{'\\x100'}", 1, "line 1, column 2: ''\\x100'' is not a character literal of one byte"},
        {"{'a\n'}", 1, "line 1, column 2: ''a' is not closed on its line"},
        {"{1,\n2", 1, "line 1, column 1: the '{' here is never closed"},
        {"{1 /* open\n", 1, "line 1, column 4: the comment that opens here is never closed"},
        {"1, 2}", 1, "line 1, column 5: '}' closes no '{' (the numbers started without one)"},
        {"", 1, "no numbers: the text is empty or holds only comments"},
        {"int x;", 1, "no '= {' opens an array's initialiser, and the text does not start with '{' or a number"},
    };
    for (const auto& c : kCases) {
        const ReadResult result = Read(c.text, c.size);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.error, c.error) << c.text;
        // The same error, whatever the pieces.
        EXPECT_EQ(Read(c.text, c.size, false, 1).error, c.error) << c.text;
    }
    // A word too long to be a number is cut short in the message.
    const ReadResult long_word = Read("{" + std::string(500, '7') + "}");
    EXPECT_EQ(long_word.error.substr(0, 20), "line 1, column 2: '7");
    EXPECT_LT(long_word.error.size(), 200u);
}

// Text the writer made, cut and changed at random: the reader either gives
// bytes or an error that names a line (or says what is missing), never
// anything else, in one piece or many.
TEST(CArrayReader, DamagedTextGivesBytesOrAnError) {
    std::mt19937 random(2024);
    CArrayFormat format;
    format.crc = true;
    format.header = true;
    const std::string text = Write(format, "\x01\x7f\x80\xff" "abc 'x' /* */ {}");
    static const char kNoise[] = "{},;/*'\\\"x0-+\n 9uLl.";
    for (int trial = 0; trial < 3000; ++trial) {
        std::string damaged = text;
        for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits) {
            const std::size_t at = random() % (damaged.size() + 1);
            switch (random() % 3) {
                case 0:
                    damaged.insert(at, 1, kNoise[random() % (sizeof kNoise - 1)]);
                    break;
                case 1:
                    if (at < damaged.size()) damaged.erase(at, 1 + random() % 8);
                    break;
                default:
                    damaged.resize(at);
                    break;
            }
        }
        const ReadResult whole = Read(damaged);
        const ReadResult pieces = Read(damaged, 1, false, 1 + random() % 9);
        EXPECT_EQ(whole.ok, pieces.ok) << damaged;
        EXPECT_EQ(whole.error, pieces.error) << damaged;
        if (whole.ok) {
            EXPECT_EQ(whole.bytes, pieces.bytes);
        } else {
            EXPECT_TRUE(whole.error.rfind("line ", 0) == 0 || whole.error.rfind("no ", 0) == 0) << whole.error;
        }
    }
}

// What gcc gives these arrays (gcc 12, x86-64), from the faults they showed:
// a #define's braces, zero padding, nested braces, a signed char, a comment
// joined to the next line, leading zeros, a BOM, a line that ends in CR.
TEST(CArrayReader, ReadsWhatGccReads) {
    const struct {
        std::string text;
        int size;
        bool char_is_signed;
        std::string bytes;
    } kCases[] = {
        {"#define TABLE_INIT {9, 9}\nunsigned char a[] = {1, 2};", 1, true, Bytes({1, 2})},
        {"unsigned char buf[4] = {1};", 1, true, Bytes({1, 0, 0, 0})},
        {"unsigned char a[2][3] = {{1, 2}, {3}};", 1, true, Bytes({1, 2, 0, 3, 0, 0})},
        {"unsigned char a[][3] = {1, 2, 3, 4};", 1, true, Bytes({1, 2, 3, 4, 0, 0})},
        {"unsigned char a[2][3] = {1, {2}, 3};", 1, true, Bytes({1, 2, 3, 0, 0, 0})},
        {"unsigned char a[2][2][2] = {1, {2}, 3, 4, {5, 6}};", 1, true, Bytes({1, 2, 3, 4, 5, 6, 0, 0})},
        {"unsigned char a[0x3] = {};", 1, true, Bytes({0, 0, 0})},
        {"{'\\xff', '\\377', '\\x80', '\\x7f'}", 2, true, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0xFF, 0x7F, 0})},
        {"{'\\xff', '\\377', '\\x80', '\\x7f'}", 2, false, Bytes({0xFF, 0, 0xFF, 0, 0x80, 0, 0x7F, 0})},
        {"{'\\xff'}", 1, true, Bytes({0xFF})},
        {"{1, // note \\\n 2,\n 3}", 1, true, Bytes({1, 3})},
        {"{1, // note \\  \r\n 2,\n 3}", 1, true, Bytes({1, 3})},
        {"{0x1\\\n2, 0\\\nx\\\n3}", 1, true, Bytes({0x12, 3})},
        {"{0x" + std::string(100, '0') + "1, -0" + std::string(200, '0') + "7, 0b" + std::string(90, '0') + "1}", 1,
         true, Bytes({1, 0xF9, 1})},
        {"\xEF\xBB\xBF" "1, 2", 1, true, Bytes({1, 2})},
        {"\xEF\xBB\xBF" "unsigned char a[] = {3};", 1, true, Bytes({3})},
        {"unsigned char a[] = {1, // x\r2};", 1, true, Bytes({1, 2})},
        {"unsigned char a[] = {1,\n#if 0\n 2,\n#else\n 3,\n#endif\n 4};", 1, true, Bytes({1, 3, 4})},
        {"#ifdef __cplusplus\nextern \"C\" {\n#endif\nunsigned char a[] = {1};\n#ifdef __cplusplus\n}\n#endif\n", 1,
         true, Bytes({1})},
        {"#ifndef A_H\n#define A_H\nunsigned char a[] = {1};\n#endif\n", 1, true, Bytes({1})},
        {"#define X\n#ifdef X\nunsigned char a[] = {1};\n#else\nunsigned char a[] = {2};\n#endif\n", 1, true,
         Bytes({1})},
        {"/* { 7 } */ const char *s = \"{ 8 }\"; unsigned char a[2] __attribute__((aligned(4))) = {1};", 1, true,
         Bytes({1, 0})},
        {"int f(void) { return 0; }\nunsigned char b[3], a[] = {5};", 1, true, Bytes({5})},
    };
    for (const auto& c : kCases) {
        CArrayReader whole(c.size, false, c.char_is_signed);
        std::string bytes;
        EXPECT_TRUE(whole.Feed(c.text.data(), c.text.size(), bytes) && whole.Finish(bytes)) << c.text << whole.error();
        EXPECT_EQ(bytes, c.bytes) << c.text;
        // A byte at a time: a BOM, a CR LF, a backslash split between blocks.
        CArrayReader bytewise(c.size, false, c.char_is_signed);
        std::string pieces;
        bool ok = true;
        for (const char ch : c.text) ok = ok && bytewise.Feed(&ch, 1, pieces);
        EXPECT_TRUE(ok && bytewise.Finish(pieces)) << c.text << bytewise.error();
        EXPECT_EQ(pieces, c.bytes) << c.text;
    }
}

// Text gcc reads differently from a plain list of numbers, or refuses: the
// reader says what and where rather than guess.
TEST(CArrayReader, RefusesWhatItWouldReadOtherwiseThanGcc) {
    const struct {
        const char* text;
        const char* error;
    } kCases[] = {
        {"unsigned char a[N] = {1};", "line 1, column 16: the array's size 'N' is not read"},
        {"unsigned char a[2] = {1, 2, 3};", "line 1, column 29: '3' is beyond the 2 elements of the array"},
        {"unsigned char a[] = {{1, 2}};", "line 1, column 26: '2' is a second number in braces around one element"},
        {"unsigned char a[2][2] = {{1, 2, 3}};", "line 1, column 33: '3' is beyond the 2 elements of the braces at"},
        {"unsigned char a[] = {{}};", "line 1, column 22: the braces here hold no number"},
        {"unsigned char a[][] = {1};", "line 1, column 18: only the first size of an array may be left out"},
        {"#if FOO > 1\n#endif\n", "line 1, column 1: #if: only a number is read as its condition"},
        {"#ifdef __GNUC__\n#endif\n", "line 1, column 1: '__GNUC__': whether it is defined depends"},
        {"#define a b\nunsigned char a[] = {1};", "line 2, column 15: 'a' is a macro in the array's declaration"},
        {"unsigned char linux[] = {1};", "line 1, column 15: 'linux' is a macro"},
        {"unsigned char a[] = {(unsigned char)1};", "line 1, column 22: '(' is not part of a number"},
        {"unsigned char a[] = <%1%>;", "line 1, column 22: the digraph '<%' is not read"},
        {"unsigned char a[] = {1}; /* x", "line 1, column 26: the comment that opens here is never closed"},
        {"#ifndef X\nunsigned char a[] = {1};", "line 1, column 1: the #if group that opens here has no #endif"},
        {"unsigned char x = {1, 2};", "line 1, column 19: the '{' here initialises no array"},
        {"unsigned char a[] = {1,\n#include \"x.h\"\n};", "line 2, column 1: #include inside the initialiser"},
        {"#define T {9, 9}\nunsigned char a[] = T;", "no '= {' opens an array's initialiser"},
        {"#define T {9, 9}\n{1, 2}", "no '= {' opens an array's initialiser"},
        {"unsigned char a[] = {\"ab\"};", "line 1, column 22: a string literal is not read as numbers here"},
        {"unsigned char a[] = {'\\e'};", "line 1, column 22: ''\\e'' is not a character literal of one byte"},
        {"unsigned char a[] = {L'a'};", "line 1, column 22: 'L' is not a number"},
        {"#error no\nunsigned char a[] = {1};", "line 1, column 1: #error: gcc stops here"},
        {"unsigned char a[] = {\n#embed \"x\"\n};", "line 2, column 1: #embed inside the initialiser"},
        {"unsigned char a[] = {1}\n#endif\n", "line 2, column 1: #endif with no #if before it"},
        {"}; unsigned char a[] = {1};", "line 1, column 1: '}' closes no '{'"},
    };
    for (const auto& c : kCases) {
        const ReadResult result = Read(c.text);
        EXPECT_FALSE(result.ok) << c.text << " gave " << result.bytes.size() << " bytes";
        EXPECT_EQ(result.error.substr(0, std::strlen(c.error)), c.error) << c.text;
        EXPECT_EQ(Read(c.text, 1, false, 1).error, result.error) << c.text;
    }
}

// An array declared of elements of one size and read as another would give
// bytes gcc never gives it: the declared size must be the one read, where
// every target agrees on it; a type of the text's own or long is taken as given.
TEST(CArrayReader, ReadsElementsOfTheSizeTheyAreDeclared) {
    const struct {
        const char* text;
        int size;
        bool ok;
    } kCases[] = {
        {"uint16_t a[] = {1};", 1, false},
        {"uint16_t a[] = {1};", 2, true},
        {"static const uint16_t a[] = {1}, b[] = {2};", 4, false},
        {"const unsigned char a[] = {1};", 2, false},
        {"signed char a[] = {1};", 1, true},
        {"unsigned short int a[] = {1};", 2, true},
        {"short a[] = {1};", 4, false},
        {"unsigned a[] = {1};", 4, true},
        {"int a[] = {1};", 2, false},
        {"unsigned long long a[] = {1};", 8, true},
        {"long long int a[] = {1};", 2, false},
        {"int64_t a[] = {1};", 8, true},
        {"uint32_t a[] = {1};", 8, false},
        {"int64_t a[] = {1};", 4, false},
        // The type of an earlier declaration is not this one's.
        {"uint32_t n; unsigned char a[] = {1};", 1, true},
        {"struct s { uint32_t x; }; unsigned char a[] = {1};", 1, true},
        // Sizes that depend on the target, or on the text's own typedefs.
        {"unsigned long a[] = {1};", 4, true},
        {"unsigned long a[] = {1};", 8, true},
        {"typedef unsigned short word; word a[] = {1};", 4, true},
        {"{1, 2}", 4, true},
    };
    for (const auto& c : kCases) {
        const ReadResult result = Read(c.text, c.size);
        EXPECT_EQ(result.ok, c.ok) << c.text << " as " << c.size << ": " << result.error;
        if (!c.ok) {
            EXPECT_NE(result.error.find("declared of"), std::string::npos) << c.text << ": " << result.error;
        }
    }
}

// The zeros of a large array's padding go out in blocks as they are made,
// not all at once.
TEST(CArrayReader, PaddingIsFlushedInBlocks) {
    CArrayReader reader(2, false);
    std::uint64_t flushed = 0;
    std::size_t largest = 0;
    reader.SetFlush([&](std::string& out) {
        largest = std::max(largest, out.size());
        flushed += out.size();
        out.clear();
        return true;
    });
    const std::string text = "uint16_t a[1000000] = {0x0102};";
    std::string out;
    ASSERT_TRUE(reader.Feed(text.data(), text.size(), out) && reader.Finish(out)) << reader.error();
    EXPECT_EQ(flushed + out.size(), 2000000u);
    EXPECT_LE(largest, std::size_t{1} << 17);
    // A flush that fails stops the reading.
    CArrayReader stopped(1, false);
    stopped.SetFlush([](std::string&) { return false; });
    std::string ignored;
    EXPECT_FALSE(stopped.Feed(text.data(), text.size(), ignored));
}

TEST(CArrayName, KeywordsAndReservedNamesAreRefused) {
    CArrayFormat bytes;  // unsigned char: no header
    CArrayFormat words;
    words.element_size = 2;  // uint16_t: <stdint.h>
    for (const char* keyword :
         {"auto", "int", "char", "sizeof", "while", "inline", "restrict", "_Bool", "_Complex", "_Imaginary",
          "_Alignas", "_Alignof", "_Atomic", "_Generic", "_Noreturn", "_Static_assert", "_Thread_local", "alignas",
          "alignof", "bool", "constexpr", "false", "nullptr", "static_assert", "thread_local", "true", "typeof",
          "typeof_unqual", "_BitInt", "_Decimal32", "_Decimal64", "_Decimal128", "asm"}) {
        EXPECT_NE(CArrayNameProblem(keyword, bytes), "") << keyword;
        EXPECT_NE(CArrayNameProblem(keyword, words), "") << keyword;
    }
    for (const char* name : {"uint8_t", "int_least16_t", "uintmax_t", "intptr_t", "INT8_MAX", "UINT64_C",
                             "SIZE_MAX", "WINT_MIN", "int24_t", "UINTPTR_WIDTH"}) {
        EXPECT_EQ(CArrayNameProblem(name, bytes), "") << name;  // no header, no clash
        EXPECT_NE(CArrayNameProblem(name, words), "") << name;
    }
    for (const char* name : {"", "9lives", "a-b", "__int128", "__attribute__", "_Pragma", "_X", "linux", "unix"}) {
        EXPECT_NE(CArrayNameProblem(name, bytes), "") << name;
    }
    for (const char* name : {"data", "_tmp_a_bin", "__1st_bin", "x", "uint8", "INT8", "int8_tt", "Bool", "True"}) {
        EXPECT_EQ(CArrayNameProblem(name, words), "") << name;
    }
}
