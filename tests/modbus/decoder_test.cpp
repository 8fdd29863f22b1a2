// Captured frames explained: the framing told from the bytes (and how), the
// fields and their text, the check's verdict, and a request paired with its
// response so that the response's values get the request's addresses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "modbus/decoder.h"
#include "support/modbus_oracle.h"

namespace {

using namespace modbus_oracle;

bool HasLine(const ModbusDecoded& decoded, const std::string& line) {
    return std::find(decoded.lines.begin(), decoded.lines.end(), line) != decoded.lines.end();
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string AllLines(const ModbusDecoded& decoded) {
    std::string text;
    for (const std::string& line : decoded.lines) text += line + "\n";
    return text;
}

TEST(ModbusDecoder, TellsEachFramingAndHow) {
    ModbusDecoded rtu = DecodeModbusFrame(FromHex("11 03 00 6B 00 03 76 87"));
    EXPECT_TRUE(rtu.framed);
    EXPECT_EQ(rtu.framing, ModbusFraming::kRtu);
    EXPECT_EQ(rtu.framing_reason, "CRC-16/MODBUS of the first 6 bytes matches the last two");
    EXPECT_EQ(rtu.check, "CRC 0x8776 ok");
    EXPECT_EQ(rtu.adu.unit, 0x11);
    ASSERT_TRUE(rtu.pdu_ok);
    EXPECT_EQ(rtu.pdu.direction, ModbusDirection::kRequest);
    EXPECT_EQ(AllLines(rtu),
              "framing: RTU, or RTU over TCP (CRC-16/MODBUS of the first 6 bytes matches the last two)\n"
              "check: CRC 0x8776 ok\n"
              "unit: 17 (0x11)\n"
              "function: 0x03 Read Holding Registers, request\n"
              "address: 107 (0x006B, 40108)\n"
              "count: 3\n");

    const ModbusDecoded tcp = DecodeModbusFrame(FromHex("00 01 00 00 00 06 11 03 00 6B 00 03"));
    EXPECT_EQ(tcp.framing, ModbusFraming::kTcp);
    EXPECT_EQ(tcp.framing_reason, "MBAP length 6 matches the 6 bytes after it, protocol id 0");
    EXPECT_TRUE(HasLine(tcp, "transaction: 1")) << AllLines(tcp);
    EXPECT_EQ(tcp.pdu.count, 3);

    const ModbusDecoded ascii = DecodeModbusFrame(FromText(":1103006B00037E\r\n"));
    EXPECT_EQ(ascii.framing, ModbusFraming::kAscii);
    EXPECT_EQ(ascii.framing_reason, "starts with ':'");
    EXPECT_EQ(ascii.check, "LRC 0x7E ok");
    EXPECT_EQ(ascii.pdu.address, 0x6B);
}

TEST(ModbusDecoder, SaysWhyNoFramingFits) {
    ModbusDecoded bad = DecodeModbusFrame(FromHex("11 03 00 6B 00 03 76 88"));
    EXPECT_FALSE(bad.framed);
    EXPECT_FALSE(bad.check_ok);
    EXPECT_EQ(bad.framing, ModbusFraming::kRtu);
    EXPECT_EQ(bad.check, "bad CRC: the bytes give 0x8776 (sent as 76 87), the frame has 0x8876");
    EXPECT_TRUE(HasLine(bad, "check: FAILED: bad CRC: the bytes give 0x8776 (sent as 76 87), the frame has 0x8876"))
        << AllLines(bad);
    // Protocol id 0, but the length disagrees: TCP is the likelier.
    bad = DecodeModbusFrame(FromHex("00 01 00 00 00 07 11 03 00 6B 00 03"));
    EXPECT_FALSE(bad.framed);
    EXPECT_EQ(bad.framing, ModbusFraming::kTcp);
    EXPECT_EQ(bad.check, "bad MBAP length: the field says 7, 6 bytes follow it");
    // ASCII whose LRC is wrong: the framing is known, the check fails.
    bad = DecodeModbusFrame(FromText(":1103006B000370\r\n"));
    EXPECT_TRUE(bad.framed);
    EXPECT_FALSE(bad.check_ok);
    EXPECT_EQ(bad.check, "bad LRC: the bytes give 0x7E, the frame has 0x70");
    // Too short for anything.
    bad = DecodeModbusFrame(FromHex("11 03"));
    EXPECT_FALSE(bad.framed);
    EXPECT_EQ(bad.check, "RTU frame too short: 2 bytes, at least 4");
}

TEST(ModbusDecoder, NamesTheFunctionTheExceptionAndTheFault) {
    ModbusDecoded decoded = DecodeModbusFrame(WithCrc(FromHex("0A 81 02")));
    ASSERT_TRUE(decoded.pdu_ok);
    EXPECT_TRUE(HasLine(decoded, "function: 0x81 Read Coils, exception response")) << AllLines(decoded);
    EXPECT_TRUE(HasLine(decoded, "exception: 0x02 ILLEGAL DATA ADDRESS")) << AllLines(decoded);
    decoded = DecodeModbusFrame(WithCrc(FromHex("0A 83 09")));
    EXPECT_TRUE(HasLine(decoded, "exception: 0x09 (no standard name)")) << AllLines(decoded);
    decoded = DecodeModbusFrame(WithCrc(FromHex("0A 41 12 34")));
    EXPECT_FALSE(decoded.pdu_ok);
    EXPECT_TRUE(HasLine(decoded, "function: 0x41 (unknown)")) << AllLines(decoded);
    EXPECT_TRUE(HasLine(decoded, "error: unknown function code 0x41")) << AllLines(decoded);
    EXPECT_TRUE(HasLine(decoded, "data: 12 34")) << AllLines(decoded);
    // A write whose byte count disagrees reads neither way: both reasons said.
    decoded = DecodeModbusFrame(WithCrc(FromHex("01 10 00 01 00 02 02 00 0A")));
    EXPECT_FALSE(decoded.pdu_ok);
    EXPECT_EQ(decoded.pdu_error,
              "as a request, Write Multiple Registers request: byte count 2 disagrees with the quantity of "
              "registers (needs 4); as a response, Write Multiple Registers response takes 5 bytes, this PDU has 8");
    // The direction given decides.
    ModbusDecodeOptions as_response;
    as_response.direction = ModbusDirectionHint::kResponse;
    decoded = DecodeModbusFrame(WithCrc(FromHex("01 01 03 AB 00 BC")), as_response);
    ASSERT_TRUE(decoded.pdu_ok);
    EXPECT_EQ(decoded.pdu.direction, ModbusDirection::kResponse);
    EXPECT_FALSE(decoded.ambiguous);
    decoded = DecodeModbusFrame(WithCrc(FromHex("01 01 03 AB 00 BC")));
    EXPECT_TRUE(decoded.ambiguous);
    EXPECT_EQ(decoded.pdu.direction, ModbusDirection::kRequest);
    // A write of one register and its response are the same bytes.
    decoded = DecodeModbusFrame(WithCrc(FromHex("01 06 00 01 00 03")));
    EXPECT_TRUE(decoded.ambiguous);
    EXPECT_TRUE(HasLine(decoded, "note: the response to this request is the same bytes; taken as the request"))
        << AllLines(decoded);
    // The framing given decides too: RTU over TCP is RTU's bytes.
    ModbusDecodeOptions over_tcp;
    over_tcp.framing = ModbusFraming::kRtuOverTcp;
    decoded = DecodeModbusFrame(FromHex("11 03 00 6B 00 03 76 87"), over_tcp);
    EXPECT_EQ(decoded.framing, ModbusFraming::kRtuOverTcp);
    EXPECT_TRUE(decoded.check_ok);
    EXPECT_TRUE(HasLine(decoded, "framing: RTU over TCP (as given)")) << AllLines(decoded);
}

TEST(ModbusDecoder, PairsARequestWithItsResponse) {
    const std::vector<Bytes> frames = {
        WithCrc(FromHex("11 03 00 6B 00 03")),
        WithCrc(FromHex("11 03 06 02 2B 00 00 00 64")),
    };
    const std::vector<ModbusDecoded> decoded = DecodeModbusFrames(frames);
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[1].request_index, 0);
    EXPECT_TRUE(decoded[1].pair_problems.empty());
    EXPECT_EQ(AllLines(decoded[1]),
              "framing: RTU, or RTU over TCP (CRC-16/MODBUS of the first 9 bytes matches the last two)\n"
              "check: CRC " + Hex4(Crc(FromHex("11 03 06 02 2B 00 00 00 64"))) +
                  " ok\n"
                  "unit: 17 (0x11)\n"
                  "function: 0x03 Read Holding Registers, response to frame 1\n"
                  "address: 107 (0x006B, 40108)\n"
                  "count: 3\n"
                  "byte count: 6\n"
                  "register 107 (0x006B, 40108): 0x022B = 555\n"
                  "register 108 (0x006C, 40109): 0x0000 = 0\n"
                  "register 109 (0x006D, 40110): 0x0064 = 100\n");
    // Alone, the response's registers have no addresses.
    const ModbusDecoded alone = DecodeModbusFrame(frames[1]);
    EXPECT_TRUE(HasLine(alone, "register[0]: 0x022B = 555")) << AllLines(alone);
}

TEST(ModbusDecoder, APairSettlesADirectionAndTrimsBits) {
    // Read 10 coils; the 2-byte response would also read as a request.
    const std::vector<Bytes> frames = {
        WithCrc(FromHex("05 01 00 13 00 0A")),
        WithCrc(FromHex("05 01 02 CD 01")),
        // Read 3 coils, but the response's padding bits are not zero.
        WithCrc(FromHex("05 01 00 00 00 03")),
        WithCrc(FromHex("05 01 01 FF")),
    };
    const std::vector<ModbusDecoded> decoded = DecodeModbusFrames(frames);
    ASSERT_EQ(decoded.size(), 4u);
    EXPECT_EQ(decoded[1].request_index, 0);
    EXPECT_EQ(decoded[1].pdu.bits, (std::vector<bool>{1, 0, 1, 1, 0, 0, 1, 1, 1, 0}));
    EXPECT_TRUE(HasLine(decoded[1], "bits from 19: 1 0 1 1 0 0 1 1")) << AllLines(decoded[1]);
    EXPECT_TRUE(HasLine(decoded[1], "bits from 27: 1 0")) << AllLines(decoded[1]);
    EXPECT_EQ(decoded[3].request_index, 2);
    EXPECT_EQ(decoded[3].pair_problems, (std::vector<std::string>{"the bits past the 3 asked for are not zero"}));
}

TEST(ModbusDecoder, SaysWhatAPairDisagreesOn) {
    const auto pair = [](const std::string& request, const std::string& response) {
        return DecodeModbusFrames({WithCrc(FromHex(request)), WithCrc(FromHex(response))}).at(1);
    };
    ModbusDecoded response = pair("01 03 00 00 00 03", "01 03 04 00 01 00 02");
    EXPECT_EQ(response.request_index, 0);
    EXPECT_EQ(response.pair_problems, (std::vector<std::string>{"2 registers, the request asked for 3"}));
    EXPECT_TRUE(HasLine(response, "mismatch: 2 registers, the request asked for 3")) << AllLines(response);
    response = pair("01 01 00 00 00 10", "01 01 01 FF");
    EXPECT_EQ(response.pair_problems,
              (std::vector<std::string>{"byte count 1, the 16 bits asked for take 2"}));
    response = pair("01 06 00 01 00 03", "01 06 00 01 00 04");
    EXPECT_EQ(response.pair_problems, (std::vector<std::string>{"the response does not echo the request"}));
    response = pair("01 10 00 01 00 02 04 00 0A 01 02", "01 10 00 01 00 01");
    EXPECT_EQ(response.pair_problems,
              (std::vector<std::string>{"address 1 count 1, the request wrote 2 from 1"}));
    // An exception answers any request of its function.
    response = pair("01 03 00 00 00 03", "01 83 02");
    EXPECT_EQ(response.request_index, 0);
    EXPECT_TRUE(response.pair_problems.empty());
    // Another unit's frame does not answer it.
    response = pair("01 03 00 00 00 03", "02 03 02 00 01");
    EXPECT_EQ(response.request_index, -1);
    // A serial broadcast is never answered: the next frame is a request of its own.
    const std::vector<ModbusDecoded> broadcast =
        DecodeModbusFrames({WithCrc(FromHex("00 06 00 01 00 03")), WithCrc(FromHex("00 06 00 01 00 03"))});
    EXPECT_EQ(broadcast[1].request_index, -1);
    EXPECT_EQ(broadcast[1].pdu.direction, ModbusDirection::kRequest);
}

TEST(ModbusDecoder, TcpPairsByTransaction) {
    const std::vector<ModbusDecoded> decoded = DecodeModbusFrames({
        FromHex("00 07 00 00 00 06 11 03 00 6B 00 01"),
        FromHex("00 08 00 00 00 05 11 03 02 00 05"),  // another transaction: no answer
        FromHex("00 09 00 00 00 06 11 03 00 6B 00 01"),
        FromHex("00 09 00 00 00 05 11 03 02 00 05"),
    });
    ASSERT_EQ(decoded.size(), 4u);
    EXPECT_EQ(decoded[1].request_index, -1);
    EXPECT_EQ(decoded[3].request_index, 2);
    EXPECT_TRUE(HasLine(decoded[3], "register 107 (0x006B, 40108): 0x0005 = 5")) << AllLines(decoded[3]);
}

TEST(ModbusDecoder, DescribesEveryFunction) {
    const struct {
        const char* frame;  // unit and PDU; the CRC is added
        ModbusDirectionHint direction;
        const char* line;
    } cases[] = {
        {"01 05 00 AC FF 00", ModbusDirectionHint::kRequest, "value: on (0xFF00)"},
        {"01 05 00 AC FF 00", ModbusDirectionHint::kRequest, "address: 172 (0x00AC, 00173)"},
        {"01 02 00 C4 00 16", ModbusDirectionHint::kRequest, "address: 196 (0x00C4, 10197)"},
        {"01 04 00 08 00 01", ModbusDirectionHint::kRequest, "address: 8 (0x0008, 30009)"},
        {"01 06 00 01 00 03", ModbusDirectionHint::kRequest, "value: 0x0003 = 3"},
        {"01 0F 00 13 00 0A 02 CD 01", ModbusDirectionHint::kRequest, "bits from 27: 1 0"},
        {"01 10 00 01 00 02 04 00 0A 01 02", ModbusDirectionHint::kRequest, "register 2 (0x0002, 40003): 0x0102 = 258"},
        {"01 16 00 04 00 F2 00 25", ModbusDirectionHint::kRequest, "and mask: 0x00F2"},
        {"01 17 00 03 00 06 00 0E 00 03 06 00 FF 00 FF 00 FF", ModbusDirectionHint::kRequest,
         "write address: 14 (0x000E, 40015)"},
        {"01 08 00 00 A5 37", ModbusDirectionHint::kRequest, "sub-function: 0x0000 Return Query Data"},
        {"01 08 00 00 A5 37", ModbusDirectionHint::kRequest, "data: A5 37"},
        {"01 2B 0E 01 00", ModbusDirectionHint::kRequest, "function: 0x2B/0x0E Read Device Identification, request"},
        {"01 2B 0E 01 00", ModbusDirectionHint::kRequest, "read device id code: 0x01 basic"},
        {"01 2B 0E 01 01 00 00 02 00 03 41 22 43 05 01 5C", ModbusDirectionHint::kResponse,
         "object 0x00 VendorName: \"A\\x22C\""},
        {"01 2B 0E 01 01 00 00 02 00 03 41 22 43 05 01 5C", ModbusDirectionHint::kResponse,
         "object 0x05 ModelName: \"\\x5C\""},
        {"01 03 00 00 FF FF", ModbusDirectionHint::kUnknown, "error: as a request, Read Holding Registers request: "
                                                             "quantity 65535 is out of range 1-125; as a response, "
                                                             "Read Holding Registers response: register count 0 is "
                                                             "out of range 1-125"},
    };
    for (const auto& row : cases) {
        ModbusDecodeOptions options;
        options.direction = row.direction;
        const ModbusDecoded decoded = DecodeModbusFrame(WithCrc(FromHex(row.frame)), options);
        EXPECT_TRUE(HasLine(decoded, row.line)) << row.frame << "\n" << AllLines(decoded);
    }
    // Six digits where five do not reach.
    const ModbusDecoded far = DecodeModbusFrame(WithCrc(FromHex("01 03 FF FF 00 01")));
    EXPECT_TRUE(HasLine(far, "address: 65535 (0xFFFF, 465536)")) << AllLines(far);
}

TEST(ModbusDecoder, ReadsCaptureLines) {
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(ReadModbusCaptureLine("11 03 00 6B 00 03 76 87", bytes, error)) << error;
    EXPECT_EQ(ToHex(bytes), "11 03 00 6B 00 03 76 87");
    ASSERT_TRUE(ReadModbusCaptureLine("  1103006b00037687\r\n", bytes, error)) << error;
    EXPECT_EQ(ToHex(bytes), "11 03 00 6B 00 03 76 87");
    ASSERT_TRUE(ReadModbusCaptureLine("0x11,0x03,0x00-6B 0003", bytes, error)) << error;
    EXPECT_EQ(ToHex(bytes), "11 03 00 6B 00 03");
    ASSERT_TRUE(ReadModbusCaptureLine(":1103006B00037E", bytes, error)) << error;
    EXPECT_EQ(bytes, FromText(":1103006B00037E\r\n"));
    EXPECT_TRUE(DecodeModbusFrame(bytes).check_ok);
    EXPECT_FALSE(ReadModbusCaptureLine("11 0 03", bytes, error));
    EXPECT_EQ(error, "'0' has an odd number of hex digits");
    EXPECT_FALSE(ReadModbusCaptureLine("11 0G", bytes, error));
    EXPECT_EQ(error, "'0G' is not hex digits");
    EXPECT_FALSE(ReadModbusCaptureLine("  ", bytes, error));
    EXPECT_EQ(error, "no bytes in the line");
}

}  // namespace
