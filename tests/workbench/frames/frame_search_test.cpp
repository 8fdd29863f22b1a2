// The search over frames: random frames made with random named checks, heads
// and tails are explained, and every line it gives holds on every frame by
// the oracle's own arithmetic (support/check_oracle.h); recovery is asked at
// the right placements with the right samples, and what it returns is
// checked before it is believed.
#include "workbench/frames/frame_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "support/check_oracle.h"
#include "support/random_bytes.h"
#include "workbench/crc/bitwise.h"
#include "workbench/crc/catalogue.h"

namespace {

using check_oracle::Bytes;

// Head, data, check by the oracle, tail: the bytes around differ per frame,
// as addresses and sequence numbers do.
Bytes MakeFrame(std::mt19937& random, const CheckMethod& method, bool low_first, std::size_t head, std::size_t tail,
                std::size_t data_size) {
    Bytes frame = RandomBytes(random, head);
    const Bytes data = RandomBytes(random, data_size);
    frame.insert(frame.end(), data.begin(), data.end());
    const Bytes check = check_oracle::Stored(check_oracle::Check(method, data), method.byte_count(), low_first);
    frame.insert(frame.end(), check.begin(), check.end());
    const Bytes after = RandomBytes(random, tail);
    frame.insert(frame.end(), after.begin(), after.end());
    return frame;
}

bool LowFirst(const FrameMatch& match) {
    return match.method.byte_count() > 1 && match.order == CheckOrder::kLittleEndian;
}

// Every line holds on every frame, and the lines come most plausible first.
void ExpectEveryMatchHolds(const FrameSearchResult& result, const std::vector<Bytes>& frames) {
    std::size_t skipped = 0;
    for (const FrameMatch& match : result.matches) {
        SCOPED_TRACE(match.method.Label() + " head=" + std::to_string(match.head) + " tail=" + std::to_string(match.tail));
        for (const Bytes& frame : frames) {
            EXPECT_TRUE(check_oracle::Holds(match.method, LowFirst(match), match.head, match.tail, frame));
        }
        EXPECT_GE(match.head + match.tail, skipped);
        skipped = match.head + match.tail;
    }
}

FrameSearchOptions WithoutRecovery() {
    FrameSearchOptions options;
    options.recovery = RecoveryMode::kNever;
    return options;
}

TEST(FrameSearch, FindsRandomNamedChecksAndOnlyLinesThatHold) {
    std::mt19937 random(12);
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    ASSERT_EQ(methods.size(), CrcCatalogue().size() + std::size(kSumChecks));
    for (int round = 0; round < 400; ++round) {
        // Every sum and every model in turn, then at random.
        const CheckMethod& method = methods[round < static_cast<int>(methods.size()) ? round : random() % methods.size()];
        const std::size_t head = random() % 5, tail = random() % 5;
        const bool low_first = method.byte_count() > 1 && random() % 2 == 1;
        // Three different frames carry enough check to name even a one-byte
        // check beyond chance (some 1250 of them and their placements are
        // tried: 1250 * 2^-24 is below the limit); two would not.
        std::vector<Bytes> frames;
        const std::size_t count = 3 + random() % 2;
        for (std::size_t i = 0; i < count; ++i) {
            frames.push_back(MakeFrame(random, method, low_first, head, tail, 2 + random() % 40));
        }
        SCOPED_TRACE(method.Label() + (low_first ? " le" : " be") + " head=" + std::to_string(head) +
                     " tail=" + std::to_string(tail));
        const FrameSearchResult result = SearchFrames(frames, WithoutRecovery());
        bool found = false;
        for (const FrameMatch& match : result.matches) {
            found = found || (match.method.Label() == method.Label() && match.head == head && match.tail == tail &&
                              LowFirst(match) == low_first && !match.recovered);
            EXPECT_FALSE(match.weak);
            EXPECT_LT(match.chance, kChanceLimit);
            EXPECT_EQ(match.frames, count);
        }
        EXPECT_TRUE(found);
        EXPECT_FALSE(result.recovery_ran);
        ExpectEveryMatchHolds(result, frames);
    }
}

// Modbus RTU frames (CRC-16/MODBUS, low byte first), between two start
// bytes and an end byte.
TEST(FrameSearch, HeadAndTailStayWithinMaxSkipAndShortFramesRuleOutPlacements) {
    const std::vector<Bytes> modbus = {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD},
                                       {0x01, 0x06, 0x00, 0x01, 0x00, 0x03, 0x98, 0x0B},
                                       {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}};
    std::vector<Bytes> framed;
    for (const Bytes& frame : modbus) {
        Bytes around = {0x3A, 0x3A};
        around.insert(around.end(), frame.begin(), frame.end());
        around.push_back(0x0D);
        framed.push_back(around);
    }
    FrameSearchOptions options = WithoutRecovery();
    options.max_skip = 1;
    for (const FrameMatch& match : SearchFrames(framed, options).matches) {
        EXPECT_LE(match.head, 1u);
        EXPECT_LE(match.tail, 1u);
        EXPECT_NE(match.method.name(), "CRC-16/MODBUS");
    }
    options.max_skip = 2;
    const auto matches = SearchFrames(framed, options).matches;
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches.front().method.name(), "CRC-16/MODBUS");
    EXPECT_EQ(matches.front().head, 2u);
    EXPECT_EQ(matches.front().tail, 1u);
    EXPECT_EQ(matches.front().order, CheckOrder::kLittleEndian);
    ExpectEveryMatchHolds(SearchFrames(modbus, WithoutRecovery()), modbus);

    // A frame too short for a wide check, beside one long enough: the short
    // one rules it out rather than being passed over.
    const std::vector<Bytes> frames = {modbus[0], {0x01, 0x02, 0x03}};
    for (const FrameMatch& match : SearchFrames(frames, WithoutRecovery()).matches) {
        EXPECT_LE(static_cast<std::size_t>(match.method.byte_count()) + match.head + match.tail, 2u) << match.method.Label();
    }
}

