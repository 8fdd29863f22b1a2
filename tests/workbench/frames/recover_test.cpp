// Recovering a CRC's parameters from frames: the frames are made by the
// bit-serial model (workbench/crc/bitwise.h), and every model returned is
// checked against that model too, never against the engine the recovery
// verifies with. The GF(2) helpers are checked against products computed by
// a multiplication of the test's own.
#include "workbench/frames/recover.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/random_bytes.h"
#include "workbench/crc/bitwise.h"
#include "workbench/crc/catalogue.h"
#include "workbench/frames/gf2_poly.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Describe(const CrcParams& p) {
    char text[160];
    std::snprintf(text, sizeof text, "width=%d poly=%llx init=%llx refin=%d refout=%d xorout=%llx", p.width,
                  static_cast<unsigned long long>(p.poly.low), static_cast<unsigned long long>(p.init.low), p.refin,
                  p.refout, static_cast<unsigned long long>(p.xorout.low));
    return text;
}

// Frames of the given lengths, each with its check from the model.
std::vector<CrcSample> Frames(const CrcParams& p, std::mt19937_64& random, const std::vector<std::size_t>& lengths) {
    std::vector<CrcSample> frames;
    for (const std::size_t length : lengths) {
        Bytes message = RandomBytes(random, length);
        const std::uint64_t check = crc_bitwise::Crc(p, message).low;
        frames.push_back({std::move(message), check});
    }
    return frames;
}

bool Fits(const CrcParams& p, const std::vector<CrcSample>& frames) {
    return std::all_of(frames.begin(), frames.end(),
                       [&p](const CrcSample& f) { return crc_bitwise::Crc(p, f.message).low == f.check; });
}

bool Contains(const CrcRecovery& found, const CrcParams& p) {
    return std::find(found.models.begin(), found.models.end(), p) != found.models.end();
}

void ExpectEveryModelFits(const CrcRecovery& found, const std::vector<CrcSample>& frames) {
    for (const CrcParams& model : found.models) EXPECT_TRUE(Fits(model, frames)) << Describe(model);
}

// The frames decide, the true model is among those found, and each fits.
void ExpectRecovered(const CrcParams& p, const std::vector<CrcSample>& frames) {
    const CrcRecovery found = RecoverCrc(frames, p.width);
    EXPECT_TRUE(found.decided) << found.need;
    EXPECT_TRUE(Contains(found, p));
    ExpectEveryModelFits(found, frames);
}

bool InCatalogue(const CrcParams& p) {
    const auto models = CrcCatalogue();
    return std::any_of(models.begin(), models.end(), [&p](const CrcModel& m) { return m.params == p; });
}

CrcParams RandomModel(std::mt19937_64& random, int width, bool refin, bool refout) {
    const std::uint64_t mask = LowBitsMask(width).low;
    return {width, (random() & mask) | 1u, random() & mask, refin, refout, random() & mask};
}

TEST(CrcRecover, FindsRandomModelsOfEveryWidthAndBitOrder) {
    std::mt19937_64 random(12);
    for (const int width : {8, 16, 24, 32, 64}) {
        for (int order = 0; order < 4; ++order) {
            for (int round = 0; round < 6; ++round) {
                const CrcParams p = RandomModel(random, width, (order & 1) != 0, (order & 2) != 0);
                ASSERT_FALSE(InCatalogue(p));
                SCOPED_TRACE(Describe(p));
                // Three of one length give the polynomial; frames of other
                // lengths tell init from xorout. Lengths one byte apart leave
                // open only what no length can tell (a random polynomial may
                // have many factors x+1).
                const std::size_t length = 1 + random() % 40;
                const std::size_t other = length + 1 + random() % 40;
                const auto frames = Frames(p, random, {length, length, length, other, other + 1});
                ExpectRecovered(p, frames);
            }
        }
    }
}

// No two frames of one length: with four lengths or more, combinations that
// cancel init give the polynomial; with three, one combination is not
// enough. Four frames can leave a factor x+1 of the polynomial open (init
// and xorout then pair up), five decide.
TEST(CrcRecover, FindsModelsFromFramesThatAllDifferInLength) {
    std::mt19937_64 random(21);
    for (const int width : {8, 16, 32, 64}) {
        for (int round = 0; round < 8; ++round) {
            const bool reflected = (round & 1) != 0;
            const CrcParams p = RandomModel(random, width, reflected, reflected);
            SCOPED_TRACE(Describe(p));
            std::vector<std::size_t> lengths;
            for (std::size_t length = 1 + random() % 6; lengths.size() < 5; length += 1 + random() % 30) {
                lengths.push_back(length);
            }
            ExpectRecovered(p, Frames(p, random, lengths));
            const CrcRecovery three = RecoverCrc(Frames(p, random, {lengths[0], lengths[2], lengths[4]}), width);
            EXPECT_FALSE(three.decided);
        }
    }
}

