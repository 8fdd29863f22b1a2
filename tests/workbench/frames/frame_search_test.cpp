// The search over frames: random frames made with random named checks, heads
// and tails are explained, and every line it gives holds on every frame by
// the oracle's own arithmetic (support/check_oracle.h); recovery is asked at
// the right placements with the right samples, and what it returns is
// checked before it is believed.
#include "workbench/frames/frame_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// ---- What the user knows narrows the search -------------------------------

// A reflected CRC-16 a bit at a time, the register kept reflected: the
// frames' own oracle, apart from the program's CRC code. CRC-16/MODBUS of
// "123456789" is 4B37 (the catalogue's check value), which it is tested on.
std::uint16_t ReflectedCrc16(std::uint16_t poly, std::uint16_t init, std::uint16_t xorout, const Bytes& data) {
    const auto reflect = [](std::uint16_t value) {
        std::uint16_t reflected = 0;
        for (int bit = 0; bit < 16; ++bit) reflected = static_cast<std::uint16_t>(reflected | (((value >> bit) & 1) << (15 - bit)));
        return reflected;
    };
    const std::uint16_t reflected_poly = reflect(poly);
    std::uint16_t reg = reflect(init);
    for (const unsigned char byte : data) {
        reg ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            reg = static_cast<std::uint16_t>((reg & 1) != 0 ? (reg >> 1) ^ reflected_poly : reg >> 1);
        }
    }
    return static_cast<std::uint16_t>(reg ^ xorout);
}

// An uncatalogued reflected CRC-16 (x^16 + x^12 + x^11 + x^9 + x^5 + x^3 +
// x^2 + x + 1: an odd count of terms, so without the factor x + 1 that
// would give twins alike on every message).
constexpr std::uint16_t kPoly = 0x1A2F, kInit = 0x3C4D, kXorout = 0x5E6F;

// Three frames of 6 data bytes and one of 9, the check low byte first: the
// GCD of two differences gives the polynomial, the other length init.
std::vector<Bytes> UncataloguedCrc16Frames(std::mt19937& random) {
    std::vector<Bytes> frames;
    for (const std::size_t size : {6, 6, 6, 9}) {
        Bytes frame = RandomBytes(random, size);
        const std::uint16_t check = ReflectedCrc16(kPoly, kInit, kXorout, frame);
        frame.push_back(static_cast<unsigned char>(check & 0xFF));
        frame.push_back(static_cast<unsigned char>(check >> 8));
        frames.push_back(frame);
    }
    return frames;
}

// The chance is worked out through logarithms: equal but for rounding.
void ExpectChance(double chance, double expected) { EXPECT_NEAR(chance, expected, expected * 1e-12); }

FrameScope KnownCrc16Placement() {
    FrameScope scope;
    scope.widths = {16};
    scope.order = CheckOrder::kLittleEndian;
    scope.head = 0;
    scope.tail = 0;
    return scope;
}

std::size_t NamedIndex(const std::string& name) {
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    for (std::size_t i = 0; i < methods.size(); ++i) {
        if (methods[i].name() == name) return i;
    }
    ADD_FAILURE() << "no named check " << name;
    return 0;
}

// Four frames are too few for the full search (50 placements and orders a
// width) and enough for one placement and order: a recovered CRC-16 spends
// 48 bits, the fourth frame confirms it with 16, a chance of 2^-16.
TEST(FrameScope, KnownWidthOrderAndPlacementRecoverFromFewerFrames) {
    const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    ASSERT_EQ(ReflectedCrc16(0x8005, 0xFFFF, 0x0000, digits), 0x4B37);
    for (const CrcModel& model : CrcCatalogue()) {
        ASSERT_FALSE(model.params.width == 16 && model.params.poly == Uint128{kPoly}) << model.name;
    }
    const CrcParams truth{16, kPoly, kInit, true, true, kXorout};
    int named = 0;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const std::vector<Bytes> frames = UncataloguedCrc16Frames(random);
        FrameSearchOptions options;
        const FrameSearchResult full = SearchFrames(frames, options);
        EXPECT_TRUE(full.matches.empty());
        options.scope = KnownCrc16Placement();
        const FrameSearchResult narrowed = SearchFrames(frames, options);
        ASSERT_LE(narrowed.matches.size(), 1u);
        if (narrowed.matches.empty()) continue;
        const FrameMatch& match = narrowed.matches.front();
        EXPECT_TRUE(match.recovered);
        EXPECT_TRUE(match.method.crc_params() == truth);
        EXPECT_EQ(match.order, CheckOrder::kLittleEndian);
        EXPECT_EQ(match.head + match.tail, 0u);
        EXPECT_EQ(match.frames, 4u);
        ExpectChance(match.chance, std::exp2(48.0 - 64.0));
        ++named;
    }
    // Two random differences share a factor beside the polynomial about
    // half the time; the third length settles most of those.
    EXPECT_GE(named, 8);
}

