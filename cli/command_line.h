// The command line of `quobrix`, parsed by CLI11: the subcommands of the
// command table, the top level's help, and the run of what was chosen.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/environment.h"

// `args` without the program name. Writes what belongs on standard output and
// standard error to `out` and `err` (what is left of standard output when
// `env.write_stdout` took some) and returns the exit code.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::string& out, std::string& err);
// The same with the commands of `table` alone: --help lists them, and a
// misspelt tool is matched against them.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::string& out, std::string& err,
           const CliCommandTable& table);

enum class ParseOutcome {
    Run,         // `run` runs
    Help,        // `text` is the help asked for
    Version,     // --version
    UsageError,  // `text` says what is wrong
};

struct ParseResult {
    ParseOutcome outcome = ParseOutcome::UsageError;
    CommandRun run;
    std::string text;
    std::string usage_hint;  // after a UsageError's text
};

class CommandLine {
public:
    explicit CommandLine(const CliCommandTable& table);
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // `args` without the program name; a CommandLine parses once.
    ParseResult Parse(const std::vector<std::string>& args);

private:
    CliCommandTable table_;
    std::unique_ptr<CLI::App> app_;
    std::vector<CommandParse> parses_;  // one per command of the table
};
