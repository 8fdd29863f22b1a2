// The GBK codec against published code page 936 values, Python's and the C
// library's GBK decoders, and its own inverse.
#include "codepage/gbk_codec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <set>
#include <string>

namespace {

// Code point of one UTF-8 sequence of one to three bytes; -1 for anything else.
long CodePointOf(const std::string& utf8) {
    const auto b = [&](std::size_t i) { return static_cast<long>(static_cast<unsigned char>(utf8[i])); };
    if (utf8.size() == 1 && b(0) < 0x80) return b(0);
    if (utf8.size() == 2 && (b(0) & 0xE0) == 0xC0) return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    if (utf8.size() == 3 && (b(0) & 0xF0) == 0xE0) return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    return -1;
}

std::string Bytes(std::initializer_list<unsigned> bytes) {
    std::string out;
    for (unsigned byte : bytes) out += static_cast<char>(byte);
    return out;
}

std::string Pair(unsigned lead, unsigned trail) { return Bytes({lead, trail}); }

bool IsTrailByte(unsigned byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

long DecodeOne(const std::string& gbk) {
    std::string utf8;
    if (GbkToUtf8(gbk, utf8) != 0) return -1;
    return CodePointOf(utf8);
}

std::string EncodeOk(const std::string& utf8) {
    std::string gbk;
    std::size_t offset = 0;
    EXPECT_EQ(Utf8ToGbk(utf8, gbk, offset), Utf8ToGbkResult::Ok) << utf8;
    return gbk;
}

struct Rejection {
    Utf8ToGbkResult result;
    std::size_t offset;
    std::string converted_before;
};

Rejection Encode(const std::string& utf8) {
    Rejection r{Utf8ToGbkResult::Ok, 9999, ""};
    r.result = Utf8ToGbk(utf8, r.converted_before, r.offset);
    return r;
}

// The code point the C library's GBK decoder gives for a pair; -1 if it rejects it.
long IconvDecode(const std::string& pair) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return -2;
    std::string in = pair;
    char out[8];
    char* src = &in[0];
    std::size_t src_left = in.size();
    char* dst = out;
    std::size_t dst_left = sizeof out;
    const std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return -1;
    return CodePointOf(std::string(out, sizeof out - dst_left));
}

struct PythonSample {
    unsigned lead, trail, code_point;
};
#include "gbk_python_samples.inc"
const PythonSample kPythonSamples[] = {GBK_PYTHON_SAMPLES};

constexpr std::uint32_t kFnvOffset = 0x811C9DC5u;
constexpr std::uint32_t kFnvPrime = 0x01000193u;

}  // namespace

// Values from the published GB 2312 / GBK charts and Windows code page 936.
TEST(GbkDecode, PublishedCharacters) {
    const struct {
        std::string gbk;
        long code_point;
    } cases[] = {
        {Pair(0xD6, 0xD0), 0x4E2D},  // 中
        {Pair(0xC4, 0xE3), 0x4F60},  // 你
        {Pair(0xBA, 0xC3), 0x597D},  // 好
        {Pair(0xB0, 0xA1), 0x554A},  // 啊, the first GB 2312 hanzi
        {Pair(0xF7, 0xFE), 0x9F44},  // 齄, the last GB 2312 hanzi
        {Pair(0x81, 0x40), 0x4E02},  // 丂, the first GBK extension pair
        {Pair(0xA1, 0xA1), 0x3000},  // ideographic space
        {Pair(0xA1, 0xA3), 0x3002},  // 。
        {Pair(0xA3, 0xC1), 0xFF21},  // full-width A
        {Pair(0xA6, 0xC1), 0x03B1},  // α
        {Pair(0xA7, 0xA1), 0x0410},  // Cyrillic А
        {Bytes({0x80}), 0x20AC},     // Windows puts the euro sign on the single byte 80
        {Bytes({0xFF}), 0xF8F5},     // and a private use character on FF
        {Pair(0xAA, 0xA1), 0xE000},  // user-defined area AAA1-AFFE starts the private use area
        {Pair(0xFE, 0xFE), 0xE4C5},  // user-defined area F8A1-FEFE ends at E4C5
        {Pair(0xA1, 0x40), 0xE4C6},  // user-defined area A140-A7A0 follows it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeOne(c.gbk), c.code_point) << std::hex << c.code_point;
        EXPECT_EQ(EncodeOk([&] {
                      std::string utf8;
                      GbkToUtf8(c.gbk, utf8);
                      return utf8;
                  }()),
                  c.gbk);
    }
    EXPECT_EQ(EncodeOk("你好中"), Bytes({0xC4, 0xE3, 0xBA, 0xC3, 0xD6, 0xD0}));
    EXPECT_EQ(EncodeOk("€"), Bytes({0x80}));
}

