// The map file of a simulated device (slave.h): one entry a line, each
// checked against the entries before it so that no address is given two
// values.
#include <cctype>
#include <sstream>

#include "modbus/register_numbers.h"
#include "modbus/slave.h"

namespace {

std::string Lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (const char ch : text) {
        if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
    }
    return true;
}

// The line without its comment: '#' outside double quotes to the end.
std::string WithoutComment(const std::string& line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == '#' && !quoted) return line.substr(0, i);
    }
    return line;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A text value: the rest of the line, its surrounding quotes taken off.
std::string Unquoted(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
        return trimmed.substr(1, trimmed.size() - 2);
    }
    return trimmed;
}

// A table named by a word, as a person writes it after the type.
bool TableWord(const std::string& word, ModbusTable& table) {
    static const struct {
        const char* word;
        ModbusTable table;
    } kWords[] = {{"coil", ModbusTable::kCoils},
                  {"coils", ModbusTable::kCoils},
                  {"discrete", ModbusTable::kDiscreteInputs},
                  {"discrete_input", ModbusTable::kDiscreteInputs},
                  {"discrete_inputs", ModbusTable::kDiscreteInputs},
                  {"input", ModbusTable::kInputRegisters},
                  {"input_register", ModbusTable::kInputRegisters},
                  {"input_registers", ModbusTable::kInputRegisters},
                  {"holding", ModbusTable::kHoldingRegisters},
                  {"holding_register", ModbusTable::kHoldingRegisters},
                  {"holding_registers", ModbusTable::kHoldingRegisters}};
    for (const auto& entry : kWords) {
        if (word == entry.word) {
            table = entry.table;
            return true;
        }
    }
    return false;
}

bool IsBitTable(ModbusTable table) { return table == ModbusTable::kCoils || table == ModbusTable::kDiscreteInputs; }

class MapReader {
public:
    explicit MapReader(ModbusDataModel& model) : model_(model) {}

    bool Read(const std::string& text, std::string& error) {
        std::istringstream lines(text);
        std::string line;
        int number = 0;
        while (std::getline(lines, line)) {
            ++number;
            std::string why;
            if (!ReadLine(WithoutComment(line), number, why)) {
                error = "line " + std::to_string(number) + ": " + why;
                return false;
            }
        }
        return true;
    }

private:
    bool ReadLine(const std::string& line, int number, std::string& error) {
        std::istringstream words(line);
        std::string type;
        if (!(words >> type)) return true;  // blank, or a comment alone
        type = Lower(type);
        if (type == "id") return ReadIdentification(words, number, error);

        std::string word;
        if (!(words >> word)) return Fail("'" + type + "' without an address", error);
        std::string order;
        // An order is letters where an address is digits or a table's word.
        ModbusTable table;
        if (!AllDigits(word) && !TableWord(Lower(word), table)) {
            order = word;
            if (!(words >> word)) return Fail("'" + type + " " + order + "' without an address", error);
        }
        std::uint16_t address = 0;
        if (!ReadReference(words, word, table, address, error)) return false;

        if (type == "bit") {
            if (!order.empty()) return Fail("a bit takes no byte order ('" + order + "')", error);
            if (!IsBitTable(table)) {
                return Fail(std::string("bits go in coils or discrete inputs, not in ") + ModbusTableName(table), error);
            }
            std::vector<bool> bits;
            std::string value;
            while (words >> value) {
                const std::string lower = Lower(value);
                if (lower == "1" || lower == "on" || lower == "true") {
                    bits.push_back(true);
                } else if (lower == "0" || lower == "off" || lower == "false") {
                    bits.push_back(false);
                } else {
                    return Fail("'" + value + "' is not a bit: 0 or 1, off or on", error);
                }
            }
            if (bits.empty()) return Fail("no values", error);
            if (!Claim(table, address, bits.size(), number, error)) return false;
            auto& target = table == ModbusTable::kCoils ? model_.coils : model_.discrete_inputs;
            for (std::size_t i = 0; i < bits.size(); ++i) target[static_cast<std::uint16_t>(address + i)] = bits[i];
            return true;
        }
        if (IsBitTable(table)) {
            return Fail(std::string(ModbusTableName(table)) + " hold bits: 'bit', not '" + type + "'", error);
        }
        std::vector<std::uint16_t> registers;
        if (type == "string") {
            if (!order.empty()) return Fail("a string takes no byte order ('" + order + "')", error);
            std::string rest;
            std::getline(words, rest);
            const std::string value = Unquoted(rest);
            if (value.empty()) return Fail("no text", error);
            // Two characters a register, the first in the high byte.
            registers = TextToRegisters(value, false);
        } else {
            const int size = ModbusNumberSize(type);
            if (size == 0) {
                return Fail("unknown type '" + type + "': bit u16 i16 u32 i32 u64 i64 f32 f64 string", error);
            }
            if (order.empty()) order = std::string("abcdefgh").substr(0, static_cast<std::size_t>(size));
            std::vector<std::string> values;
            std::string value;
            while (words >> value) values.push_back(value);
            if (values.empty()) return Fail("no values", error);
            if (!NumbersToRegisters(values, type, order, registers, error)) return false;
        }
        if (!Claim(table, address, registers.size(), number, error)) return false;
        auto& target = table == ModbusTable::kHoldingRegisters ? model_.holding_registers : model_.input_registers;
        for (std::size_t i = 0; i < registers.size(); ++i) {
            target[static_cast<std::uint16_t>(address + i)] = registers[i];
        }
        return true;
    }

