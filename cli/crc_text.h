// The CRCs of quobrix crc in words both faces show: the CRC as the command
// line prints it, the bytes of --text and --hex, and parameters of the
// user's own judged with the command line's messages (the window's CRC page
// shows them beside its fields).
#pragma once

#include <optional>
#include <string>

#include "workbench/crc/params.h"
#include "workbench/crc/uint128.h"

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
// written with it too, and the window shows it without the prefix.
std::string CrcFileErrorLine(const std::string& name, const std::string& error);

// TEXT's bytes as given (UTF-8), or with `to_gbk` its characters in GBK
// (code page 936), as the dialog holds them. False when TEXT is not UTF-8 or
// a character has no GBK form, with the line that says so in `error`.
bool CrcTextBytes(const std::string& text, bool to_gbk, std::string& bytes, std::string& error);

// TEXT's characters (UTF-8) as GBK bytes, for every command that takes text
// to send or sum in GBK. False when TEXT is not UTF-8 or a character has no
// GBK form, with one line naming `what` (the option, "the line") and the
// character in `error`.
bool GbkTextBytes(const std::string& text, const std::string& what, std::string& bytes, std::string& error);

// The bytes of hex digits read as the dialog reads them: digits pair up left
// to right, any other character separates, a lone digit is a byte, "0x" is
// dropped. False when a text that is not blank gives no byte at all: surely
// not what was meant.
bool CrcHexBytes(const std::string& hex_text, std::string& bytes, std::string& error);

// Parameters of the user's own, as the words of --width, --poly, ... give
// them (absent: not given).
struct CrcParamWords {
    std::optional<std::string> width, poly, init, refin, refout, xorout;
};

// Width and poly are needed, init and xorout are 0 and refout follows refin
// unless given. False with the line that says what is wrong, naming the
// option, in `error`.
bool ReadCrcParamWords(const CrcParamWords& words, CrcParams& params, std::string& error);
