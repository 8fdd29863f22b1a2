// MODBUS frames: the worked examples of "MODBUS over serial line" and
// "MODBUS Messaging on TCP/IP", CRCs from a bit-at-a-time loop, LRCs summed
// by hand, and every fault a frame can have, each told apart.
#include <gtest/gtest.h>

#include <random>

#include "modbus/adu.h"
#include "support/modbus_oracle.h"

namespace {

using namespace modbus_oracle;

TEST(ModbusAdu, CrcMatchesThePublishedFramesAndTheBitLoop) {
    // Read holding registers of slave 17, as the serial line guide sends it,
    // and the README's read of ten registers of unit 1.
    EXPECT_EQ(ToHex(EncodeRtu(0x11, FromHex("03 00 6B 00 03"))), "11 03 00 6B 00 03 76 87");
    EXPECT_EQ(ToHex(EncodeRtu(0x01, FromHex("03 00 00 00 0A"))), "01 03 00 00 00 0A C5 CD");
    // CRC-16/MODBUS's catalogue check value.
    const Bytes digits = FromText("123456789");
    EXPECT_EQ(ModbusCrc(digits.data(), digits.size()), 0x4B37);
    EXPECT_EQ(ModbusCrc(nullptr, 0), 0xFFFF);
    std::mt19937 random(20261210);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes(random() % 300);
        for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
        ASSERT_EQ(ModbusCrc(bytes.data(), bytes.size()), Crc(bytes)) << ToHex(bytes);
    }
}

TEST(ModbusAdu, LrcIsTheTwosComplementOfTheSum) {
    // Summed by hand: 11 + 03 + 00 + 6B + 00 + 03 = 0x82, and 0x100 - 0x82 = 0x7E.
    const Bytes read = FromHex("11 03 00 6B 00 03");
    EXPECT_EQ(ModbusLrc(read.data(), read.size()), 0x7E);
    // 0x01 + 0x03 + 0x0A = 0x0E -> 0xF2; a sum of 0x100 (wrapping to 0) gives 0.
    const Bytes ten = FromHex("01 03 00 00 00 0A");
    EXPECT_EQ(ModbusLrc(ten.data(), ten.size()), 0xF2);
    const Bytes wraps = FromHex("80 80");
    EXPECT_EQ(ModbusLrc(wraps.data(), wraps.size()), 0x00);
    const Bytes sums_past = FromHex("FF FF FF");  // 0x2FD: low byte 0xFD -> 0x03
    EXPECT_EQ(ModbusLrc(sums_past.data(), sums_past.size()), 0x03);
    EXPECT_EQ(ModbusLrc(nullptr, 0), 0x00);
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        Bytes bytes(random() % 40);
        for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
        ASSERT_EQ(ModbusLrc(bytes.data(), bytes.size()), Lrc(bytes));
    }
}

TEST(ModbusAdu, EncodesEachFraming) {
    const Bytes pdu = FromHex("03 00 6B 00 03");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(EncodeAscii(0x11, pdu).data()), EncodeAscii(0x11, pdu).size()),
              ":1103006B00037E\r\n");
    EXPECT_EQ(ToHex(EncodeTcp(0x0001, 0x11, pdu)), "00 01 00 00 00 06 11 03 00 6B 00 03");
    EXPECT_EQ(ToHex(EncodeTcp(0xABCD, 0xFF, FromHex("81 02"))), "AB CD 00 00 00 03 FF 81 02");
    const ModbusAdu adu{0x11, pdu, 0x1234};
    EXPECT_EQ(EncodeAdu(ModbusFraming::kRtu, adu), EncodeRtu(0x11, pdu));
    EXPECT_EQ(EncodeAdu(ModbusFraming::kRtuOverTcp, adu), EncodeRtu(0x11, pdu));
    EXPECT_EQ(EncodeAdu(ModbusFraming::kAscii, adu), EncodeAscii(0x11, pdu));
    EXPECT_EQ(EncodeAdu(ModbusFraming::kTcp, adu), EncodeTcp(0x1234, 0x11, pdu));
}

