// Checks written as hex digits at the end of text lines, against the
// protocols' own published lines (NMEA 0183's widely quoted sentences, the
// MODBUS over Serial Line document's Modbus ASCII request) and against the
// checks worked out here another way: an XOR and a sum of the characters in
// a loop, a CRC a bit at a time.
#include "workbench/frames/text_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// The NMEA 0183 reference texts' examples, then sentences whose checksum
// this test works out itself.
const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
// The MODBUS over Serial Line document's Modbus ASCII example: 11 03 00 6B 00 03, LRC 7E.
const std::string kModbusAscii = ":1103006B00037E";

std::string Hex(unsigned value, int digits, bool lower = false) {
    char text[16];
    std::snprintf(text, sizeof text, lower ? "%0*x" : "%0*X", digits, value);
    return text;
}

// An NMEA sentence with its checksum: the XOR of the characters between $ and *.
std::string Nmea(const std::string& body) {
    unsigned x = 0;
    for (const char c : body) x ^= static_cast<unsigned char>(c);
    return "$" + body + "*" + Hex(x, 2);
}

// A Modbus ASCII line: the bytes as hex pairs, then the two's complement of their sum.
std::string ModbusAscii(const std::vector<unsigned>& bytes) {
    std::string line = ":";
    unsigned sum = 0;
    for (const unsigned byte : bytes) {
        line += Hex(byte, 2);
        sum += byte;
    }
    return line + Hex((0x100 - (sum & 0xFF)) & 0xFF, 2);
}