// A CRC the catalogue does not hold, of `width` bits.
CrcParams CustomCrc(std::mt19937& random, int width) {
    for (;;) {
        CrcParams p{width, ((Uint128{random()} << 32 | random()) & LowBitsMask(width)) | 1,
                    Uint128{random()} & LowBitsMask(width), random() % 2 == 1, false,
                    Uint128{random()} & LowBitsMask(width)};
        p.refout = p.refin;
        bool known = false;
        for (const CrcModel& model : CrcCatalogue()) known = known || model.params == p;
        if (!known) return p;
    }
}

bool SamplesFit(const CrcParams& p, const std::vector<CrcSample>& samples) {
    for (const CrcSample& sample : samples) {
        if (crc_bitwise::Crc(p, sample.message) != Uint128{sample.check}) return false;
    }
    return !samples.empty();
}

// A recoverer that knows the answer: it decides only when handed the true
// messages and checks, so a sample cut or read wrongly shows.
struct KnowingRecoverer {
    CrcParams truth;
    std::vector<CrcParams> also;  // returned beside the truth
    bool decides = true;          // false: the truth is only a candidate
    int calls = 0;

    CrcRecovery operator()(const std::vector<CrcSample>& samples, int width) {
        ++calls;
        CrcRecovery recovery;
        if (width == truth.width && SamplesFit(truth, samples)) {
            recovery.decided = decides;
            recovery.need = decides ? "" : "one more frame";
            recovery.models = also;
            recovery.models.insert(recovery.models.begin(), truth);
        } else {
            recovery.need = "two more frames of another length";
        }
        return recovery;
    }
};

struct CustomFrames {
    CrcParams params;
    std::vector<Bytes> frames;
};

// `count` frames of three lengths: a CRC with head 1 and tail 1, low byte
// first. A recovered 16-bit CRC takes about three frames' worth of check
// for its parameters; five or more confirm it beyond chance. Lengths 5, 6
// and 11 bytes apart leave init open only as x^8 + 1 does, which is the
// factor (x+1) that gives CRCs alike on every message; two lengths 5 bytes
// apart would leave it open wherever the polynomial shares a factor with
// x^40 + 1, and the frames would not decide.
constexpr std::size_t kLengths[] = {12, 17, 23};
CustomFrames MakeCustomFrames(std::mt19937& random, int width, bool same_length = false, std::size_t count = 6) {
    CustomFrames made{CustomCrc(random, width), {}};
    const CheckMethod method = CheckMethod::OfCrc(made.params, "");
    for (std::size_t i = 0; i < count; ++i) {
        made.frames.push_back(MakeFrame(random, method, true, 1, 1, same_length ? 12 : kLengths[i % 3]));
    }
    return made;
}