    // `word` and, after a table's word, the address that follows it.
    bool ReadReference(std::istringstream& words, const std::string& word, ModbusTable& table,
                       std::uint16_t& address, std::string& error) {
        if (TableWord(Lower(word), table)) {
            std::string digits;
            if (!(words >> digits) || !AllDigits(digits) || digits.size() > 5 || std::stoul(digits) > 0xFFFF) {
                return Fail("'" + word + "' needs an address of 0 to 65535 after it", error);
            }
            address = static_cast<std::uint16_t>(std::stoul(digits));
            return true;
        }
        std::string why;
        if (!ReferenceToAddress(word, table, address, why)) return Fail(why, error);
        return true;
    }

    bool ReadIdentification(std::istringstream& words, int number, std::string& error) {
        std::string id_text;
        if (!(words >> id_text)) return Fail("'id' without an object number", error);
        unsigned long id = 0;
        std::size_t used = 0;
        try {
            id = std::stoul(id_text, &used, 0);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != id_text.size() || id > 0xFF) return Fail("'" + id_text + "' is not an object number of 0 to 255", error);
        std::string rest;
        std::getline(words, rest);
        const unsigned char object = static_cast<unsigned char>(id);
        const auto earlier = id_lines_.find(object);
        if (earlier != id_lines_.end()) {
            return Fail("object " + id_text + " is set on line " + std::to_string(earlier->second) + " already",
                        error);
        }
        id_lines_[object] = number;
        model_.identification[object] = Unquoted(rest);
        return true;
    }

    // The addresses `count` from `address` in `table`, for the entry on line
    // `number`: false when any runs past 65535 or an earlier line has it.
    bool Claim(ModbusTable table, std::uint16_t address, std::size_t count, int number, std::string& error) {
        if (address + count > 0x10000u) {
            return Fail(std::to_string(count) + " values from address " + std::to_string(address) + " run past 65535",
                        error);
        }
        auto& lines = lines_[static_cast<int>(table)];
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint16_t at = static_cast<std::uint16_t>(address + i);
            const auto earlier = lines.find(at);
            if (earlier != lines.end()) {
                return Fail(std::string(ModbusTableName(table)) + " address " + std::to_string(at) +
                                " is set on line " + std::to_string(earlier->second) + " already",
                            error);
            }
        }
        for (std::size_t i = 0; i < count; ++i) lines[static_cast<std::uint16_t>(address + i)] = number;
        return true;
    }

    static bool Fail(const std::string& why, std::string& error) {
        error = why;
        return false;
    }

    ModbusDataModel& model_;
    std::map<std::uint16_t, int> lines_[5];  // by table: which line set each address
    std::map<unsigned char, int> id_lines_;
};

}  // namespace

bool ReadModbusMap(const std::string& text, ModbusDataModel& model, std::string& error) {
    return MapReader(model).Read(text, error);
}
