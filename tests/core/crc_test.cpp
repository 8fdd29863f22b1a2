// The CRC engines against published check values and against a bit-serial
// model of each CRC written from its catalogue parameters (polynomial in
// normal form, reflection, initial register, final XOR) - an arithmetic of
// its own, with no table.
#include "core/crc.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/crc_tables.h"
#include "support/crc_model.h"
#include "support/random_bytes.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

using crc_model::kCrc16Model;
using crc_model::kCrc32Model;
using crc_model::kCrc8Model;
using crc_model::Reflect;

std::uint32_t Crc8Of(const Bytes& d) { return Crc8(0, d.data(), d.size()); }
std::uint32_t Crc16Of(const Bytes& d) { return Crc16(0, d.data(), d.size()); }
std::uint32_t Crc32Of(const Bytes& d) { return Crc32(0, d.data(), d.size()); }

TEST(Crc, PublishedAndWorkedOutValues) {
    struct Case {
        Bytes data;
        std::uint32_t crc8, crc16, crc32;
    } cases[] = {
        // The catalogues' check values over the text 123456789.
        {Text("123456789"), 0xA1, 0x31C3, 0xCBF43926},
        {{}, 0x00, 0x0000, 0x00000000},
        {{0x00}, 0x00, 0x0000, 0xD202EF8D},
        {{0xFF, 0xFF, 0xFF}, 0x66, 0xD26C, 0xFFFFFF00},
        {{0xD6, 0xD0}, 0xA5, 0x74FC, 0x1068A2B2},  // GBK of the character "zhong"
        {Text("A"), 0x18, 0x58E5, 0xD3D99E8B},
        {Text("A\r\nB"), 0x62, 0xDD34, 0x6809BB21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data.size());
        EXPECT_EQ(Crc8Of(c.data), c.crc8);
        EXPECT_EQ(Crc16Of(c.data), c.crc16);
        EXPECT_EQ(Crc32Of(c.data), c.crc32);
        // The models agree on the same values: they are fit to judge the rest.
        EXPECT_EQ(kCrc8Model.Crc(c.data), c.crc8);
        EXPECT_EQ(kCrc16Model.Crc(c.data), c.crc16);
        EXPECT_EQ(kCrc32Model.Crc(c.data), c.crc32);
    }
}

// A table built by a wrong rule shows here: every entry is recomputed as the
// normal-form register after the bit-reversed byte (the model reverses it),
// reversed back.
TEST(Crc, EveryTableEntryFollowsTheReflectedRule) {
    for (std::uint32_t i = 0; i < CRC_TABLE_SIZE; ++i) {
        const Bytes byte{static_cast<unsigned char>(i)};
        EXPECT_EQ(CRC8_TABLE[i], Reflect(kCrc8Model.Run(0, byte), 8)) << i;
        EXPECT_EQ(CRC32_TABLE[i], Reflect(kCrc32Model.Run(0, byte), 32)) << i;
    }
    // The anchors every copy of these tables shares.
    EXPECT_EQ(CRC8_TABLE[1], 0x5E);
    EXPECT_EQ(CRC8_TABLE[3], 0xE2);
    EXPECT_EQ(CRC8_TABLE[255], 0x35);
    EXPECT_EQ(CRC32_TABLE[1], 0x77073096u);
    EXPECT_EQ(CRC32_TABLE[128], 0xEDB88320u);
    EXPECT_EQ(CRC32_TABLE[255], 0x2D02EF8Du);
}

TEST(Crc, RandomDataMatchesTheBitSerialModels) {
    std::mt19937 random(1321);
    for (std::size_t n : {1u, 2u, 3u, 15u, 16u, 17u, 255u, 256u, 1000u, 20480u}) {
        const Bytes data = RandomBytes(random, n);
        EXPECT_EQ(Crc8Of(data), kCrc8Model.Crc(data)) << n;
        EXPECT_EQ(Crc16Of(data), kCrc16Model.Crc(data)) << n;
        EXPECT_EQ(Crc32Of(data), kCrc32Model.Crc(data)) << n;
    }
}

TEST(Crc, ChainingOverASplitEqualsOneRun) {
    std::mt19937 random(802);
    const Bytes data = RandomBytes(random, 97);
    const std::uint32_t whole8 = Crc8Of(data), whole16 = Crc16Of(data), whole32 = Crc32Of(data);
    for (std::size_t split = 0; split <= data.size(); ++split) {
        const unsigned char* rest = data.data() + split;
        const std::size_t rest_length = data.size() - split;
        EXPECT_EQ(Crc8(Crc8(0, data.data(), split), rest, rest_length), whole8) << split;
        EXPECT_EQ(Crc16(Crc16(0, data.data(), split), rest, rest_length), whole16) << split;
        EXPECT_EQ(Crc32(Crc32(0, data.data(), split), rest, rest_length), whole32) << split;
    }
}

TEST(Crc, EmptyRunReturnsTheStartUnchanged) {
    EXPECT_EQ(Crc8(0xC7, nullptr, 0), 0xC7);
    EXPECT_EQ(Crc16(0x12345678, nullptr, 0), 0x12345678u);
    EXPECT_EQ(Crc32(0xCBF43926, nullptr, 0), 0xCBF43926u);
}

TEST(Crc, SixteenBitStartUsesOnlyItsLowHalf) {
    const Bytes data = Text("123456789");
    // Other starts give other catalogue CRCs of the same polynomial:
    // CRC-16/SPI-FUJITSU (start 1D0F) and CRC-16/IBM-3740 (start FFFF).
    EXPECT_EQ(Crc16(0x1D0F, data.data(), data.size()), 0xE5CCu);
    EXPECT_EQ(Crc16(0xABCD1D0F, data.data(), data.size()), 0xE5CCu);
    EXPECT_EQ(Crc16(0xFFFF, data.data(), data.size()), 0x29B1u);
    EXPECT_EQ(Crc16(0x5555FFFF, data.data(), data.size()), 0x29B1u);
    // One byte is enough to clear the high half.
    EXPECT_EQ(Crc16(0xFFFFFFFF, data.data(), 1) >> 16, 0u);
}

}  // namespace
