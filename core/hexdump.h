// The hex dump report: the bytes in two notations, "%02X " and "0x%02X,",
// each under its header.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// "%02X " pieces: two upper-case hex digits and a blank per byte.
constexpr int kSpacedHexLength = 3;

// Writes the `length` bytes as "%02X " pieces into `out`, which must hold
// kSpacedHexLength * length bytes; returns the end of what was written.
char* WriteSpacedHex(const unsigned char* bytes, int length, char* out);

// The `count` bytes as "%02X " pieces without the blank after the last: bytes
// on a line of their own, as frames and numbers are printed.
std::string SpacedHex(const unsigned char* bytes, std::size_t count);
inline std::string SpacedHex(const std::vector<unsigned char>& bytes) { return SpacedHex(bytes.data(), bytes.size()); }

// The report's length in bytes for `length` bytes: the two headers plus
// three and five characters per byte.
int HexDumpReportLength(int length);

// Writes the report of the `length` bytes into `out`, which must hold
// HexDumpReportLength(length) bytes; no terminating zero is written.
void WriteHexDumpReport(const unsigned char* bytes, int length, char* out);

// Replaces `report` with the report of the `length` bytes, written in place
// into storage sized once (and kept from the last report where it fits).
void WriteHexDumpReport(const unsigned char* bytes, int length, std::string& report);
