#include "modbus/addressing.h"

namespace {

// How far each form's offset reaches: 1 to this.
constexpr unsigned long kFiveDigitReach = 9999;
constexpr unsigned long kSixDigitReach = 65536;

bool TableOfDigit(unsigned long digit, ModbusTable& table) {
    switch (digit) {
        case 0:
            table = ModbusTable::kCoils;
            return true;
        case 1:
            table = ModbusTable::kDiscreteInputs;
            return true;
        case 3:
            table = ModbusTable::kInputRegisters;
            return true;
        case 4:
            table = ModbusTable::kHoldingRegisters;
            return true;
        default:
            return false;
    }
}

}  // namespace

const char* ModbusTableName(ModbusTable table) {
    switch (table) {
        case ModbusTable::kCoils:
            return "coils";
        case ModbusTable::kDiscreteInputs:
            return "discrete inputs";
        case ModbusTable::kInputRegisters:
            return "input registers";
        case ModbusTable::kHoldingRegisters:
            return "holding registers";
    }
    return "?";
}

unsigned char ModbusReadFunction(ModbusTable table) {
    switch (table) {
        case ModbusTable::kCoils:
            return 0x01;
        case ModbusTable::kDiscreteInputs:
            return 0x02;
        case ModbusTable::kInputRegisters:
            return 0x04;
        case ModbusTable::kHoldingRegisters:
            return 0x03;
    }
    return 0;
}

bool ReferenceToAddress(const std::string& reference, ModbusTable& table, std::uint16_t& address,
                        std::string& error) {
    if (reference.empty() || reference.size() > 6 ||
        reference.find_first_not_of("0123456789") != std::string::npos) {
        error = "reference '" + reference + "' is not 1 to 6 decimal digits";
        return false;
    }
    const unsigned long value = std::stoul(reference);
    const bool six = reference.size() == 6;
    const unsigned long scale = six ? 100000 : 10000;
    const unsigned long reach = six ? kSixDigitReach : kFiveDigitReach;
    const unsigned long offset = value % scale;
    if (!TableOfDigit(value / scale, table)) {
        error = "reference " + reference + ": its table digit " + std::to_string(value / scale) +
                " is none of 0 (coils), 1 (discrete inputs), 3 (input registers), 4 (holding registers)";
        return false;
    }
    if (offset < 1 || offset > reach) {
        error = "reference " + reference + " is out of its table's range: the " + (six ? "six" : "five") +
                "-digit form counts 1 to " + std::to_string(reach);
        return false;
    }
    address = static_cast<std::uint16_t>(offset - 1);
    return true;
}

bool AddressToReference(ModbusTable table, std::uint16_t address, ReferenceForm form, std::string& reference,
                        std::string& error) {
    const bool six = form == ReferenceForm::kSixDigits;
    const unsigned long offset = address + 1ul;
    if (!six && offset > kFiveDigitReach) {
        error = "address " + std::to_string(address) + " lies past the five-digit form's reach (0-9998)";
        return false;
    }
    const std::string digits = std::to_string(offset);
    const std::size_t width = six ? 5 : 4;
    reference = std::to_string(static_cast<int>(table)) + std::string(width - digits.size(), '0') + digits;
    return true;
}
