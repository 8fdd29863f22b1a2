// The window's settings as the text of an INI file: the page last shown,
// the model, the input mode, the window's place and size, and what the
// 串口助手 page was last set to. Reading never
// fails: a missing, damaged or foreign file gives the defaults for whatever
// it does not hold soundly, so the window always opens.
#pragma once

#include <string>

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

struct Settings {
    int page = 0;  // 0 to kPages - 1
    std::string model = "CRC-16/MODBUS";
    int input_mode = 0;  // 0 to kInputModes - 1
    Placement placement;
    SerialSettings serial;
};

constexpr int kPages = 10;
constexpr int kInputModes = 4;
// The 串口助手 page's lists: modes, data bits, parities, stop bits, flows.
constexpr int kSerialModes = 3;
constexpr int kDataBitsChoices = 4;
constexpr int kParityChoices = 5;
constexpr int kStopBitsChoices = 3;
constexpr int kFlowChoices = 3;
// Sizes beyond any screen are no window's: such a line is taken as damage.
constexpr int kLargestCoordinate = 100000;

Settings Parse(const std::string& text);
std::string Format(const Settings& settings);

}  // namespace settings
