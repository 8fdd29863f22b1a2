#include "cli/tool_table.h"

#include "res/resource.h"

// In the order of the usage text.
const CliTool kCliTools[] = {
    {"sum8", IDC_BTN_SUM8},
    {"sum16", IDC_BTN_SUM16},
    {"crc8", IDC_BTN_CRC8},
    {"crc16", IDC_BTN_CRC16},
    {"crc32", IDC_BTN_CRC32},
    {"md5", IDC_BTN_MD5},
    {"ascii2hex", IDC_BTN_ASCII2HEX},
    {"hexconv", IDC_BTN_HEXCONV},
    {"hex2ascii", IDC_BTN_HEX2ASCII},
    {"hex2float", IDC_BTN_HEX2FLOAT},
    {"float2hex", IDC_BTN_FLOAT2HEX},
    {"charcount", IDC_BTN_CHARCOUNT},
    {"upper", IDC_BTN_UPPER},
    {"lower", IDC_BTN_LOWER},
    {"reverse", IDC_BTN_REVERSE},
};

const std::size_t kCliToolCount = sizeof kCliTools / sizeof kCliTools[0];

const CliTool* FindCliTool(const std::string& name) {
    for (const CliTool& tool : kCliTools) {
        if (name == tool.name) return &tool;
    }
    return nullptr;
}
