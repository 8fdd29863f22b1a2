// quobrix random: random integers, floats or bytes, from the system's secure
// generator or, with a seed, from xoshiro256**:
// quobrix random [--count N] --range LO..HI | --float LO..HI | --bytes [OPTIONS]
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

// Its row of the command table.
CommandParse SetupRandom(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string RandomHelpSection();
std::string RandomHelp(const std::string& subcommand);
extern const char kRandomUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kRandomGroup[];
extern const char kRandomSummary[];
