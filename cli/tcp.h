// quobrix tcp: frames sent and received over a TCP connection, checked.
// quobrix tcp HOST:PORT [--send HEX]... ; quobrix tcp --listen PORT
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

CommandParse SetupTcp(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string TcpHelpSection();
std::string TcpHelp(const std::string& subcommand);
extern const char kTcpUsageHint[];
extern const char kTcpGroup[];
extern const char kTcpSummary[];
