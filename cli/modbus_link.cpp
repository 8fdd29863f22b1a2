// quobrix modbus read, write and serve: the master and the simulated device
// over a serial port or TCP.

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/interrupt.h"
#include "cli/messages.h"
#include "cli/modbus.h"
#include "core/hexdump.h"
#include "link/link.h"
#include "modbus/master.h"
#include "modbus/register_numbers.h"
#include "modbus/slave.h"

namespace {

// Lines go out as they come where the process can write them at once (a
// poll, a server), else into `out`.
class Printer {
public:
    Printer(const CliEnvironment& env, std::string& out) : env_(env), out_(out) {}
    void Line(const std::string& line) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (env_.write_stdout) {
            env_.write_stdout(line + "\n");
        } else {
            out_ += line + "\n";
        }
    }

private:
    const CliEnvironment& env_;
    std::string& out_;
    std::mutex mutex_;
};

std::string Seconds(LinkTime us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(us) / 1e6);
    return text;
}

std::string WireName(const ModbusOptions& options) {
    return options.port.empty() ? (options.host.find(':') != std::string::npos ? "[" + options.host + "]"
                                                                                : options.host) +
                                      ":" + options.tcp_port
                                : options.port;
}

bool Serial(const ModbusOptions& options) {
    return options.framing == ModbusFraming::kRtu || options.framing == ModbusFraming::kAscii;
}

std::unique_ptr<Link> OpenWire(const ModbusOptions& options, std::string& err) {
    std::string error;
    std::unique_ptr<Link> link = Serial(options) ? OpenSerialLink(options.port, options.settings, error)
                                                 : ConnectTcpLink(options.host, options.tcp_port, error);
    if (!link) err += kPrefix + EscapeBytes(WireName(options)) + ": " + error + "\n";
    return link;
}

ModbusMasterSettings MasterSettings(const ModbusOptions& options) {
    ModbusMasterSettings settings;
    settings.framing = options.framing;
    settings.unit = static_cast<unsigned char>(options.unit);
    settings.timeout_us = options.timeout_ms * 1000;
    settings.retries = options.retries;
    settings.gap_us = options.framing == ModbusFraming::kRtu ? ModbusGapUs(options.settings) : 0;
    return settings;
}

std::string TraceLine(const ModbusTraceEvent& event) {
    return std::string(event.sent ? "TX " : "RX ") + SpacedHex(event.bytes) + " | " + event.check +
           (event.ok || event.sent ? "" : " (refused)");
}

std::string Reference(ModbusTable table, long long address) {
    std::string reference, error;
    if (address < 0 || !AddressToReference(table, static_cast<std::uint16_t>(address), ReferenceForm::kFiveDigits,
                                           reference, error)) {
        AddressToReference(table, static_cast<std::uint16_t>(address), ReferenceForm::kSixDigits, reference, error);
    }
    return reference;
}

const char* ItemName(ModbusTable table) {
    switch (table) {
        case ModbusTable::kCoils:
            return "coil";
        case ModbusTable::kDiscreteInputs:
            return "discrete input";
        case ModbusTable::kInputRegisters:
            return "input register";
        case ModbusTable::kHoldingRegisters:
            break;
    }
    return "holding register";
}

// "exception 02 ILLEGAL DATA ADDRESS", or "" when the answer is none.
std::string ExceptionText(const ModbusPdu& pdu) {
    char code[8];
    std::snprintf(code, sizeof code, "%02X", pdu.exception_code);
    const std::string name = ModbusExceptionName(pdu.exception_code);
    return std::string("exception ") + code + (name.empty() ? " (no standard name)" : " " + name);
}

// What went wrong with a transaction, a line for standard error; "" when the
// answer is the one asked for.
std::string TransactionProblem(const ModbusOptions& options, const ModbusTransaction& done, const std::string& asked) {
    const std::string unit = "unit " + std::to_string(options.unit);
    switch (done.status) {
        case ModbusTransaction::kAnswered:
            return done.response.exception ? unit + ": " + ExceptionText(done.response) + " to " + asked : "";
        case ModbusTransaction::kTimeout:
        case ModbusTransaction::kLinkFailed:
            return done.error.empty() ? unit + ": no answer" : done.error;
        case ModbusTransaction::kBroadcast:
            return "";
    }
    return "";
}

