// quobrix crc: the CRC workbench, any catalogued CRC or one of parameters of
// the user's own, over files, standard input, a text or hex digits:
// quobrix crc MODEL [FILE...] | --text TEXT | --hex HEXTEXT, --emit c, --list.
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"
#include "workbench/crc/uint128.h"

// Its row of the command table.
CommandParse SetupCrc(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string CrcHelpSection();
std::string CrcHelp(const std::string& subcommand);
extern const char kCrcUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kCrcGroup[];
extern const char kCrcSummary[];

// How the CRC is printed.
enum class CrcNotation {
    Hex,             // upper-case hex digits, ⌈width/4⌉ of them
    BytesHighFirst,  // --bytes be: the bytes after the data, high byte first
    BytesLowFirst,   // --bytes le: low byte first, as MODBUS sends it
};

// The CRC of a `width`-bit model: upper-case hex of ⌈width/4⌉ digits, or its
// ⌈width/8⌉ bytes as "%02X " joined without the last blank, in the order
// they follow the data on the wire. A width that is no whole number of bytes
// fills its top byte with zero bits (CRC-12 0xABC: "0A BC", low first "BC 0A").
std::string CrcText(Uint128 crc, int width, CrcNotation notation);

// One file's line as md5sum writes it: the CRC, two blanks, the name, "\n".
// A name holding a line break would break the line: then, as md5sum does, the
// line starts with a backslash and the name shows "\\" for a backslash, "\n"
// and "\r" for the breaks. The page hashes its files block by block itself
// and prints each line with it.
std::string CrcFileLine(const std::string& crc_text, const std::string& name);
// The line of a file that cannot be read, which the command reports before
// going on to the next: "quobrix: NAME: WHY". The page's reading errors are
// written with it too.
std::string CrcFileErrorLine(const std::string& name, const std::string& error);
