#include "cli/tool_table.h"

#include "res/resource.h"

// In the order of the usage text.
const CliTool kCliTools[] = {
    {"sum8", IDC_BTN_SUM8, ToolInput::ByFormatOption, "8-bit additive checksum"},
    {"sum16", IDC_BTN_SUM16, ToolInput::ByFormatOption, "16-bit additive checksum"},
    {"crc8", IDC_BTN_CRC8, ToolInput::ByFormatOption, "CRC-8 and its protocol frame"},
    {"crc16", IDC_BTN_CRC16, ToolInput::ByFormatOption, "CRC-16 and its protocol frame"},
    {"crc32", IDC_BTN_CRC32, ToolInput::ByFormatOption, "CRC-32 and its protocol frame"},
    {"md5", IDC_BTN_MD5, ToolInput::ByFormatOption, "MD5 digest in three notations"},
    {"ascii2hex", IDC_BTN_ASCII2HEX, ToolInput::Characters, "the characters' bytes as hex, two notations"},
    {"hexconv", IDC_BTN_HEXCONV, ToolInput::ByFormatOption, "the bytes as hex, two notations"},
    {"hex2ascii", IDC_BTN_HEX2ASCII, ToolInput::HexDigits, "hex digits back to text", true},
    {"hex2float", IDC_BTN_HEX2FLOAT, ToolInput::HexDigits, "hex bytes to single-precision values"},
    {"float2hex", IDC_BTN_FLOAT2HEX, ToolInput::Text, "a decimal number's single and double bytes"},
    {"charcount", IDC_BTN_CHARCOUNT, ToolInput::Text, "character statistics"},
    {"upper", IDC_BTN_UPPER, ToolInput::Text, "upper case"},
    {"lower", IDC_BTN_LOWER, ToolInput::Text, "lower case"},
    {"reverse", IDC_BTN_REVERSE, ToolInput::Text, "the text reversed"},
};

const std::size_t kCliToolCount = sizeof kCliTools / sizeof kCliTools[0];

const CliTool* FindCliTool(const std::string& name) {
    for (const CliTool& tool : kCliTools) {
        if (name == tool.name) return &tool;
    }
    return nullptr;
}
