// quobrix filter: RC, LC and Sallen-Key filters of standard parts, from a
// frequency to the parts and from the parts to their frequency:
// quobrix filter rc|lc|sallen-key [OPTIONS] FREQ | rc --r R --c C | ...
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

// Its row of the command table.
CommandParse SetupFilter(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string FilterHelpSection();
std::string FilterHelp(const std::string& subcommand);
extern const char kFilterUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kFilterGroup[];
extern const char kFilterSummary[];
