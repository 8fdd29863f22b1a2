// quobrix array: a file as a C array's source, and a C array back to bytes:
// quobrix array [OPTIONS] [FILE] | --hex HEX | --text TEXT
// quobrix array --reverse [--type TYPE] [FILE]
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"
#include "workbench/c_array/c_array_writer.h"

// Its row of the command table.
CommandParse SetupArray(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string ArrayHelpSection();
std::string ArrayHelp(const std::string& subcommand);
extern const char kArrayUsageHint[];

// Its group of `quobrix --help` and its one-line summary there.
extern const char kArrayGroup[];
extern const char kArraySummary[];

// The writer's output sent on to standard output a block at a time, so that
// a file of any size takes the same memory: false when writing failed.
bool FlushArrayText(const CliEnvironment& env, std::string& out, bool at_end);
