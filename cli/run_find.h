// Runs `quobrix find` once its command line is complete.
#pragma once

#include <string>

#include "cli/cli.h"
#include "cli/find_options.h"

int RunFind(const FindCliOptions& options, const CliEnvironment& env, std::string& out, std::string& err);
