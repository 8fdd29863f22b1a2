// How far the frames bear an explanation out: random frames, which hold no
// check at all, are not explained in the shapes where fitting a CRC used to
// explain anything; a CRC is believed once the frames beyond its fit say so,
// and the count of frames the search asks for is enough; a narrower CRC that
// holds only because a wider one does is no rival to it; the lengths a hint
// names are the frames' own. Frames are built by the bit-serial reference.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/check_oracle.h"
#include "support/random_bytes.h"
#include "workbench/crc/bitwise.h"
#include "workbench/frames/frame_search.h"

namespace {

using Frame = std::vector<unsigned char>;

// The data, then the CRC high byte first.
Frame CrcFrame(const CrcParams& p, const Frame& data) {
    Frame frame = data;
    const Frame crc = check_oracle::Stored(crc_bitwise::Crc(p, data), p.width / 8, false);
    frame.insert(frame.end(), crc.begin(), crc.end());
    return frame;
}

FrameSearchOptions Searching() {
    FrameSearchOptions options;
    options.recovery = RecoveryMode::kAlways;
    return options;
}

// Shapes of random frames that a fitted CRC used to explain most of the
// time: one pair of equal length and one other leave recovery exactly as
// many free parameters as the frames hold bits.
TEST(FrameEvidence, RandomFramesAreNotExplained) {
    std::mt19937 random(99);
    const std::vector<std::vector<std::size_t>> shapes = {
        {12, 12, 18}, {12, 12, 12, 18}, {12, 12, 18, 18}, {9, 9, 30}, {20, 7, 7, 7, 33}};
    int explained = 0, rounds = 0;
    for (const auto& lengths : shapes) {
        for (int round = 0; round < 20; ++round, ++rounds) {
            std::vector<Frame> frames;
            for (const std::size_t length : lengths) frames.push_back(RandomBytes(random, length));
            const FrameSearchResult result = SearchFrames(frames, Searching());
            explained += result.matches.empty() ? 0 : 1;
            for (const FrameMatch& match : result.weak) EXPECT_TRUE(match.weak);
        }
    }
    EXPECT_EQ(explained, 0) << "of " << rounds;
    // A larger --max-skip tries more placements; the evidence asked for grows
    // with them.
    FrameSearchOptions wide = Searching();
    wide.max_skip = 16;
    for (int round = 0; round < 2; ++round) {
        const std::vector<Frame> frames = {RandomBytes(random, 40), RandomBytes(random, 40), RandomBytes(random, 40)};
        EXPECT_TRUE(SearchFrames(frames, wide).matches.empty()) << round;
    }
}

// A frame given again is no new evidence, nor one that differs only in the
// bytes a placement skips.
TEST(FrameEvidence, RepeatsCountOnce) {
    const Frame frame = {0x01, 0x02, 0x03, 0x04, 0x05};
    const FrameSearchResult result = SearchFrames({frame, frame, frame, frame}, Searching());
    EXPECT_TRUE(result.matches.empty());
    for (const FrameMatch& match : result.weak) EXPECT_EQ(match.frames, 1u) << match.method.Label();

    // CRC-16/MODBUS frames after a sequence byte: three frames, but only two
    // different between head and tail.
    const std::vector<Frame> modbus = {{0x07, 0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD},
                                       {0x08, 0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD},
                                       {0x09, 0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}};
    const FrameSearchResult found = SearchFrames(modbus, FrameSearchOptions{});
    ASSERT_FALSE(found.matches.empty());
    EXPECT_EQ(found.matches[0].method.name(), "CRC-16/MODBUS");
    EXPECT_EQ(found.matches[0].head, 1u);
    EXPECT_EQ(found.matches[0].frames, 2u);
}

// A 16-bit CRC whose polynomial x^16 + 0x192d has a factor of degree 8
// (x^8 + 0xad): every frame of it is also a frame of that CRC-8 over the
// data and the high check byte. With too few frames nothing is believed and
// the search says how many more would do; with that many the CRC-16 comes
// first and the CRC-8 it implies is not printed.
TEST(FrameEvidence, TheWiderCrcComesFirstAndTheCountAskedForIsEnough) {
    const CrcParams p{16, 0x192d, 0x1d0f, false, false, 0x0000};
    std::mt19937 random(4);
    std::vector<Frame> frames;
    const std::size_t lengths[] = {10, 10, 10, 15, 21, 15, 21, 10, 15};
    std::size_t used = 0;
    for (; used < 4; ++used) frames.push_back(CrcFrame(p, RandomBytes(random, lengths[used])));
    const FrameSearchResult few = SearchFrames(frames, Searching());
    EXPECT_TRUE(few.matches.empty());
    ASSERT_FALSE(few.weak.empty());
    ASSERT_GE(few.more_frames, 1u);
    for (std::size_t i = 0; i < few.more_frames; ++i, ++used) {
        frames.push_back(CrcFrame(p, RandomBytes(random, lengths[used])));
    }
    const FrameSearchResult enough = SearchFrames(frames, Searching());
    ASSERT_FALSE(enough.matches.empty());
    const FrameMatch& first = enough.matches[0];
    ASSERT_TRUE(first.method.is_crc());
    EXPECT_TRUE(first.method.crc_params() == p) << first.method.Label();
    EXPECT_EQ(first.head + first.tail, 0u);
    EXPECT_FALSE(first.weak);
    EXPECT_EQ(first.frames, used);
    for (const FrameMatch& match : enough.matches) {
        EXPECT_FALSE(match.method.is_crc() && match.method.crc_params().width == 8 &&
                     match.method.crc_params().poly == Uint128{0xad})
            << match.method.Label();
    }
}

// The frames a hint asks for are as long as the frames given: two 14-byte
// frames of an unknown 16-bit CRC need a third of 14 bytes, not of 13.
TEST(FrameEvidence, TheHintNamesTheFramesLength) {
    const CrcParams p{16, 0x192d, 0x1d0f, false, false, 0x0000};
    std::mt19937 random(5);
    const std::vector<Frame> frames = {CrcFrame(p, RandomBytes(random, 12)), CrcFrame(p, RandomBytes(random, 12))};
    const FrameSearchResult result = SearchFrames(frames, Searching());
    EXPECT_TRUE(result.matches.empty());
    EXPECT_NE(result.recovery_need.find("third frame of 14 bytes"), std::string::npos) << result.recovery_need;
}

}  // namespace

