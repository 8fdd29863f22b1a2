// Runs `quobrix frame` once its command line is complete.
#pragma once

#include <string>

#include "cli/cli.h"
#include "cli/frame_options.h"

int RunFrame(const FrameCliOptions& options, const CliEnvironment& env, std::string& out, std::string& err);
