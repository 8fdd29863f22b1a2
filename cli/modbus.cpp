#include "cli/modbus.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "core/hexdump.h"
#include "modbus/pdu.h"
#include "modbus/register_numbers.h"
#include "workbench/numbers/byte_orders.h"

const char kModbusUsageHint[] =
    "Usage: quobrix modbus decode|read|write|serve ...; quobrix modbus --help tells more";

namespace {

// What the parser fills: every option of every action, judged by the
// action afterwards, so that an option of another action is named as such.
struct ModbusWords {
    std::vector<std::string> arguments;  // the action, then its operands
    std::string mode, rtu, ascii, tcp, rtu_over_tcp, baud, framing, unit, timeout, retries, poll, times, map;
    std::vector<std::string> as, holding, input_regs, coils, inputs, reference;
    CLI::Option* mode_option = nullptr;
    CLI::Option* rtu_option = nullptr;
    CLI::Option* ascii_option = nullptr;
    CLI::Option* tcp_option = nullptr;
    CLI::Option* rtu_over_tcp_option = nullptr;
    CLI::Option* baud_option = nullptr;
    CLI::Option* framing_option = nullptr;
    CLI::Option* unit_option = nullptr;
    CLI::Option* timeout_option = nullptr;
    CLI::Option* retries_option = nullptr;
    CLI::Option* poll_option = nullptr;
    CLI::Option* times_option = nullptr;
    CLI::Option* map_option = nullptr;
    CLI::Option* as_option = nullptr;
    CLI::Option* holding_option = nullptr;
    CLI::Option* input_regs_option = nullptr;
    CLI::Option* coils_option = nullptr;
    CLI::Option* inputs_option = nullptr;
    CLI::Option* reference_option = nullptr;
    CLI::Option* json = nullptr;
    CLI::Option* trace = nullptr;
    CLI::Option* multiple = nullptr;
};

bool Complete(const ModbusWords& words, const CLI::App& chosen, ModbusOptions& options, std::string& error);
int RunModbus(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

CommandParse SetupModbus(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kModbusSummary, kModbusGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<ModbusWords>();
    ModbusWords& w = *given;
    w.mode_option = sub->add_option("--mode", w.mode);
    w.rtu_option = sub->add_option("--rtu", w.rtu);
    w.ascii_option = sub->add_option("--ascii", w.ascii);
    w.tcp_option = sub->add_option("--tcp", w.tcp);
    w.rtu_over_tcp_option = sub->add_option("--rtu-over-tcp", w.rtu_over_tcp);
    w.baud_option = sub->add_option("--baud", w.baud);
    w.framing_option = sub->add_option("--framing", w.framing);
    w.unit_option = sub->add_option("--unit", w.unit);
    w.timeout_option = sub->add_option("--timeout", w.timeout);
    w.retries_option = sub->add_option("--retries", w.retries);
    w.poll_option = sub->add_option("--poll", w.poll);
    w.times_option = sub->add_option("--times", w.times);
    w.map_option = sub->add_option("--map", w.map);
    // Each --as takes one word; several may be given.
    w.as_option = sub->add_option_function<std::string>("--as", [&w](const std::string& word) { w.as.push_back(word); })
                      ->trigger_on_parse()
                      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    // ADDRESS, and COUNT when it follows: "--holding 0 10".
    w.holding_option = sub->add_option("--holding", w.holding)->expected(1, 2)->allow_extra_args(false);
    w.input_regs_option = sub->add_option("--input-regs", w.input_regs)->expected(1, 2)->allow_extra_args(false);
    w.coils_option = sub->add_option("--coils", w.coils)->expected(1, 2)->allow_extra_args(false);
    w.inputs_option = sub->add_option("--inputs", w.inputs)->expected(1, 2)->allow_extra_args(false);
    w.reference_option = sub->add_option("--ref", w.reference)->expected(1, 2)->allow_extra_args(false);
    w.json = sub->add_flag("--json")->disable_flag_override();
    w.trace = sub->add_flag("--trace")->disable_flag_override();
    w.multiple = sub->add_flag("--multiple")->disable_flag_override();
    AddAllWords(*sub, "ACTION", w.arguments);
    return OneSubcommandParse<ModbusWords, ModbusOptions>(sub, given, name, Complete, RunModbus);
}

std::string ModbusValue::Shown() const {
    if (!is_text) return text;
    // A quote or a backslash of the text itself is escaped too, so that
    // the quotes end it and every \x is an escape.
    std::string plain;
    for (const char c : text) {
        if (c == '"') {
            plain += "\\x22";
        } else if (c == '\\') {
            plain += "\\x5C";
        } else {
            plain += c;
        }
    }
    return "\"" + EscapeBytes(plain) + "\"";
}

namespace {

// The registers as one text in each order asked: a name or a serial number
// fills its field and is padded with NULs, so the run is one value.
void TextValues(const std::vector<std::uint16_t>& registers, long long first_address, const std::string& order,
                std::vector<ModbusValue>& values) {
    const std::vector<std::string> orders = order.empty() ? std::vector<std::string>{"ab", "ba"}
                                                          : std::vector<std::string>{order};
    for (const std::string& letters : orders) {
        ModbusValue value;
        value.type = "string";
        value.order = letters;
        value.address = first_address;
        value.text = RegistersAsText(registers, letters == "ba");
        value.bytes = SpacedHex(RegisterBytes(registers));
        value.is_text = true;
        values.push_back(value);
    }
}

}  // namespace

bool ModbusValues(const std::vector<std::uint16_t>& registers, long long first_address,
                  const ModbusValueFormat& format, std::vector<ModbusValue>& values, std::string& error) {
    if (format.first == "string") {
        TextValues(registers, first_address, format.second, values);
        return true;
    }
    const int size = ModbusNumberSize(format.first);
    if (size == 0 || size % 2 != 0) {
        error = "unknown number type '" + format.first + "': u16 i16 u32 i32 f32 u64 i64 f64";
        return false;
    }
    const std::vector<std::string> orders =
        format.second.empty() ? CommonByteOrders(size) : std::vector<std::string>{format.second};
    const std::size_t per_value = static_cast<std::size_t>(size / 2);
    for (const std::string& order : orders) {
        std::vector<std::string> numbers;
        if (!RegistersAsNumbers(registers, format.first, order, numbers, error)) return false;
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            ModbusValue value;
            value.type = format.first;
            value.order = order;
            for (char& c : value.order) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            value.index = i;
            value.address = first_address < 0 ? -1 : first_address + static_cast<long long>(i * per_value);
            value.text = numbers[i];
            const std::vector<std::uint16_t> run(registers.begin() + static_cast<long>(i * per_value),
                                                 registers.begin() + static_cast<long>((i + 1) * per_value));
            value.bytes = SpacedHex(RegisterBytes(run));
            values.push_back(value);
        }
    }
    return true;
}

bool ModbusValueLines(const std::vector<std::uint16_t>& registers, long long first_address,
                      const ModbusValueFormat& format, std::vector<std::string>& lines, std::string& error) {
    std::vector<ModbusValue> values;
    if (!ModbusValues(registers, first_address, format, values, error)) return false;
    for (const ModbusValue& value : values) {
        const std::string where =
            value.address < 0 ? "#" + std::to_string(value.index + 1) : "at " + std::to_string(value.address);
        lines.push_back(value.type + " " + value.order + " " + where + ": " + value.Shown() + " (" + value.bytes + ")");
    }
    return true;
}

namespace {

// ---- Judging the command line ------------------------------------------

bool ReadFormat(const std::string& text, ModbusValueFormat& format, std::string& error) {
    const std::size_t colon = text.find(':');
    format.first = text.substr(0, colon);
    format.second = colon == std::string::npos ? "" : text.substr(colon + 1);
    if (format.first == "string") {
        for (char& c : format.second) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (format.second.empty() || format.second == "ab" || format.second == "ba") return true;
        error = "--as string:" + EscapeBytes(format.second) +
                ": ab (the first character in a register's high byte) or ba (in its low byte)";
        return false;
    }
    const int size = ModbusNumberSize(format.first);
    if (size == 0 || size % 2 != 0) {
        error = "--as: unknown number type '" + EscapeBytes(format.first) +
                "': u16 i16 u32 i32 f32 u64 i64 f64, then :ORDER (f32:cdab); or string";
        return false;
    }
    if (!format.second.empty() && ByteOrderLetters(format.second, size).empty()) {
        error = "--as: '" + EscapeBytes(format.second) + "' is not an order of " + std::to_string(size) +
                " bytes: each of the letters a to " + std::string(1, static_cast<char>('a' + size - 1)) + " once";
        return false;
    }
    return true;
}

// Which actions take an option; an option given to another is refused by name.
struct OptionUse {
    const char* name;
    CLI::Option* ModbusWords::*option;
    bool decode, read, write, serve;
};

const OptionUse kOptionUses[] = {
    {"--mode", &ModbusWords::mode_option, true, false, false, false},
    {"--rtu", &ModbusWords::rtu_option, false, true, true, true},
    {"--ascii", &ModbusWords::ascii_option, false, true, true, true},
    {"--tcp", &ModbusWords::tcp_option, false, true, true, true},
    {"--rtu-over-tcp", &ModbusWords::rtu_over_tcp_option, false, true, true, true},
    {"--baud", &ModbusWords::baud_option, false, true, true, true},
    {"--framing", &ModbusWords::framing_option, false, true, true, true},
    {"--unit", &ModbusWords::unit_option, false, true, true, true},
    {"--timeout", &ModbusWords::timeout_option, false, true, true, false},
    {"--retries", &ModbusWords::retries_option, false, true, true, false},
    {"--poll", &ModbusWords::poll_option, false, true, false, false},
    {"--times", &ModbusWords::times_option, false, true, false, false},
    {"--map", &ModbusWords::map_option, false, false, false, true},
    {"--as", &ModbusWords::as_option, true, true, true, false},
    {"--holding", &ModbusWords::holding_option, false, true, true, false},
    {"--input-regs", &ModbusWords::input_regs_option, false, true, false, false},
    {"--coils", &ModbusWords::coils_option, false, true, true, false},
    {"--inputs", &ModbusWords::inputs_option, false, true, false, false},
    {"--ref", &ModbusWords::reference_option, false, true, true, false},
    {"--json", &ModbusWords::json, false, true, false, false},
    {"--trace", &ModbusWords::trace, false, true, true, false},
    {"--multiple", &ModbusWords::multiple, false, false, true, false},
};

bool CompleteWire(const ModbusWords& words, ModbusOptions& options, std::string& error) {
    const struct {
        CLI::Option* option;
        const std::string* value;
        ModbusFraming framing;
        const char* name;
    } kWires[] = {{words.rtu_option, &words.rtu, ModbusFraming::kRtu, "--rtu"},
                  {words.ascii_option, &words.ascii, ModbusFraming::kAscii, "--ascii"},
                  {words.tcp_option, &words.tcp, ModbusFraming::kTcp, "--tcp"},
                  {words.rtu_over_tcp_option, &words.rtu_over_tcp, ModbusFraming::kRtuOverTcp, "--rtu-over-tcp"}};
    const char* chosen = nullptr;
    std::string target;
    for (const auto& wire : kWires) {
        if (wire.option->count() == 0) continue;
        if (chosen != nullptr) {
            error = std::string(chosen) + " and " + wire.name + " together: one wire at a time";
            return false;
        }
        chosen = wire.name;
        options.framing = wire.framing;
        target = *wire.value;
    }
    if (chosen == nullptr) {
        error = "no wire given: --rtu PORT, --ascii PORT, --tcp HOST[:PORT] or --rtu-over-tcp HOST[:PORT]";
        return false;
    }
    const bool serial = options.framing == ModbusFraming::kRtu || options.framing == ModbusFraming::kAscii;
    if (serial) {
        options.port = target;
        if (target.empty()) {
            error = std::string(chosen) + " takes a serial port (/dev/ttyUSB0, COM3)";
            return false;
        }
    } else {
        // HOST, HOST:PORT, [IPv6]:PORT, a bare IPv6 address; serve takes PORT alone too.
        std::string host = target, port = "502";
        bool well_formed = true;
        if (!target.empty() && target.front() == '[') {
            const std::size_t close = target.find(']');
            well_formed = close != std::string::npos &&
                          (close + 1 == target.size() || (target[close + 1] == ':' && close + 2 < target.size()));
            if (well_formed) {
                host = target.substr(1, close - 1);
                if (close + 1 < target.size()) port = target.substr(close + 2);
            }
        } else if (target.find(':') != std::string::npos && target.find(':') == target.rfind(':')) {
            host = target.substr(0, target.find(':'));
            port = target.substr(target.find(':') + 1);
        }
        unsigned long long port_number = 0;
        if (options.action == ModbusOptions::kServe && ReadDecimalWord(target, 65535, port_number)) {
            host.clear();
            port = target;
        }
        if (!well_formed || !ReadDecimalWord(port, 65535, port_number)) {
            error = std::string(chosen) + ": '" + EscapeBytes(target) +
                    "' is no HOST[:PORT] (192.168.1.10, 127.0.0.1:1502, [::1]:502)";
            return false;
        }
        if (host.empty() && options.action != ModbusOptions::kServe) {
            error = std::string(chosen) + ": no host in '" + EscapeBytes(target) + "'";
            return false;
        }
        options.host = host;
        options.tcp_port = port;
    }
    if (!serial && (words.baud_option->count() > 0 || words.framing_option->count() > 0)) {
        error = std::string(words.baud_option->count() > 0 ? "--baud" : "--framing") + " is for a serial port, not " +
                chosen;
        return false;
    }
    if (words.baud_option->count() > 0) {
        unsigned long long baud = 0;
        if (!ReadDecimalWord(words.baud, kMaxBaud, baud) || baud < kMinBaud) {
            error = "--baud takes a rate from " + std::to_string(kMinBaud) + " to " + std::to_string(kMaxBaud) +
                    ", not '" + EscapeBytes(words.baud) + "'";
            return false;
        }
        options.settings.baud = static_cast<unsigned long>(baud);
    }
    if (words.framing_option->count() > 0 && !ParseFraming(words.framing, options.settings, error)) {
        error = "--framing: " + EscapeBytes(error);
        return false;
    }
    if (words.unit_option->count() > 0) {
        unsigned long long unit = 0;
        if (!ReadDecimalWord(words.unit, 255, unit)) {
            error = "--unit takes 0 to 255 (0: broadcast), not '" + EscapeBytes(words.unit) + "'";
            return false;
        }
        options.unit = static_cast<unsigned>(unit);
        options.unit_given = true;
    }
    if (words.timeout_option->count() > 0) {
        unsigned long long ms = 0;
        if (!ReadDecimalWord(words.timeout, 3600000, ms) || ms == 0) {
            error = "--timeout takes milliseconds from 1 to 3600000, not '" + EscapeBytes(words.timeout) + "'";
            return false;
        }
        options.timeout_ms = static_cast<long long>(ms);
    }
    if (words.retries_option->count() > 0) {
        unsigned long long retries = 0;
        if (!ReadDecimalWord(words.retries, 100, retries)) {
            error = "--retries takes 0 to 100, not '" + EscapeBytes(words.retries) + "'";
            return false;
        }
        options.retries = static_cast<int>(retries);
    }
    options.trace = words.trace->count() > 0;
    return true;
}

// --holding ADDRESS [COUNT] and its kin, or --ref REFERENCE [COUNT].
bool CompleteWhat(const ModbusWords& words, ModbusOptions& options, std::vector<std::string>& rest,
                  std::string& error) {
    const struct {
        CLI::Option* option;
        const std::vector<std::string>* values;
        ModbusTable table;
        const char* name;
    } kTables[] = {{words.holding_option, &words.holding, ModbusTable::kHoldingRegisters, "--holding"},
                   {words.input_regs_option, &words.input_regs, ModbusTable::kInputRegisters, "--input-regs"},
                   {words.coils_option, &words.coils, ModbusTable::kCoils, "--coils"},
                   {words.inputs_option, &words.inputs, ModbusTable::kDiscreteInputs, "--inputs"},
                   {words.reference_option, &words.reference, ModbusTable::kHoldingRegisters, "--ref"}};
    const char* chosen = nullptr;
    std::vector<std::string> values;
    for (const auto& table : kTables) {
        if (table.option->count() == 0) continue;
        if (chosen != nullptr) {
            error = std::string(chosen) + " and " + table.name + " together: one table at a time";
            return false;
        }
        chosen = table.name;
        options.table = table.table;
        values = *table.values;
    }
    if (chosen == nullptr) {
        error = "nothing to " + std::string(options.action == ModbusOptions::kRead ? "read" : "write") +
                ": --holding ADDRESS [COUNT], --input-regs, --coils, --inputs, or --ref 40001 [COUNT]";
        return false;
    }
    if (std::string(chosen) == "--ref") {
        ModbusTable table = ModbusTable::kHoldingRegisters;
        std::uint16_t address = 0;
        if (!ReferenceToAddress(values.front(), table, address, error)) {
            error = "--ref: " + EscapeBytes(error);
            return false;
        }
        options.table = table;
        options.address = address;
    } else {
        unsigned long long address = 0;
        if (!ReadDecimalWord(values.front(), 65535, address)) {
            error = std::string(chosen) + " takes a 0-based address 0-65535 (--ref takes 40001), not '" +
                    EscapeBytes(values.front()) + "'";
            return false;
        }
        options.address = static_cast<unsigned>(address);
    }
    if (options.action == ModbusOptions::kWrite) {
        // "--holding 100 5 6": the second word was a value.
        rest.assign(values.begin() + 1, values.end());
        return true;
    }
    if (values.size() == 2) {
        unsigned long long count = 0;
        if (!ReadDecimalWord(values[1], 65535, count) || count == 0) {
            error = std::string(chosen) + ": COUNT is 1 or more, not '" + EscapeBytes(values[1]) + "'";
            return false;
        }
        options.count = static_cast<unsigned>(count);
        options.count_given = true;
    }
    const bool bits = options.table == ModbusTable::kCoils || options.table == ModbusTable::kDiscreteInputs;
    const unsigned limit = bits ? kMaxReadBits : kMaxReadRegisters;
    if (options.count > limit) {
        error = std::string(chosen) + ": a request reads at most " + std::to_string(limit) +
                (bits ? " bits" : " registers") + ", not " + std::to_string(options.count);
        return false;
    }
    if (options.address + options.count > 65536) {
        error = std::string(chosen) + ": " + std::to_string(options.count) + " from " +
                std::to_string(options.address) + " run past the last address, 65535";
        return false;
    }
    return true;
}

bool Complete(const ModbusWords& words, const CLI::App&, ModbusOptions& options, std::string& error) {
    static const char* const kActions[] = {"decode", "read", "write", "serve"};
    if (words.arguments.empty()) {
        error = "no action given: decode, read, write or serve";
        return false;
    }
    const std::string& action = words.arguments.front();
    int index = -1;
    for (int i = 0; i < 4; ++i) {
        if (action == kActions[i]) index = i;
    }
    if (index < 0) {
        error = "unknown action '" + EscapeBytes(action) + "': decode, read, write or serve" +
                DidYouMean(NearestNames(action, {"decode", "read", "write", "serve"}));
        return false;
    }
    options.action = static_cast<ModbusOptions::Action>(index);
    for (const OptionUse& use : kOptionUses) {
        const bool taken = index == 0 ? use.decode : index == 1 ? use.read : index == 2 ? use.write : use.serve;
        if (!taken && (words.*use.option)->count() > 0) {
            error = std::string(use.name) + " is not an option of modbus " + action;
            return false;
        }
    }
    for (const std::string& text : words.as) {
        ModbusValueFormat format;
        if (!ReadFormat(text, format, error)) return false;
        options.formats.push_back(format);
    }
    std::vector<std::string> operands(words.arguments.begin() + 1, words.arguments.end());
    if (options.action == ModbusOptions::kDecode) {
        if (words.mode_option->count() > 0) {
            const struct {
                const char* word;
                ModbusFraming framing;
            } kModes[] = {{"rtu", ModbusFraming::kRtu},
                          {"ascii", ModbusFraming::kAscii},
                          {"tcp", ModbusFraming::kTcp},
                          {"rtu-over-tcp", ModbusFraming::kRtuOverTcp}};
            for (const auto& mode : kModes) {
                if (words.mode == mode.word) options.mode = mode.framing;
            }
            if (!options.mode) {
                error = "--mode takes rtu, ascii, tcp or rtu-over-tcp, not '" + EscapeBytes(words.mode) + "'";
                return false;
            }
        }
        options.frames = operands;
        return true;
    }
    if (!CompleteWire(words, options, error)) return false;
    if (options.action == ModbusOptions::kServe) {
        if (!operands.empty()) {
            error = "modbus serve takes no operand, not '" + EscapeBytes(operands.front()) + "'";
            return false;
        }
        if (words.map_option->count() == 0) {
            error = "modbus serve needs --map FILE: the device's registers and bits";
            return false;
        }
        options.map_path = words.map;
        if (!options.unit_given) options.unit = 0;  // any unit, unless one is given
        return true;
    }
    std::vector<std::string> rest;
    if (!CompleteWhat(words, options, rest, error)) return false;
    if (options.formats.size() > 1 && options.action == ModbusOptions::kWrite) {
        error = "modbus write takes one --as";
        return false;
    }
    if (options.action == ModbusOptions::kRead) {
        if (!operands.empty()) {
            error = "modbus read takes no operand, not '" + EscapeBytes(operands.front()) +
                    "' (COUNT follows the address: --holding 0 10)";
            return false;
        }
        if (words.poll_option->count() > 0) {
            unsigned long long ms = 0;
            if (!ReadDecimalWord(words.poll, 86400000, ms) || ms == 0) {
                error = "--poll takes milliseconds from 1 on, not '" + EscapeBytes(words.poll) + "'";
                return false;
            }
            options.poll_ms = static_cast<long long>(ms);
        }
        if (words.times_option->count() > 0) {
            if (options.poll_ms < 0) {
                error = "--times counts the reads of --poll";
                return false;
            }
            if (!ReadDecimalWord(words.times, 1000000000ULL, options.times) || options.times == 0) {
                error = "--times takes 1 or more, not '" + EscapeBytes(words.times) + "'";
                return false;
            }
        }
        options.json = words.json->count() > 0;
        if (options.unit == 0 && options.framing != ModbusFraming::kTcp) {
            error = "modbus read cannot ask unit 0 on a serial line: a broadcast gets no answer";
            return false;
        }
        return true;
    }
    options.values = rest;
    options.values.insert(options.values.end(), operands.begin(), operands.end());
    if (options.values.empty()) {
        error = "modbus write: no VALUE given";
        return false;
    }
    options.multiple = words.multiple->count() > 0;
    if (options.table == ModbusTable::kInputRegisters || options.table == ModbusTable::kDiscreteInputs) {
        error = std::string("modbus write: ") + ModbusTableName(options.table) +
                " are read-only; write --holding or --coils";
        return false;
    }
    if (options.table == ModbusTable::kCoils && !options.formats.empty()) {
        error = "--as is for registers; coils take 1 and 0 (on, off)";
        return false;
    }
    return true;
}

#ifdef QUOBRIX_MODBUS_NO_WIRE
// The page has no ports: the browser's own interfaces would reach them.
int NoWire(const char* action, std::string& err) {
    err += kPrefix + "modbus " + action + " needs a serial port or a TCP connection, which the page has not: " +
           "run it from quobrix on a computer\n";
    return kExitUsage;
}
#endif

int RunModbus(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    switch (options.action) {
        case ModbusOptions::kDecode:
            return RunModbusDecode(options, env, out, err);
#ifdef QUOBRIX_MODBUS_NO_WIRE
        case ModbusOptions::kRead:
            return NoWire("read", err);
        case ModbusOptions::kWrite:
            return NoWire("write", err);
        case ModbusOptions::kServe:
            return NoWire("serve", err);
#else
        case ModbusOptions::kRead:
            return RunModbusRead(options, env, out, err);
        case ModbusOptions::kWrite:
            return RunModbusWrite(options, env, out, err);
        case ModbusOptions::kServe:
            return RunModbusServe(options, env, out, err);
#endif
    }
    return kExitUsage;
}

}  // namespace

const CliCommand kModbusCommand = {"modbus", SetupModbus, ModbusHelpSection, ModbusHelp, kModbusUsageHint};
