// quobrix num: bytes as numbers in every byte order, and numbers as bytes:
// quobrix num [--type TYPE --order ORDER] HEX... | --type TYPE --order ORDER --from VALUE
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

// Its row of the command table.
CommandParse SetupNum(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string NumHelpSection();
std::string NumHelp(const std::string& subcommand);
extern const char kNumUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kNumGroup[];
extern const char kNumSummary[];