// Frames of kilobytes, the GCD's long case: one length, and all lengths
// different (as a capture of file transfers gives them).
TEST(CrcRecover, FindsModelsFromLongFrames) {
    std::mt19937_64 random(22);
    const CrcParams crc32_like{32, 0x8f6e37a1, 0xffffffff, true, true, 0xffffffff};
    ExpectRecovered(crc32_like, Frames(crc32_like, random, {3000, 3000, 3000, 1000}));
    ExpectRecovered(crc32_like, Frames(crc32_like, random, {1000, 1700, 2900, 4100, 5000}));
    const CrcParams crc16_like{16, 0x5935, 0x0000, false, false, 0x0000};
    ExpectRecovered(crc16_like, Frames(crc16_like, random, {2048, 2048, 2048, 100}));
}

// Two frames that differ in their last byte only: the difference has a
// degree of at most width + 7, so the polynomial is one of its divisors of
// the width, each tried against a frame of another length.
TEST(CrcRecover, FindsThePolynomialAmongTheDivisorsOfOneSmallDifference) {
    std::mt19937_64 random(18);
    for (const int width : {3, 8, 16, 32}) {
        for (int round = 0; round < 8; ++round) {
            const CrcParams p = RandomModel(random, width, (round & 1) != 0, (round & 2) != 0);
            SCOPED_TRACE(Describe(p));
            auto frames = Frames(p, random, {20, 20, 7, 9});
            frames[1].message = frames[0].message;
            frames[1].message.back() ^= static_cast<unsigned char>(1 + random() % 255);
            frames[1].check = crc_bitwise::Crc(p, frames[1].message).low;
            ExpectRecovered(p, frames);
        }
    }
}

TEST(CrcRecover, FindsEveryCatalogueModelFirstWithItsPublishedCheck) {
    std::mt19937_64 random(13);
    const Bytes check_text = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    for (const CrcModel& model : CrcCatalogue()) {
        const CrcParams& p = model.params;
        if (p.width > 64) continue;
        SCOPED_TRACE(std::string(model.name));
        // The catalogue's own check value is one of the frames.
        auto frames = Frames(p, random, {12, 12, 12, 5});
        frames.push_back({check_text, model.check.low});
        const CrcRecovery found = RecoverCrc(frames, p.width);
        ASSERT_FALSE(found.models.empty()) << found.need;
        EXPECT_EQ(Describe(found.models.front()), Describe(p));
        ExpectEveryModelFits(found, frames);
    }
}

// RIELLO's init is not its own reflection: it is read as the catalogue
// writes it, before the input's reflection.
TEST(CrcRecover, ReadsAnAsymmetricInitAsTheCatalogueWritesIt) {
    const CrcParams riello{16, 0x1021, 0xb2aa, true, true, 0x0000};
    std::mt19937_64 random(14);
    const auto frames = Frames(riello, random, {6, 6, 6, 6, 9, 20});
    const CrcRecovery found = RecoverCrc(frames, 16);
    ASSERT_FALSE(found.models.empty());
    EXPECT_EQ(Describe(found.models.front()), Describe(riello));
}

// x+1 divides 0x1021's polynomial, and x^8 = 1 modulo x+1: init's part
// along the other factor Q = P/(x+1) is seen the same at every length, as
// xorout's is. (init + Q, xorout + Q) is the same function, and both are
// listed, the catalogued one first.
TEST(CrcRecover, ListsEveryModelThatFitsWhenSeveralDo) {
    const CrcParams xmodem{16, 0x1021, 0, false, false, 0};
    std::mt19937_64 random(15);
    const auto frames = Frames(xmodem, random, {10, 10, 10, 10, 3, 17});
    const CrcRecovery found = RecoverCrc(frames, 16);
    EXPECT_TRUE(found.decided);
    ASSERT_EQ(found.models.size(), 2u);
    EXPECT_EQ(Describe(found.models[0]), Describe(xmodem));
    Uint128 remainder;
    const Uint128 q = Gf2Divide(Uint128{0x11021}, Uint128{0x3}, &remainder);
    ASSERT_TRUE(remainder.IsZero());
    const CrcParams twin{16, 0x1021, q, false, false, q};
    EXPECT_EQ(Describe(found.models[1]), Describe(twin));
    EXPECT_TRUE(SameCrcFunction(xmodem, twin));
    // The twin agrees on frames of lengths the search never saw.
    EXPECT_TRUE(Fits(twin, Frames(xmodem, random, {0, 1, 2, 33, 100})));
}

