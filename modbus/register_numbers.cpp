#include "modbus/register_numbers.h"

#include "workbench/numbers/byte_orders.h"
#include "workbench/numbers/number_types.h"

namespace {

// The short names a MODBUS tool's user types, beside the byte-order tool's own.
const NumberType* FindType(const std::string& name) {
    static const struct {
        const char* short_name;
        const char* name;
    } kShortNames[] = {{"u16", "uint16"}, {"i16", "int16"}, {"u32", "uint32"}, {"i32", "int32"},
                       {"f32", "float32"}, {"u64", "uint64"}, {"i64", "int64"}, {"f64", "float64"}};
    for (const auto& pair : kShortNames) {
        if (name == pair.short_name) return FindNumberType(pair.name);
    }
    return FindNumberType(name);
}

}  // namespace

std::vector<unsigned char> RegisterBytes(const std::vector<std::uint16_t>& registers) {
    std::vector<unsigned char> bytes;
    bytes.reserve(2 * registers.size());
    for (const std::uint16_t value : registers) {
        bytes.push_back(static_cast<unsigned char>(value >> 8));
        bytes.push_back(static_cast<unsigned char>(value & 0xFF));
    }
    return bytes;
}

namespace {

// The type and its order's letters, or false with why.
bool TypeAndOrder(const std::string& type, const std::string& order, const NumberType*& number_type,
                  std::string& letters, std::string& error) {
    number_type = FindType(type);
    if (number_type == nullptr) {
        error = "unknown number type '" + type + "': u16 i16 u32 i32 f32 u64 i64 f64 (or uint16 ... float64)";
        return false;
    }
    letters = ByteOrderLetters(order, number_type->size);
    if (letters.empty()) {
        error = "'" + order + "' is not an order of " + std::to_string(number_type->size) +
                " bytes: each of the letters A to " + std::string(1, static_cast<char>('A' + number_type->size - 1)) +
                " once";
        return false;
    }
    return true;
}

}  // namespace

bool RegistersAsNumbers(const std::vector<std::uint16_t>& registers, const std::string& type,
                        const std::string& order, std::vector<std::string>& numbers, std::string& error) {
    numbers.clear();
    const NumberType* number_type = nullptr;
    std::string letters;
    if (!TypeAndOrder(type, order, number_type, letters, error)) return false;
    const std::vector<unsigned char> bytes = RegisterBytes(registers);
    const std::size_t size = static_cast<std::size_t>(number_type->size);
    for (std::size_t at = 0; at + size <= bytes.size(); at += size) {
        numbers.push_back(NumberText(*number_type, NumberFromBytes(bytes.data() + at, letters)));
    }
    return true;
}

int ModbusNumberSize(const std::string& type) {
    const NumberType* number_type = FindType(type);
    return number_type == nullptr ? 0 : number_type->size;
}

bool NumbersToRegisters(const std::vector<std::string>& values, const std::string& type, const std::string& order,
                        std::vector<std::uint16_t>& registers, std::string& error) {
    const NumberType* number_type = nullptr;
    std::string letters;
    if (!TypeAndOrder(type, order, number_type, letters, error)) return false;
    for (const std::string& value : values) {
        const NumberRead read = ReadNumberText(*number_type, value);
        switch (read.error) {
            case NumberTextError::None:
                break;
            case NumberTextError::OutOfRange:
                error = "'" + value + "' is out of range for " + number_type->name + ": " +
                        NumberRangeText(*number_type);
                return false;
            case NumberTextError::NoNumber:
            case NumberTextError::TrailingText:
                error = "'" + value + "' is not a number of type " + number_type->name;
                return false;
        }
        unsigned char bytes[8] = {};
        BytesFromNumber(read.value, letters, bytes);
        for (int at = 0; at + 1 < number_type->size; at += 2) {
            registers.push_back(static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]));
        }
    }
    return true;
}

std::string RegistersAsText(const std::vector<std::uint16_t>& registers, bool low_byte_first) {
    std::string text;
    for (const std::uint16_t value : registers) {
        const char first = static_cast<char>(low_byte_first ? value & 0xFF : value >> 8);
        const char second = static_cast<char>(low_byte_first ? value >> 8 : value & 0xFF);
        if (first == '\0') break;
        text += first;
        if (second == '\0') break;
        text += second;
    }
    return text;
}

std::vector<std::uint16_t> TextToRegisters(const std::string& text, bool low_byte_first) {
    std::vector<std::uint16_t> registers;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const unsigned first = static_cast<unsigned char>(text[i]);
        const unsigned second = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        registers.push_back(static_cast<std::uint16_t>(low_byte_first ? second << 8 | first : first << 8 | second));
    }
    return registers;
}
