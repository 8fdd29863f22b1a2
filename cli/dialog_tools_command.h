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
    void Register(CLI::App& app) override;
    bool Owns(const CLI::App& chosen) const override;
    std::string Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) override;
    std::string HelpSection() const override;
    std::string Help(const CLI::App& chosen) const override;
    int Run(const CliEnvironment& env, std::string& out, std::string& err) override;

    // What Complete made of the command line.
    const CliOptions& options() const { return options_; }

private:
    const CliTool* ToolOf(const CLI::App& chosen) const;

    CliOptions options_;
    CLI::Option* hex_ = nullptr;
    CLI::Option* ascii_ = nullptr;
    CLI::Option* low_first_ = nullptr;
    CLI::Option* gbk_ = nullptr;
    std::vector<const CLI::App*> tools_;  // in the order of kCliTools
    std::vector<CLI::Option*> texts_;     // each tool's TEXT
};
