// One tool of the dialog from the command line: its input read and converted,
// the dialog run, and the report or the message boxes as the user's text.
#pragma once

#include <string>

#include "cli/cli.h"
#include "cli/options.h"

int RunDialogTool(const CliOptions& options, const CliEnvironment& env, std::string& out, std::string& err);
