// The generic CRC engine against a bit-serial model of the same parameters
// (workbench/crc/bitwise.h) on random CRCs of every width, and against the
// dialog's own CRC engines. The catalogue's check and residue values on every
// path are catalogue_paths_test.cpp's.
#include "workbench/crc/engine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/crc.h"
#include "workbench/crc/catalogue.h"
#include "workbench/crc/bitwise.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Hex(Uint128 v) {
    char text[40];
    std::snprintf(text, sizeof text, "%llx:%016llx", static_cast<unsigned long long>(v.high),
                  static_cast<unsigned long long>(v.low));
    return text;
}

// The engine's register in normal form, as the model holds it.
Uint128 Normal(const CrcParams& p, Uint128 reg) { return p.refin ? ReflectLowBits(reg, p.width) : reg; }

Uint128 RandomBits(std::mt19937_64& random, int width) {
    return Uint128{random(), random()} & LowBitsMask(width);
}

// Lengths that reach every tail of the word and block loops, and some that
// run the block loop many times.
std::vector<std::size_t> Lengths(std::mt19937_64& random) {
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 100; ++n) lengths.push_back(n);
    for (int i = 0; i < 3; ++i) lengths.push_back(1000 + random() % 5000);
    return lengths;
}

// Random CRCs of the widths from `first` to `last`, four of each (reflected
// and not), each computed on `path` (or the engine's own choice) over every
// length of Lengths() and chained in three runs, against the bit-serial model.
void ExpectRandomCrcsMatchTheModel(int first, int last, const CrcPath* path) {
    std::mt19937_64 random(82);
    const std::vector<std::size_t> lengths = Lengths(random);
    Bytes buffer(8 + 6000);
    for (unsigned char& b : buffer) b = static_cast<unsigned char>(random());
    for (int width = first; width <= last; ++width) {
        for (int round = 0; round < 4; ++round) {
            CrcParams p;
            p.width = width;
            p.poly = RandomBits(random, width);
            p.init = RandomBits(random, width);
            p.xorout = RandomBits(random, width);
            p.refin = (round & 1) != 0;
            p.refout = (random() & 1) != 0;
            const CrcEngine engine(p, path ? *path : CrcPathsOffered().back());
            SCOPED_TRACE("width " + std::to_string(width) + " poly " + Hex(p.poly) + " refin " +
                         std::to_string(p.refin) + " refout " + std::to_string(p.refout));
            if (path) {
                ASSERT_EQ(engine.path(), *path);
            }
            for (std::size_t length : lengths) {
                const unsigned char* data = buffer.data() + random() % 8;  // any alignment
                const Bytes message(data, data + length);
                SCOPED_TRACE("length " + std::to_string(length));
                ASSERT_EQ(Hex(engine.Compute(data, length)), Hex(crc_bitwise::Crc(p, message)));
                // Chained in three runs, split anywhere: the same register,
                // held as the interface says (reflected when refin).
                const std::size_t a = random() % (length + 1), b = a + random() % (length - a + 1);
                Uint128 reg = engine.Update(engine.Start(), data, a);
                reg = engine.Update(reg, data + a, b - a);
                reg = engine.Update(reg, data + b, length - b);
                ASSERT_EQ(Hex(Normal(p, reg)), Hex(crc_bitwise::Run(p, p.init, message)));
            }
        }
    }
}

TEST(CrcEngine, RandomParametersOfEveryWidthMatchTheBitSerialModel) {
    ExpectRandomCrcsMatchTheModel(kCrcMinWidth, kCrcMaxWidth, nullptr);
}

// The table path alone, where the engine's own choice folds: the 32-bit word
// tables serve widths to 32 (each width's register at the top of the word
// when not reflected), the 64-bit ones the widths beyond.
TEST(CrcEngine, TablePathOfEveryWordWidthMatchesTheBitSerialModel) {
    const CrcPath tables = CrcPath::kTables;
    ExpectRandomCrcsMatchTheModel(kCrcMinWidth, 64, &tables);
}

