// The map file of a simulated device: numbers of each type and order laid
// over registers as Python's struct lays them (the expected registers were
// computed with python3 -c "import struct; ..." and written here), the
// reference forms, strings and identification, overlaps and bad lines with
// their line numbers; and the RTU frame lengths told from a frame's first
// bytes, against whole frames of every function.
#include <gtest/gtest.h>

#include "modbus/register_numbers.h"
#include "modbus/rtu_length.h"
#include "modbus/slave.h"
#include "support/modbus_oracle.h"

namespace {

using namespace modbus_oracle;

std::vector<std::uint16_t> Holding(const ModbusDataModel& model, std::uint16_t first, std::size_t count) {
    std::vector<std::uint16_t> values;
    for (std::size_t i = 0; i < count; ++i) {
        const auto at = model.holding_registers.find(static_cast<std::uint16_t>(first + i));
        values.push_back(at == model.holding_registers.end() ? 0xDEAD : at->second);
    }
    return values;
}

std::string MapError(const std::string& text) {
    ModbusDataModel model;
    std::string error;
    EXPECT_FALSE(ReadModbusMap(text, model, error)) << text;
    return error;
}

TEST(ModbusMap, LaysNumbersAsStructDoes) {
    const std::string text =
        "# a pump controller\n"
        "f32 40001 3.14          # struct.pack('>f', 3.14): 40 48 F5 C3\n"
        "f32 cdab 40003 3.14\n"
        "i32 BADC 40005 -2       # '>i' -2 = FF FF FF FE, bytes B A D C\n"
        "f64 hgfedcba 400010 1.5 # '<d' 1.5\n"
        "u64 hgfedcba holding 20 0x0102030405060708\n"
        "f32 dcba holding 30 -0.5\n"
        "u16 30001 1 2 65535\n"
        "i16 input 100 -1\n"
        "string 40041 \"HELLO # not a comment\"\n"
        "\n"
        "bit 00001 1 0 on\n"
        "bit discrete 5 off true\n"
        "id 0 Quobrix\n"
        "id 0x01 \"QB 1\"\n";
    ModbusDataModel model;
    std::string error;
    ASSERT_TRUE(ReadModbusMap(text, model, error)) << error;
    EXPECT_EQ(Holding(model, 0, 2), (std::vector<std::uint16_t>{0x4048, 0xF5C3}));
    EXPECT_EQ(Holding(model, 2, 2), (std::vector<std::uint16_t>{0xF5C3, 0x4048}));
    EXPECT_EQ(Holding(model, 4, 2), (std::vector<std::uint16_t>{0xFFFF, 0xFEFF}));
    EXPECT_EQ(Holding(model, 9, 4), (std::vector<std::uint16_t>{0x0000, 0x0000, 0x0000, 0xF83F}));
    EXPECT_EQ(Holding(model, 20, 4), (std::vector<std::uint16_t>{0x0807, 0x0605, 0x0403, 0x0201}));
    EXPECT_EQ(Holding(model, 30, 2), (std::vector<std::uint16_t>{0x0000, 0x00BF}));
    EXPECT_EQ(model.input_registers, (std::map<std::uint16_t, std::uint16_t>{{0, 1}, {1, 2}, {2, 0xFFFF}, {100, 0xFFFF}}));
    // "HELLO # not a comment": two characters a register, high byte first,
    // the odd one out padded.
    const std::string hello = "HELLO # not a comment";
    const std::vector<std::uint16_t> string_registers = Holding(model, 40, (hello.size() + 1) / 2);
    EXPECT_EQ(string_registers.front(), 0x4845);
    EXPECT_EQ(string_registers.back(), 0x7400);
    EXPECT_EQ(model.coils, (std::map<std::uint16_t, bool>{{0, true}, {1, false}, {2, true}}));
    EXPECT_EQ(model.discrete_inputs, (std::map<std::uint16_t, bool>{{5, false}, {6, true}}));
    EXPECT_EQ(model.identification, (std::map<unsigned char, std::string>{{0, "Quobrix"}, {1, "QB 1"}}));
    // Read back through the other direction's reader.
    std::vector<std::string> numbers;
    ASSERT_TRUE(RegistersAsNumbers(Holding(model, 2, 2), "f32", "cdab", numbers, error)) << error;
    EXPECT_EQ(numbers, std::vector<std::string>{"3.14"});
}

TEST(ModbusMap, NamesTheLineOfEachFault) {
    EXPECT_EQ(MapError("u32 40001 1\nu16 40002 5\n"), "line 2: holding registers address 1 is set on line 1 already");
    // Different tables never overlap.
    ModbusDataModel model;
    std::string error;
    EXPECT_TRUE(ReadModbusMap("u16 40001 1\nu16 30001 1\nbit 00001 1\nbit 10001 1\n", model, error)) << error;

    EXPECT_EQ(MapError("\n\nu24 40001 1\n"), "line 3: unknown type 'u24': bit u16 i16 u32 i32 u64 i64 f32 f64 string");
    EXPECT_EQ(MapError("bit 40001 1\n"), "line 1: bits go in coils or discrete inputs, not in holding registers");
    EXPECT_EQ(MapError("f32 00001 1\n"), "line 1: coils hold bits: 'bit', not 'f32'");
    EXPECT_EQ(MapError("bit 00001 2\n"), "line 1: '2' is not a bit: 0 or 1, off or on");
    EXPECT_EQ(MapError("u16 40001 70000\n"), "line 1: '70000' is out of range for uint16: 0 to 65535");
    EXPECT_EQ(MapError("f32 40001 pi\n"), "line 1: 'pi' is not a number of type float32");
    EXPECT_NE(MapError("f32 abc 40001 1\n").find("line 1: 'abc' is not an order of 4 bytes"), std::string::npos);
    EXPECT_EQ(MapError("u32 465536 1\n"), "line 1: 2 values from address 65535 run past 65535");
    EXPECT_EQ(MapError("u16 40001\n"), "line 1: no values");
    EXPECT_EQ(MapError("u16\n"), "line 1: 'u16' without an address");
    EXPECT_EQ(MapError("u16 holding x 1\n"), "line 1: 'holding' needs an address of 0 to 65535 after it");
    EXPECT_EQ(MapError("id 300 x\n"), "line 1: '300' is not an object number of 0 to 255");
    EXPECT_EQ(MapError("id 1 a\nid 1 b\n"), "line 2: object 1 is set on line 1 already");
    EXPECT_NE(MapError("u16 20001 1\n").find("line 1: "), std::string::npos);
}

TEST(ModbusMap, NumbersToRegistersInvertsRegistersAsNumbers) {
    std::vector<std::uint16_t> registers;
    std::string error;
    // struct.pack('>f', 3.14) in CDAB, then '>i' -1 and '>i' 305419896.
    ASSERT_TRUE(NumbersToRegisters({"3.14"}, "f32", "cdab", registers, error)) << error;
    ASSERT_TRUE(NumbersToRegisters({"-1", "305419896"}, "i32", "ABCD", registers, error)) << error;
    EXPECT_EQ(registers, (std::vector<std::uint16_t>{0xF5C3, 0x4048, 0xFFFF, 0xFFFF, 0x1234, 0x5678}));
    EXPECT_FALSE(NumbersToRegisters({"1"}, "f16", "ab", registers, error));
    EXPECT_FALSE(NumbersToRegisters({"1"}, "u32", "abc", registers, error));
    EXPECT_FALSE(NumbersToRegisters({"-1"}, "u16", "ab", registers, error));
    EXPECT_EQ(error, "'-1' is out of range for uint16: 0 to 65535");
}

// Every prefix of a whole frame is too short to tell, or tells the whole.
void ExpectLength(bool request, const Bytes& frame) {
    const auto length = [&](std::size_t size) {
        return request ? RtuRequestLength(frame.data(), size) : RtuResponseLength(frame.data(), size);
    };
    const RtuFrameLength whole = length(frame.size());
    ASSERT_EQ(whole.kind, RtuFrameLength::kKnown) << ToHex(frame);
    EXPECT_EQ(whole.size, frame.size()) << ToHex(frame);
    for (std::size_t size = 0; size < frame.size(); ++size) {
        const RtuFrameLength part = length(size);
        if (part.kind == RtuFrameLength::kKnown) EXPECT_EQ(part.size, frame.size()) << ToHex(frame) << " at " << size;
        else EXPECT_EQ(part.kind, RtuFrameLength::kNeedMore) << ToHex(frame) << " at " << size;
    }
}

TEST(ModbusRtuLength, TellsEachFunctionsFrame) {
    for (const char* request : {"11 01 00 13 00 13", "11 02 00 C4 00 16", "11 03 00 6B 00 03", "11 04 00 08 00 01",
                                "11 05 00 AC FF 00", "11 06 00 01 00 03", "11 0F 00 13 00 0A 02 CD 01",
                                "11 10 00 01 00 02 04 00 0A 01 02", "11 16 00 04 00 F2 00 25",
                                "11 17 00 03 00 06 00 0E 00 03 06 00 FF 00 FF 00 FF", "11 2B 0E 01 00"}) {
        ExpectLength(true, WithCrc(FromHex(request)));
    }
    for (const char* response : {"11 01 03 CD 6B 05", "11 03 06 02 2B 00 00 00 64", "11 04 02 00 0A",
                                 "11 05 00 AC FF 00", "11 06 00 01 00 03", "11 0F 00 13 00 0A",
                                 "11 10 00 01 00 02", "11 16 00 04 00 F2 00 25",
                                 "11 17 0C 00 FE 0A CD 00 01 00 03 00 0D 00 FF", "11 83 02",
                                 "11 2B 0E 01 81 00 00 02 00 01 41 01 02 42 43"}) {
        ExpectLength(false, WithCrc(FromHex(response)));
    }
    // What no layout tells waits for the silence.
    const Bytes echo = WithCrc(FromHex("11 08 00 00 A5 37"));
    EXPECT_EQ(RtuRequestLength(echo.data(), echo.size()).kind, RtuFrameLength::kBySilence);
    const Bytes unknown = FromHex("11 41 00");
    EXPECT_EQ(RtuResponseLength(unknown.data(), unknown.size()).kind, RtuFrameLength::kBySilence);
}

}  // namespace