int StatusOf(const ModbusTransaction& done) {
    if (done.status == ModbusTransaction::kLinkFailed) return kExitUsage;
    if (done.status == ModbusTransaction::kTimeout || (done.status == ModbusTransaction::kAnswered &&
                                                       done.response.exception)) {
        return kExitMessageBox;
    }
    return kExitReport;
}

void ReportProblem(const ModbusTransaction& done, const std::string& problem, std::string& err,
                   const CliEnvironment& env) {
    std::string text;
    for (const std::string& refused : done.refused) text += kPrefix + "refused: " + refused + "\n";
    text += kPrefix + problem + "\n";
    if (env.write_stderr) {
        env.write_stderr(text);
    } else {
        err += text;
    }
}

// ---- read ----------------------------------------------------------------

// One read's values as lines, each keyed so that a poll sees what changed.
struct ReadLine {
    std::string key, line;
};

// A number as JSON takes it, else the text in quotes (nan, inf).
std::string JsonNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    const bool plain = !text.empty() && end == text.c_str() + text.size() && value == value &&
                       text.find_first_of("ipxIPX") == std::string::npos;
    return plain ? text : JsonString(text);
}

bool ReadLines(const ModbusOptions& options, const ModbusPdu& answer, std::vector<ReadLine>& lines, std::string& json,
               std::string& error) {
    const bool bits = options.table == ModbusTable::kCoils || options.table == ModbusTable::kDiscreteInputs;
    json = "{\"unit\": " + std::to_string(options.unit) + ", \"table\": " +
           JsonString(ModbusTableName(options.table)) + ", \"address\": " + std::to_string(options.address) +
           ", \"count\": " + std::to_string(options.count);
    if (bits) {
        json += ", \"bits\": [";
        for (unsigned i = 0; i < options.count && i < answer.bits.size(); ++i) {
            const long long address = options.address + i;
            const std::string line = std::string(ItemName(options.table)) + " " + std::to_string(address) + " (" +
                                     Reference(options.table, address) + "): " + (answer.bits[i] ? "1" : "0");
            lines.push_back({std::to_string(address), line});
            json += std::string(i ? ", " : "") + (answer.bits[i] ? "1" : "0");
        }
        json += "]}";
        return true;
    }
    json += ", \"registers\": [";
    for (std::size_t i = 0; i < answer.registers.size(); ++i) {
        json += (i ? ", " : "") + std::to_string(answer.registers[i]);
    }
    json += "]";
    if (options.formats.empty()) {
        for (std::size_t i = 0; i < answer.registers.size(); ++i) {
            const long long address = options.address + static_cast<long long>(i);
            char value[24];
            std::snprintf(value, sizeof value, "0x%04X = %u", answer.registers[i], answer.registers[i]);
            lines.push_back({std::to_string(address), std::string(ItemName(options.table)) + " " +
                                                          std::to_string(address) + " (" +
                                                          Reference(options.table, address) + "): " + value});
        }
        json += "}";
        return true;
    }
    json += ", \"values\": [";
    bool first = true;
    for (const ModbusValueFormat& format : options.formats) {
        std::vector<ModbusValue> values;
        if (!ModbusValues(answer.registers, options.address, format, values, error)) return false;
        for (const ModbusValue& value : values) {
            const std::string where = std::to_string(value.address) + " (" + Reference(options.table, value.address) + ")";
            lines.push_back({value.type + value.order + std::to_string(value.address),
                             value.type + " " + value.order + " at " + where + ": " + value.Shown() + " (" +
                                 value.bytes + ")"});
            // A string's bytes that are not UTF-8 go as \xHH: JSON holds text.
            const std::string json_value = value.is_text ? JsonString(EscapeBytes(value.text)) : JsonNumber(value.text);
            json += std::string(first ? "" : ", ") + "{\"address\": " + std::to_string(value.address) +
                    ", \"type\": " + JsonString(value.type) + ", \"order\": " + JsonString(value.order) +
                    ", \"value\": " + json_value + ", \"bytes\": " + JsonString(value.bytes) + "}";
            first = false;
        }
    }
    json += "]}";
    return true;
}

