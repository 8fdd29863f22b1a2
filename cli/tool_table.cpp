#include "cli/tool_table.h"

#include "res/resource.h"

// The one place that says which tools can be run: flip `available` when a
// tool's handler is done.
const CliTool kCliTools[] = {
    {"sum8", IDC_BTN_SUM8, true},
    {"sum16", IDC_BTN_SUM16, true},
    {"crc8", IDC_BTN_CRC8, false},
    {"crc16", IDC_BTN_CRC16, false},
    {"crc32", IDC_BTN_CRC32, false},
    {"md5", IDC_BTN_MD5, false},
    {"ascii2hex", IDC_BTN_ASCII2HEX, false},
    {"hexconv", IDC_BTN_HEXCONV, false},
    {"hex2ascii", IDC_BTN_HEX2ASCII, false},
    {"hex2float", IDC_BTN_HEX2FLOAT, false},
    {"float2hex", IDC_BTN_FLOAT2HEX, false},
    {"charcount", IDC_BTN_CHARCOUNT, true},
    {"upper", IDC_BTN_UPPER, true},
    {"lower", IDC_BTN_LOWER, true},
    {"reverse", IDC_BTN_REVERSE, true},
};

const std::size_t kCliToolCount = sizeof kCliTools / sizeof kCliTools[0];

const CliTool* FindCliTool(const std::string& name) {
    for (const CliTool& tool : kCliTools) {
        if (name == tool.name) return &tool;
    }
    return nullptr;
}
