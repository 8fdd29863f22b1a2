// quobrix frame: a frame built with its check, or verified:
// quobrix frame CHECK [--order be|le] [--head HEX] [--tail HEX] [--verify] DATA...
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

// Its row of the command table.
CommandParse SetupFrame(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string FrameHelpSection();
std::string FrameHelp(const std::string& subcommand);
extern const char kFrameUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kFrameGroup[];
extern const char kFrameSummary[];