// Named checks: one Modbus RTU request is one frame of 16 bits. The full
// search weighs it against every two-byte check, order and placement; told
// the check and placement, only the two orders are left: 2 * 2^-16.
TEST(FrameScope, ChanceCountsOnlyTheChecksOrdersAndPlacementsTried) {
    const std::vector<Bytes> request = {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}};
    FrameSearchOptions options;
    options.recovery = RecoveryMode::kNever;
    options.keep_weak = true;
    const auto chance_of_modbus = [&]() {
        for (const FrameMatch& match : SearchFrames(request, options).matches) {
            if (match.method.name() == "CRC-16/MODBUS" && match.head == 0 && match.tail == 0) return match.chance;
        }
        ADD_FAILURE() << "CRC-16/MODBUS le head=0 tail=0 not found";
        return 1.0;
    };
    // --width 16: the catalogue's 16-bit CRCs and the 16-bit sums, two
    // orders, 5 heads by 5 tails.
    std::size_t sixteen_bits = 0;
    for (const CrcModel& model : CrcCatalogue()) sixteen_bits += model.params.width == 16 ? 1 : 0;
    for (const SumCheck& sum : kSumChecks) sixteen_bits += sum.width == 16 ? 1 : 0;
    options.scope.widths = {16};
    ExpectChance(chance_of_modbus(), std::min(1.0, static_cast<double>(sixteen_bits * 2 * 25) / 65536));
    options.scope = {};
    options.scope.named = std::vector<std::size_t>{NamedIndex("CRC-16/MODBUS")};
    ExpectChance(chance_of_modbus(), 2.0 * 25 / 65536);
    options.scope.head = 0;
    options.scope.tail = 0;
    ExpectChance(chance_of_modbus(), 2.0 / 65536);
    options.keep_weak = false;
    const FrameSearchResult believed = SearchFrames(request, options);
    ASSERT_EQ(believed.matches.size(), 1u);
    EXPECT_FALSE(believed.matches[0].weak);
    EXPECT_EQ(believed.matches[0].order, CheckOrder::kLittleEndian);
    options.scope.order = CheckOrder::kLittleEndian;
    ExpectChance(SearchFrames(request, options).matches.at(0).chance, 1.0 / 65536);
    // The wrong order left alone: nothing holds.
    options.scope.order = CheckOrder::kBigEndian;
    options.keep_weak = true;
    EXPECT_TRUE(SearchFrames(request, options).matches.empty());
}

