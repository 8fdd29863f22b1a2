// A run of registers seen as wider numbers. MODBUS sends each register high
// byte first but says nothing of how a device spreads a 32- or 64-bit number
// over several: the orders are named by letters as the byte-order tool names
// them (workbench/numbers/byte_orders.h), over the registers' bytes as they
// came: ABCD is the first register's high byte first, CDAB the registers
// swapped, BADC the bytes swapped within each, DCBA both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The registers' bytes as they travel: each high byte first.
std::vector<unsigned char> RegisterBytes(const std::vector<std::uint16_t>& registers);

// The numbers of type `type` ("uint32", "float32", or short "u32", "f32",
// "i64"...; int16/uint16 and the 2-byte orders too) from the registers, in
// `order` (letters, as many as the type has bytes), one from each run of
// whole registers in turn; registers left over that make no whole number
// are not read. False with why in `error` for an unknown type or order.
bool RegistersAsNumbers(const std::vector<std::uint16_t>& registers, const std::string& type,
                        const std::string& order, std::vector<std::string>& numbers, std::string& error);

// The bytes a number of `type` takes ("f32" 4, "u16" 2), or 0 for a type
// that does not exist.
int ModbusNumberSize(const std::string& type);

// The inverse: each of `values` (text as ReadNumberText of
// workbench/numbers/number_types.h reads it: "3.14", "-2", "0x1F") as a
// number of `type` laid over registers in `order`, appended in turn to
// `registers`. False with the first bad value and why in `error`.
bool NumbersToRegisters(const std::vector<std::string>& values, const std::string& type, const std::string& order,
                        std::vector<std::uint16_t>& registers, std::string& error);

// Registers as text, as devices keep names, models and serial numbers: two
// characters a register, the first in its high byte ("ab", as the registers
// travel) or, as some devices swap them, in its low byte ("ba"). The text
// ends at the first NUL, the padding of a field longer than its text.
std::string RegistersAsText(const std::vector<std::uint16_t>& registers, bool low_byte_first);
// The inverse: `text` two characters a register, an odd one out padded with
// a NUL.
std::vector<std::uint16_t> TextToRegisters(const std::string& text, bool low_byte_first);
