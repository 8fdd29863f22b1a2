// quobrix modbus decode: captured frames explained, each response paired
// with the request before it, registers shown as the numbers asked for.

#include <string>
#include <vector>

#include "cli/messages.h"
#include "cli/modbus.h"
#include "core/hexdump.h"
#include "modbus/decoder.h"

namespace {

// Standard input's lines as frames; blank lines and '#' comments skipped.
bool ReadFrameLines(const CliEnvironment& env, std::vector<std::string>& frames, std::vector<std::size_t>& numbers,
                    std::string& error) {
    std::string line;
    std::size_t number = 0;
    const auto take = [&] {
        ++number;
        std::size_t start = line.find_first_not_of(" \t\r");
        if (start != std::string::npos && line[start] != '#') {
            frames.push_back(line);
            numbers.push_back(number);
        }
        line.clear();
    };
    const bool read = env.stream_stdin(
        [&](const char* bytes, std::size_t size) {
            for (std::size_t i = 0; i < size; ++i) {
                if (bytes[i] == '\n') {
                    take();
                } else {
                    line += bytes[i];
                }
            }
        },
        error);
    if (!line.empty()) take();
    return read;
}

// The address the PDU's registers start at, or -1 when the frame does not
// tell (a read response without its request).
long long FirstRegisterAddress(const ModbusDecoded& decoded) {
    const ModbusPdu& pdu = decoded.pdu;
    if (pdu.direction == ModbusDirection::kResponse && decoded.request_index < 0 &&
        pdu.function != 0x06) {
        return -1;
    }
    if (pdu.function == 0x17 && pdu.direction == ModbusDirection::kRequest) return pdu.write_address;
    return pdu.address;
}

}  // namespace

int RunModbusDecode(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    std::vector<std::string> texts = options.frames;
    std::vector<std::size_t> line_numbers;
    const bool from_stdin = texts.empty();
    std::string error;
    if (from_stdin && !ReadFrameLines(env, texts, line_numbers, error)) {
        err += kPrefix + "standard input: " + error + "\n";
        return kExitUsage;
    }
    if (texts.empty()) {
        err += kPrefix + "no FRAME given, and standard input held none\n";
        return kExitUsage;
    }
    std::vector<ModbusBytes> frames;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ModbusBytes bytes;
        if (!ReadModbusCaptureLine(texts[i], bytes, error)) {
            const std::string where =
                from_stdin ? "line " + std::to_string(line_numbers[i]) : "FRAME " + std::to_string(i + 1);
            err += kPrefix + where + ": " + EscapeBytes(error) + "\n";
            return kExitUsage;
        }
        frames.push_back(bytes);
    }
    const std::vector<ModbusDecoded> decoded = DecodeModbusFrames(frames, options.mode);
    bool all_good = true;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const ModbusDecoded& frame = decoded[i];
        all_good = all_good && frame.framed && frame.check_ok && frame.pdu_ok && frame.pair_problems.empty();
        out += "frame " + std::to_string(i + 1) + ": " + SpacedHex(frames[i]) + "\n";
        for (const std::string& line : frame.lines) out += "  " + line + "\n";
        if (!frame.pdu_ok || frame.pdu.registers.empty()) continue;
        for (const ModbusValueFormat& format : options.formats) {
            std::vector<std::string> lines;
            if (!ModbusValueLines(frame.pdu.registers, FirstRegisterAddress(frame), format, lines, error)) {
                err += kPrefix + "--as: " + error + "\n";
                return kExitUsage;
            }
            for (const std::string& line : lines) out += "  " + line + "\n";
        }
    }
    return all_good ? kExitReport : kExitMessageBox;
}