std::string ReadAsked(const ModbusOptions& options) {
    return std::string(ModbusFunctionName(ModbusReadFunction(options.table))) + " " +
           std::to_string(options.address) + " count " + std::to_string(options.count);
}

}  // namespace

int RunModbusRead(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    const std::unique_ptr<Link> link = OpenWire(options, err);
    if (!link) return kExitUsage;
    Printer printer(env, out);
    ModbusMaster master(*link, MasterSettings(options));
    const bool polling = options.poll_ms > 0;
    const LinkTime start = LinkNow();
    const auto stamp = [&](const std::string& line) {
        return polling ? Seconds(LinkNow() - start) + " " + line : line;
    };
    if (options.trace) master.SetTrace([&](const ModbusTraceEvent& event) { printer.Line(stamp(TraceLine(event))); });
    const ModbusBytes request =
        ReadRequest(ModbusReadFunction(options.table), static_cast<std::uint16_t>(options.address),
                    static_cast<std::uint16_t>(options.count));
    InterruptScope interrupt;
    std::map<std::string, std::string> shown;
    int status = kExitReport;
    for (unsigned long long round = 0; !Interrupted(); ++round) {
        const LinkTime round_start = LinkNow();
        const ModbusTransaction done = master.Transact(request);
        const std::string problem = TransactionProblem(options, done, ReadAsked(options));
        if (!problem.empty()) {
            ReportProblem(done, problem, err, env);
            status = std::max(status, StatusOf(done));
            if (!polling || done.status == ModbusTransaction::kLinkFailed) break;
        } else {
            std::vector<ReadLine> lines;
            std::string json, error;
            if (!ReadLines(options, done.response, lines, json, error)) {
                err += kPrefix + "--as: " + error + "\n";
                return kExitUsage;
            }
            if (options.json) {
                printer.Line(json);
            } else {
                for (const ReadLine& line : lines) {
                    auto found = shown.find(line.key);
                    if (found != shown.end() && found->second == line.line) continue;
                    shown[line.key] = line.line;
                    printer.Line(stamp(line.line));
                }
            }
        }
        if (!polling || (options.times != 0 && round + 1 >= options.times)) break;
        // The next read is due a period after this one began; Ctrl+C ends the wait.
        const LinkTime due = round_start + options.poll_ms * 1000;
        while (!Interrupted() && LinkNow() < due) {
            std::this_thread::sleep_for(std::chrono::microseconds(std::min<LinkTime>(due - LinkNow(), 50000)));
        }
    }
    return status;
}

// ---- write ---------------------------------------------------------------

namespace {

bool ReadCoilValue(const std::string& text, bool& on) {
    if (text == "1" || text == "on" || text == "true") {
        on = true;
        return true;
    }
    if (text == "0" || text == "off" || text == "false") {
        on = false;
        return true;
    }
    return false;
}

// A register as typed: 0 to 65535, 0x0000 to 0xFFFF, or -32768 to -1 as
// its 16 bits.
bool ReadRegisterValue(const std::string& text, std::uint16_t& value) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (digits.empty() || digits.size() > 8) return false;
    long number = 0;
    for (std::size_t i = hex ? 2 : 0; i < digits.size(); ++i) {
        const char c = digits[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : -1;
        if (hex && digit < 0) digit = c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return false;
        number = number * (hex ? 16 : 10) + digit;
    }
    if (negative) number = -number;
    if (number < -32768 || number > 65535 || (negative && hex)) return false;
    value = static_cast<std::uint16_t>(number < 0 ? number + 65536 : number);
    return true;
}

}  // namespace