namespace {

// A search that will take long says so before it starts; a short one does
// not. The recoverer here returns at once: only the warning is tested.
TEST(FrameEvidence, ALongRecoveryIsAnnounced) {
    std::mt19937 random(6);
    FrameSearchOptions options = Searching();
    options.recover = [](const std::vector<CrcSample>&, int) { return CrcRecovery{}; };
    double announced = 0;
    options.before_slow_recovery = [&](double seconds) { announced = seconds; };
    const auto frames_of = [&](std::size_t length, std::size_t count) {
        std::vector<Frame> frames;
        for (std::size_t i = 0; i < count; ++i) frames.push_back(RandomBytes(random, length));
        return frames;
    };
    SearchFrames(frames_of(256, 3), options);
    EXPECT_EQ(announced, 0);
    SearchFrames(frames_of(16384, 3), options);
    EXPECT_GT(announced, 1);
    // Two frames of one length give one difference and no GCD: quick at any length.
    announced = 0;
    SearchFrames(frames_of(16384, 2), options);
    EXPECT_EQ(announced, 0);
    // The estimate grows with the placements, and with the length's square
    // as the frames grow long (each jump of the GCD costs a little more
    // than its words).
    const std::vector<Frame> kib = frames_of(1024, 3), four_kib = frames_of(4096, 3);
    const std::vector<Frame> sixty_four_kib = frames_of(65536, 3);
    EXPECT_GT(EstimatedRecoverySeconds(four_kib, 4), 4 * EstimatedRecoverySeconds(kib, 4));
    EXPECT_LE(EstimatedRecoverySeconds(four_kib, 4), 16 * EstimatedRecoverySeconds(kib, 4));
    EXPECT_GT(EstimatedRecoverySeconds(sixty_four_kib, 4), 16 * EstimatedRecoverySeconds(four_kib, 4));
    EXPECT_LE(EstimatedRecoverySeconds(sixty_four_kib, 4), 256 * EstimatedRecoverySeconds(four_kib, 4));
    EXPECT_DOUBLE_EQ(EstimatedRecoverySeconds(kib, 9), 4 * EstimatedRecoverySeconds(kib, 4));
}

}  // namespace

namespace {

// A CRC the catalogue does not hold.
CrcParams Uncatalogued(std::mt19937& random, int width) {
    const Uint128 mask = LowBitsMask(width);
    const bool reflected = random() % 2 == 1;
    return {width, ((Uint128{random()} << 32 | random()) & mask) | 1, (Uint128{random()} << 32 | random()) & mask,
            reflected, reflected, Uint128{random()} & mask};
}

// Every recovered line printed also holds on frames the search never saw,
// as the bit-serial reference computes them: a line that fits the frames
// given but not others is a wrong answer, whatever its evidence. Two pairs
// of two lengths are the hardest shape: the GCD of the differences is the
// true polynomial times a leftover factor, and divisors of a lower degree
// fit every frame.
TEST(FrameEvidence, RecoveredLinesHoldOnFreshFrames) {
    std::mt19937 random(8);
    int believed = 0;
    for (int round = 0; round < 300; ++round) {
        const CrcParams p = Uncatalogued(random, round % 2 == 0 ? 32 : 16);
        const std::size_t count = p.width == 32 ? 4 : 5;
        std::vector<Frame> frames;
        for (std::size_t i = 0; i < count; ++i) frames.push_back(CrcFrame(p, RandomBytes(random, i % 2 == 0 ? 12 : 17)));
        const FrameSearchResult result = SearchFrames(frames, Searching());
        believed += result.matches.empty() ? 0 : 1;
        for (const FrameMatch& match : result.matches) {
            SCOPED_TRACE(match.method.Label() + " head=" + std::to_string(match.head) +
                         " tail=" + std::to_string(match.tail) + " round " + std::to_string(round));
            ASSERT_TRUE(match.recovered);
            ASSERT_EQ(match.order, CheckOrder::kBigEndian);
            const CrcParams& q = match.method.crc_params();
            for (int fresh = 0; fresh < 3; ++fresh) {
                const Frame data = RandomBytes(random, 3 + random() % 30);
                Frame framed = RandomBytes(random, match.head);
                const Frame body = CrcFrame(p, data);
                framed.insert(framed.end(), body.begin(), body.end());
                // The line's own reading of the frame: its data and its check.
                const std::size_t check_size = static_cast<std::size_t>(q.width / 8);
                const std::size_t end = framed.size() - match.tail - check_size;
                const Frame line_data(framed.begin() + static_cast<std::ptrdiff_t>(match.head),
                                      framed.begin() + static_cast<std::ptrdiff_t>(end));
                EXPECT_EQ(CrcFrame(q, line_data), Frame(framed.begin() + static_cast<std::ptrdiff_t>(match.head),
                                                        framed.end() - static_cast<std::ptrdiff_t>(match.tail)));
            }
        }
    }
    // Most of them are believed: two lengths 5 bytes apart leave some
    // undecided (init is open where the polynomial shares a factor with
    // x^40 + 1).
    EXPECT_GE(believed, 240);
}

}  // namespace