// Recovery does not stop at the first placement where something fits: a
// CRC of the wrong width may fit there by chance, so every placement up to
// --max-skip on each side is asked.
TEST(FrameSearch, RecoveryIsAskedWithEachPlacementsSamples) {
    std::mt19937 random(7);
    for (const int width : {16, 32}) {
        const CustomFrames custom = MakeCustomFrames(random, width);
        KnowingRecoverer recoverer;
        recoverer.truth = custom.params;
        FrameSearchOptions options;
        std::size_t most_skipped = 0;
        options.recover = [&](const std::vector<CrcSample>& samples, int asked_width) {
            // The samples' messages are the frames' lengths less head, check and tail.
            most_skipped = std::max(most_skipped, custom.frames[0].size() - samples[0].message.size() -
                                                      static_cast<std::size_t>(asked_width / 8));
            return recoverer(samples, asked_width);
        };
        const FrameSearchResult result = SearchFrames(custom.frames, options);
        EXPECT_TRUE(result.recovery_ran);
        ASSERT_EQ(result.matches.size(), 1u);
        const FrameMatch& match = result.matches[0];
        EXPECT_TRUE(match.recovered);
        EXPECT_TRUE(match.method.is_crc());
        EXPECT_TRUE(match.method.crc_params() == custom.params);
        EXPECT_EQ(match.head, 1u);
        EXPECT_EQ(match.tail, 1u);
        EXPECT_EQ(match.order, CheckOrder::kLittleEndian);
        EXPECT_EQ(result.recovery_need, "");
        EXPECT_FALSE(result.recovery_ambiguous);
        EXPECT_EQ(most_skipped, 2 * options.max_skip);
        EXPECT_FALSE(match.weak);
        EXPECT_EQ(match.frames, 6u);
        EXPECT_EQ(match.fitted, 3u);
        ExpectEveryMatchHolds(result, custom.frames);
    }
}

TEST(FrameSearch, RecoveryRunsWhenItShould) {
    std::mt19937 random(3);
    const CustomFrames custom = MakeCustomFrames(random, 16);
    const std::vector<Bytes> modbus = {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD},
                                       {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}};
    int calls = 0;
    FrameSearchOptions options;
    options.recover = [&](const std::vector<CrcSample>&, int) {
        ++calls;
        return CrcRecovery{};
    };
    const auto calls_for = [&](const std::vector<Bytes>& frames, RecoveryMode mode) {
        calls = 0;
        options.recovery = mode;
        const bool ran = SearchFrames(frames, options).recovery_ran;
        EXPECT_EQ(ran, calls > 0);
        return calls;
    };
    EXPECT_EQ(calls_for(modbus, RecoveryMode::kAuto), 0);  // a catalogue CRC explains them
    // One frame of it does not bear the CRC out: recovery is tried.
    EXPECT_GT(calls_for({modbus[0]}, RecoveryMode::kAuto), 0);
    EXPECT_GT(calls_for(modbus, RecoveryMode::kAlways), 0);
    EXPECT_GT(calls_for(custom.frames, RecoveryMode::kAuto), 0);
    EXPECT_EQ(calls_for(custom.frames, RecoveryMode::kNever), 0);
    // By default only where it is quick: it is the GCD of two multiples of
    // the polynomial that takes time, with the square of their length.
    // Three frames of 1 KiB take milliseconds on any processor, of 64 KiB
    // many seconds; two frames of 64 KiB and one of another length give one
    // multiple, and no GCD to take; frames of four lengths give two
    // multiples about as long as the shortest frames.
    const auto frames_of = [&](std::vector<std::size_t> lengths) {
        std::vector<Bytes> frames;
        for (const std::size_t length : lengths) frames.push_back(RandomBytes(random, length));
        return frames;
    };
    EXPECT_GT(calls_for(frames_of({1024, 1024, 1024}), RecoveryMode::kAuto), 0);
    EXPECT_EQ(calls_for(frames_of({65536, 65536, 65536}), RecoveryMode::kAuto), 0);
    EXPECT_GT(calls_for(frames_of({65536, 65536, 65535}), RecoveryMode::kAuto), 0);
    EXPECT_GT(calls_for(frames_of({200, 300, 500, 6000}), RecoveryMode::kAuto), 0);
    EXPECT_EQ(calls_for(frames_of({40000, 50000, 60000, 65536}), RecoveryMode::kAuto), 0);
    EXPECT_GT(calls_for(frames_of({4096, 4096, 4096}), RecoveryMode::kAlways), 0);
}

