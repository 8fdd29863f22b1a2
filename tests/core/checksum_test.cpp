#include "core/checksum.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const std::string& text) {
    return std::vector<unsigned char>(text.begin(), text.end());
}

TEST(Checksum, KnownSums) {
    struct Case {
        std::vector<unsigned char> bytes;
        unsigned sum8, sum16;
    } cases[] = {
        {{}, 0x00, 0x0000},
        {Bytes("123456789"), 0xDD, 0x01DD},
        {Bytes("abc"), 0x26, 0x0126},
        {{0xD6, 0xD0}, 0xA6, 0x01A6},
        {{0xFF, 0xFF}, 0xFE, 0x01FE},
        {{0x80}, 0x80, 0x0080},
        {std::vector<unsigned char>(16, 0x10), 0x00, 0x0100},
        {std::vector<unsigned char>(257, 0xFF), 0xFF, 0xFFFF},
        {std::vector<unsigned char>(258, 0xFF), 0xFE, 0x00FE},
        {std::vector<unsigned char>(20480, 0xFF), 0x00, 0xB000},
    };
    for (const Case& c : cases) {
        const int n = static_cast<int>(c.bytes.size());
        EXPECT_EQ(Checksum8(c.bytes.data(), n), c.sum8) << n << " bytes";
        EXPECT_EQ(Checksum16(c.bytes.data(), n), c.sum16) << n << " bytes";
    }
}

TEST(Checksum, NonPositiveLengthReadsNothing) {
    EXPECT_EQ(Checksum8(nullptr, 0), 0);
    EXPECT_EQ(Checksum16(nullptr, -5), 0);
}

TEST(Checksum, EqualsTheWideSumReduced) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 50; ++round) {
        std::vector<unsigned char> bytes(random() % 20481);
        for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
        const long total = std::accumulate(bytes.begin(), bytes.end(), 0L);
        const int n = static_cast<int>(bytes.size());
        EXPECT_EQ(Checksum8(bytes.data(), n), total % 256);
        EXPECT_EQ(Checksum16(bytes.data(), n), total % 65536);
    }
}

}  // namespace
