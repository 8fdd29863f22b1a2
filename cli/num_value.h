// The numbers of quobrix num in words both faces show: the table of every
// common byte order, and a value read as a type with the command line's
// messages (the window's number page shows the same table and messages).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/numbers/number_types.h"

// The table of 2, 4 or 8 bytes: a header row (order, hex, the types of the
// size), then a row per common byte order: its letters, the number in hex and
// the number as each type.
std::vector<std::vector<std::string>> NumberTableRows(const std::vector<unsigned char>& bytes);

// `text` as a number of `type`, as --from VALUE takes it; false with why it
// is none in `error`, naming --from.
bool ReadNumberValue(const NumberType& type, const std::string& text, std::uint64_t& value, std::string& error);
