// The bytes of `quobrix crc --text` and `--hex`.
#pragma once

#include <string>

// TEXT's bytes as the shell gave them, or with `to_gbk` its characters in GBK
// (code page 936), as the dialog holds them. False, with a line for standard
// error in `err`, when TEXT is not UTF-8 or a character has no GBK form.
bool CrcTextBytes(const std::string& text, bool to_gbk, std::string& bytes, std::string& err);

// The bytes of hex digits read as the dialog reads them: digits pair up left
// to right, any other character separates, a lone digit is a byte, "0x" is
// dropped. False, with a line in `err`, when a text that is not blank gives
// no byte at all: surely not what was meant.
bool CrcHexBytes(const std::string& hex_text, std::string& bytes, std::string& err);