// "123456789" and its CRC-32/ISO-HDLC, CBF43926, low byte first as zlib
// stores it; between a start byte and an end byte.
TEST(FrameScope, ExactHeadTailAndWidthKeepToWhatTheyAllow) {
    const Bytes framed = {0x02, '1', '2', '3', '4', '5', '6', '7', '8', '9', 0x26, 0x39, 0xF4, 0xCB, 0x03};
    FrameSearchOptions options;
    options.recovery = RecoveryMode::kNever;
    options.keep_weak = true;
    std::string unknown;
    ASSERT_TRUE(NarrowToChecksNamed({"crc-32"}, options.scope, unknown));
    options.scope.head = 1;
    options.scope.tail = 1;
    std::vector<FrameMatch> matches = SearchFrames({framed}, options).matches;
    ASSERT_FALSE(matches.empty());
    EXPECT_EQ(matches[0].method.name(), "CRC-32/ISO-HDLC");
    EXPECT_FALSE(matches[0].weak);
    for (const FrameMatch& match : matches) {
        EXPECT_EQ(match.method.width(), 32) << match.method.Label();
        EXPECT_EQ(match.head, 1u);
        EXPECT_EQ(match.tail, 1u);
    }
    // Exact counts beyond --max-skip: the scope rules.
    options.max_skip = 0;
    EXPECT_EQ(SearchFrames({framed}, options).matches.at(0).method.name(), "CRC-32/ISO-HDLC");
    // Another head, another width: it is not there.
    options.scope.head = 2;
    for (const FrameMatch& match : SearchFrames({framed}, options).matches) {
        EXPECT_NE(match.method.name(), "CRC-32/ISO-HDLC");
    }
    options.scope = {};
    options.scope.widths = {16};
    options.max_skip = 4;
    for (const FrameMatch& match : SearchFrames({framed}, options).matches) {
        EXPECT_EQ(match.method.width(), 16) << match.method.Label();
    }
}

TEST(FrameScope, NamesAndFamilies) {
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    const auto names_of = [&](const std::vector<std::string>& words) {
        FrameScope scope;
        std::string unknown;
        EXPECT_TRUE(NarrowToChecksNamed(words, scope, unknown)) << unknown;
        std::vector<std::string> names;
        for (const std::size_t i : NamedChecksInScope(scope)) names.push_back(methods[i].name());
        return std::make_pair(names, RecoveryWidthsInScope(scope));
    };
    using Names = std::vector<std::string>;
    using Widths = std::vector<int>;
    EXPECT_EQ(names_of({"crc-16/modbus"}), std::make_pair(Names{"CRC-16/MODBUS"}, Widths{}));
    // A former name leads to its model; a sum's name to that sum alone.
    EXPECT_EQ(names_of({"CRC-4/ITU"}).first, Names{"CRC-4/G-704"});
    EXPECT_EQ(names_of({"SUM-8"}).first, Names{"SUM-8"});
    EXPECT_EQ(names_of({"Xor"}).first, Names{"XOR-8"});
    EXPECT_EQ(names_of({"SUM"}).first,
              (Names{"SUM-8", "SUM-16", "SUM-32", "SUM-8/TWOS", "SUM-16/TWOS", "SUM-8/ONES", "SUM-16/ONES"}));
    EXPECT_EQ(names_of({"SUM-8", "XOR"}).first, (Names{"SUM-8", "XOR-8"}));
    // CRC-N: the family, though CRC-32 was once a model's name.
    Names crc32s;
    for (const CrcModel& model : CrcCatalogue()) {
        if (model.params.width == 32) crc32s.emplace_back(model.name);
    }
    EXPECT_EQ(names_of({"CRC-32"}), std::make_pair(crc32s, Widths{32}));
    EXPECT_EQ(names_of({"CRC-48"}), std::make_pair(Names{}, Widths{48}));
    const auto every_crc = names_of({"CRC"});
    EXPECT_EQ(every_crc.first.size(), CrcCatalogue().size());
    EXPECT_EQ(every_crc.second, (Widths{8, 16, 24, 32, 64}));
    for (const char* nothing : {"CRC-2", "CRC-16/NONE", "SUM-9", "", "CRC-", "CRC-0016X"}) {
        FrameScope scope;
        std::string unknown;
        EXPECT_FALSE(NarrowToChecksNamed({"SUM-8", nothing}, scope, unknown)) << nothing;
        EXPECT_EQ(unknown, nothing);
    }
    // With widths: what both allow.
    FrameScope scope;
    std::string unknown;
    ASSERT_TRUE(NarrowToChecksNamed({"CRC"}, scope, unknown));
    scope.widths = {16, 48};
    EXPECT_EQ(RecoveryWidthsInScope(scope), (Widths{16, 48}));
    ASSERT_TRUE(NarrowToChecksNamed({"CRC-16"}, scope, unknown));
    scope.widths = {32};
    EXPECT_TRUE(NamedChecksInScope(scope).empty());
    EXPECT_TRUE(RecoveryWidthsInScope(scope).empty());
}

