// The folding paths (workbench/crc/fold.h) beside the tables and the bit-serial
// model: every catalogued CRC of width 8 to 64, and random ones of every such
// width, on every path this processor offers and on the tables forced, over
// lengths around each threshold and block boundary, random lengths up to
// several MiB, random alignments and random split points.
#include "workbench/crc/fold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/random_bytes.h"
#include "workbench/crc/bitwise.h"
#include "workbench/crc/catalogue.h"
#include "workbench/crc/engine.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Describe(const CrcParams& p) {
    std::ostringstream text;
    text << "width " << p.width << " poly " << std::hex << p.poly.low << " refin " << p.refin << " refout "
         << p.refout;
    return text.str();
}

// The catalogue's CRCs of the folded widths, and one of random parameters
// for each such width (an even polynomial, too, is a CRC).
std::vector<CrcParams> FoldedCrcs() {
    std::vector<CrcParams> crcs;
    for (const CrcModel& model : CrcCatalogue()) {
        if (CrcFoldServes(model.params.width)) crcs.push_back(model.params);
    }
    std::mt19937_64 random(13);
    for (int width = 8; width <= 64; ++width) {
        const Uint128 mask = LowBitsMask(width);
        CrcParams p;
        p.width = width;
        p.poly = Uint128{random()} & mask;
        p.init = Uint128{random()} & mask;
        p.xorout = Uint128{random()} & mask;
        p.refin = (random() & 1) != 0;
        p.refout = (random() & 1) != 0;
        crcs.push_back(p);
    }
    return crcs;
}

// One engine per path offered; the tables forced come first.
std::vector<std::unique_ptr<CrcEngine>> EveryPath(const CrcParams& p) {
    std::vector<std::unique_ptr<CrcEngine>> engines;
    for (CrcPath path : CrcPathsOffered()) {
        engines.push_back(std::make_unique<CrcEngine>(p, path));
        EXPECT_EQ(engines.back()->path(), path) << "the path asked for is not the one run";
    }
    return engines;
}

// Where the folding paths change what they do: the threshold, the 64-byte
// boundary the head runs to, and the ends of whole blocks of 128 and 256
// bytes with up to one block's tail after them.
std::vector<std::size_t> EdgeLengths() {
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n < 20; ++n) lengths.push_back(n);
    for (std::size_t blocks = 0; blocks <= 8; ++blocks) {
        for (std::size_t head : {std::size_t{0}, std::size_t{63}}) {
            for (int delta = -2; delta <= 2; ++delta) {
                lengths.push_back(CrcFold::kFoldFrom + head + blocks * kCrcPclmulBlock + delta);
            }
        }
    }
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
    return lengths;
}

TEST(CrcFold, EveryPathMatchesTheBitSerialModelAroundEachEdge) {
    std::mt19937_64 random(8);
    const std::vector<std::size_t> lengths = EdgeLengths();
    const Bytes buffer = RandomBytes(random, 64 + lengths.back());
    for (const CrcParams& p : FoldedCrcs()) {
        SCOPED_TRACE(Describe(p));
        const auto engines = EveryPath(p);
        // Two alignments a CRC: the model's register grows with the length.
        for (int round = 0; round < 2; ++round) {
            const unsigned char* data = buffer.data() + random() % 64;
            Uint128 model = p.init;
            std::size_t modelled = 0;
            for (std::size_t length : lengths) {
                model = crc_bitwise::Run(p, model, Bytes(data + modelled, data + length));
                modelled = length;
                SCOPED_TRACE("length " + std::to_string(length) + " at " +
                             std::to_string(reinterpret_cast<std::uintptr_t>(data) % 64));
                const Uint128 expected = crc_bitwise::Deliver(p, model);
                for (const auto& engine : engines) {
                    SCOPED_TRACE("path " + std::to_string(static_cast<int>(engine->path())));
                    ASSERT_EQ(engine->Compute(data, length), expected);
                }
            }
        }
    }
}

