// The C array writer and reader: the text they agree on, streamed in pieces
// of any size, and the reader's judgement of C it did not write.
#include <gtest/gtest.h>

#include <algorithm>
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
        "static const uint8_t x[4] = { // the first\n 1, /* two */ 2,\n { 3, 4 }, };\n"
        "const unsigned int x_len = 4;\n{ garbage after the array";
    EXPECT_EQ(Read(declared).bytes, Bytes({1, 2, 3, 4}));
    // The numbers alone, with or without a trailing comma.
    EXPECT_EQ(Read(" 1, 2,\n3,").bytes, Bytes({1, 2, 3}));
    EXPECT_EQ(Read("/* lead */ 'x'").bytes, "x");
    EXPECT_EQ(Read("int a[] = {};").bytes, "");
    EXPECT_EQ(Read("{1,2}").bytes, Read("{1,2}", 1, false, 1).bytes);
    // A slash that starts no comment is an error, at the end too.
    EXPECT_EQ(Read("{1 / 2}").error, "line 1: '/' is not part of a number");
}

TEST(CArrayReader, ErrorsNameTheirLine) {
    const struct {
        const char* text;
        int size;
        const char* error;
    } kCases[] = {
        {"{1,\n2,\nfoo}", 1, "line 3: 'foo' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{1,\n256}", 1, "line 2: '256' does not fit in 1 byte (0 to 255, or -128 to -1)"},
        {"{-129}", 1, "line 1: '-129' does not fit in 1 byte (0 to 255, or -128 to -1)"},
        {"{65536}", 2, "line 1: '65536' does not fit in 2 bytes (0 to 65535, or -32768 to -1)"},
        {"{1 2}", 1, "line 1: '2' follows the number before it without a comma"},
        {"{1,,2}", 1, "line 1: ',' with no number before it"},
        {"{1;2}", 1, "line 1: ';' is not part of a number"},
        {"{08}", 1, "line 1: '08' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{0x}", 1, "line 1: '0x' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{1.5}", 1, "line 1: '1.5' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{1uu}", 1, "line 1: '1uu' is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)"},
        {"{18446744073709551616}", 8, "line 1: '18446744073709551616' is larger than 64 bits"},
        {"{'ab'}", 1, "line 1: ''ab'' is not a character literal of one byte"},
        {"{'\\x100'}", 1, "line 1: ''\\x100'' is not a character literal of one byte"},
        {"{'a\n'}", 1, "line 1: ''a' is not closed on its line"},
        {"{1,\n2", 1, "line 1: the '{' here is never closed"},
        {"{1 /* open\n", 1, "line 1: the comment that opens here is never closed"},
        {"1, 2}", 1, "line 1: '}' closes no '{' (the numbers started without one)"},
        {"", 1, "no numbers: the text is empty or holds only comments"},
        {"int x;", 1, "no '{' opens an initialiser, and the text does not start with a number"},
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
    EXPECT_EQ(long_word.error.substr(0, 9), "line 1: '");
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
