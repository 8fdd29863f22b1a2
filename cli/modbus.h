// quobrix modbus: MODBUS from the command line. decode explains captured
// frames (no port needed, so the page runs it too); read and write ask a
// device over a serial port or TCP; serve simulates a device from a map.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "link/serial_settings.h"
#include "modbus/addressing.h"
#include "modbus/adu.h"

CommandParse SetupModbus(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string ModbusHelpSection();
std::string ModbusHelp(const std::string& subcommand);
extern const char kModbusUsageHint[];
extern const char kModbusGroup[];
extern const char kModbusSummary[];

// A number type and, when given, its order: "f32:cdab" is ("f32", "cdab");
// "f32" alone ("f32", ""), every order of its size.
using ModbusValueFormat = std::pair<std::string, std::string>;

// The command line, judged.
struct ModbusOptions {
    enum Action { kDecode, kRead, kWrite, kServe } action = kDecode;

    // decode: the frames as words, or none for standard input's lines.
    std::vector<std::string> frames;
    std::optional<ModbusFraming> mode;  // --mode; none: the bytes tell
    std::vector<ModbusValueFormat> formats;

    // read, write, serve: the wire.
    ModbusFraming framing = ModbusFraming::kTcp;
    std::string port;        // a serial port (RTU, ASCII)
    std::string host;        // TCP; serve: the address listened on, "" any
    std::string tcp_port = "502";
    SerialSettings settings;
    unsigned unit = 1;
    bool unit_given = false;
    long long timeout_ms = 1000;
    int retries = 0;
    bool trace = false;

    // read, write: what.
    ModbusTable table = ModbusTable::kHoldingRegisters;
    unsigned address = 0;
    unsigned count = 1;
    bool count_given = false;
    std::vector<std::string> values;  // write
    bool multiple = false;            // write: 0F/10 even for one
    long long poll_ms = -1;
    unsigned long long times = 0;  // polls; 0 until interrupted
    bool json = false;

    std::string map_path;  // serve
};

// The runs, one file each: decode is pure, the others need the link.
int RunModbusDecode(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err);
int RunModbusRead(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err);
int RunModbusWrite(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err);
int RunModbusServe(const ModbusOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

// One number read from registers.
struct ModbusValue {
    std::string type, order;  // "f32", "cdab"
    long long address = -1;   // of its first register; -1 unknown
    std::size_t index = 0;    // among the numbers, from 0
    std::string text;         // as quobrix num writes it; a string's bytes
    std::string bytes;        // its registers' bytes as they came, "40 48 F5 C3"
    bool is_text = false;     // a string, not a number
    // As a line shows it: the number, or the string quoted with every byte
    // that is not printable UTF-8 as \xHH.
    std::string Shown() const;
};
bool ModbusValues(const std::vector<std::uint16_t>& registers, long long first_address,
                  const ModbusValueFormat& format, std::vector<ModbusValue>& values, std::string& error);

// The lines that show `registers` in `format`, one a number and order, with
// the registers' bytes as they came: "f32 cdab at 100: 3.14 (F5 C3 40 48)"
// from `first_address` on, or "f32 cdab #1: ..." counting the numbers when
// the address is not known (-1). False with why in `error` for a type or
// order that does not exist.
bool ModbusValueLines(const std::vector<std::uint16_t>& registers, long long first_address,
                      const ModbusValueFormat& format, std::vector<std::string>& lines, std::string& error);
