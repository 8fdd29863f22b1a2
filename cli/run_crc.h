// Runs `quobrix crc` once its command line is complete.
#pragma once

#include <string>

#include "cli/cli.h"
#include "cli/crc_options.h"

int RunCrc(const CrcCliOptions& options, const CliEnvironment& env, std::string& out, std::string& err);
