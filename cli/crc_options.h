// The options of the CRC workbench:
// quobrix crc MODEL [FILE...] | --text TEXT | --hex HEXTEXT, --emit c, --list,
// or parameters of the user's own in place of MODEL.
#pragma once

#include <string>
#include <vector>

#include "workbench/crc/params.h"

// How the CRC is printed.
enum class CrcNotation {
    Hex,            // upper-case hex digits, ⌈width/4⌉ of them
    BytesHighFirst, // --bytes be: the bytes after the data, high byte first
    BytesLowFirst,  // --bytes le: low byte first, as MODBUS sends it
};

enum class CrcInputKind {
    StandardInput,  // no FILE
    Files,          // FILE..., "-" standing for standard input
    Text,           // --text
    HexDigits,      // --hex
};

struct CrcCliOptions {
    bool list = false;
    bool emit_c = false;
    bool own_parameters = false;  // `params` were given as options, not `model`
    std::string model;
    CrcParams params;
    CrcInputKind input = CrcInputKind::StandardInput;
    std::vector<std::string> files;
    std::string text;  // of --text or --hex
    bool text_to_gbk = false;
    CrcNotation notation = CrcNotation::Hex;
};
