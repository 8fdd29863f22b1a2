// The commands of `quobrix`, in the order of `quobrix --help`. A new command
// is one more entry: it registers its own subcommands and options.
#pragma once

#include <memory>
#include <vector>

#include "cli/command.h"

std::vector<std::unique_ptr<CliCommand>> MakeCliCommands();
