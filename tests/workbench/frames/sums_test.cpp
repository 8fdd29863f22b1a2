// The sums against published values (Fletcher's on Wikipedia, RFC 1071's
// worked example, zlib's adler32) and against their definitions computed
// over the whole message at once (support/sum_model.h), whole and in pieces.
#include "workbench/frames/sums.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/sum_model.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Of(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::uint32_t Sum(SumKind kind, const Bytes& bytes) { return ComputeSum(kind, bytes.data(), bytes.size()); }

TEST(SumChecks, PublishedValues) {
    EXPECT_EQ(Sum(SumKind::kFletcher16, Of("abcde")), 0xC8F0u);
    EXPECT_EQ(Sum(SumKind::kFletcher16, Of("abcdef")), 0x2057u);
    EXPECT_EQ(Sum(SumKind::kFletcher16, Of("abcdefgh")), 0x0627u);
    // RFC 1071, 3.: these words sum to DDF2 in one's complement.
    EXPECT_EQ(Sum(SumKind::kInet16, {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7}), 0xFFFFu - 0xDDF2u);
    // zlib's adler32 (Python's zlib.adler32).
    EXPECT_EQ(Sum(SumKind::kAdler32, Of("Wikipedia")), 0x11E60398u);
    EXPECT_EQ(Sum(SumKind::kAdler32, Of("123456789")), 0x091E01DEu);
    EXPECT_EQ(Sum(SumKind::kAdler32, Bytes(100000, 0xFF)), 0x149A302Cu);
    Bytes ramp;
    for (int copy = 0; copy < 50; ++copy) {
        for (int byte = 0; byte < 256; ++byte) ramp.push_back(static_cast<unsigned char>(byte));
    }
    EXPECT_EQ(Sum(SumKind::kAdler32, ramp), 0x3DBBE869u);
    // Modbus ASCII's LRC of 01 03 00 00 00 0A is F2.
    EXPECT_EQ(Sum(SumKind::kSum8Twos, {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}), 0xF2u);
    // An odd last byte is padded with zero: 12 34 56 is 1234 + 5600.
    EXPECT_EQ(Sum(SumKind::kInet16, {0x12, 0x34, 0x56}), 0xFFFFu - 0x6834u);
}

TEST(SumChecks, NothingSummedIsTheStart) {
    const std::uint32_t expected[] = {0, 0, 0, 0, 0, 0xFF, 0xFFFF, 0, 0xFFFF, 0, 1};
    for (std::size_t i = 0; i < std::size(kSumChecks); ++i) {
        EXPECT_EQ(Sum(kSumChecks[i].kind, {}), expected[i]) << kSumChecks[i].name;
    }
}

// Random messages, long enough for every sum to wrap many times, some of
// bytes near FF where carries and the moduli bite; each fed whole and in
// random pieces.
TEST(SumChecks, MatchTheirDefinitionsWholeAndInPieces) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round) {
        const std::size_t size = round < 20 ? static_cast<std::size_t>(round) : random() % 3000;
        const unsigned low = round % 3 == 0 ? 0xF0 : 0;
        Bytes bytes(size);
        for (auto& byte : bytes) byte = static_cast<unsigned char>(low + random() % (256 - low));
        for (const SumCheck& sum : kSumChecks) {
            SCOPED_TRACE(std::string(sum.name) + " of " + std::to_string(size) + " bytes");
            const std::uint64_t expected = sum_model::Sum(sum.kind, bytes);
            EXPECT_EQ(Sum(sum.kind, bytes), expected);
            SumRegister reg = SumStart(sum.kind);
            for (std::size_t at = 0; at < size;) {
                const std::size_t piece = std::min<std::size_t>(size - at, random() % 5);
                reg = SumUpdate(sum.kind, reg, bytes.data() + at, piece);
                at += piece;
            }
            EXPECT_EQ(SumFinish(sum.kind, reg), expected);
            EXPECT_EQ(expected >> sum.width, 0u);  // fits the width
        }
    }
}

}  // namespace