// What recovery returns is checked on the frames: a model that does not
// hold is not printed, nor a catalogue one (named already), nor candidates
// it could not decide between; several that hold are all printed and
// flagged, since the frames cannot tell them apart; when nothing fits,
// recovery's word on what would decide is passed on.
TEST(FrameSearch, RecoveredModelsAreCheckedAndTheirAmbiguityAndNeedReported) {
    std::mt19937 random(5);
    const CustomFrames custom = MakeCustomFrames(random, 16, true);
    const CrcParams& p = custom.params;
    // Frames of one length cannot part init from xorout: another init d
    // changes every CRC by the same value, the CRC from d of that many zero
    // bytes with no xorout, which another xorout takes back.
    const std::size_t message_size = custom.frames[0].size() - 4;
    CrcParams from_d = p;
    from_d.init = 0x1234;
    from_d.xorout = 0;
    CrcParams twin = p;
    twin.init = p.init ^ Uint128{0x1234};
    twin.xorout = p.xorout ^ crc_bitwise::Crc(from_d, Bytes(message_size, 0));
    CrcParams wrong = p;
    wrong.xorout = p.xorout ^ Uint128{1};
    KnowingRecoverer recoverer;
    recoverer.truth = p;
    recoverer.also = {wrong, twin};
    FrameSearchOptions options;
    options.recover = std::ref(recoverer);
    // The frames cannot decide between the truth and its twin, so neither
    // is believed, however many frames of that one length there are; both
    // are listed, weak, when asked.
    const FrameSearchResult result = SearchFrames(custom.frames, options);
    EXPECT_TRUE(result.matches.empty());
    ASSERT_EQ(result.weak.size(), 2u);
    EXPECT_TRUE(result.weak[0].rivals && result.weak[1].rivals);
    EXPECT_TRUE(result.recovery_ambiguous);
    EXPECT_GE(result.more_frames, 1u);
    options.keep_weak = true;
    const FrameSearchResult kept = SearchFrames(custom.frames, options);
    ASSERT_EQ(kept.matches.size(), 2u);
    EXPECT_TRUE(kept.matches[0].method.crc_params() == p);
    EXPECT_TRUE(kept.matches[1].method.crc_params() == twin);
    EXPECT_TRUE(kept.matches[0].weak && kept.matches[1].weak);
    ExpectEveryMatchHolds(kept, custom.frames);
    options.keep_weak = false;

    // Frames of CRC-16/ARC, which recovery finds too.
    std::mt19937 arc_random(1);
    const CrcModel& arc = *std::find_if(CrcCatalogue().begin(), CrcCatalogue().end(),
                                        [](const CrcModel& model) { return model.name == "CRC-16/ARC"; });
    std::vector<Bytes> arc_frames;
    for (std::size_t size : {5, 5, 9, 9}) {
        arc_frames.push_back(MakeFrame(arc_random, CheckMethod::OfCrc(arc.params, ""), false, 0, 0, size));
    }
    KnowingRecoverer finds_arc;
    finds_arc.truth = arc.params;
    options.recover = std::ref(finds_arc);
    options.recovery = RecoveryMode::kAlways;
    const FrameSearchResult named = SearchFrames(arc_frames, options);
    EXPECT_GT(finds_arc.calls, 0);
    for (const FrameMatch& match : named.matches) EXPECT_FALSE(match.recovered) << match.method.Label();

    // Undecided, recovery's candidates are not believed.
    KnowingRecoverer candidates;
    candidates.truth = p;
    candidates.decides = false;
    options.recover = std::ref(candidates);
    const FrameSearchResult unsure = SearchFrames(custom.frames, options);
    EXPECT_TRUE(unsure.matches.empty());
    EXPECT_EQ(unsure.recovery_need, "two more frames of another length");  // the first placement's word

    KnowingRecoverer undecided;
    undecided.truth = CrcParams{24, 0x5D6DCB, 0, false, false, 0};
    options.recover = std::ref(undecided);
    const FrameSearchResult none = SearchFrames(custom.frames, options);
    EXPECT_TRUE(none.matches.empty());
    EXPECT_EQ(none.recovery_need, "two more frames of another length");
    EXPECT_GT(undecided.calls, 0);
}

// With the recovery of this build: random 16- and 32-bit CRCs that the
// catalogue does not hold, from four frames of two lengths.
TEST(FrameSearch, RecoversRandomCustomCrcs) {
    if (RecoverCrc({}, 16).need == "not yet") GTEST_SKIP() << "recovery is not built yet";
    std::mt19937 random(2026);
    for (int round = 0; round < 6; ++round) {
        const CustomFrames custom = MakeCustomFrames(random, round % 2 == 0 ? 16 : 32);
        FrameSearchOptions options;
        options.recovery = RecoveryMode::kAlways;
        const FrameSearchResult result = SearchFrames(custom.frames, options);
        bool found = false;
        for (const FrameMatch& match : result.matches) {
            found = found || (match.recovered && match.method.crc_params() == custom.params && match.head == 1 &&
                              match.tail == 1 && match.order == CheckOrder::kLittleEndian);
        }
        EXPECT_TRUE(found) << "round " << round;
        ExpectEveryMatchHolds(result, custom.frames);
    }
}

}  // namespace
