// The link's checks: frames built with the check appended as MODBUS
// publishes them, received frames judged, and the check that unnamed
// frames carry identified, against the bit-at-a-time CRC model.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "link/link_check.h"
#include "link/text_view.h"
#include "support/check_oracle.h"

namespace {

LinkBytes B(std::initializer_list<unsigned> bytes) {
    LinkBytes out;
    for (unsigned b : bytes) out.push_back(static_cast<unsigned char>(b));
    return out;
}

LinkCheck Read(const std::string& text, std::optional<LinkBytes> head = {}, std::optional<LinkBytes> tail = {}) {
    LinkCheck check;
    std::string note, error;
    EXPECT_TRUE(ReadLinkCheck(text, head, tail, check, note, error)) << text << ": " << error;
    return check;
}

std::string Hex(const LinkBytes& bytes) { return HexLine(bytes.data(), bytes.size()); }

TEST(LinkCheck, BuildsTheFramesMODBUSPublishes) {
    // MODBUS over serial line, 6.3: read holding registers of slave 17.
    EXPECT_EQ(Hex(BuildLinkFrame(Read("CRC-16/MODBUS le"), B({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}))),
              "11 03 00 6B 00 03 76 87");
    EXPECT_EQ(Hex(BuildLinkFrame(Read("CRC-16/MODBUS be"), B({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}))),
              "11 03 00 6B 00 03 87 76");
    // A start and end byte around, the check over the data alone.
    EXPECT_EQ(Hex(BuildLinkFrame(Read("CRC-16/MODBUS le head=1 tail=1", B({0x02}), B({0x03})),
                                 B({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}))),
              "02 11 03 00 6B 00 03 76 87 03");
}

TEST(LinkCheck, JudgesEachFrame) {
    struct Case {
        const char* check;
        LinkBytes frame;
        bool ok;
        const char* verdict;
    } cases[] = {
        {"CRC-16/MODBUS le", B({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}), true, "ok"},
        {"CRC-16/MODBUS le", B({0x11, 0x03, 0x00, 0x6B, 0x00, 0x04, 0x76, 0x87}), false,
         "check 76 87, the data gives 37 45"},
        {"CRC-16/MODBUS le", B({0x11, 0x03}), false, "too short for the check: 2 bytes"},
        // head=1 without --head: any byte there.
        {"CRC-16/MODBUS le head=1", B({0xEE, 0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}), true, "ok"},
    };
    for (const Case& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(CheckVerdict(Read(c.check), c.frame, ok), c.verdict) << c.check;
        EXPECT_EQ(ok, c.ok) << c.check;
    }
    bool ok = true;
    EXPECT_EQ(CheckVerdict(Read("CRC-16/MODBUS le head=1", B({0x02})),
                           B({0x05, 0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}), ok),
              "head byte 1 is 05, not 02");
    EXPECT_FALSE(ok);
}

TEST(LinkCheck, WrongWordsAreRefusedWithTheReason) {
    struct Case {
        const char* check;
        std::optional<LinkBytes> head;
        const char* error_part;
    } cases[] = {
        {"CRC-99/NOTHING", {}, "CRC-99/NOTHING"},
        {"CRC-16/MODBUS -", {}, "one-byte"},
        {"CRC-16/MODBUS le head=2", B({0x01}), "--head holds 1 bytes, but CHECK says head=2"},
        {"le", {}, "names no check"},
    };
    for (const Case& c : cases) {
        LinkCheck check;
        std::string note, error;
        EXPECT_FALSE(ReadLinkCheck(c.check, c.head, {}, check, note, error)) << c.check;
        EXPECT_NE(error.find(c.error_part), std::string::npos) << c.check << ": " << error;
    }
    std::string error;
    EXPECT_FALSE(CanSend(Read("CRC-16/MODBUS le head=1"), error));
    EXPECT_NE(error.find("--head"), std::string::npos) << error;
    EXPECT_TRUE(CanSend(Read("CRC-16/MODBUS le head=1", B({0x01})), error));
}

// Frames whose check the model computes: once enough have come, the check
// is named as quobrix find names it; random frames name nothing.
TEST(LinkCheck, IdentifiesTheCheckOfEnoughFrames) {
    std::mt19937 random(77);
    CheckMethod modbus = CheckMethod::OfSum(kSumChecks[0]);
    std::string note, error;
    ASSERT_TRUE(ResolveCheckMethod("CRC-16/MODBUS", modbus, note, error)) << error;
    std::vector<LinkBytes> frames, noise;
    for (int i = 0; i < 4; ++i) {
        LinkBytes data(4 + random() % 8);
        for (unsigned char& b : data) b = static_cast<unsigned char>(random());
        LinkBytes frame = data;
        const LinkBytes check = check_oracle::Stored(check_oracle::Check(modbus, data), 2, true);
        frame.insert(frame.end(), check.begin(), check.end());
        frames.push_back(frame);
        LinkBytes random_frame(frame.size());
        for (unsigned char& b : random_frame) b = static_cast<unsigned char>(random());
        noise.push_back(random_frame);
    }
    EXPECT_EQ(IdentifyCheck(frames), "CRC-16/MODBUS le head=0 tail=0");
    EXPECT_EQ(IdentifyCheck(noise), "");
}

}  // namespace
