// Frames built and verified: the dialog's CRC-16 frame byte for byte, the
// check's bytes in both orders (a width that is no whole bytes with zero
// bits on top), each way a frame can fail to verify, and the placement words
// a line of `find` ends in.
#include "workbench/frames/frame_build.h"

#include <gtest/gtest.h>

namespace {

CheckMethod Named(const std::string& name) {
    CheckMethod method = CheckMethod::OfSum(kSumChecks[0]);
    std::string note;
    std::string error;
    EXPECT_TRUE(ResolveCheckMethod(name, method, note, error)) << name;
    return method;
}

const Bytes kDigits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

TEST(FrameBuild, TheDialogsCrc16Frame) {
    EXPECT_EQ(BuildFrame(Named("CRC-16/XMODEM"), CheckOrder::kBigEndian, {0xAA}, kDigits, {0x00, 0x00, 0xA9}),
              (Bytes{0xAA, '1', '2', '3', '4', '5', '6', '7', '8', '9', 0x31, 0xC3, 0x00, 0x00, 0xA9}));
    // CRC-16/MODBUS goes low byte first: 4B37 as 37 4B.
    EXPECT_EQ(BuildFrame(Named("crc-16/modbus"), CheckOrder::kLittleEndian, {}, kDigits, {}).back(), 0x4B);
}

// "LRC" is two checks: Modbus ASCII's LRC of 11 03 00 6B 00 03 is 7E (the
// guide's own example), the XOR of those bytes 7A. The name alone picks
// neither; the error names both.
TEST(FrameBuild, TheLrcIsOneOfTwoChecksAndTheUserSaysWhich) {
    const Bytes data = {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03};
    EXPECT_EQ(BuildFrame(Named("SUM-8/TWOS"), CheckOrder::kBigEndian, {}, data, {}).back(), 0x7E);
    EXPECT_EQ(BuildFrame(Named("XOR-8"), CheckOrder::kBigEndian, {}, data, {}).back(), 0x7A);
    CheckMethod method = CheckMethod::OfSum(kSumChecks[0]);
    std::string note, error;
    EXPECT_FALSE(ResolveCheckMethod("lrc", method, note, error));
    EXPECT_NE(error.find("SUM-8/TWOS"), std::string::npos) << error;
    EXPECT_NE(error.find("XOR-8"), std::string::npos) << error;
}

TEST(FrameBuild, CheckBytesInBothOrders) {
    EXPECT_EQ(CheckBytes(0xABC, 2, CheckOrder::kBigEndian), (Bytes{0x0A, 0xBC}));
    EXPECT_EQ(CheckBytes(0xABC, 2, CheckOrder::kLittleEndian), (Bytes{0xBC, 0x0A}));
    // CRC-82/DARC's check takes 11 bytes; its top byte holds two bits.
    const Uint128 wide{0x3, 0x0123456789ABCDEFu};
    const Bytes be = CheckBytes(wide, 11, CheckOrder::kBigEndian);
    EXPECT_EQ(be, (Bytes{0x00, 0x00, 0x03, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}));
    EXPECT_TRUE(ReadCheckBytes(be.data(), 11, CheckOrder::kBigEndian) == wide);
    const Bytes le(be.rbegin(), be.rend());
    EXPECT_EQ(CheckBytes(wide, 11, CheckOrder::kLittleEndian), le);
    EXPECT_TRUE(ReadCheckBytes(le.data(), 11, CheckOrder::kLittleEndian) == wide);
}

TEST(FrameBuild, VerifyTellsWhatDiffers) {
    const CheckMethod crc = Named("CRC-16/XMODEM");
    const FrameEnd head{{0xAA}}, tail{{0x00, 0x00, 0xA9}};
    const Bytes good = BuildFrame(crc, CheckOrder::kBigEndian, head.bytes, kDigits, tail.bytes);
    EXPECT_EQ(VerifyFrame(crc, CheckOrder::kBigEndian, head, tail, good).kind, FrameVerdict::kOk);
    // The same frame read low byte first holds C331, not 31C3.
    FrameVerdict verdict = VerifyFrame(crc, CheckOrder::kLittleEndian, head, tail, good);
    EXPECT_EQ(verdict.kind, FrameVerdict::kCheckDiffers);
    EXPECT_TRUE(verdict.held == 0xC331 && verdict.computed == 0x31C3);

    Bytes bad = good;
    bad[13] = 0x01;
    verdict = VerifyFrame(crc, CheckOrder::kBigEndian, head, tail, bad);
    EXPECT_EQ(verdict.kind, FrameVerdict::kTailDiffers);
    EXPECT_EQ(verdict.position, 13u);
    EXPECT_EQ(verdict.found, 0x01);
    EXPECT_EQ(verdict.expected, 0x00);
    // Only a count: any byte passes.
    EXPECT_EQ(VerifyFrame(crc, CheckOrder::kBigEndian, FrameEnd{{}, true, 1}, FrameEnd{{}, true, 3}, bad).kind,
              FrameVerdict::kOk);
    bad[0] = 0x55;
    verdict = VerifyFrame(crc, CheckOrder::kBigEndian, head, tail, bad);
    EXPECT_EQ(verdict.kind, FrameVerdict::kHeadDiffers);
    EXPECT_EQ(verdict.position, 0u);

    // Head, one data byte, two check bytes and three tail bytes need seven.
    EXPECT_EQ(VerifyFrame(crc, CheckOrder::kBigEndian, head, tail, Bytes(6, 0)).kind, FrameVerdict::kTooShort);
    EXPECT_EQ(VerifyFrame(crc, CheckOrder::kBigEndian, head, tail, {0xAA, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA9}).kind,
              FrameVerdict::kOk);  // CRC-16/XMODEM of 00 is 0000
}

TEST(FrameBuild, PlacementWordsAfterTheCheck) {
    std::string_view check;
    FramePlacement placement;
    std::string error;
    ASSERT_TRUE(SplitPlacement("CRC-16/MODBUS le head=1 tail=0", check, placement, error));
    EXPECT_EQ(check, "CRC-16/MODBUS");
    EXPECT_TRUE(placement.order == CheckOrder::kLittleEndian);
    EXPECT_EQ(placement.head, 1u);
    EXPECT_EQ(placement.tail, 0u);

    const std::string line =
        "width=16 poly=0x1021 init=0x1d0f refin=false refout=false xorout=0x0000 check=0xe5cc residue=0x0000";
    const std::string with_placement = line + "  be head=0 tail=2";
    ASSERT_TRUE(SplitPlacement(with_placement, check, placement, error));
    EXPECT_EQ(check, line);
    EXPECT_EQ(placement.tail, 2u);
    ASSERT_TRUE(SplitPlacement(line, check, placement, error));
    EXPECT_EQ(check, line);
    EXPECT_FALSE(placement.order || placement.head || placement.tail);

    ASSERT_TRUE(SplitPlacement("XOR-8 - head=2", check, placement, error));
    EXPECT_EQ(check, "XOR-8");
    EXPECT_TRUE(placement.any_order);
    EXPECT_EQ(placement.head, 2u);
    ASSERT_TRUE(SplitPlacement("le", check, placement, error));
    EXPECT_EQ(check, "");
    EXPECT_FALSE(SplitPlacement("SUM-8 head=x", check, placement, error));
    EXPECT_EQ(error, "\"head=x\": head takes a count of bytes in decimal");
}

}  // namespace
