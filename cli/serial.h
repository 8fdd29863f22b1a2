// quobrix serial: frames sent and received over a serial port, checked.
// quobrix serial PORT [--baud N] [--framing 8N1] [--flow none|rtscts|xonxoff] [--send HEX]... ; --list
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

CommandParse SetupSerial(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string SerialHelpSection();
std::string SerialHelp(const std::string& subcommand);
extern const char kSerialUsageHint[];
extern const char kSerialGroup[];
extern const char kSerialSummary[];