// Whether two models agree on random messages of many lengths, by the
// bit-serial model.
bool AgreeOnRandomMessages(const CrcParams& a, const CrcParams& b, std::mt19937_64& random) {
    for (std::size_t length = 0; length < 40; ++length) {
        const Bytes message = RandomBytes(random, length);
        if (crc_bitwise::Crc(a, message) != crc_bitwise::Crc(b, message)) return false;
    }
    return true;
}

TEST(CrcRecover, TellsModelsThatAgreeOnEveryMessage) {
    std::mt19937_64 random(16);
    // Four models that frames of one 32-bit CRC fit, whatever their lengths:
    // the polynomial has the factor (x+1)^2.
    const std::uint64_t poly = 0x32583499;
    const std::uint64_t inits[][2] = {
        {0x12345678, 0xffffffff}, {0x4826f255, 0xa5ed5bd2}, {0xa6111e22, 0x4bdab7a5}, {0xfc03ba0f, 0x11c81388}};
    const CrcParams first{32, poly, inits[0][0], false, false, inits[0][1]};
    for (const auto& init : inits) {
        const CrcParams other{32, poly, init[0], false, false, init[1]};
        EXPECT_TRUE(SameCrcFunction(first, other)) << Describe(other);
        EXPECT_TRUE(AgreeOnRandomMessages(first, other, random)) << Describe(other);
    }
    // Random pairs that share polynomial and reflections: the answer is the
    // bit-serial model's, either way.
    for (int i = 0; i < 200; ++i) {
        const int width = 8 << (i % 4);
        const bool refin = (i & 4) != 0, refout = (i & 8) != 0;
        const CrcParams a = RandomModel(random, width, refin, refout);
        CrcParams b = RandomModel(random, width, refin, refout);
        b.poly = a.poly;
        if (i % 2 == 0) b.xorout = a.xorout;  // inits alone differ
        EXPECT_EQ(SameCrcFunction(a, b), AgreeOnRandomMessages(a, b, random)) << Describe(a) << " / " << Describe(b);
    }
    // Another polynomial or another reflection is another function.
    CrcParams other_poly = first;
    other_poly.poly = Uint128{poly ^ 2};
    EXPECT_FALSE(SameCrcFunction(first, other_poly));
    CrcParams reflected = first;
    reflected.refout = true;
    EXPECT_FALSE(SameCrcFunction(first, reflected));
}

TEST(CrcRecover, SaysWhichFramesWouldDecide) {
    const CrcParams p{32, 0x1edc6f41, 0x12345678, true, false, 0x9abcdef0};
    std::mt19937_64 random(16);

    // One length: init and xorout are one unknown there. Two stand-ins that
    // fit those frames.
    const auto one_length = Frames(p, random, {8, 8, 8, 8});
    const CrcRecovery open_init = RecoverCrc(one_length, 32);
    EXPECT_FALSE(open_init.decided);
    EXPECT_NE(open_init.need.find("another length than 8 bytes"), std::string::npos) << open_init.need;
    ASSERT_FALSE(open_init.models.empty());
    ExpectEveryModelFits(open_init, one_length);
    EXPECT_EQ(open_init.models.front().poly, p.poly);

    // One pair of equal length leaves the polynomial open.
    const CrcRecovery one_pair = RecoverCrc(Frames(p, random, {8, 8, 5}), 32);
    EXPECT_FALSE(one_pair.decided);
    EXPECT_NE(one_pair.need.find("third frame of 8 bytes"), std::string::npos) << one_pair.need;

    // Three lengths give one multiple of the polynomial, as a pair does; a
    // fourth frame of any length gives the second.
    const CrcRecovery three_lengths = RecoverCrc(Frames(p, random, {4, 5, 6}), 32);
    EXPECT_FALSE(three_lengths.decided);
    EXPECT_NE(three_lengths.need.find("one more different frame, of any length"), std::string::npos)
        << three_lengths.need;
    const CrcRecovery two_lengths = RecoverCrc(Frames(p, random, {4, 5}), 32);
    EXPECT_NE(two_lengths.need.find("two more different frames, of any length"), std::string::npos) << two_lengths.need;

    const CrcRecovery none = RecoverCrc({}, 32);
    EXPECT_FALSE(none.decided);
    EXPECT_TRUE(none.models.empty());
    EXPECT_NE(none.need.find("three different frames of one length, or four of different lengths"), std::string::npos)
        << none.need;
    EXPECT_EQ(none.need.find('\n'), std::string::npos);
}

