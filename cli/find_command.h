// `quobrix find`: which CRC or sum protects these frames, and over which bytes.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/find_options.h"

namespace CLI {
class Option;
}

class FindCommand : public CliCommand {
public:
    void Register(CLI::App& app, const std::vector<std::string>& words) override;
    bool Owns(const CLI::App& chosen) const override;
    std::string Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) override;
    std::string UsageHint() const override;
    std::string HelpSection() const override;
    std::string Help(const CLI::App& chosen) const override;
    int Run(const CliEnvironment& env, std::string& out, std::string& err) override;

    const FindCliOptions& options() const { return options_; }

private:
    FindCliOptions options_;
    const CLI::App* subcommand_ = nullptr;  // when the command line names it
    std::string max_skip_;
    CLI::Option* max_skip_option_ = nullptr;
    CLI::Option* json_option_ = nullptr;
    CLI::Option* search_option_ = nullptr;
    CLI::Option* no_search_option_ = nullptr;
};
