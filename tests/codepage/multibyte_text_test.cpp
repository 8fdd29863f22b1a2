// The case and reversal walks against oracles written another way: the C
// library's GBK converter and wide-character case mapping for every
// double-byte character, and a character list for reversal.
#include "codepage/multibyte_text.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "support/gbk.h"
#include "support/random_text.h"

namespace {

std::string Bytes(std::initializer_list<unsigned> bytes) {
    std::string out;
    for (unsigned byte : bytes) out += static_cast<char>(byte);
    return out;
}

std::string Upper(std::string text, const TextCodePage& page = GbkCodePage()) {
    MultibyteUpper(&text[0], text.size(), page);
    return text;
}

std::string Lower(std::string text, const TextCodePage& page = GbkCodePage()) {
    MultibyteLower(&text[0], text.size(), page);
    return text;
}

std::string Reverse(std::string text, const TextCodePage& page = GbkCodePage()) {
    MultibyteReverse(&text[0], text.size(), page);
    return text;
}

// --- Case of double-byte characters: every pair against the C library ---

// Converts with iconv; false when the converter rejects any of the input.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string source = in;
    std::vector<char> target(in.size() * 4 + 8);
    char* src = &source[0];
    size_t src_left = source.size();
    char* dst = target.data();
    size_t dst_left = target.size();
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || src_left != 0) return false;
    out.assign(target.data(), target.size() - dst_left);
    return true;
}

// The pair mapped by way of Unicode: decoded by iconv, cased by towupper_l
// or towlower_l, encoded back; the pair itself when any step has no answer.
std::string PairByWideCase(const std::string& pair, locale_t locale, bool upper) {
    std::string wide;
    if (!Convert("WCHAR_T", "GBK", pair, wide) || wide.size() != sizeof(wchar_t)) return pair;
    wchar_t ch;
    std::copy(wide.begin(), wide.end(), reinterpret_cast<char*>(&ch));
    const wchar_t mapped = static_cast<wchar_t>(upper ? towupper_l(static_cast<wint_t>(ch), locale)
                                                      : towlower_l(static_cast<wint_t>(ch), locale));
    std::string back(reinterpret_cast<const char*>(&mapped), sizeof mapped);
    std::string gbk;
    if (!Convert("GBK", "WCHAR_T", back, gbk) || gbk.size() != 2) return pair;
    return gbk;
}

class UnicodeLocale : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"C.UTF-8", "C.utf8", "zh_CN.UTF-8", "en_US.UTF-8"}) {
            locale_ = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0));
            if (locale_) return;
        }
        GTEST_SKIP() << "no UTF-8 locale for the wide-character case oracle";
    }
    void TearDown() override {
        if (locale_) freelocale(locale_);
    }
    locale_t locale_ = static_cast<locale_t>(0);
};

TEST_F(UnicodeLocale, EveryDoubleByteCharacterCasesLikeTheCLibrary) {
    int upper_changes = 0, lower_changes = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string pair = Bytes({lead, trail});
            const std::string upper = Upper(pair);
            const std::string lower = Lower(pair);
            ASSERT_EQ(upper, PairByWideCase(pair, locale_, true)) << std::hex << lead << trail;
            ASSERT_EQ(lower, PairByWideCase(pair, locale_, false)) << std::hex << lead << trail;
            upper_changes += upper != pair;
            lower_changes += lower != pair;
        }
    }
    // Roman numerals i-x, full-width a-z, Greek, Cyrillic: 10 + 26 + 24 + 33.
    EXPECT_EQ(upper_changes, 93);
    EXPECT_EQ(lower_changes, 93);
}

// The four ranges as published for GBK, first and last letter of each.
TEST(DoubleByteCase, PublishedRangesChangeBothWays) {
    const struct {
        unsigned small, capital;
    } ends[] = {
        {0xA2A1, 0xA2F1}, {0xA2AA, 0xA2FA},  // small Roman numerals
        {0xA3E1, 0xA3C1}, {0xA3FA, 0xA3DA},  // full-width Latin
        {0xA6C1, 0xA6A1}, {0xA6D8, 0xA6B8},  // Greek
        {0xA7D1, 0xA7A1}, {0xA7F1, 0xA7C1},  // Cyrillic
    };
    for (const auto& e : ends) {
        const std::string small = Bytes({e.small >> 8, e.small & 0xFF});
        const std::string capital = Bytes({e.capital >> 8, e.capital & 0xFF});
        EXPECT_EQ(Upper(small), capital) << std::hex << e.small;
        EXPECT_EQ(Lower(capital), small) << std::hex << e.capital;
        EXPECT_EQ(Upper(capital), capital) << std::hex << e.capital;
        EXPECT_EQ(Lower(small), small) << std::hex << e.small;
    }
}

