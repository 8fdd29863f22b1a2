// The MD5 engine against the test suite of RFC 1321 and against digests
// computed by Python's hashlib and pasted here: the block-boundary lengths,
// and the same messages fed in pieces split anywhere.
#include "core/md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The bytes (7 i + 3) mod 256: every value, no repeating block.
Bytes Pattern(std::size_t n) {
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(7 * i + 3);
    return bytes;
}

std::string Hex(const unsigned char (&digest)[MD5_DIGEST_SIZE]) {
    std::string hex;
    char two[3];
    for (unsigned char b : digest) {
        std::snprintf(two, sizeof two, "%02X", static_cast<unsigned>(b));
        hex += two;
    }
    return hex;
}

// Feeds `data` in pieces that end at each of `cuts` (ascending).
std::string Digest(const Bytes& data, const std::vector<std::size_t>& cuts = {}) {
    MD5Context context;
    MD5Init(&context);
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        MD5Update(&context, data.data() + from, static_cast<std::uint32_t>(cut - from));
        from = cut;
    }
    MD5Update(&context, data.data() + from, static_cast<std::uint32_t>(data.size() - from));
    unsigned char digest[MD5_DIGEST_SIZE];
    MD5Final(digest, &context);
    return Hex(digest);
}

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(Digest(Text("")), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(Digest(Text("a")), "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(Digest(Text("abc")), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(Digest(Text("message digest")), "F96B697D7CB7938D525A2F31AAF161D0");
    EXPECT_EQ(Digest(Text("abcdefghijklmnopqrstuvwxyz")), "C3FCD3D76192E4007DFB496CCA67E13B");
    EXPECT_EQ(Digest(Text("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")),
              "D174AB98D277D9F5A5611C2C9F419D9F");
    EXPECT_EQ(Digest(Text("1234567890123456789012345678901234567890"
                          "1234567890123456789012345678901234567890")),
              "57EDF4A22BE3C955AC49DA2E2107B67A");
}

TEST(Md5, OtherKnownMessages) {
    EXPECT_EQ(Digest(Text("123456789")), "25F9E794323B453885F5181F1B624D0B");
    EXPECT_EQ(Digest({0xD6, 0xD0}), "5301DA37E5FFCA1823A5CEF67488D4BF");
    EXPECT_EQ(Digest(Text("A\r\nB")), "2F55AADE65656FBCF1942AB77DCE28C5");
    EXPECT_EQ(Digest({0x00}), "93B885ADFE0DA089CDF634904FD59F71");
}

// 0-55 bytes in the last block end in one final block, 56-63 in two.
struct BoundaryCase {
    std::size_t length;
    const char* letters_a;  // the letter a, `length` times
    const char* pattern;    // Pattern(length)
};
const BoundaryCase kBoundaries[] = {
    {55, "EF1772B6DFF9A122358552954AD0DF65", "52C0E574E1198DE5FE3F8F11440DCB1B"},
    {56, "3B0C8AC703F828B04C6C197006D17218", "46C9907FC908EE68B1E7B8E71286A518"},
    {57, "652B906D60AF96844EBD21B674F35E93", "1C805DD236C35CAB25FCB1BC73802C51"},
    {63, "B06521F39153D618550606BE297466D5", "A62F6D59E837867693F042F5B8F5A236"},
    {64, "014842D480B571495A4A0363793F7367", "7160B8FB5E9E4023D549C3971FBAEEAD"},
    {65, "C743A45E0D2E6A95CB859ADAE0248435", "70BD662E7AEFBDA85A0F7244167B7897"},
    {119, "8A7BD0732ED6A28CE75F6DABC90E1613", "E84905D4214F4D1CA56C2CDCC152B143"},
    {120, "5F61C0CCAD4CAC44C75FF505E1F1E537", "E3EB5A6C8669EA01A8C185B8ABC8A5DC"},
};

TEST(Md5, BlockBoundaryLengths) {
    for (const BoundaryCase& c : kBoundaries) {
        EXPECT_EQ(Digest(Bytes(c.length, 'a')), c.letters_a) << c.length;
        EXPECT_EQ(Digest(Pattern(c.length)), c.pattern) << c.length;
    }
}

TEST(Md5, PiecesSplitAnywhereGiveTheSameDigest) {
    for (const BoundaryCase& c : kBoundaries) {
        const Bytes data = Pattern(c.length);
        for (std::size_t i = 0; i <= c.length; ++i) {
            EXPECT_EQ(Digest(data, {i}), c.pattern) << c.length << " split at " << i;
            for (std::size_t j = i; j <= c.length; j += 5)
                EXPECT_EQ(Digest(data, {i, j}), c.pattern) << c.length << " split at " << i << ", " << j;
        }
    }
    // Equal pieces of every size up to past one block.
    const Bytes data = Pattern(120);
    for (std::size_t piece = 1; piece <= 70; ++piece) {
        std::vector<std::size_t> cuts;
        for (std::size_t at = piece; at < data.size(); at += piece) cuts.push_back(at);
        EXPECT_EQ(Digest(data, cuts), "E3EB5A6C8669EA01A8C185B8ABC8A5DC") << piece;
    }
}

TEST(Md5, FullWorkBuffer) {
    EXPECT_EQ(Digest(Bytes(20480, 'a')), "46E3C707D8237BE27FD9C9E1F2DABB5C");
}

// The bit count is 64 bits in two words: the low word carries into the high one.
TEST(Md5, BitCountCarriesIntoTheHighWord) {
    MD5Context context;
    MD5Init(&context);
    context.count[0] = 0xFFFFFE00;  // a whole number of blocks: nothing buffered
    const Bytes block = Pattern(64);
    MD5Update(&context, block.data(), 64);  // 64 x 8 = 0x200 more bits
    EXPECT_EQ(context.count[0], 0u);
    EXPECT_EQ(context.count[1], 1u);
    MD5Update(&context, block.data(), 3);
    EXPECT_EQ(context.count[0], 24u);
    EXPECT_EQ(context.count[1], 1u);
}

}  // namespace
