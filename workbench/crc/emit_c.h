// A CRC as C99 source to take away: one self-contained file.
#pragma once

#include <string>
#include <string_view>

#include "workbench/crc/params.h"

// The source for `params`, its identifiers made from `name` (a catalogue
// name, or "" for parameters of the user's own), its first comment giving
// the parameters and the check value.
std::string EmitCrcC(const CrcParams& params, std::string_view name);
