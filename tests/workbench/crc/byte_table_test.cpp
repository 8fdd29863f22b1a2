// The one-table CRC of short frames against the bit-serial reference
// (workbench/crc/bitwise.h) on random parameters of every width, with the
// register carried over pieces; and the residue written for parameters the
// catalogue does not hold. The catalogue's own check and residue values, on
// this table and every other path, are catalogue_paths_test.cpp's.
#include "workbench/crc/byte_table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "workbench/crc/check_values.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/bitwise.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Hex(Uint128 value) { return CrcHexDigits(value, 128, false); }

Uint128 RandomBits(std::mt19937_64& random, int width) {
    return Uint128{random(), random()} & LowBitsMask(width);
}

// Widths 1 to 82 with every reflection, the register carried over pieces of
// random size (none included).
TEST(CrcByteTable, MatchesTheBitSerialModel) {
    std::mt19937_64 random(82);
    for (int width = kCrcMinWidth; width <= kCrcMaxWidth; ++width) {
        for (int round = 0; round < 8; ++round) {
            CrcParams p;
            p.width = width;
            p.poly = RandomBits(random, width) | Uint128{1};
            p.init = RandomBits(random, width);
            p.xorout = RandomBits(random, width);
            p.refin = (round & 1) != 0;
            p.refout = (round & 2) != 0;
            Bytes message(random() % 40);
            for (auto& byte : message) byte = static_cast<unsigned char>(random());
            SCOPED_TRACE("width " + std::to_string(width) + " round " + std::to_string(round));
            const CrcByteTable table(p);
            const Uint128 expected = crc_bitwise::Crc(p, message);
            EXPECT_EQ(Hex(table.Compute(message.data(), message.size())), Hex(expected));
            Uint128 reg = table.Start();
            for (std::size_t at = 0; at < message.size();) {
                const std::size_t piece = std::min<std::size_t>(message.size() - at, random() % 4);
                reg = table.Update(reg, message.data() + at, piece);
                at += piece;
            }
            EXPECT_EQ(Hex(table.Finish(reg)), Hex(expected));
        }
    }
}

// The residue is what the register holds after a message and its own CRC,
// before xorout: for whole-byte widths, the CRC with no xorout of such a
// codeword, its CRC sent in the order the register's bits leave (lowest byte
// first when reflected).
TEST(CrcCheckValues, ResidueIsTheRegisterAfterACodeword) {
    std::mt19937_64 random(16);
    for (const int width : {8, 16, 24, 32, 40, 64}) {
        for (const bool reflected : {false, true}) {
            const CrcParams p{width, RandomBits(random, width) | Uint128{1}, RandomBits(random, width), reflected,
                              reflected, RandomBits(random, width)};
            Bytes codeword = {static_cast<unsigned char>(random()), 0x42};
            const Uint128 crc = crc_bitwise::Crc(p, codeword);
            for (int i = 0; i < width / 8; ++i) {
                const int byte = reflected ? i : width / 8 - 1 - i;
                codeword.push_back(static_cast<unsigned char>((crc >> (8 * byte)).low));
            }
            CrcParams no_xorout = p;
            no_xorout.xorout = 0;
            SCOPED_TRACE("width " + std::to_string(width) + (reflected ? " reflected" : ""));
            EXPECT_EQ(Hex(crc_bitwise::Crc(no_xorout, codeword)), Hex(CrcResidue(p)));
        }
    }
}

}  // namespace