TEST(GbkDecode, AsciiAndControlBytesAreThemselves) {
    std::string all_ascii;
    for (int byte = 0; byte < 0x80; ++byte) all_ascii += static_cast<char>(byte);
    std::string utf8;
    EXPECT_EQ(GbkToUtf8(all_ascii, utf8), 0u);
    EXPECT_EQ(utf8, all_ascii);
    EXPECT_EQ(EncodeOk(all_ascii), all_ascii);
    EXPECT_EQ(EncodeOk("a\r\n\tb"), "a\r\n\tb");
}

// Every pair of lead 81-FE and trail 40-7E, 80-FE decodes, to a code point no
// other sequence has, and encodes back to itself.
TEST(GbkDecode, EveryPairRoundTrips) {
    std::set<long> seen = {0x20AC, 0xF8F5};
    int pairs = 0, private_use = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (!IsTrailByte(trail)) continue;
            const std::string gbk = Pair(lead, trail);
            std::string utf8;
            ASSERT_EQ(GbkToUtf8(gbk, utf8), 0u) << std::hex << lead << trail;
            const long cp = CodePointOf(utf8);
            ASSERT_GE(cp, 0x80) << std::hex << lead << trail;
            EXPECT_TRUE(seen.insert(cp).second) << std::hex << cp;
            ++pairs;
            if (cp >= 0xE000 && cp <= 0xF8FF) ++private_use;
            std::string back;
            std::size_t offset = 0;
            ASSERT_EQ(Utf8ToGbk(utf8, back, offset), Utf8ToGbkResult::Ok);
            EXPECT_EQ(back, gbk);
        }
    }
    EXPECT_EQ(pairs, 126 * 190);
    EXPECT_EQ(private_use, 2149);
}

TEST(GbkDecode, AgreesWithPythonsGbkCodec) {
    ASSERT_GT(sizeof kPythonSamples / sizeof kPythonSamples[0], 200u);
    for (const PythonSample& s : kPythonSamples) {
        EXPECT_EQ(DecodeOne(Pair(s.lead, s.trail)), static_cast<long>(s.code_point))
            << std::hex << s.lead << s.trail;
    }
    // All pairs outside the private use area, digested as the fixture's generator did.
    std::uint32_t digest = kFnvOffset;
    int count = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (!IsTrailByte(trail)) continue;
            const long cp = DecodeOne(Pair(lead, trail));
            if (cp >= 0xE000 && cp <= 0xF8FF) continue;
            for (unsigned part : {lead, trail, static_cast<unsigned>(cp >> 8), static_cast<unsigned>(cp & 0xFF)}) {
                digest = (digest ^ part) * kFnvPrime;
            }
            ++count;
        }
    }
    EXPECT_EQ(count, GBK_PYTHON_PAIR_COUNT);
    EXPECT_EQ(digest, GBK_PYTHON_PAIR_DIGEST);
}

TEST(GbkDecode, AgreesWithTheCLibrarysGbk) {
    if (IconvDecode(Pair(0xD6, 0xD0)) == -2) GTEST_SKIP() << "no GBK converter in the C library";
    int compared = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (!IsTrailByte(trail)) continue;
            const long cp = DecodeOne(Pair(lead, trail));
            if (cp >= 0xE000 && cp <= 0xF8FF) continue;  // the C library rejects the user-defined areas
            EXPECT_EQ(IconvDecode(Pair(lead, trail)), cp) << std::hex << lead << trail;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 126 * 190 - 2149);
}