// Counterparts the code page lacks: the character stays as it is.
TEST(DoubleByteCase, CharactersWithoutACounterpartStay) {
    const std::string pinyin = Gbk("āáǎàōéěèīíǐìūúǔùǖǘǚǜüê");
    EXPECT_EQ(Upper(pinyin), pinyin);
    const std::string roman_eleven_twelve = Bytes({0xA2, 0xFB, 0xA2, 0xFC});
    EXPECT_EQ(Lower(roman_eleven_twelve), roman_eleven_twelve);
    EXPECT_EQ(Upper(Gbk("中文，。！")), Gbk("中文，。！"));
}

// --- The walk over the text ---

TEST(CaseWalk, AsciiLettersChangeAndNothingElse) {
    EXPECT_EQ(Upper(Gbk("abc中文xyz")), Gbk("ABC中文XYZ"));
    EXPECT_EQ(Lower(Gbk("ABC中文XYZ")), Gbk("abc中文xyz"));
    std::string all_low;
    for (unsigned byte = 1; byte < 0x80; ++byte) all_low += static_cast<char>(byte);
    std::string expected_upper = all_low, expected_lower = all_low;
    for (char& c : expected_upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : expected_lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Upper(all_low), expected_upper);
    EXPECT_EQ(Lower(all_low), expected_lower);
    EXPECT_EQ(Upper(""), "");
}

// A trail byte may look like a letter; it belongs to its character.
TEST(CaseWalk, TrailBytesAreNeverCasedOnTheirOwn) {
    EXPECT_EQ(Upper(Bytes({0x81, 'a', 'b'})), Bytes({0x81, 'a', 'B'}));
    EXPECT_EQ(Lower(Bytes({0x81, 'A', 'B'})), Bytes({0x81, 'A', 'b'}));
    EXPECT_EQ(Upper(Bytes({0xFE, 'z', 0xB0, 'q', 'x'})), Bytes({0xFE, 'z', 0xB0, 'q', 'X'}));
}

// 80 and FF are characters of one byte, not lead bytes.
TEST(CaseWalk, BytesEightyAndFfStandAlone) {
    EXPECT_EQ(Upper(Bytes({0x80, 'a', 0xFF, 'b'})), Bytes({0x80, 'A', 0xFF, 'B'}));
    EXPECT_EQ(Lower(Bytes({0xFF, 'A'})), Bytes({0xFF, 'a'}));
}

TEST(CaseWalk, UndecodablePairStopsTheWalk) {
    // Trail 7F, a trail below 40 and FF are no characters of the code page.
    for (unsigned bad_trail : {0x7Fu, 0x30u, 0x0Du, 0xFFu}) {
        const std::string text = Bytes({'a', 0xA3, 0xE1, 0x81, bad_trail, 'b', 0xA3, 0xE2});
        EXPECT_EQ(Upper(text), Bytes({'A', 0xA3, 0xC1, 0x81, bad_trail, 'b', 0xA3, 0xE2})) << bad_trail;
    }
    EXPECT_EQ(Lower(Bytes({'A', 0xFE, 0x39, 'B'})), Bytes({'a', 0xFE, 0x39, 'B'}));
}

TEST(CaseWalk, LeadByteAtTheEndStays) {
    EXPECT_EQ(Upper(Bytes({0x61, 0x62, 0xB0})), Bytes({0x41, 0x42, 0xB0}));
    EXPECT_EQ(Lower(Bytes({0xA6, 0xA1, 0xA6})), Bytes({0xA6, 0xC1, 0xA6}));
}

// The private use pairs decode under the code page, so they do not stop the walk.
TEST(CaseWalk, PrivateUsePairsDecodeAndStay) {
    EXPECT_EQ(Upper(Bytes({0xAA, 0xA1, 'a'})), Bytes({0xAA, 0xA1, 'A'}));
    EXPECT_EQ(Upper(Bytes({0xFE, 0xFE, 'a'})), Bytes({0xFE, 0xFE, 'A'}));
}

// --- Reversal, against the characters listed and put in reverse order ---

// The characters from the left: a lead byte takes the byte after it, if any.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned byte = static_cast<unsigned char>(text[i]);
        const std::size_t size = byte >= 0x81 && byte <= 0xFE && i + 1 < text.size() ? 2 : 1;
        characters.push_back(text.substr(i, size));
        i += size;
    }
    return characters;
}

