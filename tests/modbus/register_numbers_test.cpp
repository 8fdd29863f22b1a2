// Registers as wider numbers in each word order, against numbers whose bytes
// were written out by hand (and by Python's struct.pack), and the reference
// convention both ways at the edges of its forms.
#include <gtest/gtest.h>

#include "modbus/addressing.h"
#include "modbus/register_numbers.h"

namespace {

std::vector<std::string> Numbers(const std::vector<std::uint16_t>& registers, const std::string& type,
                                 const std::string& order) {
    std::vector<std::string> numbers;
    std::string error;
    EXPECT_TRUE(RegistersAsNumbers(registers, type, order, numbers, error)) << type << " " << order << ": " << error;
    return numbers;
}

TEST(ModbusRegisters, ThirtyTwoBitsInEachOrder) {
    // 123456.0f is 0x47F12000 (struct.pack('>f', 123456.0)): bytes A=47 B=F1 C=20 D=00.
    EXPECT_EQ(Numbers({0x47F1, 0x2000}, "f32", "ABCD"), std::vector<std::string>{"123456"});
    EXPECT_EQ(Numbers({0x2000, 0x47F1}, "f32", "CDAB"), std::vector<std::string>{"123456"});
    EXPECT_EQ(Numbers({0xF147, 0x0020}, "f32", "BADC"), std::vector<std::string>{"123456"});
    EXPECT_EQ(Numbers({0x0020, 0xF147}, "float32", "DCBA"), std::vector<std::string>{"123456"});
    // 0x12345678 = 305419896; as int32, 0xFFFFFFFE is -2.
    EXPECT_EQ(Numbers({0x1234, 0x5678}, "u32", "ABCD"), std::vector<std::string>{"305419896"});
    EXPECT_EQ(Numbers({0x5678, 0x1234}, "uint32", "cdab"), std::vector<std::string>{"305419896"});
    EXPECT_EQ(Numbers({0xFFFF, 0xFFFE}, "i32", "ABCD"), std::vector<std::string>{"-2"});
    // One number from each pair; a register left over is not read.
    EXPECT_EQ(Numbers({0x0000, 0x0001, 0x0000, 0x0002, 0x0003}, "u32", "ABCD"),
              (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(Numbers({0x0001}, "u32", "ABCD").empty());
    // Sixteen bits: the registers themselves, or their bytes swapped.
    EXPECT_EQ(Numbers({0x0102, 0xFFFF}, "u16", "AB"), (std::vector<std::string>{"258", "65535"}));
    EXPECT_EQ(Numbers({0x0102, 0xFF7F}, "i16", "BA"), (std::vector<std::string>{"513", "32767"}));
}

TEST(ModbusRegisters, SixtyFourBitsInEachOrder) {
    // 1.0 is 0x3FF0000000000000; -1 as int64 is all ones; 0x0102030405060708 = 72623859790382856.
    EXPECT_EQ(Numbers({0x3FF0, 0, 0, 0}, "f64", "ABCDEFGH"), std::vector<std::string>{"1"});
    EXPECT_EQ(Numbers({0, 0, 0, 0xF03F}, "f64", "HGFEDCBA"), std::vector<std::string>{"1"});
    EXPECT_EQ(Numbers({0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}, "i64", "ABCDEFGH"), std::vector<std::string>{"-1"});
    EXPECT_EQ(Numbers({0x0102, 0x0304, 0x0506, 0x0708}, "u64", "ABCDEFGH"),
              std::vector<std::string>{"72623859790382856"});
    EXPECT_EQ(Numbers({0x0708, 0x0506, 0x0304, 0x0102}, "u64", "GHEFCDAB"),
              std::vector<std::string>{"72623859790382856"});
    EXPECT_EQ(Numbers({0x0201, 0x0403, 0x0605, 0x0807}, "u64", "BADCFEHG"),
              std::vector<std::string>{"72623859790382856"});
}

TEST(ModbusRegisters, RefusesUnknownTypesAndOrders) {
    std::vector<std::string> numbers;
    std::string error;
    EXPECT_FALSE(RegistersAsNumbers({1, 2}, "f16", "AB", numbers, error));
    EXPECT_NE(error.find("unknown number type 'f16'"), std::string::npos) << error;
    EXPECT_FALSE(RegistersAsNumbers({1, 2}, "f32", "ABC", numbers, error));
    EXPECT_EQ(error, "'ABC' is not an order of 4 bytes: each of the letters A to D once");
    EXPECT_FALSE(RegistersAsNumbers({1, 2}, "f32", "AABC", numbers, error));
    EXPECT_FALSE(RegistersAsNumbers({1, 2}, "u64", "ABCD", numbers, error));
}

TEST(ModbusAddressing, ReferencesToAddresses) {
    const struct {
        const char* reference;
        ModbusTable table;
        unsigned address;
    } good[] = {
        {"40001", ModbusTable::kHoldingRegisters, 0},   {"49999", ModbusTable::kHoldingRegisters, 9998},
        {"30001", ModbusTable::kInputRegisters, 0},     {"10001", ModbusTable::kDiscreteInputs, 0},
        {"00001", ModbusTable::kCoils, 0},              {"1", ModbusTable::kCoils, 0},
        {"9999", ModbusTable::kCoils, 9998},            {"400001", ModbusTable::kHoldingRegisters, 0},
        {"465536", ModbusTable::kHoldingRegisters, 65535}, {"040108", ModbusTable::kCoils, 40107},
        {"340108", ModbusTable::kInputRegisters, 40107},
    };
    for (const auto& row : good) {
        ModbusTable table{};
        std::uint16_t address = 0;
        std::string error;
        ASSERT_TRUE(ReferenceToAddress(row.reference, table, address, error)) << row.reference << ": " << error;
        EXPECT_EQ(table, row.table) << row.reference;
        EXPECT_EQ(address, row.address) << row.reference;
    }
    for (const char* bad : {"40000", "400000", "465537", "20001", "50001", "200001", "0", "", "4000a", "4000001",
                            "-40001", "099999"}) {
        ModbusTable table{};
        std::uint16_t address = 0;
        std::string error;
        EXPECT_FALSE(ReferenceToAddress(bad, table, address, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(ModbusAddressing, AddressesToReferences) {
    std::string reference, error;
    ASSERT_TRUE(AddressToReference(ModbusTable::kHoldingRegisters, 0, ReferenceForm::kFiveDigits, reference, error));
    EXPECT_EQ(reference, "40001");
    ASSERT_TRUE(AddressToReference(ModbusTable::kCoils, 0, ReferenceForm::kFiveDigits, reference, error));
    EXPECT_EQ(reference, "00001");
    ASSERT_TRUE(AddressToReference(ModbusTable::kInputRegisters, 9998, ReferenceForm::kFiveDigits, reference, error));
    EXPECT_EQ(reference, "39999");
    EXPECT_FALSE(AddressToReference(ModbusTable::kInputRegisters, 9999, ReferenceForm::kFiveDigits, reference, error));
    EXPECT_EQ(error, "address 9999 lies past the five-digit form's reach (0-9998)");
    ASSERT_TRUE(AddressToReference(ModbusTable::kDiscreteInputs, 65535, ReferenceForm::kSixDigits, reference, error));
    EXPECT_EQ(reference, "165536");
    ASSERT_TRUE(AddressToReference(ModbusTable::kCoils, 9, ReferenceForm::kSixDigits, reference, error));
    EXPECT_EQ(reference, "000010");
    // Every address and table there and back in the six-digit form, the
    // arithmetic done another way: reference = table * 100000 + address + 1.
    for (const ModbusTable table : {ModbusTable::kCoils, ModbusTable::kDiscreteInputs, ModbusTable::kInputRegisters,
                                    ModbusTable::kHoldingRegisters}) {
        for (unsigned address = 0; address <= 0xFFFF; address += 257) {
            ASSERT_TRUE(AddressToReference(table, static_cast<std::uint16_t>(address), ReferenceForm::kSixDigits,
                                           reference, error));
            EXPECT_EQ(std::stoul(reference), static_cast<unsigned long>(table) * 100000 + address + 1);
            ModbusTable back{};
            std::uint16_t back_address = 0;
            ASSERT_TRUE(ReferenceToAddress(reference, back, back_address, error)) << reference << ": " << error;
            EXPECT_EQ(back, table);
            EXPECT_EQ(back_address, address);
        }
    }
    EXPECT_STREQ(ModbusTableName(ModbusTable::kHoldingRegisters), "holding registers");
    EXPECT_EQ(ModbusReadFunction(ModbusTable::kHoldingRegisters), 0x03);
    EXPECT_EQ(ModbusReadFunction(ModbusTable::kInputRegisters), 0x04);
}

}  // namespace

namespace {

// Text two characters a register: the MODBUS registers travel high byte
// first, so "ab" reads the characters in the order they came; the codes
// are ASCII's ('P' 0x50, 'U' 0x55) and UTF-8's ("é" C3 A9).
TEST(ModbusRegisters, TextTwoCharactersARegister) {
    EXPECT_EQ(RegistersAsText({0x5055, 0x4D50, 0x2D37}, false), "PUMP-7");
    EXPECT_EQ(RegistersAsText({0x5550, 0x504D, 0x372D}, true), "PUMP-7");
    // A NUL ends the text, in either byte of a register; what follows is
    // the field's padding, whatever it holds.
    EXPECT_EQ(RegistersAsText({0x4142, 0x4300, 0x4445}, false), "ABC");
    EXPECT_EQ(RegistersAsText({0x0041, 0x4243}, false), "");
    EXPECT_EQ(RegistersAsText({}, false), "");
    EXPECT_EQ(RegistersAsText({0x5AC3, 0xA900}, false), "Z\xC3\xA9");
    // An odd length is padded with a NUL, which reads back as the end.
    EXPECT_EQ(TextToRegisters("Z\xC3\xA9", false), (std::vector<std::uint16_t>{0x5AC3, 0xA900}));
    EXPECT_EQ(TextToRegisters("Z\xC3\xA9", true), (std::vector<std::uint16_t>{0xC35A, 0x00A9}));
    for (const std::string text : {"", "a", "ab", "abc", "PUMP-7 \"A\"", "\xFF\x01\x7F"}) {
        for (const bool swapped : {false, true}) {
            EXPECT_EQ(RegistersAsText(TextToRegisters(text, swapped), swapped), text) << text << swapped;
        }
    }
}

}  // namespace