const CrcModel& Model(std::string_view name) {
    for (const CrcModel& model : CrcCatalogue()) {
        if (model.name == name) return model;
    }
    ADD_FAILURE() << name;
    return CrcCatalogue()[0];
}

// Spans hashed apart, each from a register of nothing, and joined in order
// give the whole message's CRC, as the bit-serial model computes it over the
// message in one piece.
TEST(CrcEngine, SpansHashedApartJoinToTheWholeMessagesCrc) {
    std::mt19937_64 random(23);
    Bytes buffer(3000);
    for (unsigned char& b : buffer) b = static_cast<unsigned char>(random());
    for (int width = kCrcMinWidth; width <= kCrcMaxWidth; ++width) {
        for (int round = 0; round < 2; ++round) {
            CrcParams p;
            p.width = width;
            p.poly = RandomBits(random, width) | 1u;
            p.init = RandomBits(random, width);
            p.xorout = RandomBits(random, width);
            p.refin = round == 1;
            p.refout = (random() & 1) != 0;
            const CrcEngine engine(p);
            SCOPED_TRACE("width " + std::to_string(width) + " poly " + Hex(p.poly) + " refin " +
                         std::to_string(p.refin));
            // Spans of 0 bytes, of a few, and past the folding paths' start.
            const std::size_t cuts[] = {0, 0, 5, 700, 701, 2100, buffer.size()};
            Uint128 reg = engine.Start();
            for (std::size_t i = 0; i + 1 < sizeof cuts / sizeof cuts[0]; ++i) {
                const std::size_t size = cuts[i + 1] - cuts[i];
                reg = engine.AfterZeros(reg, size) ^ engine.Update(0, buffer.data() + cuts[i], size);
            }
            ASSERT_EQ(Hex(engine.Finish(reg)), Hex(crc_bitwise::Crc(p, buffer)));
        }
    }
}

// Counts whose bits reach far, against the zero bytes run through Update.
TEST(CrcEngine, AfterZerosIsTheRegisterAfterThatManyZeroBytes) {
    const Bytes zeros(100003, 0);
    std::mt19937_64 random(4);
    for (const char* name : {"CRC-32/ISO-HDLC", "CRC-16/XMODEM", "CRC-5/USB", "CRC-3/GSM", "CRC-64/XZ",
                             "CRC-82/DARC"}) {
        const CrcEngine engine(Model(name).params);
        const int width = engine.params().width;
        for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{8}, std::size_t{255},
                                  std::size_t{4096}, zeros.size()}) {
            const Uint128 reg = RandomBits(random, width);
            EXPECT_EQ(Hex(engine.AfterZeros(reg, count)), Hex(engine.Update(reg, zeros.data(), count)))
                << name << " " << count;
        }
        // Counts with their top bits set, too many to run: two counts in
        // turn must equal their sum in one.
        const Uint128 reg = RandomBits(random, width);
        const std::uint64_t big = std::uint64_t{1} << 63, more = std::uint64_t{1} << 62;
        EXPECT_EQ(Hex(engine.AfterZeros(engine.AfterZeros(reg, big), more)), Hex(engine.AfterZeros(reg, big | more)))
            << name;
    }
}

TEST(CrcEngine, AgreesWithTheDialogsEngines) {
    const CrcEngine crc8(Model("CRC-8/MAXIM-DOW").params);
    const CrcEngine crc16(Model("CRC-16/XMODEM").params);
    const CrcEngine crc32(Model("CRC-32/ISO-HDLC").params);
    std::mt19937_64 random(936);
    for (std::size_t length = 0; length < 300; length += 1 + length / 8) {
        Bytes data(length);
        for (unsigned char& b : data) b = static_cast<unsigned char>(random());
        SCOPED_TRACE(length);
        EXPECT_EQ(crc8.Compute(data.data(), length), Uint128{Crc8(0, data.data(), length)});
        EXPECT_EQ(crc16.Compute(data.data(), length), Uint128{Crc16(0, data.data(), length)});
        EXPECT_EQ(crc32.Compute(data.data(), length), Uint128{Crc32(0, data.data(), length)});
    }
}

}  // namespace