TEST(ModbusAdu, RoundTripsEveryFramingAndPduSize) {
    std::mt19937 random(99);
    for (const ModbusFraming framing :
         {ModbusFraming::kRtu, ModbusFraming::kAscii, ModbusFraming::kTcp, ModbusFraming::kRtuOverTcp}) {
        for (std::size_t size = 1; size <= kModbusMaxPdu; size += (size < 8 ? 1 : 31)) {
            ModbusAdu adu;
            adu.unit = static_cast<unsigned char>(random());
            adu.pdu.resize(size);
            for (unsigned char& byte : adu.pdu) byte = static_cast<unsigned char>(random());
            if (framing == ModbusFraming::kTcp) adu.transaction = static_cast<std::uint16_t>(random());
            const Bytes frame = EncodeAdu(framing, adu);
            const AduParse parse = ParseAdu(framing, frame);
            ASSERT_TRUE(parse.ok()) << ModbusFramingName(framing) << " " << size << ": " << parse.message;
            EXPECT_EQ(parse.adu.unit, adu.unit);
            EXPECT_EQ(parse.adu.pdu, adu.pdu);
            EXPECT_EQ(parse.adu.transaction, adu.transaction);
        }
    }
    // The longest PDU exactly fills each framing's longest frame.
    const Bytes longest(kModbusMaxPdu, 0x10);
    EXPECT_EQ(EncodeRtu(1, longest).size(), 256u);
    EXPECT_EQ(EncodeTcp(1, 1, longest).size(), 260u);
    EXPECT_EQ(EncodeAscii(1, longest).size(), 513u);
}

TEST(ModbusAdu, RtuFaults) {
    const Bytes good = FromHex("11 03 00 6B 00 03 76 87");
    // Truncated at every length below the least frame.
    for (std::size_t size = 0; size < 4; ++size) {
        EXPECT_EQ(ParseRtu(good.data(), size).error, AduError::kTooShort) << size;
    }
    // A frame cut after its PDU's end has a wrong CRC, not a short frame.
    EXPECT_EQ(ParseRtu(good.data(), 7).error, AduError::kBadCrc);
    // A corrupt check says what the bytes give and what the frame holds.
    Bytes corrupt = good;
    corrupt[6] = 0x77;
    AduParse parse = ParseRtu(corrupt.data(), corrupt.size());
    EXPECT_EQ(parse.error, AduError::kBadCrc);
    EXPECT_EQ(parse.expected, 0x8776u);
    EXPECT_EQ(parse.got, 0x8777u);
    EXPECT_EQ(parse.message, "bad CRC: the bytes give 0x8776 (sent as 76 87), the frame has 0x8777");
    // The CRC sent high byte first is wrong too.
    parse = ParseRtu(FromHex("11 03 00 6B 00 03 87 76").data(), 8);
    EXPECT_EQ(parse.error, AduError::kBadCrc);
    // A flipped data bit.
    Bytes flipped = good;
    flipped[3] ^= 0x01;
    EXPECT_EQ(ParseRtu(flipped.data(), flipped.size()).error, AduError::kBadCrc);
    // Past 256 bytes.
    const Bytes long_frame = WithCrc(Bytes(255, 0x01));
    EXPECT_EQ(ParseRtu(long_frame.data(), long_frame.size()).error, AduError::kTooLong);
    const Bytes longest = WithCrc(Bytes(254, 0x01));
    EXPECT_TRUE(ParseRtu(longest.data(), longest.size()).ok());
}

