// The window's settings as the text of an INI file: the page last shown,
// the model, the input mode, the window's place and size, and what the
// 串口助手 and Modbus pages were last set to. Reading never
// fails: a missing, damaged or foreign file gives the defaults for whatever
// it does not hold soundly, so the window always opens.
#pragma once

#include <string>
#include <vector>

namespace settings {

struct Placement {
    bool known = false;  // false: the window takes its default place and size
    int x = 0, y = 0, width = 0, height = 0;
};

// The 串口助手 page's fields as the user left them. The lists are kept as the
// index of the choice (their order is fixed); the typed fields as typed.
struct SerialSettings {
    int mode = 0;                    // 0 serial, 1 TCP client, 2 TCP server
    std::string port;                // empty: the first port found
    std::string baud = "9600";       // digits
    int data_bits = 0, parity = 0, stop_bits = 0, flow = 0;
    std::string host = "127.0.0.1:502";
    std::string listen = "502";
    std::string gap;                 // digits; empty: the rate's default
    std::string period = "1000";     // digits
    bool append_check = false;
    std::string model = "CRC-16/MODBUS";
    bool little_endian = true;
    bool hex = true;                 // the send box holds hex (else text)
    bool utf8 = false;               // text as UTF-8 (else GBK)
};

// The Modbus page's connection and poll, kept as the serial page's are.
struct ModbusSettings {
    int framing = 2;                 // ModbusFraming's order: RTU, ASCII, TCP, RTU over TCP
    std::string port;                // empty: the first port found
    std::string baud = "9600";       // digits
    std::string word = "8E1";        // data bits, parity, stop bits
    std::string host = "127.0.0.1:502";
    std::string timeout = "1000";    // digits, milliseconds
    std::string unit = "1";          // digits
    int table = 2;                   // 01 coils, 02 discrete inputs, 03 holding, 04 input registers
    std::string address = "0";       // digits, 0-based
    std::string count = "10";        // digits
    std::string interval = "1000";   // digits, milliseconds
    std::string format = "u16";      // "f32 cdab"
    int mode = 0;                    // 0 polls a device, 1 simulates one
    std::string map;                 // the simulator's map file, UTF-8
    std::vector<std::string> polls;  // the poll list, a modbus_page::PollLine each
};

struct Settings {
    int page = 0;  // 0 to kPages - 1
    std::string model = "CRC-16/MODBUS";
    int input_mode = 0;  // 0 to kInputModes - 1
    Placement placement;
    SerialSettings serial;
    ModbusSettings modbus;
};

constexpr int kPages = 11;
constexpr int kInputModes = 4;
// The 串口助手 page's lists: modes, data bits, parities, stop bits, flows.
constexpr int kSerialModes = 3;
constexpr int kDataBitsChoices = 4;
constexpr int kParityChoices = 5;
constexpr int kStopBitsChoices = 3;
constexpr int kFlowChoices = 3;
// The Modbus page's lists: framings and tables.
constexpr int kModbusFramings = 4;
constexpr int kModbusTables = 4;
constexpr int kModbusModes = 2;
constexpr int kModbusPolls = 16;  // the list's most
// Sizes beyond any screen are no window's: such a line is taken as damage.
constexpr int kLargestCoordinate = 100000;

Settings Parse(const std::string& text);
std::string Format(const Settings& settings);

}  // namespace settings
