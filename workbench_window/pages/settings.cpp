#include "workbench_window/pages/settings.h"

#include <cstdlib>
#include <map>

namespace settings {

namespace {

const char kSection[] = "[workbench]";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

// A decimal integer within [low, high], the whole text; false otherwise.
bool ReadInt(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 7) return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    long number = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    if (text[0] == '-') number = -number;
    if (number < low || number > high) return false;
    value = static_cast<int>(number);
    return true;
}

// The key=value lines of the program's section; other sections, comments
// and lines without '=' are passed over.
std::map<std::string, std::string> Values(const std::string& text) {
    std::map<std::string, std::string> values;
    bool ours = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            ours = line == kSection;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!ours || equals == std::string::npos) continue;
        values[Trimmed(line.substr(0, equals))] = Trimmed(line.substr(equals + 1));
    }
    return values;
}

const char kPrintableAscii[] =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

// A name or an address: printable ASCII, as the catalogue writes models and
// as ports and hosts are named.
bool IsName(const std::string& text, bool may_be_empty) {
    if (text.empty()) return may_be_empty;
    return text.size() < 200 && text.find_first_not_of(kPrintableAscii) == std::string::npos;
}

bool IsDigits(const std::string& text, std::size_t longest, bool may_be_empty) {
    if (text.empty()) return may_be_empty;
    return text.size() <= longest && text.find_first_not_of("0123456789") == std::string::npos;
}

// The typed fields, each with the test of a sound value: what fails it is
// neither written nor read (a pasted line break would start a line of its own).
struct SerialText {
    const char* key;
    bool digits;
    bool may_be_empty;
    std::string SerialSettings::*field;
};
const SerialText kSerialTexts[] = {
    {"port", false, true, &SerialSettings::port},   {"baud", true, false, &SerialSettings::baud},
    {"host", false, false, &SerialSettings::host},  {"listen", true, false, &SerialSettings::listen},
    {"gap", true, true, &SerialSettings::gap},      {"period", true, false, &SerialSettings::period},
    {"model", false, false, &SerialSettings::model}};

bool IsSound(const SerialText& text, const std::string& value) {
    return text.digits ? IsDigits(value, 9, text.may_be_empty) : IsName(value, text.may_be_empty);
}

struct SerialList {
    const char* key;
    int count;
    int SerialSettings::*field;
};
const SerialList kSerialLists[] = {{"mode", kSerialModes, &SerialSettings::mode},
                                   {"data_bits", kDataBitsChoices, &SerialSettings::data_bits},
                                   {"parity", kParityChoices, &SerialSettings::parity},
                                   {"stop_bits", kStopBitsChoices, &SerialSettings::stop_bits},
                                   {"flow", kFlowChoices, &SerialSettings::flow}};

struct SerialFlag {
    const char* key;
    bool SerialSettings::*field;
};
const SerialFlag kSerialFlags[] = {{"append_check", &SerialSettings::append_check},
                                   {"little_endian", &SerialSettings::little_endian},
                                   {"hex", &SerialSettings::hex},
                                   {"utf8", &SerialSettings::utf8}};

SerialSettings ParseSerial(const std::map<std::string, std::string>& values) {
    SerialSettings serial;
    const auto find = [&](const char* key) -> const std::string* {
        const auto it = values.find(std::string("serial.") + key);
        return it == values.end() ? nullptr : &it->second;
    };
    int number = 0;
    for (const SerialList& list : kSerialLists) {
        if (const std::string* value = find(list.key); value && ReadInt(*value, 0, list.count - 1, number)) {
            serial.*list.field = number;
        }
    }
    for (const SerialText& text : kSerialTexts) {
        if (const std::string* value = find(text.key); value && IsSound(text, *value)) serial.*text.field = *value;
    }
    for (const SerialFlag& flag : kSerialFlags) {
        if (const std::string* value = find(flag.key); value && ReadInt(*value, 0, 1, number)) {
            serial.*flag.field = number != 0;
        }
    }
    return serial;
}

std::string FormatSerial(const SerialSettings& serial) {
    std::string text;
    for (const SerialList& list : kSerialLists) {
        const int value = serial.*list.field;
        if (value >= 0 && value < list.count) text += std::string("serial.") + list.key + "=" + std::to_string(value) + "\r\n";
    }
    for (const SerialText& field : kSerialTexts) {
        const std::string& value = serial.*field.field;
        if (IsSound(field, value)) text += std::string("serial.") + field.key + "=" + value + "\r\n";
    }
    for (const SerialFlag& flag : kSerialFlags) {
        text += std::string("serial.") + flag.key + "=" + (serial.*flag.field ? "1" : "0") + "\r\n";
    }
    return text;
}

// The Modbus page's fields, by the same rules.
struct ModbusText {
    const char* key;
    bool digits;
    bool may_be_empty;
    std::string ModbusSettings::*field;
};
const ModbusText kModbusTexts[] = {
    {"port", false, true, &ModbusSettings::port},         {"baud", true, false, &ModbusSettings::baud},
    {"word", false, false, &ModbusSettings::word},        {"host", false, false, &ModbusSettings::host},
    {"timeout", true, false, &ModbusSettings::timeout},   {"unit", true, false, &ModbusSettings::unit},
    {"address", true, false, &ModbusSettings::address},   {"count", true, false, &ModbusSettings::count},
    {"interval", true, false, &ModbusSettings::interval}, {"format", false, false, &ModbusSettings::format}};

