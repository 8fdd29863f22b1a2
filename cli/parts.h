// quobrix parts: the preferred values (E3 to E192) nearest a value, two parts
// in series or parallel, voltage dividers, and the markings of parts both ways:
// quobrix parts [--series S] VALUE | divider VIN VOUT | code KIND CODE | mark KIND VALUE
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

// Its row of the command table.
CommandParse SetupParts(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string PartsHelpSection();
std::string PartsHelp(const std::string& subcommand);
extern const char kPartsUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kPartsGroup[];
extern const char kPartsSummary[];