std::string ReverseByCharacterList(const std::string& text) {
    const std::vector<std::string> characters = Characters(text);
    std::string out;
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) out += *it;
    return out;
}

bool EndsInLoneLead(const std::string& text) {
    if (text.empty()) return false;
    const std::string last = Characters(text).back();
    const unsigned byte = static_cast<unsigned char>(last[0]);
    return last.size() == 1 && byte >= 0x81 && byte <= 0xFE;
}

TEST(Reversal, KeepsDoubleByteCharactersWhole) {
    EXPECT_EQ(Reverse(Gbk("ab中")), Gbk("中ba"));
    EXPECT_EQ(Reverse(Gbk("ab中")), Bytes({0xD6, 0xD0, 0x62, 0x61}));
    EXPECT_EQ(Reverse(""), "");
    EXPECT_EQ(Reverse("a"), "a");
    EXPECT_EQ(Reverse(Gbk("中")), Gbk("中"));
    EXPECT_EQ(Reverse("ab\r\ncd"), Bytes({0x64, 0x63, 0x0A, 0x0D, 0x62, 0x61}));
    EXPECT_EQ(Reverse(Gbk("丂x")), Bytes({'x', 0x81, 0x40}));  // a trail below 80
}

TEST(Reversal, LeadAndWhateverFollowsFormOneCharacter) {
    EXPECT_EQ(Reverse(Bytes({0x61, 0x62, 0xB0})), Bytes({0xB0, 0x62, 0x61}));
    EXPECT_EQ(Reverse(Bytes({'a', 0x81, 0x30, 'b'})), Bytes({'b', 0x81, 0x30, 'a'}));
    EXPECT_EQ(Reverse(Bytes({0x80, 0xFF, 0xB0, 0xA1})), Bytes({0xB0, 0xA1, 0xFF, 0x80}));
}

TEST(Reversal, RandomTextsMatchTheCharacterListAndReverseBack) {
    std::mt19937 random(20480);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = RandomText(random, 40);
        const std::string reversed = Reverse(text);
        ASSERT_EQ(reversed, ReverseByCharacterList(text));
        ASSERT_EQ(reversed.size(), text.size());
        // A lead byte standing alone at the end would pair with the next
        // byte once it comes first; otherwise twice gives the text back.
        if (!EndsInLoneLead(text)) {
            ASSERT_EQ(Reverse(reversed), text);
        }
    }
    for (const char* utf8 : {"abc中文xyz", "ｚ\r\nα丂", ""}) {
        EXPECT_EQ(Reverse(Reverse(Gbk(utf8))), Gbk(utf8));
    }
}

// --- A single-byte code page: Windows-1252's letters ---

TextCodePage Windows1252Like() {
    TextCodePage page;
    for (unsigned byte = 0; byte < 256; ++byte) {
        page.to_upper[byte] = page.to_lower[byte] = static_cast<unsigned char>(byte);
    }
    for (unsigned small = 'a'; small <= 'z'; ++small) {
        page.to_upper[small] = static_cast<unsigned char>(small - 0x20);
        page.to_lower[small - 0x20] = static_cast<unsigned char>(small);
    }
    for (unsigned small = 0xE0; small <= 0xFE; ++small) {
        if (small == 0xF7) continue;  // the division sign
        page.to_upper[small] = static_cast<unsigned char>(small - 0x20);
        page.to_lower[small - 0x20] = static_cast<unsigned char>(small);
    }
    page.to_upper[0xFF] = 0x9F;  // y with diaeresis
    page.to_lower[0x9F] = 0xFF;
    return page;
}

TEST(SingleBytePage, LettersOfThePageChangeAndNoByteLeads) {
    const TextCodePage page = Windows1252Like();
    EXPECT_EQ(Upper("caf\xE9", page), "CAF\xC9");
    EXPECT_EQ(Lower("CAF\xC9\x9F", page), "caf\xE9\xFF");
    EXPECT_EQ(Upper("\xF7\xDF", page), "\xF7\xDF");  // division sign, sharp s
    // 81 is not a lead byte here: nothing pairs, nothing stops.
    EXPECT_EQ(Upper("\x81" "a\xB0", page), "\x81" "A\xB0");
    EXPECT_EQ(Upper("ab\xB0", page), "AB\xB0");
}

TEST(SingleBytePage, ReversalIsBytewise) {
    const TextCodePage page = Windows1252Like();
    EXPECT_EQ(Reverse(Bytes({'a', 0xE9, 0xD6, 0xD0}), page), Bytes({0xD0, 0xD6, 0xE9, 'a'}));
    EXPECT_EQ(Reverse("ab\r\n", page), "\n\rba");
}

}  // namespace
