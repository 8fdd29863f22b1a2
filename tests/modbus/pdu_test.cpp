// MODBUS's functions: the request and response of each as the worked
// examples of the MODBUS Application Protocol (V1.1b3) give them, built and
// parsed both ways; the limits at 0, the largest count and one past; byte
// counts that disagree; and every exception code's standard name.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "modbus/pdu.h"
#include "support/modbus_oracle.h"

namespace {

using namespace modbus_oracle;
using namespace modbus_function;

const ModbusDirection kRequest = ModbusDirection::kRequest;
const ModbusDirection kResponse = ModbusDirection::kResponse;

PduParse Parse(const std::string& hex, ModbusDirection direction) {
    return ParseModbusPdu(FromHex(hex), direction);
}

ModbusPdu Good(const std::string& hex, ModbusDirection direction) {
    const PduParse parse = Parse(hex, direction);
    EXPECT_TRUE(parse.ok()) << hex << ": " << parse.message;
    return parse.pdu;
}

std::vector<bool> Bits(const std::string& ones_and_zeros) {
    std::vector<bool> bits;
    for (const char ch : ones_and_zeros) bits.push_back(ch == '1');
    return bits;
}

TEST(ModbusPdu, PublishedExamplesBuildAndParse) {
    // Read coils 20-38: the coils come eight to a byte, the first lowest.
    EXPECT_EQ(ToHex(ReadRequest(kReadCoils, 0x13, 0x13)), "01 00 13 00 13");
    ModbusPdu pdu = Good("01 00 13 00 13", kRequest);
    EXPECT_EQ(pdu.address, 19);
    EXPECT_EQ(pdu.count, 19);
    // CD = 1100 1101: coils 20..27 read from the lowest bit up are 1 0 1 1 0 0 1 1.
    const std::vector<bool> coils = Bits("1011001111010110101");
    EXPECT_EQ(ToHex(ReadBitsResponse(kReadCoils, coils)), "01 03 CD 6B 05");
    pdu = Good("01 03 CD 6B 05", kResponse);
    EXPECT_EQ(pdu.byte_count, 3u);
    ASSERT_EQ(pdu.bits.size(), 24u);
    EXPECT_EQ(std::vector<bool>(pdu.bits.begin(), pdu.bits.begin() + 19), coils);
    // Read discrete inputs 197-218.
    EXPECT_EQ(ToHex(ReadRequest(kReadDiscreteInputs, 0xC4, 0x16)), "02 00 C4 00 16");
    EXPECT_EQ(Good("02 03 AC DB 35", kResponse).bits.size(), 24u);
    // Read holding registers 108-110: 555, 0, 100.
    EXPECT_EQ(ToHex(ReadRequest(kReadHoldingRegisters, 0x6B, 3)), "03 00 6B 00 03");
    EXPECT_EQ(ToHex(ReadRegistersResponse(kReadHoldingRegisters, {555, 0, 100})), "03 06 02 2B 00 00 00 64");
    pdu = Good("03 06 02 2B 00 00 00 64", kResponse);
    EXPECT_EQ(pdu.registers, (std::vector<std::uint16_t>{555, 0, 100}));
    EXPECT_EQ(pdu.count, 3);
    // Read input register 9: 10.
    EXPECT_EQ(ToHex(ReadRequest(kReadInputRegisters, 8, 1)), "04 00 08 00 01");
    EXPECT_EQ(Good("04 02 00 0A", kResponse).registers, (std::vector<std::uint16_t>{10}));
    // Write coil 173 on; the response echoes the request.
    EXPECT_EQ(ToHex(WriteSingleCoilRequest(0xAC, true)), "05 00 AC FF 00");
    pdu = Good("05 00 AC FF 00", kResponse);
    EXPECT_EQ(pdu.address, 0xAC);
    EXPECT_EQ(pdu.bits, Bits("1"));
    EXPECT_EQ(Good("05 00 AC 00 00", kRequest).bits, Bits("0"));
    // Write register 2 to 3.
    EXPECT_EQ(ToHex(WriteSingleRegisterRequest(1, 3)), "06 00 01 00 03");
    EXPECT_EQ(Good("06 00 01 00 03", kResponse).registers, (std::vector<std::uint16_t>{3}));
    // Diagnostics, return query data: A5 37 echoed.
    EXPECT_EQ(ToHex(DiagnosticsRequest(kDiagnosticsReturnQueryData, FromHex("A5 37"))), "08 00 00 A5 37");
    pdu = Good("08 00 00 A5 37", kResponse);
    EXPECT_EQ(pdu.sub_function, 0);
    EXPECT_EQ(pdu.data, FromHex("A5 37"));
    // Write 10 coils from 20: CD 01.
    const std::vector<bool> written = Bits("1011001110");
    EXPECT_EQ(ToHex(WriteMultipleCoilsRequest(0x13, written)), "0F 00 13 00 0A 02 CD 01");
    pdu = Good("0F 00 13 00 0A 02 CD 01", kRequest);
    EXPECT_EQ(pdu.bits, written);
    EXPECT_EQ(ToHex(WriteMultipleResponse(kWriteMultipleCoils, 0x13, 0x0A)), "0F 00 13 00 0A");
    EXPECT_EQ(Good("0F 00 13 00 0A", kResponse).count, 10);
    // Write registers 2 and 3 to 000A and 0102.
    EXPECT_EQ(ToHex(WriteMultipleRegistersRequest(1, {0x000A, 0x0102})), "10 00 01 00 02 04 00 0A 01 02");
    EXPECT_EQ(Good("10 00 01 00 02 04 00 0A 01 02", kRequest).registers,
              (std::vector<std::uint16_t>{0x000A, 0x0102}));
    EXPECT_EQ(ToHex(WriteMultipleResponse(kWriteMultipleRegisters, 1, 2)), "10 00 01 00 02");
    // Mask write register 5: AND 00F2, OR 0025.
    EXPECT_EQ(ToHex(MaskWriteRegisterRequest(4, 0x00F2, 0x0025)), "16 00 04 00 F2 00 25");
    pdu = Good("16 00 04 00 F2 00 25", kResponse);
    EXPECT_EQ(pdu.and_mask, 0x00F2);
    EXPECT_EQ(pdu.or_mask, 0x0025);
    // Read 6 registers from 4, write 3 from 15.
    EXPECT_EQ(ToHex(ReadWriteMultipleRegistersRequest(3, 6, 0x0E, {0xFF, 0xFF, 0xFF})),
              "17 00 03 00 06 00 0E 00 03 06 00 FF 00 FF 00 FF");
    pdu = Good("17 00 03 00 06 00 0E 00 03 06 00 FF 00 FF 00 FF", kRequest);
    EXPECT_EQ(pdu.address, 3);
    EXPECT_EQ(pdu.count, 6);
    EXPECT_EQ(pdu.write_address, 0x0E);
    EXPECT_EQ(pdu.write_count, 3);
    EXPECT_EQ(ToHex(ReadRegistersResponse(kReadWriteMultipleRegisters, {0xFE, 0x0ACD, 1, 3, 0x0D, 0xFF})),
              "17 0C 00 FE 0A CD 00 01 00 03 00 0D 00 FF");
    EXPECT_EQ(Good("17 0C 00 FE 0A CD 00 01 00 03 00 0D 00 FF", kResponse).registers.size(), 6u);
    // Read device identification, basic, from object 0.
    EXPECT_EQ(ToHex(ReadDeviceIdentificationRequest(1, 0)), "2B 0E 01 00");
    EXPECT_EQ(Good("2B 0E 01 00", kRequest).read_device_id_code, 1);
    // Lengths counted by hand: 22, 15 and 5 characters.
    const std::vector<ModbusDeviceObject> objects = {
        {0, "Company identification"}, {1, "Product code XX"}, {2, "V2.11"}};
    const Bytes identification = ReadDeviceIdentificationResponse(1, 1, false, 0, objects);
    Bytes expected = FromHex("2B 0E 01 01 00 00 03 00 16");
    for (const char ch : std::string("Company identification")) expected.push_back(static_cast<unsigned char>(ch));
    expected.push_back(0x01);
    expected.push_back(0x0F);
    for (const char ch : std::string("Product code XX")) expected.push_back(static_cast<unsigned char>(ch));
    expected.push_back(0x02);
    expected.push_back(0x05);
    for (const char ch : std::string("V2.11")) expected.push_back(static_cast<unsigned char>(ch));
    EXPECT_EQ(identification, expected);
    pdu = ParseModbusPdu(identification, kResponse).pdu;
    ASSERT_EQ(pdu.objects.size(), 3u);
    EXPECT_EQ(pdu.objects[1].value, "Product code XX");
    EXPECT_EQ(pdu.conformity_level, 1);
    EXPECT_FALSE(pdu.more_follows);
    // Read coil 1186: an illegal data address.
    EXPECT_EQ(ToHex(ExceptionResponse(kReadCoils, 0x02)), "81 02");
    pdu = Good("81 02", kResponse);
    EXPECT_TRUE(pdu.exception);
    EXPECT_EQ(pdu.function, kReadCoils);
    EXPECT_EQ(pdu.exception_code, 2);
}

TEST(ModbusPdu, EveryExceptionCodeHasItsStandardName) {
    const struct {
        unsigned char code;
        const char* name;
    } names[] = {{0x01, "ILLEGAL FUNCTION"},
                 {0x02, "ILLEGAL DATA ADDRESS"},
                 {0x03, "ILLEGAL DATA VALUE"},
                 {0x04, "SERVER DEVICE FAILURE"},
                 {0x05, "ACKNOWLEDGE"},
                 {0x06, "SERVER DEVICE BUSY"},
                 {0x07, "NEGATIVE ACKNOWLEDGE"},
                 {0x08, "MEMORY PARITY ERROR"},
                 {0x09, ""},
                 {0x0A, "GATEWAY PATH UNAVAILABLE"},
                 {0x0B, "GATEWAY TARGET DEVICE FAILED TO RESPOND"},
                 {0x00, ""},
                 {0x0C, ""},
                 {0xFF, ""}};
    for (const auto& row : names) {
        EXPECT_STREQ(ModbusExceptionName(row.code), row.name) << int(row.code);
        // Every code parses, named or not, after every function code.
        const PduParse parse = ParseModbusPdu(ExceptionResponse(kReadHoldingRegisters, row.code), kResponse);
        ASSERT_TRUE(parse.ok());
        EXPECT_EQ(parse.pdu.exception_code, row.code);
    }
    EXPECT_EQ(Parse("83", kResponse).error, PduError::kTooShort);
    EXPECT_EQ(Parse("83 02 00", kResponse).error, PduError::kWrongLength);
    EXPECT_EQ(Parse("83 02", kRequest).error, PduError::kNotARequest);
    // An exception to a function this library does not know is still one.
    EXPECT_TRUE(Good("C1 01", kResponse).exception);
}

TEST(ModbusPdu, UnknownFunctionAndEmpty) {
    for (const char* hex : {"41 00 00", "07", "18 00 00", "00", "7F 01"}) {
        for (const ModbusDirection direction : {kRequest, kResponse}) {
            EXPECT_EQ(Parse(hex, direction).error, PduError::kUnknownFunction) << hex;
        }
    }
    EXPECT_EQ(Parse("41 00", kRequest).message, "unknown function code 0x41");
    EXPECT_EQ(ParseModbusPdu(Bytes{}, kRequest).error, PduError::kEmpty);
    EXPECT_EQ(Parse("2B 0D 01 00", kRequest).error, PduError::kBadMeiType);
}

TEST(ModbusPdu, CountsAtTheirLimits) {
    struct Limit {
        unsigned char function;
        unsigned most;
    };
    // Requests of address and count: 0 and one past are refused, 1 and the most taken.
    for (const Limit limit : {Limit{kReadCoils, 2000}, Limit{kReadDiscreteInputs, 2000},
                              Limit{kReadHoldingRegisters, 125}, Limit{kReadInputRegisters, 125}}) {
        const auto error = [&](unsigned count) {
            return ParseModbusPdu(ReadRequest(limit.function, 0, static_cast<std::uint16_t>(count)), kRequest).error;
        };
        EXPECT_EQ(error(0), PduError::kCountOutOfRange) << int(limit.function);
        EXPECT_EQ(error(1), PduError::kNone);
        EXPECT_EQ(error(limit.most), PduError::kNone);
        EXPECT_EQ(error(limit.most + 1), PduError::kCountOutOfRange);
        EXPECT_EQ(error(0xFFFF), PduError::kCountOutOfRange);
    }
    EXPECT_EQ(Parse("03 00 00 00 7E", kRequest).message,
              "Read Holding Registers request: quantity 126 is out of range 1-125");
    // Writes of many coils: 1968 at most.
    EXPECT_TRUE(ParseModbusPdu(WriteMultipleCoilsRequest(0, std::vector<bool>(1968, true)), kRequest).ok());
    EXPECT_EQ(ParseModbusPdu(WriteMultipleCoilsRequest(0, std::vector<bool>(1969, true)), kRequest).error,
              PduError::kCountOutOfRange);
    EXPECT_EQ(ParseModbusPdu(WriteMultipleCoilsRequest(0, {}), kRequest).error, PduError::kCountOutOfRange);
    // Of many registers: 123.
    EXPECT_TRUE(ParseModbusPdu(WriteMultipleRegistersRequest(0, std::vector<std::uint16_t>(123, 7)), kRequest).ok());
    EXPECT_EQ(ParseModbusPdu(WriteMultipleRegistersRequest(0, std::vector<std::uint16_t>(124, 7)), kRequest).error,
              PduError::kCountOutOfRange);
    EXPECT_EQ(ParseModbusPdu(WriteMultipleRegistersRequest(0, {}), kRequest).error, PduError::kCountOutOfRange);
    // Read/write: 125 to read, 121 to write.
    const std::vector<std::uint16_t> w121(121, 1), w122(122, 1);
    EXPECT_TRUE(ParseModbusPdu(ReadWriteMultipleRegistersRequest(0, 125, 0, w121), kRequest).ok());
    EXPECT_EQ(ParseModbusPdu(ReadWriteMultipleRegistersRequest(0, 126, 0, w121), kRequest).error,
              PduError::kCountOutOfRange);
    EXPECT_EQ(ParseModbusPdu(ReadWriteMultipleRegistersRequest(0, 0, 0, w121), kRequest).error,
              PduError::kCountOutOfRange);
    EXPECT_EQ(ParseModbusPdu(ReadWriteMultipleRegistersRequest(0, 1, 0, w122), kRequest).error,
              PduError::kCountOutOfRange);
    EXPECT_EQ(ParseModbusPdu(ReadWriteMultipleRegistersRequest(0, 1, 0, {}), kRequest).error,
              PduError::kCountOutOfRange);
    // Responses: 125 registers (250 bytes) and 2000 bits (250 bytes) at most.
    EXPECT_TRUE(ParseModbusPdu(ReadRegistersResponse(kReadInputRegisters, std::vector<std::uint16_t>(125)), kResponse)
                    .ok());
    EXPECT_EQ(ParseModbusPdu(ReadRegistersResponse(kReadInputRegisters, std::vector<std::uint16_t>(126)), kResponse)
                  .error,
              PduError::kCountOutOfRange);
    EXPECT_EQ(ParseModbusPdu(ReadRegistersResponse(kReadInputRegisters, {}), kResponse).error,
              PduError::kCountOutOfRange);
    EXPECT_TRUE(ParseModbusPdu(ReadBitsResponse(kReadCoils, std::vector<bool>(2000)), kResponse).ok());
    EXPECT_EQ(ParseModbusPdu(ReadBitsResponse(kReadCoils, std::vector<bool>(2001)), kResponse).error,
              PduError::kCountOutOfRange);
    EXPECT_EQ(ParseModbusPdu(ReadBitsResponse(kReadCoils, {}), kResponse).error, PduError::kCountOutOfRange);
    // Write responses hold their counts to the same limits.
    EXPECT_TRUE(Good("10 00 00 00 7B", kResponse).count == 123);
    EXPECT_EQ(Parse("10 00 00 00 7C", kResponse).error, PduError::kCountOutOfRange);
    EXPECT_EQ(Parse("0F 00 00 07 B1", kResponse).error, PduError::kCountOutOfRange);
    // A byte count past 255 cannot be written: the builders give nothing.
    EXPECT_TRUE(WriteMultipleRegistersRequest(0, std::vector<std::uint16_t>(128)).empty());
    EXPECT_FALSE(WriteMultipleRegistersRequest(0, std::vector<std::uint16_t>(127)).empty());
}

TEST(ModbusPdu, ByteCountsThatDisagree) {
    // With the count: 10 coils take 2 bytes, 2 registers 4.
    PduParse parse = Parse("0F 00 13 00 0A 01 CD", kRequest);
    EXPECT_EQ(parse.error, PduError::kByteCountMismatch);
    EXPECT_EQ(parse.message, "Write Multiple Coils request: byte count 1 disagrees with the quantity of coils (needs 2)");
    EXPECT_EQ(Parse("10 00 01 00 02 06 00 0A 01 02 00 00", kRequest).error, PduError::kByteCountMismatch);
    EXPECT_EQ(Parse("17 00 03 00 06 00 0E 00 03 04 00 FF 00 FF", kRequest).error, PduError::kByteCountMismatch);
    // With the bytes that follow.
    parse = Parse("10 00 01 00 02 04 00 0A 01", kRequest);
    EXPECT_EQ(parse.error, PduError::kByteCountMismatch);
    EXPECT_EQ(parse.message, "Write Multiple Registers request: byte count 4 but 3 bytes follow");
    EXPECT_EQ(Parse("03 06 02 2B 00 00 00", kResponse).error, PduError::kByteCountMismatch);
    EXPECT_EQ(Parse("03 06 02 2B 00 00 00 64 00", kResponse).error, PduError::kByteCountMismatch);
    EXPECT_EQ(Parse("01 03 CD 6B", kResponse).error, PduError::kByteCountMismatch);
    EXPECT_EQ(Parse("01 03 CD 6B 05 00", kResponse).error, PduError::kByteCountMismatch);
    // An odd byte count cannot hold registers.
    EXPECT_EQ(Parse("03 03 00 01 02", kResponse).error, PduError::kByteCountMismatch);
}

TEST(ModbusPdu, TruncatedAndOverlongPdus) {
    // Every proper prefix of a valid PDU fails, and no prefix is mistaken
    // for a shorter valid one of the same direction.
    const struct {
        const char* hex;
        ModbusDirection direction;
    } pdus[] = {{"01 00 13 00 13", kRequest},
                {"01 03 CD 6B 05", kResponse},
                {"03 06 02 2B 00 00 00 64", kResponse},
                {"05 00 AC FF 00", kRequest},
                {"06 00 01 00 03", kResponse},
                {"0F 00 13 00 0A 02 CD 01", kRequest},
                {"10 00 01 00 02 04 00 0A 01 02", kRequest},
                {"10 00 01 00 02", kResponse},
                {"16 00 04 00 F2 00 25", kRequest},
                {"17 00 03 00 06 00 0E 00 03 06 00 FF 00 FF 00 FF", kRequest},
                {"2B 0E 01 00", kRequest},
                {"2B 0E 01 01 00 00 01 00 03 41 42 43", kResponse},
                {"81 02", kResponse}};
    for (const auto& row : pdus) {
        const Bytes whole = FromHex(row.hex);
        ASSERT_TRUE(ParseModbusPdu(whole, row.direction).ok()) << row.hex;
        for (std::size_t size = 0; size < whole.size(); ++size) {
            EXPECT_FALSE(ParseModbusPdu(whole.data(), size, row.direction).ok()) << row.hex << " cut to " << size;
        }
        Bytes longer = whole;
        longer.push_back(0);
        EXPECT_FALSE(ParseModbusPdu(longer, row.direction).ok()) << row.hex << " and a byte more";
    }
    // Diagnostics carries any data after its sub-function; less than that fails.
    EXPECT_TRUE(Good("08 00 00", kRequest).data.empty());
    EXPECT_EQ(Parse("08 00", kRequest).error, PduError::kTooShort);
}

TEST(ModbusPdu, ValuesTheProtocolForbids) {
    PduParse parse = Parse("05 00 AC 12 34", kRequest);
    EXPECT_EQ(parse.error, PduError::kBadCoilValue);
    EXPECT_EQ(parse.message, "Write Single Coil request: coil value 0x1234 is neither 0xFF00 (on) nor 0x0000 (off)");
    EXPECT_EQ(Parse("05 00 AC 00 FF", kResponse).error, PduError::kBadCoilValue);
    EXPECT_EQ(Parse("2B 0E 00 00", kRequest).error, PduError::kBadDeviceIdRequest);
    EXPECT_EQ(Parse("2B 0E 05 00", kRequest).error, PduError::kBadDeviceIdRequest);
    EXPECT_TRUE(Parse("2B 0E 04 05", kRequest).ok());
    EXPECT_EQ(Parse("2B 0E 01 01 01 00 00", kResponse).error, PduError::kBadMoreFollows);
    EXPECT_TRUE(Good("2B 0E 01 01 FF 02 00", kResponse).more_follows);
    // An object whose length runs past the end.
    EXPECT_EQ(Parse("2B 0E 01 01 00 00 01 00 05 41 42", kResponse).error, PduError::kTooShort);
    EXPECT_EQ(Parse("2B 0E 01 01 00 00 02 00 01 41", kResponse).error, PduError::kTooShort);
}

TEST(ModbusPdu, SomePdusReadBothWays) {
    // Read coils from 0x03AB, 0xBC05 of them is out of range, but 0x00BC is not:
    // "01 03 AB 00 BC" is a request for 188 coils and a response of 3 bytes.
    const Bytes both = FromHex("01 03 AB 00 BC");
    PduBothWays ways = ParseModbusPduEitherWay(both.data(), both.size());
    EXPECT_TRUE(ways.request.ok());
    EXPECT_TRUE(ways.response.ok());
    EXPECT_EQ(ways.request.pdu.count, 0xBC);
    EXPECT_EQ(ways.response.pdu.byte_count, 3u);
    // A read response of 3 registers is never a request.
    const Bytes response = FromHex("03 06 02 2B 00 00 00 64");
    ways = ParseModbusPduEitherWay(response.data(), response.size());
    EXPECT_FALSE(ways.request.ok());
    EXPECT_TRUE(ways.response.ok());
}

TEST(ModbusPdu, RandomRoundTrips) {
    std::mt19937 random(1210);
    const auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    for (int round = 0; round < 400; ++round) {
        const std::uint16_t address = static_cast<std::uint16_t>(random());
        std::vector<std::uint16_t> values(1 + below(kMaxWriteRegisters));
        for (std::uint16_t& value : values) value = static_cast<std::uint16_t>(random());
        std::vector<bool> bits(1 + below(kMaxWriteBits));
        for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = (random() & 1) != 0;

        ModbusPdu pdu = ParseModbusPdu(WriteMultipleRegistersRequest(address, values), kRequest).pdu;
        ASSERT_EQ(pdu.registers, values);
        EXPECT_EQ(pdu.address, address);
        pdu = ParseModbusPdu(WriteMultipleCoilsRequest(address, bits), kRequest).pdu;
        ASSERT_EQ(pdu.bits, bits);
        EXPECT_EQ(pdu.count, bits.size());

        const std::vector<std::uint16_t> read(values.begin(), values.begin() + std::min<std::size_t>(values.size(), 125));
        pdu = ParseModbusPdu(ReadRegistersResponse(kReadHoldingRegisters, read), kResponse).pdu;
        ASSERT_EQ(pdu.registers, read);
        pdu = ParseModbusPdu(ReadBitsResponse(kReadDiscreteInputs, bits), kResponse).pdu;
        ASSERT_EQ(std::vector<bool>(pdu.bits.begin(), pdu.bits.begin() + static_cast<std::ptrdiff_t>(bits.size())),
                  bits);
        // The padding bits of the last byte are zero.
        for (std::size_t i = bits.size(); i < pdu.bits.size(); ++i) ASSERT_FALSE(pdu.bits[i]);

        const std::uint16_t count = static_cast<std::uint16_t>(1 + below(125));
        pdu = ParseModbusPdu(ReadRequest(kReadInputRegisters, address, count), kRequest).pdu;
        EXPECT_EQ(pdu.address, address);
        EXPECT_EQ(pdu.count, count);
        const std::vector<std::uint16_t> w(values.begin(), values.begin() + std::min<std::size_t>(values.size(), 121));
        pdu = ParseModbusPdu(ReadWriteMultipleRegistersRequest(address, count, static_cast<std::uint16_t>(~address), w),
                             kRequest)
                  .pdu;
        EXPECT_EQ(pdu.write_address, static_cast<std::uint16_t>(~address));
        ASSERT_EQ(pdu.registers, w);
    }
}

}  // namespace
