// The help texts of `quobrix crc`, lines ending in "\n".
#pragma once

#include <string>

// Its group of `quobrix --help` and its one-line summary there.
extern const char kCrcGroup[];
extern const char kCrcSummary[];

// Its section of `quobrix --help`.
std::string CrcHelpSection();

// `quobrix crc --help`.
std::string CrcHelp();
