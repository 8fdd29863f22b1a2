// The reports of the floating-point buttons. `low_first` is the byte order of
// the hex side: the least significant byte first, else the most significant
// (the one with the sign bit) first.
#pragma once

#include <string>

// Hex->Float: each group of four bytes read as a single-precision value and
// written with "%g", the values one straight after the other with nothing
// between them. A last group of fewer than four bytes is left out (the
// button refuses such input before it gets here).
std::string Hex2FloatReport(const unsigned char* bytes, int length, bool low_first);

// Float->Hex: the decimal number at the start of `input` (zero-terminated,
// read as atof does; no number reads 0) in single precision, then in double
// precision: each as the number shown and its bytes. The single-precision
// line shows the number as read, at seven digits, not its rounded value.
std::string Float2HexReport(const char* input, bool low_first);
