#include "cli/tool_table.h"

#include "res/resource.h"

// The one place that says which tools can be run: flip `available` when a
// tool's handler is done.
const CliTool kCliTools[] = {
    {"sum8", IDC_BTN_SUM8, true},
    {"sum16", IDC_BTN_SUM16, true},
    {"crc8", IDC_BTN_CRC8, true},
    {"crc16", IDC_BTN_CRC16, true},
    {"crc32", IDC_BTN_CRC32, true},
    {"md5", IDC_BTN_MD5, true},
    {"ascii2hex", IDC_BTN_ASCII2HEX, true},
    {"hexconv", IDC_BTN_HEXCONV, true},
    {"hex2ascii", IDC_BTN_HEX2ASCII, true},
    {"hex2float", IDC_BTN_HEX2FLOAT, true},
    {"float2hex", IDC_BTN_FLOAT2HEX, true},
    {"charcount", IDC_BTN_CHARCOUNT, false},
    {"upper", IDC_BTN_UPPER, false},
    {"lower", IDC_BTN_LOWER, false},
    {"reverse", IDC_BTN_REVERSE, false},
};

const std::size_t kCliToolCount = sizeof kCliTools / sizeof kCliTools[0];

const CliTool* FindCliTool(const std::string& name) {
    for (const CliTool& tool : kCliTools) {
        if (name == tool.name) return &tool;
    }
    return nullptr;
}
