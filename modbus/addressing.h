// Where a register or bit lies. The protocol sends a 0-based address within
// one of four tables; people (and device manuals) write a 1-based reference
// whose first digit names the table: 00001 the first coil, 10001 the first
// discrete input, 30001 the first input register, 40001 the first holding
// register. Five digits reach address 9998; six (400001 to 465536) reach
// all 65536.
#pragma once

#include <cstdint>
#include <string>

enum class ModbusTable { kCoils = 0, kDiscreteInputs = 1, kInputRegisters = 3, kHoldingRegisters = 4 };

// "coils", "discrete inputs", "input registers", "holding registers".
const char* ModbusTableName(ModbusTable table);
// The function that reads the table: 01, 02, 04, 03.
unsigned char ModbusReadFunction(ModbusTable table);

// A reference ("40001", "400001", "1") to its table and address. Five digits
// or fewer are the short form (a leading 0 of a coil may be dropped), six the
// long. False with why in `error`: no digits, a table digit of 2 or past 4, an
// offset of 0 or past the form's reach.
bool ReferenceToAddress(const std::string& reference, ModbusTable& table, std::uint16_t& address, std::string& error);

enum class ReferenceForm { kFiveDigits, kSixDigits };

// The reference of `address` in `table`: "40001", or "400001" in six digits.
// Coils keep their leading zeros ("00001"). False with why in `error` when
// five digits cannot reach the address (9999 on).
bool AddressToReference(ModbusTable table, std::uint16_t address, ReferenceForm form, std::string& reference,
                        std::string& error);
