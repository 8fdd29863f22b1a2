// `quobrix frame`: a frame built with a check, or verified.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/frame_options.h"

namespace CLI {
class Option;
}

class FrameCommand : public CliCommand {
public:
    void Register(CLI::App& app, const std::vector<std::string>& words) override;
    bool Owns(const CLI::App& chosen) const override;
    std::string Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) override;
    std::string UsageHint() const override;
    std::string HelpSection() const override;
    std::string Help(const CLI::App& chosen) const override;
    int Run(const CliEnvironment& env, std::string& out, std::string& err) override;

    const FrameCliOptions& options() const { return options_; }

private:
    FrameCliOptions options_;
    const CLI::App* subcommand_ = nullptr;  // when the command line names it
    std::vector<std::string> arguments_;    // CHECK and DATA
    std::string order_, head_, tail_;
    CLI::Option* order_option_ = nullptr;
    CLI::Option* head_option_ = nullptr;
    CLI::Option* tail_option_ = nullptr;
    CLI::Option* verify_option_ = nullptr;
};
