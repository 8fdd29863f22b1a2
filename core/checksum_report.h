// The reports of the 8-bit and 16-bit checksum buttons: one line each.
#pragma once

#include <cstdint>
#include <string>

// Two upper-case hex digits.
std::string Sum8Report(std::uint8_t sum);
// At least two upper-case hex digits, not padded to four: 1DD, FE, FFFF.
std::string Sum16Report(std::uint16_t sum);