int RunModbusWrite(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    ModbusBytes request;
    std::string written;  // the values, as the line after the answer shows them
    std::size_t count = 0;
    const std::uint16_t address = static_cast<std::uint16_t>(options.address);
    if (options.table == ModbusTable::kCoils) {
        std::vector<bool> bits;
        for (const std::string& text : options.values) {
            bool on = false;
            if (!ReadCoilValue(text, on)) {
                err += kPrefix + "a coil is 1 or 0 (on, off), not '" + EscapeBytes(text) + "'\n";
                return kExitUsage;
            }
            bits.push_back(on);
            written += on ? " 1" : " 0";
        }
        if (options.address + bits.size() > 65536 || bits.size() > kMaxWriteBits) {
            err += kPrefix + "too many coils from " + std::to_string(options.address) + ": " +
                   std::to_string(bits.size()) + "\n";
            return kExitUsage;
        }
        count = bits.size();
        request = bits.size() == 1 && !options.multiple ? WriteSingleCoilRequest(address, bits[0])
                                                        : WriteMultipleCoilsRequest(address, bits);
    } else {
        std::vector<std::uint16_t> registers;
        if (!options.formats.empty()) {
            const ModbusValueFormat& format = options.formats.front();
            if (format.first == "string") {
                // One text, the map file's order (high byte first) unless
                // :ba is asked.
                if (options.values.size() != 1) {
                    err += kPrefix + "--as string writes one text, not " + std::to_string(options.values.size()) +
                           " words: quote it\n";
                    return kExitUsage;
                }
                if (options.values.front().empty()) {
                    err += kPrefix + "--as string: an empty text writes nothing\n";
                    return kExitUsage;
                }
                registers = TextToRegisters(options.values.front(), format.second == "ba");
            } else if (format.second.empty()) {
                err += kPrefix + "--as " + format.first + " needs an ORDER to write: " + format.first + ":abcd, " +
                       format.first + ":cdab, ...\n";
                return kExitUsage;
            }
            std::string error;
            if (format.first != "string" &&
                !NumbersToRegisters(options.values, format.first, format.second, registers, error)) {
                err += kPrefix + EscapeBytes(error) + "\n";
                return kExitUsage;
            }
        } else {
            for (const std::string& text : options.values) {
                std::uint16_t value = 0;
                if (!ReadRegisterValue(text, value)) {
                    err += kPrefix + "a register takes 0 to 65535, 0x0000 to 0xFFFF or -32768 to -1, not '" +
                           EscapeBytes(text) + "' (--as f32:abcd for other numbers)\n";
                    return kExitUsage;
                }
                registers.push_back(value);
            }
        }
        if (options.address + registers.size() > 65536 || registers.size() > kMaxWriteRegisters) {
            err += kPrefix + std::to_string(registers.size()) + " registers from " +
                   std::to_string(options.address) + ": a write takes at most " +
                   std::to_string(kMaxWriteRegisters) + ", within 0-65535\n";
            return kExitUsage;
        }
        for (const std::uint16_t value : registers) {
            char text[8];
            std::snprintf(text, sizeof text, " 0x%04X", value);
            written += text;
        }
        count = registers.size();
        request = registers.size() == 1 && !options.multiple ? WriteSingleRegisterRequest(address, registers[0])
                                                             : WriteMultipleRegistersRequest(address, registers);
    }
    const std::unique_ptr<Link> link = OpenWire(options, err);
    if (!link) return kExitUsage;
    Printer printer(env, out);
    ModbusMaster master(*link, MasterSettings(options));
    if (options.trace) master.SetTrace([&](const ModbusTraceEvent& event) { printer.Line(TraceLine(event)); });
    const ModbusTransaction done = master.Transact(request);
    const std::string asked = std::string(ModbusFunctionName(request[0])) + " " + std::to_string(options.address);
    const std::string problem = TransactionProblem(options, done, asked);
    if (!problem.empty()) {
        ReportProblem(done, problem, err, env);
        return StatusOf(done);
    }
    const std::string what = std::to_string(count) + " " + ItemName(options.table) + (count == 1 ? "" : "s") +
                             " from " + std::to_string(options.address) + " (" +
                             Reference(options.table, options.address) + "):" + written;
    if (done.status == ModbusTransaction::kBroadcast) {
        printer.Line("sent to every unit (broadcast), which answers nothing: " + what);
        return kExitReport;
    }
    // 05 and 06 echo the request; 0F and 10 repeat its address and count.
    const bool single = request[0] == 0x05 || request[0] == 0x06;
    const bool agrees = single ? done.response_pdu == request
                               : done.response.address == options.address && done.response.count == count;
    if (!agrees) {
        err += kPrefix + "unit " + std::to_string(options.unit) + ": the answer " + SpacedHex(done.response_pdu) +
               " does not confirm the write " + SpacedHex(request) + "\n";
        return kExitMessageBox;
    }
    printer.Line("unit " + std::to_string(options.unit) + " wrote " + what);
    return kExitReport;
}

