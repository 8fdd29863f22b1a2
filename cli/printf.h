// quobrix printf: a format and its arguments as C's printf writes them, the
// types sized as on x86-64 Linux: quobrix printf [--explain] [--raw] FORMAT [ARG...]
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

// Its row of the command table.
CommandParse SetupPrintf(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string PrintfHelpSection();
std::string PrintfHelp(const std::string& subcommand);
extern const char kPrintfUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kPrintfGroup[];
extern const char kPrintfSummary[];
