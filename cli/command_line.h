// The command line of `quobrix`, parsed by CLI11: one subcommand per tool,
// registered by the commands of the command table.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"

// The line after a usage error, pointing to the help.
extern const char kUsageHint[];

enum class ParseOutcome {
    Run,         // `command` runs
    Help,        // `text` is the help asked for
    Version,     // --version
    UsageError,  // `text` says what is wrong
};

struct ParseResult {
    ParseOutcome outcome = ParseOutcome::UsageError;
    CliCommand* command = nullptr;  // lives as long as the CommandLine
    std::string text;
    std::string usage_hint = kUsageHint;  // after a UsageError's text
};

class CommandLine {
public:
    CommandLine();
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // `args` without the program name; a CommandLine parses once.
    ParseResult Parse(const std::vector<std::string>& args);

private:
    std::string Help() const;

    std::unique_ptr<CLI::App> app_;
    std::vector<std::unique_ptr<CliCommand>> commands_;
};