// CRC-16/MODBUS a bit at a time: reflected 0x8005, init FFFF.
unsigned Crc16ModbusBitwise(const std::string& text) {
    unsigned crc = 0xFFFF;
    for (const char c : text) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

CheckMethod Method(const std::string& words, TextCheckForm& form) {
    CheckMethod method = CheckMethod::OfSum(kSumChecks[0]);
    std::string note, error;
    EXPECT_TRUE(ReadTextCheck(words, method, form, note, error)) << words << ": " << error;
    return method;
}

TEST(TextCheck, PublishedLinesVerifyAndBuild) {
    TextCheckForm nmea;
    const CheckMethod xor8 = Method("XOR-8 text from=$ to=* hex2", nmea);
    for (const std::string& line : {kGga, kRmc, kRmc + "\r\n", kGga + "\n"}) {
        SCOPED_TRACE(line);
        const TextVerdict verdict = VerifyTextLine(xor8, nmea, line);
        EXPECT_TRUE(verdict.ok) << verdict.problem << verdict.expected;
    }
    // Given up to and including the *, and without it.
    for (const std::string& given : {kRmc.substr(0, kRmc.size() - 2), kRmc.substr(0, kRmc.size() - 3)}) {
        std::string built, why;
        ASSERT_TRUE(BuildTextLine(xor8, nmea, given, built, why)) << why;
        EXPECT_EQ(built, kRmc);
    }
    // A wrong digit: what the text gives and what the line holds.
    const TextVerdict wrong = VerifyTextLine(xor8, nmea, kRmc.substr(0, kRmc.size() - 1) + "B");
    EXPECT_FALSE(wrong.ok);
    EXPECT_EQ(wrong.expected, "6A");
    EXPECT_EQ(wrong.got, "6B");

    TextCheckForm ascii;
    const CheckMethod lrc = Method("SUM-8/TWOS text from=: to=none hex2 pairs crlf", ascii);
    std::string built, why;
    ASSERT_TRUE(BuildTextLine(lrc, ascii, ":1103006B0003", built, why)) << why;
    EXPECT_EQ(built, kModbusAscii + "\r\n");
    EXPECT_TRUE(VerifyTextLine(lrc, ascii, kModbusAscii + "\r\n").ok);
    // crlf asks for the line end; the check is right all the same.
    EXPECT_EQ(VerifyTextLine(lrc, ascii, kModbusAscii).problem, "the line does not end with CR LF");

    // The catalogue's check value of CRC-16/XMODEM, 31C3, in lower case after a comma.
    TextCheckForm vendor;
    const CheckMethod xmodem = Method("CRC-16/XMODEM to=, hex4 lower", vendor);
    ASSERT_TRUE(BuildTextLine(xmodem, vendor, "123456789", built, why)) << why;
    EXPECT_EQ(built, "123456789,31c3");
    // Upper-case digits are another form: they do not verify as lower.
    EXPECT_FALSE(VerifyTextLine(xmodem, vendor, "123456789,31C3").ok);
}

TEST(TextCheck, LinesThatHaveNoSuchParts) {
    TextCheckForm nmea;
    const CheckMethod xor8 = Method("XOR-8 from=$ to=*", nmea);
    const struct {
        std::string line, why;
    } cases[] = {
        {"$*4", "the line is too short for a character of text and the check"},
        {"$A*4", "the line is too short for a character of text and the check"},
        {"GPGGA*47", "the line does not begin with $"},
        {"$GPGGA,47", "the check's digits do not follow *"},
        {"$GPGGA*4G", "the line does not end with 2 hex digits"},
        {"$GPGGA*47\r\r", "the line does not end with 2 hex digits"},
    };
    for (const auto& c : cases) {
        TextLineParts parts;
        std::string why;
        EXPECT_FALSE(SplitTextLine(c.line, nmea, parts, why)) << c.line;
        EXPECT_EQ(why, c.why) << c.line;
    }
    // The shortest line that has them: one character of text. Each line end is taken apart.
    for (const std::string end : {"", "\r\n", "\n", "\r"}) {
        TextLineParts parts;
        std::string why;
        // The parts are views into the line: it outlives them.
        const std::string line = "$A*41" + end;
        ASSERT_TRUE(SplitTextLine(line, nmea, parts, why)) << why;
        EXPECT_EQ(parts.span, "A");
        EXPECT_EQ(parts.written, "41");
        EXPECT_EQ(parts.line_end, end);
    }
    TextCheckForm ascii;
    const CheckMethod lrc = Method("SUM-8/TWOS from=: pairs", ascii);
    for (const std::string line : {":1103006B0007E", ":11G3006B00037E"}) {
        TextLineParts parts;
        std::string why;
        EXPECT_FALSE(SplitTextLine(line, ascii, parts, why)) << line;
        EXPECT_EQ(why, "the text before the check is not hex pairs");
    }
    std::string built, why;
    EXPECT_FALSE(BuildTextLine(lrc, ascii, ":110", built, why));
    EXPECT_FALSE(BuildTextLine(xor8, nmea, "GPGGA,1*", built, why));
    EXPECT_EQ(why, "the line does not begin with $");
}

TEST(TextCheck, WordsReadBackAsWritten) {
    for (const std::string words :
         {"XOR-8 text from=$ to=* hex2", "SUM-8/TWOS text from=: to=none hex2 pairs crlf",
          "CRC-16/MODBUS text from=line to=, hex4 lower", "CRC-32/ISO-HDLC text from=! to=; hex8",
          "SUM-8 text from=line to=none hex2 lower pairs"}) {
        TextCheckForm form;
        const CheckMethod method = Method(words, form);
        EXPECT_EQ(TextCheckWords(method, form), words);
    }
    const struct {
        std::string words, error;
    } wrong[] = {
        {"XOR-8 hex4", "XOR-8 is 8 bits wide: write it as hex2"},
        {"CRC-16/MODBUS hex2", "CRC-16/MODBUS is 16 bits wide: write it as hex4"},
        {"CRC-5/USB", "CRC-5/USB is 5 bits wide: a text check is 8, 16 or 32 bits"},
        {"text hex2", "the words name no check before the form (XOR-8 text from=$ to=* hex2)"},
        {"XOR-8 to=**", "'to=**' takes one character or none"},
        {"XOR-8 hex2 upper", "'upper' is no word of a text check (text, from=C, to=C, hex2, hex4, hex8, lower, "
                             "pairs, crlf)"},
    };
    for (const auto& c : wrong) {
        CheckMethod method = CheckMethod::OfSum(kSumChecks[0]);
        TextCheckForm form;
        std::string note, error;
        EXPECT_FALSE(ReadTextCheck(c.words, method, form, note, error)) << c.words;
        EXPECT_EQ(error, c.error);
    }
}

std::vector<std::string> Names(const TextSearchResult& result) {
    std::vector<std::string> names;
    for (const TextMatch& match : result.matches) names.push_back(TextCheckWords(match.method, match.form));
    return names;
}

TEST(TextCheckSearch, NamesTheCheckOfEachProtocol) {
    const std::vector<std::string> nmea = {kGga, kRmc, Nmea("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"),
                                           Nmea("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K")};
    TextSearchResult result = SearchTextLines(nmea, false);
    ASSERT_FALSE(result.matches.empty());
    EXPECT_EQ(Names(result).front(), "XOR-8 text from=$ to=* hex2");
    EXPECT_LT(result.matches.front().chance, 1e-4);
    EXPECT_EQ(result.matches.front().lines, 4u);
    // The same line twice is one line's evidence.
    result = SearchTextLines({kGga, kGga, kRmc, kRmc}, false);
    EXPECT_TRUE(result.matches.empty());
    ASSERT_FALSE(result.weak.empty());
    EXPECT_EQ(result.weak.front().lines, 2u);

    const std::vector<std::string> ascii = {kModbusAscii + "\r\n", ModbusAscii({0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}) + "\r\n",
                                            ModbusAscii({0x01, 0x06, 0x00, 0x01, 0x00, 0x03}) + "\r\n",
                                            ModbusAscii({0x0F, 0x10, 0x00, 0x13, 0x00, 0x0A, 0x02, 0xCD, 0x01}) + "\r\n"};
    result = SearchTextLines(ascii, false);
    EXPECT_EQ(Names(result), std::vector<std::string>{"SUM-8/TWOS text from=: to=none hex2 pairs crlf"});

    // A vendor's CRC-16 after a comma, lines beginning differently, in lower case.
    std::vector<std::string> vendor;
    for (const std::string body : {"T,21.5,OK", "H,48,OK", "P,1013.2,LOW", "T,-3.0,OK"})
        vendor.push_back(body + "," + Hex(Crc16ModbusBitwise(body), 4, true) + "\n");
    result = SearchTextLines(vendor, false);
    ASSERT_FALSE(result.matches.empty());
    EXPECT_EQ(Names(result).front(), "CRC-16/MODBUS text from=line to=, hex4 lower");
}

// Random printable lines that end with two random hex digits (after a * or
// not) hold a check now and then by luck; none is borne out.
TEST(TextCheckSearch, RandomLinesNameNothing) {
    std::size_t lucky = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        std::vector<std::string> lines(seed % 3 == 0 ? 1 : 2 + random() % 5);
        const bool nmea_like = seed % 2 == 0;
        for (std::string& line : lines) {
            line = nmea_like ? "$" : "";
            const std::size_t length = 1 + random() % 40;
            for (std::size_t i = 0; i < length; ++i) line += static_cast<char>(' ' + random() % 95);
            line += (nmea_like ? "*" : "") + Hex(random() % 256, 2, random() % 2 == 0);
        }
        SCOPED_TRACE("seed " + std::to_string(seed));
        const TextSearchResult result = SearchTextLines(lines, false);
        EXPECT_TRUE(result.matches.empty()) << Names(result).front();
        lucky += result.weak.size();
    }
    // Luck does hold checks on so few lines: the search tried them.
    EXPECT_GT(lucky, 0u);
}

}  // namespace
