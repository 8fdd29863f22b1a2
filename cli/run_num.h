// Runs `quobrix num` once its command line is complete.
#pragma once

#include <string>

#include "cli/num_options.h"

int RunNum(const NumCliOptions& options, std::string& out, std::string& err);