// Long runs, against the tables forced: the register passes from any path
// to any other at random split points, as the interface holds it.
TEST(CrcFold, LongRunsAgreeOnEveryPathAcrossSplits) {
    std::mt19937_64 random(64);
    constexpr std::size_t kLongest = std::size_t{5} << 20;
    const Bytes buffer = RandomBytes(random, 64 + kLongest);
    const std::vector<CrcParams> crcs = FoldedCrcs();
    for (std::size_t i = 0; i < crcs.size(); ++i) {
        const CrcParams& p = crcs[i];
        SCOPED_TRACE(Describe(p));
        const auto engines = EveryPath(p);
        // Every eighth CRC a run of up to several MiB; the others up to 64 KiB.
        const std::size_t length = random() % (i % 8 == 0 ? kLongest : std::size_t{64} << 10);
        const unsigned char* data = buffer.data() + random() % 64;
        SCOPED_TRACE("length " + std::to_string(length));
        const Uint128 expected = engines.front()->Compute(data, length);
        for (const auto& engine : engines) ASSERT_EQ(engine->Compute(data, length), expected);

        std::vector<std::size_t> splits = {0, length};
        for (int s = 0; s < 5; ++s) splits.push_back(random() % (length + 1));
        std::sort(splits.begin(), splits.end());
        Uint128 reg = engines.front()->Start();
        for (std::size_t s = 0; s + 1 < splits.size(); ++s) {
            const CrcEngine& engine = *engines[random() % engines.size()];
            reg = engine.Update(reg, data + splits[s], splits[s + 1] - splits[s]);
        }
        ASSERT_EQ(engines.front()->Finish(reg), expected);
    }
}

TEST(CrcFold, WidthsBeyondTheFoldStayOnTheTables) {
    for (int width : {1, 7, 65, 82}) {
        CrcParams p;
        p.width = width;
        p.poly = 1;
        EXPECT_EQ(CrcEngine(p, CrcPathsOffered().back()).path(), CrcPath::kTables) << width;
    }
}

// The kernel's own account of the processor, beside cpuid's as the kernel
// of the operating system read it (it drops the AVX-512 flags when it does
// not save those registers).
TEST(CrcFold, PathsOfferedFollowTheProcessorsFlags) {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
    }
    if (line.rfind("flags", 0) != 0) GTEST_SKIP() << "no /proc/cpuinfo flags here";
    std::istringstream words(line);
    std::vector<std::string> flags{std::istream_iterator<std::string>(words), {}};
    const auto has = [&flags](const char* flag) { return std::count(flags.begin(), flags.end(), flag) != 0; };
    std::vector<CrcPath> expected = {CrcPath::kTables};
    const bool pclmul = has("pclmulqdq") && has("ssse3") && has("sse4_1");
    if (pclmul) expected.push_back(CrcPath::kPclmul);
    if (pclmul && has("vpclmulqdq") && has("avx512f") && has("avx512bw")) expected.push_back(CrcPath::kVpclmul512);
    if (std::getenv("QUOBRIX_EMULATED_CPU") == nullptr) {
        EXPECT_EQ(CrcPathsOffered(), expected) << line;
        return;
    }
    // Under user-mode emulation /proc/cpuinfo is the host's, and the emulated
    // processor offers less (qemu has no AVX-512): no path beyond the host's,
    // and the carry-less multiplication that qemu does emulate is used.
    for (const CrcPath path : CrcPathsOffered()) {
        EXPECT_NE(std::find(expected.begin(), expected.end(), path), expected.end()) << static_cast<int>(path);
    }
    if (pclmul) {
        const std::vector<CrcPath> offered = CrcPathsOffered();
        EXPECT_NE(std::find(offered.begin(), offered.end(), CrcPath::kPclmul), offered.end());
    }
}

}  // namespace
