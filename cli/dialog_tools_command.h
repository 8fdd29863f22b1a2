// The dialog's tools as subcommands of `quobrix`, one per button, sharing one
// registration and one set of options.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"

namespace CLI {
class Option;
}

class DialogToolsCommand : public CliCommand {
public:
    void Register(CLI::App& app, const std::vector<std::string>& words) override;
    bool Owns(const CLI::App& chosen) const override;
    std::string Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) override;
    std::string UsageHint() const override;
    std::string HelpSection() const override;
    std::string Help(const CLI::App& chosen) const override;
    int Run(const CliEnvironment& env, std::string& out, std::string& err) override;

    // What Complete made of the command line.
    const CliOptions& options() const { return options_; }

private:

    CliOptions options_;
    CLI::Option* hex_ = nullptr;
    CLI::Option* ascii_ = nullptr;
    CLI::Option* low_first_ = nullptr;
    CLI::Option* gbk_ = nullptr;
    struct Registered {
        const CLI::App* subcommand;
        const CliTool* tool;
        CLI::Option* text;
    };
    std::vector<Registered> registered_;  // the tools the command line named

    const Registered* Find(const CLI::App& chosen) const;
};
