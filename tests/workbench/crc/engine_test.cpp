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

TEST(CrcEngine, RandomParametersOfEveryWidthMatchTheBitSerialModel) {
    std::mt19937_64 random(82);
    const std::vector<std::size_t> lengths = Lengths(random);
    Bytes buffer(8 + 6000);
    for (unsigned char& b : buffer) b = static_cast<unsigned char>(random());
    for (int width = kCrcMinWidth; width <= kCrcMaxWidth; ++width) {
        for (int round = 0; round < 4; ++round) {
            CrcParams p;
            p.width = width;
            p.poly = RandomBits(random, width);
            p.init = RandomBits(random, width);
            p.xorout = RandomBits(random, width);
            p.refin = (round & 1) != 0;
            p.refout = (random() & 1) != 0;
            const CrcEngine engine(p);
            SCOPED_TRACE("width " + std::to_string(width) + " poly " + Hex(p.poly) + " refin " +
                         std::to_string(p.refin) + " refout " + std::to_string(p.refout));
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

const CrcModel& Model(std::string_view name) {
    for (const CrcModel& model : CrcCatalogue()) {
        if (model.name == name) return model;
    }
    ADD_FAILURE() << name;
    return CrcCatalogue()[0];
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