TEST(CrcRecover, DecidesThatNothingFits) {
    // One message with two checks; a check wider than the width.
    const Bytes message = {1, 2, 3};
    for (const auto& [frames, width] : {std::make_pair(std::vector<CrcSample>{{message, 0x10}, {message, 0x11}}, 8),
                                        std::make_pair(std::vector<CrcSample>{{message, 0x100}}, 8)}) {
        const CrcRecovery found = RecoverCrc(frames, width);
        EXPECT_TRUE(found.decided);
        EXPECT_TRUE(found.models.empty());
    }
}

// Products by shift and add, the test's own.
Uint128 Multiply(Uint128 a, Uint128 b) {
    Uint128 product;
    for (int bit = 0; bit < 64; ++bit) {
        if (b.Bit(bit)) product ^= a << bit;
    }
    return product;
}

TEST(Gf2Poly, DividesAndFindsCommonFactorsOfProducts) {
    std::mt19937_64 random(17);
    for (int round = 0; round < 200; ++round) {
        const Uint128 factor = random() >> (random() % 48) | 1u;
        const Uint128 a = random() >> 40 | 1u;
        const Uint128 b = random() >> 40 | 1u;
        EXPECT_EQ(Gf2Multiply(a, factor), Multiply(a, factor));
        Uint128 remainder;
        EXPECT_EQ(Gf2Divide(Multiply(a, factor), factor, &remainder), a);
        EXPECT_TRUE(remainder.IsZero());
        // gcd(a f, b f) = gcd(a, b) f; and gcd(a, b) divides both.
        const Gf2Poly common = Gcd(Gf2Poly(Multiply(a, factor)), Gf2Poly(Multiply(b, factor)));
        const Uint128 ab = Gcd(Gf2Poly(a), Gf2Poly(b)).ToUint128();
        EXPECT_EQ(common.ToUint128(), Multiply(ab, factor));
        Gf2Divide(a, ab, &remainder);
        EXPECT_TRUE(remainder.IsZero());
    }
    // A codeword of bytes and a tail, against the same number shifted by hand.
    const unsigned char bytes[] = {0x80, 0x01};
    EXPECT_EQ(Gf2Poly::FromBits(bytes, 2, false, 0x5, 3).ToUint128(), Uint128{0x8000u << 3 | 0x1u << 3 | 0x5u});
    EXPECT_EQ(Gf2Poly::FromBits(bytes, 2, true, 0, 0).ToUint128(), Uint128{0x0180u});
}

// Trial division by every polynomial of degree 1 to `max_degree`, the lowest
// first, so that each divisor found is irreducible.
std::vector<std::pair<std::uint64_t, std::uint64_t>> FactorsByTrial(Uint128 f, int max_degree) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> factors;
    for (std::uint64_t q = 2; q < std::uint64_t{2} << max_degree; ++q) {
        Uint128 remainder;
        for (Uint128 quotient = Gf2Divide(f, q, &remainder); remainder.IsZero() && f != Uint128{1};
             quotient = Gf2Divide(f, q, &remainder)) {
            f = quotient;
            factors.emplace_back(0, q);
        }
    }
    return factors;
}

TEST(Gf2Poly, FindsEverySmallFactorAsOftenAsItDivides) {
    std::mt19937_64 random(19);
    for (int round = 0; round < 100; ++round) {
        // Products of up to eight random polynomials of degree 1 to 12,
        // some squared.
        Uint128 f{1};
        for (int n = 1 + static_cast<int>(random() % 8); n > 0; --n) {
            const Uint128 part = (random() & 0xFFF) | 2u;
            f = Gf2Multiply(f, part);
            if (random() % 4 == 0) f = Gf2Multiply(f, part);
            if (Gf2Degree(f) > 100) break;
        }
        const int max_degree = 1 + static_cast<int>(random() % 12);
        std::vector<std::pair<std::uint64_t, std::uint64_t>> found;
        for (const Uint128 factor : Gf2SmallFactors(f, max_degree)) found.emplace_back(factor.high, factor.low);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, FactorsByTrial(f, max_degree)) << round;
    }
}

}  // namespace
