// The reports of the CRC buttons: the CRC in a headline, then the frame of
// the TRV device protocol under its header line: AA, the data bytes, the CRC
// most significant byte first (the protocol fixes that order) and the
// closing bytes, each byte as "%02X ", the closing text without a blank.
#pragma once

#include <cstdint>
#include <string>

enum class CrcTool {
    Crc8,   // one CRC byte, then A9; for the TRV41 and TRV42
    Crc16,  // two CRC bytes, then 00 00 A9; for the TRV41 and TRV42
    Crc32,  // four CRC bytes, then A9; for the TRV42
};

// Replaces `report` with the report of `tool` for the CRC `crc` of the
// `length` bytes. The frame of a full work buffer is about 61 kilobytes: it is
// sized once and written straight into `report`, reusing its storage.
void WriteCrcReport(CrcTool tool, std::uint32_t crc, const unsigned char* bytes, int length, std::string& report);
