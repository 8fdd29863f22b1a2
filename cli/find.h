// quobrix find: which CRC or sum protects these frames, and over which bytes:
// quobrix find [--max-skip N] [--json] [--all] [--only NAME] [--width BITS]
// [--order be|le] [--head N] [--tail N] [--frames-end HEX]
// [--search | --no-search] [FRAME...].
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/find_report.h"

// Its row of the command table.
CommandParse SetupFind(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string FindHelpSection();
std::string FindHelp(const std::string& subcommand);
extern const char kFindUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kFindGroup[];
extern const char kFindSummary[];