TEST(ModbusAdu, AsciiFaults) {
    const auto parse = [](const std::string& text) {
        const Bytes bytes = FromText(text);
        return ParseAscii(bytes.data(), bytes.size());
    };
    EXPECT_TRUE(parse(":1103006B00037E\r\n").ok());
    EXPECT_TRUE(parse(":1103006b00037e\r\n").ok());  // lower-case digits are read too
    EXPECT_EQ(parse("1103006B00037E\r\n").error, AduError::kNoColon);
    EXPECT_EQ(parse(":1103006B00037E").error, AduError::kMissingCrLf);
    EXPECT_EQ(parse(":1103006B00037E\n").error, AduError::kMissingCrLf);
    EXPECT_EQ(parse(":1103006B00037E\r").error, AduError::kMissingCrLf);
    EXPECT_EQ(parse("").error, AduError::kMissingCrLf);
    EXPECT_EQ(parse(":1103006B00037\r\n").error, AduError::kOddHexDigits);
    AduParse bad = parse(":1103006G00037E\r\n");
    EXPECT_EQ(bad.error, AduError::kNotHexDigit);
    EXPECT_EQ(bad.position, 8u);  // the ":" is at 0
    bad = parse(":1103006B00037F\r\n");
    EXPECT_EQ(bad.error, AduError::kBadLrc);
    EXPECT_EQ(bad.expected, 0x7Eu);
    EXPECT_EQ(bad.got, 0x7Fu);
    EXPECT_EQ(bad.message, "bad LRC: the bytes give 0x7E, the frame has 0x7F");
    // Unit and LRC alone: no function code.
    EXPECT_EQ(parse(":11EF\r\n").error, AduError::kTooShort);
    // The least frame: unit, function, LRC (0x100 - 0x12 = 0xEE).
    const AduParse least = parse(":1101EE\r\n");
    ASSERT_TRUE(least.ok()) << least.message;
    EXPECT_EQ(least.adu.pdu, FromHex("01"));
    // Past the longest (513 characters).
    std::string body = "01";
    for (int i = 0; i < 254; ++i) body += "00";
    EXPECT_EQ(parse(":" + body + "FF\r\n").error, AduError::kTooLong);
}

TEST(ModbusAdu, TcpFaults) {
    const Bytes good = FromHex("00 01 00 00 00 06 11 03 00 6B 00 03");
    const AduParse ok = ParseTcp(good.data(), good.size());
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(ok.adu.transaction, 1);
    EXPECT_EQ(ok.adu.unit, 0x11);
    for (std::size_t size = 0; size < 8; ++size) {
        EXPECT_EQ(ParseTcp(good.data(), size).error, AduError::kTooShort) << size;
    }
    // Cut after the function code: the length no longer agrees.
    AduParse parse = ParseTcp(good.data(), 9);
    EXPECT_EQ(parse.error, AduError::kBadMbapLength);
    EXPECT_EQ(parse.got, 6u);
    EXPECT_EQ(parse.expected, 3u);
    EXPECT_EQ(parse.message, "bad MBAP length: the field says 6, 3 bytes follow it");
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_EQ(ParseTcp(longer.data(), longer.size()).error, AduError::kBadMbapLength);
    Bytes protocol = good;
    protocol[3] = 0x01;
    parse = ParseTcp(protocol.data(), protocol.size());
    EXPECT_EQ(parse.error, AduError::kProtocolNotZero);
    EXPECT_EQ(parse.got, 1u);
    Bytes too_long(261, 0);
    too_long[5] = 255;
    EXPECT_EQ(ParseTcp(too_long.data(), too_long.size()).error, AduError::kTooLong);
}

TEST(ModbusAdu, MbapFrameSizeCutsAStream) {
    const Bytes stream = FromHex("00 01 00 00 00 06 11 03 00 6B 00 03 00 02 00 00 00 03 11 83 02");
    EXPECT_EQ(MbapFrameSize(stream.data(), 5), 0u);
    EXPECT_EQ(MbapFrameSize(stream.data(), stream.size()), 12u);
    EXPECT_EQ(MbapFrameSize(stream.data() + 12, stream.size() - 12), 9u);
}

}  // namespace
