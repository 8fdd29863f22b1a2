// Received bytes as text: a character split between reads at every place
// comes out whole, bytes that are no character show as \xHH (never
// dropped), control characters and line ends are written out.
#include <gtest/gtest.h>

#include <string>

#include "codepage/gbk_codec.h"
#include "link/text_view.h"

namespace {

std::string DecodeWhole(TextEncoding encoding, const std::string& bytes) {
    TextView view(encoding);
    const std::string text = view.Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return text + view.Finish();
}

// The bytes read in pieces ending at `cuts`.
std::string DecodeCut(TextEncoding encoding, const std::string& bytes, std::size_t cut1, std::size_t cut2) {
    TextView view(encoding);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::string text = view.Decode(data, cut1);
    text += view.Decode(data + cut1, cut2 - cut1);
    text += view.Decode(data + cut2, bytes.size() - cut2);
    return text + view.Finish();
}

TEST(TextView, ShowsEveryByteVisibly) {
    struct Case {
        TextEncoding encoding;
        std::string bytes;
        const char* text;
    } cases[] = {
        {TextEncoding::kUtf8, "AT\r\n", "AT\\r\\n"},
        {TextEncoding::kUtf8, std::string("\x00\x01\t\x7F\\", 5), "\\x00\\x01\\t\\x7F\\\\"},
        {TextEncoding::kUtf8, "\xE4\xB8\xAD\xE6\x96\x87", "中文"},
        {TextEncoding::kUtf8, "\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!"},
        // Not UTF-8: a stray continuation, a lead followed by ASCII, an
        // overlong form, a surrogate, bytes that start nothing.
        {TextEncoding::kUtf8, "\x80" "A", "\\x80A"},
        {TextEncoding::kUtf8, "\xC3(", "\\xC3("},
        {TextEncoding::kUtf8, "\xC0\xAF", "\\xC0\\xAF"},
        {TextEncoding::kUtf8, "\xED\xA0\x80", "\\xED\\xA0\\x80"},
        {TextEncoding::kUtf8, "\xFF\xFE", "\\xFF\\xFE"},
        // A character cut off by the end of the stream.
        {TextEncoding::kUtf8, "ab\xE4\xB8", "ab\\xE4\\xB8"},
        {TextEncoding::kGbk, "\xD6\xD0\xCE\xC4" "ABC\r\n", "中文ABC\\r\\n"},
        // A lead byte before a line end: the line end is kept, not eaten as
        // the second byte of a pair.
        {TextEncoding::kGbk, "\x81\n", "\\x81\\n"},
        {TextEncoding::kGbk, "\x80", "€"},
        // Windows decodes FF and the user-defined areas to private-use
        // characters, which no font shows: bytes, then.
        {TextEncoding::kGbk, "\xFF", "\\xFF"},
        {TextEncoding::kGbk, "\xAA\xA1" "A", "\\xAA\\xA1A"},
        {TextEncoding::kGbk, "\xFE\xFE", "\\xFE\\xFE"},
        {TextEncoding::kGbk, "\xD6", "\\xD6"},
        {TextEncoding::kGbk, "\x81\x7F", "\\x81\\x7F"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeWhole(c.encoding, c.bytes), c.text) << c.text;
}

// Wherever two reads split the bytes, the text is the same as read whole.
TEST(TextView, ACharacterSplitBetweenReadsComesOutWhole) {
    const struct {
        TextEncoding encoding;
        std::string bytes;
    } streams[] = {
        {TextEncoding::kGbk, "\xD6\xD0\xCE\xC4\r\n\x81\x0A\xB0\xA1\x80\xFF"},
        {TextEncoding::kUtf8, "\xE4\xB8\xAD\xE6\x96\x87\xF0\x9F\x98\x80\r\n\xC3(\xE4\xB8"},
    };
    for (const auto& s : streams) {
        const std::string whole = DecodeWhole(s.encoding, s.bytes);
        for (std::size_t i = 0; i <= s.bytes.size(); ++i) {
            for (std::size_t j = i; j <= s.bytes.size(); ++j) {
                ASSERT_EQ(DecodeCut(s.encoding, s.bytes, i, j), whole) << i << " " << j;
            }
        }
    }
}

TEST(TextView, KeepsAnIncompleteCharacterUntilItsLastByte) {
    TextView gbk(TextEncoding::kGbk);
    const unsigned char lead = 0xD6, rest[] = {0xD0, '\n'};
    EXPECT_EQ(gbk.Decode(&lead, 1), "");
    EXPECT_EQ(gbk.pending(), 1u);
    EXPECT_EQ(gbk.Decode(rest, 2), "中\\n");
    EXPECT_EQ(gbk.pending(), 0u);
}

// Every pair the code page decodes, against the code page's own converter:
// trails 40-7E among them, whose second byte alone would be ASCII ('\\'
// at 5C, which the view would write as an escape).
TEST(TextView, GbkPairsAsTheCodePageDecodesThem) {
    std::string all, expected;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            std::string utf8;
            if (GbkToUtf8(pair, utf8) != 0) continue;  // no character: not this test's
            char32_t cp = 0;
            DecodeUtf8(utf8, 0, cp);
            if (cp >= 0xE000 && cp <= 0xF8FF) continue;  // the user-defined areas: below
            all += pair;
            expected += utf8;
        }
    }
    ASSERT_GT(all.size(), 40000u);
    EXPECT_EQ(DecodeWhole(TextEncoding::kGbk, all), expected);
}

TEST(HexLine, EveryByteExactly) {
    const unsigned char bytes[] = {0x00, 0x0A, 0x0D, 0x7F, 0x80, 0xFF};
    EXPECT_EQ(HexLine(bytes, sizeof bytes), "00 0A 0D 7F 80 FF");
    EXPECT_EQ(HexLine(bytes, 0), "");
}

}  // namespace
