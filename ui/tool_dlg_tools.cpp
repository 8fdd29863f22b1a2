// The rows of the dialog's tools. Each row's mode is the one its handler
// (tool_dlg_*.cpp) passes to DecodeForTool; the buttons are those of the
// message map in tool_dlg.cpp, less the placeholders and the clear button.
#include "ui/tool_dlg_tools.h"

#include "res/resource.h"

const DialogTool kDialogTools[] = {
    {"sum8", IDC_BTN_SUM8, BY_FORMAT_OPTION, "8-bit additive checksum"},
    {"sum16", IDC_BTN_SUM16, BY_FORMAT_OPTION, "16-bit additive checksum"},
    {"crc8", IDC_BTN_CRC8, BY_FORMAT_OPTION, "CRC-8 and its protocol frame"},
    {"crc16", IDC_BTN_CRC16, BY_FORMAT_OPTION, "CRC-16 and its protocol frame"},
    {"crc32", IDC_BTN_CRC32, BY_FORMAT_OPTION, "CRC-32 and its protocol frame"},
    {"md5", IDC_BTN_MD5, BY_FORMAT_OPTION, "MD5 digest in three notations"},
    {"ascii2hex", IDC_BTN_ASCII2HEX, AS_ASCII, "the characters' bytes as hex, two notations"},
    {"hexconv", IDC_BTN_HEXCONV, BY_FORMAT_OPTION, "the bytes as hex, two notations"},
    {"hex2ascii", IDC_BTN_HEX2ASCII, AS_HEX, "hex digits back to text", true},
    {"hex2float", IDC_BTN_HEX2FLOAT, AS_HEX, "hex bytes to single-precision values"},
    {"float2hex", IDC_BTN_FLOAT2HEX, std::nullopt, "a decimal number's single and double bytes"},
    {"charcount", IDC_BTN_CHARCOUNT, std::nullopt, "character statistics"},
    {"upper", IDC_BTN_UPPER, std::nullopt, "upper case"},
    {"lower", IDC_BTN_LOWER, std::nullopt, "lower case"},
    {"reverse", IDC_BTN_REVERSE, std::nullopt, "the text reversed"},
};

const std::size_t kDialogToolCount = sizeof kDialogTools / sizeof kDialogTools[0];
