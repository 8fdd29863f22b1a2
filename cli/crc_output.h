// What `quobrix crc` prints for a CRC.
#pragma once

#include <string>

#include "cli/crc_options.h"
#include "workbench/crc/uint128.h"

// The CRC of a `width`-bit model: upper-case hex of ⌈width/4⌉ digits, or its
// ⌈width/8⌉ bytes as "%02X " joined without the last blank, in the order
// they follow the data on the wire. A width that is no whole number of bytes
// fills its top byte with zero bits (CRC-12 0xABC: "0A BC", low first "BC 0A").
std::string CrcText(Uint128 crc, int width, CrcNotation notation);

// One file's line as md5sum writes it: the CRC, two blanks, the name, "\n".
// A name holding a line break would break the line: then, as md5sum does, the
// line starts with a backslash and the name shows "\\" for a backslash, "\n"
// and "\r" for the breaks.
std::string CrcFileLine(const std::string& crc_text, const std::string& name);
