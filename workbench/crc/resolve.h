// What the user means by a CRC's name or parameter line.
#pragma once

#include <string>
#include <string_view>

#include "workbench/crc/params.h"

struct ResolvedCrc {
    CrcParams params;
    std::string name;  // the catalogue's name; "" for parameters of the user's own
    std::string note;  // a line to show beside the result (a former name's new name), or ""
};

// `argument` is a catalogue name or a former one (in any case), or a whole
// parameter line whose check and residue, when given, must hold, and whose
// name, when it is one of the catalogue's, must be that model's. False with `error` set
// to the lines that say why not, each after a line feed but the first: an
// ambiguous name lists what it may mean with each check value, an unknown one
// the nearest names.
bool ResolveCrc(std::string_view argument, ResolvedCrc& resolved, std::string& error);