bool IsSound(const ModbusText& text, const std::string& value) {
    return text.digits ? IsDigits(value, 9, text.may_be_empty) : IsName(value, text.may_be_empty);
}

struct ModbusList {
    const char* key;
    int count;
    int ModbusSettings::*field;
};
const ModbusList kModbusLists[] = {{"framing", kModbusFramings, &ModbusSettings::framing},
                                   {"table", kModbusTables, &ModbusSettings::table},
                                   {"mode", kModbusModes, &ModbusSettings::mode}};

// A path may hold any character but a control one (a line break would
// start a line of its own).
bool IsPath(const std::string& text) {
    if (text.size() > 1000) return false;
    for (const char ch : text) {
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) return false;
    }
    return true;
}

ModbusSettings ParseModbus(const std::map<std::string, std::string>& values) {
    ModbusSettings modbus;
    const auto find = [&](const char* key) -> const std::string* {
        const auto it = values.find(std::string("modbus.") + key);
        return it == values.end() ? nullptr : &it->second;
    };
    int number = 0;
    for (const ModbusList& list : kModbusLists) {
        if (const std::string* value = find(list.key); value && ReadInt(*value, 0, list.count - 1, number)) {
            modbus.*list.field = number;
        }
    }
    for (const ModbusText& text : kModbusTexts) {
        if (const std::string* value = find(text.key); value && IsSound(text, *value)) modbus.*text.field = *value;
    }
    if (const std::string* value = find("map"); value && IsPath(*value)) modbus.map = *value;
    // poll.1, poll.2, ...: the list ends at the first number missing.
    for (int n = 1; n <= kModbusPolls; ++n) {
        const std::string* value = find(("poll." + std::to_string(n)).c_str());
        if (!value) break;
        if (IsName(*value, false)) modbus.polls.push_back(*value);
    }
    return modbus;
}

std::string FormatModbus(const ModbusSettings& modbus) {
    std::string text;
    for (const ModbusList& list : kModbusLists) {
        const int value = modbus.*list.field;
        if (value >= 0 && value < list.count) text += std::string("modbus.") + list.key + "=" + std::to_string(value) + "\r\n";
    }
    for (const ModbusText& field : kModbusTexts) {
        const std::string& value = modbus.*field.field;
        if (IsSound(field, value)) text += std::string("modbus.") + field.key + "=" + value + "\r\n";
    }
    if (IsPath(modbus.map)) text += "modbus.map=" + modbus.map + "\r\n";
    int kept = 0;
    for (const std::string& poll : modbus.polls) {
        if (kept == kModbusPolls || !IsName(poll, false)) continue;
        text += "modbus.poll." + std::to_string(++kept) + "=" + poll + "\r\n";
    }
    return text;
}

}  // namespace

Settings Parse(const std::string& text) {
    Settings settings;
    const std::map<std::string, std::string> values = Values(text);
    const auto find = [&](const char* key) -> const std::string* {
        const auto it = values.find(key);
        return it == values.end() ? nullptr : &it->second;
    };
    int number = 0;
    if (const std::string* page = find("page"); page && ReadInt(*page, 0, kPages - 1, number)) settings.page = number;
    if (const std::string* mode = find("input"); mode && ReadInt(*mode, 0, kInputModes - 1, number)) {
        settings.input_mode = number;
    }
    if (const std::string* model = find("model"); model && IsName(*model, false)) settings.model = *model;
    // The place is taken whole or not at all: half of it is no place.
    Placement placement;
    const char* keys[] = {"x", "y", "width", "height"};
    int* fields[] = {&placement.x, &placement.y, &placement.width, &placement.height};
    placement.known = true;
    for (int i = 0; i < 4; ++i) {
        const std::string* value = find(keys[i]);
        const int low = i < 2 ? -kLargestCoordinate : 1;
        if (!value || !ReadInt(*value, low, kLargestCoordinate, *fields[i])) placement.known = false;
    }
    if (placement.known) settings.placement = placement;
    settings.serial = ParseSerial(values);
    settings.modbus = ParseModbus(values);
    return settings;
}

std::string Format(const Settings& settings) {
    std::string text = std::string(kSection) + "\r\n";
    text += "page=" + std::to_string(settings.page) + "\r\n";
    text += "model=" + settings.model + "\r\n";
    text += "input=" + std::to_string(settings.input_mode) + "\r\n";
    if (settings.placement.known) {
        const Placement& p = settings.placement;
        text += "x=" + std::to_string(p.x) + "\r\ny=" + std::to_string(p.y) + "\r\nwidth=" + std::to_string(p.width) +
                "\r\nheight=" + std::to_string(p.height) + "\r\n";
    }
    return text + FormatSerial(settings.serial) + FormatModbus(settings.modbus);
}

}  // namespace settings
