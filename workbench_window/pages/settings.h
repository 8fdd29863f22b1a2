// The window's settings as the text of an INI file: the page last shown,
// the model, the input mode, and the window's place and size. Reading never
// fails: a missing, damaged or foreign file gives the defaults for whatever
// it does not hold soundly, so the window always opens.
#pragma once

#include <string>

namespace settings {

struct Placement {
    bool known = false;  // false: the window takes its default place and size
    int x = 0, y = 0, width = 0, height = 0;
};

struct Settings {
    int page = 0;  // 0 to kPages - 1
    std::string model = "CRC-16/MODBUS";
    int input_mode = 0;  // 0 to kInputModes - 1
    Placement placement;
};

constexpr int kPages = 10;
constexpr int kInputModes = 4;
// Sizes beyond any screen are no window's: such a line is taken as damage.
constexpr int kLargestCoordinate = 100000;

Settings Parse(const std::string& text);
std::string Format(const Settings& settings);

}  // namespace settings