// Recovery is asked only at the widths and placements left, with the
// check read in the order left; and takes time in proportion.
TEST(FrameScope, RecoveryTriesOnlyWhatIsLeft) {
    std::mt19937 random(4);
    const std::vector<Bytes> frames = UncataloguedCrc16Frames(random);
    FrameSearchOptions options;
    options.scope = KnownCrc16Placement();
    options.scope.widths = {16, 32};
    std::vector<int> widths;
    bool samples_as_stored = true;
    options.recover = [&](const std::vector<CrcSample>& samples, int width) {
        widths.push_back(width);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const Bytes& frame = frames[i];
            const std::size_t check_size = static_cast<std::size_t>(width / 8);
            std::uint64_t low_first = 0;
            for (std::size_t k = 0; k < check_size; ++k) {
                low_first |= std::uint64_t{frame[frame.size() - check_size + k]} << (8 * k);
            }
            samples_as_stored = samples_as_stored && samples[i].message.size() == frame.size() - check_size &&
                                samples[i].check == low_first;
        }
        return CrcRecovery{};
    };
    SearchFrames(frames, options);
    EXPECT_EQ(widths, (std::vector<int>{16, 32}));
    EXPECT_TRUE(samples_as_stored);

    const std::vector<Bytes> long_frames = {RandomBytes(random, 1024), RandomBytes(random, 1024),
                                            RandomBytes(random, 1024)};
    FrameSearchOptions placed;
    placed.scope.head = 0;
    placed.scope.tail = 0;
    // Both orders, five widths: the same GCDs a placement, at 1 of 25.
    EXPECT_DOUBLE_EQ(EstimatedRecoverySeconds(long_frames, 4), 25 * EstimatedRecoverySeconds(long_frames, placed));
    placed.scope.widths = {8, 16};
    placed.scope.order = CheckOrder::kBigEndian;
    // One order: one GCD for the reflection whose order it is, one a width
    // for the other; 3 against the 10 of the full search.
    EXPECT_DOUBLE_EQ(3 * EstimatedRecoverySeconds(long_frames, 4),
                     25 * 10 * EstimatedRecoverySeconds(long_frames, placed));
    placed.scope.widths = {12};
    EXPECT_EQ(EstimatedRecoverySeconds(long_frames, placed), 0);
}

// Random frames hold no check: narrowed searches, believing lines on less
// evidence, still name nothing on them, in the shapes that recover a
// CRC-16 and with one frame for the named checks.
TEST(FrameScope, RandomFramesStayUnexplainedWhenNarrowed) {
    std::vector<FrameScope> scopes;
    scopes.push_back(KnownCrc16Placement());
    FrameScope family = KnownCrc16Placement();
    family.widths.clear();
    std::string unknown;
    ASSERT_TRUE(NarrowToChecksNamed({"CRC-16", "SUM"}, family, unknown));
    scopes.push_back(family);
    FrameScope eight;
    eight.widths = {8};
    eight.head = 1;
    scopes.push_back(eight);
    FrameScope modbus;
    modbus.named = std::vector<std::size_t>{NamedIndex("CRC-16/MODBUS")};
    modbus.head = 0;
    modbus.tail = 0;
    modbus.order = CheckOrder::kLittleEndian;
    scopes.push_back(modbus);
    int searched = 0;
    for (unsigned seed = 0; seed < 250; ++seed) {
        std::mt19937 random(seed + 1000);
        std::vector<Bytes> frames;
        for (const std::size_t size : {8, 8, 8, 11}) frames.push_back(RandomBytes(random, size));
        for (std::size_t s = 0; s < scopes.size(); ++s) {
            FrameSearchOptions options;
            options.scope = scopes[s];
            const std::vector<Bytes> given =
                s + 1 == scopes.size() ? std::vector<Bytes>{frames[seed % 4]} : frames;
            const FrameSearchResult result = SearchFrames(given, options);
            EXPECT_TRUE(result.matches.empty()) << "seed " << seed << " scope " << s << ": "
                                                << result.matches.front().method.Label();
            ++searched;
        }
    }
    EXPECT_EQ(searched, 1000);
}

}  // namespace
