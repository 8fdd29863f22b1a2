// The command line run in-process, without the process's own streams: what
// a command line prints and its exit status.
#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"

struct CliOutcome {
    int code = -1;
    std::string out, err;
};

inline CliOutcome RunInProcess(const std::vector<std::string>& args) {
    CliOutcome outcome;
    outcome.code = RunCli(args, CliEnvironment(), outcome.out, outcome.err);
    return outcome;
}
