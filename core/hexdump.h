// The hex dump report: the bytes in two notations, "%02X " and "0x%02X,",
// each under its header.
#pragma once

// The report's length in bytes for `length` bytes: the two headers plus
// three and five characters per byte.
int HexDumpReportLength(int length);

// Writes the report of the `length` bytes into `out`, which must hold
// HexDumpReportLength(length) bytes; no terminating zero is written.
void WriteHexDumpReport(const unsigned char* bytes, int length, char* out);