// ---- serve ---------------------------------------------------------------

int RunModbusServe(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    std::string text, error;
    if (!env.stream_file(
            options.map_path, [&](const char* bytes, std::size_t size) { text.append(bytes, size); }, error)) {
        err += kPrefix + EscapeBytes(options.map_path) + ": " + error + "\n";
        return kExitUsage;
    }
    ModbusDataModel model;
    if (!ReadModbusMap(text, model, error)) {
        err += kPrefix + EscapeBytes(options.map_path) + ": " + EscapeBytes(error) + "\n";
        return kExitUsage;
    }
    ModbusSlaveSettings settings;
    settings.unit = static_cast<unsigned char>(options.unit);
    ModbusSlave slave(model, settings);
    Printer printer(env, out);
    const LinkTime start = LinkNow();
    const auto log = [&](const std::string& peer, const ModbusSlaveEvent& event) {
        printer.Line(Seconds(LinkNow() - start) + " " + peer + event.summary);
    };
    const auto note = [&](const std::string& line) {
        if (env.write_stderr) {
            env.write_stderr(kPrefix + line + "\n");
        } else {
            err += kPrefix + line + "\n";
        }
    };
    InterruptScope interrupt;
    const std::function<bool()> stop = [] { return Interrupted(); };
    if (Serial(options)) {
        const std::unique_ptr<Link> link = OpenWire(options, err);
        if (!link) return kExitUsage;
        note("serving " + options.port + " as " + (options.unit == 0 ? "any unit" : "unit " + std::to_string(options.unit)) +
             "; Ctrl+C ends");
        const LinkTime gap = options.framing == ModbusFraming::kRtu ? ModbusGapUs(options.settings) : 0;
        error = ServeModbusLink(*link, options.framing, gap, slave,
                                [&](const ModbusSlaveEvent& event) { log("", event); }, stop);
        if (!error.empty()) {
            err += kPrefix + EscapeBytes(options.port) + ": " + error + "\n";
            return kExitUsage;
        }
        return kExitReport;
    }
    // Each client its own thread; the slave keeps the model whole between them.
    const std::unique_ptr<LinkListener> listener = ListenTcp(options.tcp_port, error, options.host, 16);
    if (!listener) {
        err += kPrefix + "port " + options.tcp_port + ": " + error + "\n";
        return kExitUsage;
    }
    note("listening on port " + std::to_string(listener->port()) + " as " +
         (options.unit == 0 ? "any unit" : "unit " + std::to_string(options.unit)) + "; Ctrl+C ends");
    const std::string failed = ServeModbusTcp(
        *listener, options.framing, slave,
        [&](const ModbusClientEvent& event) {
            const std::string peer = "client " + std::to_string(event.client) + ": ";
            switch (event.kind) {
                case ModbusClientEvent::kConnected:
                    printer.Line(Seconds(LinkNow() - start) + " " + peer + "connected");
                    break;
                case ModbusClientEvent::kRequest:
                    log(peer, *event.request);
                    break;
                case ModbusClientEvent::kEnded:
                    printer.Line(Seconds(LinkNow() - start) + " " + peer +
                                 (event.failure.empty() ? "closed" : event.failure));
                    break;
            }
        },
        stop);
    if (!failed.empty()) note("port " + options.tcp_port + ": " + failed);
    return kExitReport;
}