TEST(GbkDecode, UndecodableBytesBecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    const struct {
        std::string gbk;
        std::size_t replaced;
        std::string utf8;
    } cases[] = {
        {"", 0, ""},
        {Bytes({0xD6}), 1, fffd},                                  // lead byte at the end
        {"a" + Bytes({0xD6, 0xD0, 0xD6}), 1, "a中" + fffd},        // after a whole pair
        {Bytes({0x81, 0x7F}), 1, fffd + "\x7F"},                   // 7F is never a trail byte
        {Bytes({0x81, 0x3F}) + "\r\n", 1, fffd + "?\r\n"},         // ASCII after a lead byte stays
        {Bytes({0xD6, 0x0D, 0x0A}), 1, fffd + "\r\n"},             // and so does a line break
        {Bytes({0xFE, 0xFF}), 1, fffd + "\xEF\xA3\xB5"},           // FF is a character of its own
        {Bytes({0x81, 0x81, 0x81}), 1, "\xE4\xBA\x96" + fffd},     // pairs from the left: 8181 (U+4E96) then 81
        {Bytes({0xD6}) + "\t" + Pair(0xD6, 0xD0) + "x" + Bytes({0xC4}), 2, fffd + "\t中x" + fffd},
    };
    for (const auto& c : cases) {
        std::string utf8;
        EXPECT_EQ(GbkToUtf8(c.gbk, utf8), c.replaced) << c.utf8;
        EXPECT_EQ(utf8, c.utf8);
    }
}

TEST(GbkEncode, InvalidUtf8IsRejectedAtItsFirstByte) {
    const struct {
        std::string utf8;
        std::size_t offset;
        std::string converted_before;
    } cases[] = {
        {"ab\x80", 2, "ab"},                        // a continuation byte on its own
        {"\xC0\x80", 0, ""},                        // overlong NUL
        {"x\xC1\xBF", 1, "x"},                      // overlong 7F
        {"中\xE0\x80\xAF", 3, Pair(0xD6, 0xD0)},   // overlong '/' in three bytes
        {"\xF0\x8F\xBF\xBF", 0, ""},                // overlong U+FFFF in four bytes
        {"a\xED\xA0\x80", 1, "a"},                  // high surrogate
        {"\xED\xBF\xBF", 0, ""},                    // low surrogate
        {"\xF4\x90\x80\x80", 0, ""},                // U+110000
        {"\xF5\x80\x80\x80", 0, ""},                // lead byte beyond Unicode
        {"\xFF", 0, ""},
        {"abc\xE4\xB8", 3, "abc"},                  // truncated at the end
        {"\xE4\xB8" "A", 0, ""},                    // truncated before ASCII
        {"\xE4" "\xB8\xAD\xE4", 3, Pair(0xD6, 0xD0)},
    };
    for (const auto& c : cases) {
        const Rejection r = Encode(c.utf8);
        EXPECT_EQ(r.result, Utf8ToGbkResult::InvalidUtf8) << c.offset;
        EXPECT_EQ(r.offset, c.offset);
        EXPECT_EQ(r.converted_before, c.converted_before);
    }
}

TEST(GbkEncode, CharactersOutsideTheCodePageAreRejected) {
    const struct {
        std::string utf8;
        std::size_t offset;
    } cases[] = {
        {"\xC2\x80", 0},          // U+0080: Windows maps it to no byte
        {"ok 가", 3},             // Hangul syllables are not in GBK
        {"中\xF0\x9F\x98\x80", 3},  // U+1F600, outside the BMP
        {"\xF4\x8F\xBF\xBF", 0},  // U+10FFFF, the last code point: valid, not representable
    };
    for (const auto& c : cases) {
        const Rejection r = Encode(c.utf8);
        EXPECT_EQ(r.result, Utf8ToGbkResult::NotRepresentable) << c.offset;
        EXPECT_EQ(r.offset, c.offset);
    }
    // The largest valid forms of each length are accepted as UTF-8.
    EXPECT_EQ(EncodeOk("\x7F"), "\x7F");
    EXPECT_EQ(Encode("\xDF\xBF").result, Utf8ToGbkResult::NotRepresentable);  // U+07FF
    EXPECT_EQ(Encode("\xEF\xBF\xBF").result, Utf8ToGbkResult::NotRepresentable);  // U+FFFF
}
