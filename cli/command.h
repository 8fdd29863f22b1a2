// One entry of the command table: a group of subcommands of `quobrix` with
// their options, their help texts and their run.
#pragma once

#include <string>
#include <vector>

#include "cli/cli.h"

namespace CLI {
class App;
}

class CliCommand {
public:
    virtual ~CliCommand() = default;

    // Adds the command's subcommands and options to the parser. `words` are
    // the command line's: a subcommand costs a CLI11 App at every start, so
    // one no word names may be left out.
    virtual void Register(CLI::App& app, const std::vector<std::string>& words) = 0;
    // Whether `chosen`, the subcommand a parse chose, is one of this command's.
    virtual bool Owns(const CLI::App& chosen) const = 0;
    // After a parse that chose one of its subcommands: takes over what the
    // parser left, in order. Returns what is wrong with the command line, or "".
    virtual std::string Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) = 0;

    // The line after a usage error that Complete found, pointing to the help.
    virtual std::string UsageHint() const = 0;
    // The command's section of `quobrix --help`, and `quobrix NAME --help`.
    virtual std::string HelpSection() const = 0;
    virtual std::string Help(const CLI::App& chosen) const = 0;

    // Runs the subcommand that Complete accepted.
    virtual int Run(const CliEnvironment& env, std::string& out, std::string& err) = 0;
};

// A word the parser left over that starts with a dash (a lone "-" is TEXT)
// names an option it does not know.
inline bool LooksLikeOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }
