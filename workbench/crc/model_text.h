// CRC models as the catalogue writes them, one a line:
//   width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000
//   check=0x4b37 residue=0x0000 name="CRC-16/MODBUS"
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "workbench/crc/catalogue.h"

// A number in hex, with or without 0x (or 0X), of at most 128 bits; false
// when it is not one.
bool ParseCrcHexNumber(std::string_view text, Uint128& value);

// Whether `text` is written as ParseCrcHexNumber takes a number, whatever its
// size: so a text it refuses is either no hex number or too large for one.
bool IsCrcHexText(std::string_view text);

// `value` as ⌈width/4⌉ hex digits: lower case as the catalogue writes them,
// or upper case as the command line prints a CRC.
std::string CrcHexDigits(Uint128 value, int width, bool upper_case);

// A number as the catalogue writes it: 0x and ⌈width/4⌉ lower-case digits.
std::string CrcCatalogueNumber(Uint128 value, int width);

// The parameters as the catalogue writes them:
// "width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000".
std::string FormatCrcParams(const CrcParams& params);

// The model's line, exactly as the catalogue writes it.
std::string FormatCrcModelLine(const CrcModel& model);

// A width in decimal, of at most nine digits so that it fits an int; false
// when `text` is none. Whether a CRC may have that width is CheckCrcParams'
// to say.
bool ParseCrcWidth(std::string_view text, int& width);

// A parameter line: width, poly, init, refin, refout and xorout are needed,
// check, residue and name may follow. Fields in any order, separated by
// blanks.
struct CrcModelLine {
    CrcParams params;
    std::optional<Uint128> check;
    std::optional<Uint128> residue;
    std::optional<std::string> name;
};
// False with `error` (one line, naming the field) when `line` is not one, or
// its parameters are not sound. It does not verify check or residue.
bool ParseCrcModelLine(std::string_view line, CrcModelLine& parsed, std::string& error);
