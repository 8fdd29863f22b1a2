// quobrix crc: the CRC workbench, any catalogued CRC or one of parameters of
// the user's own, over files, standard input, a text or hex digits:
// quobrix crc MODEL [FILE...] | --text TEXT | --hex HEXTEXT, --emit c, --list.
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/crc_text.h"
#include "workbench/crc/uint128.h"

// Its row of the command table.
CommandParse SetupCrc(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string CrcHelpSection();
std::string CrcHelp(const std::string& subcommand);
extern const char kCrcUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kCrcGroup[];
extern const char kCrcSummary[];
