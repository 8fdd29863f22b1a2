// `quobrix num`: bytes as numbers in every byte order, and numbers as bytes.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/num_options.h"

namespace CLI {
class Option;
}

class NumCommand : public CliCommand {
public:
    void Register(CLI::App& app, const std::vector<std::string>& words) override;
    bool Owns(const CLI::App& chosen) const override;
    std::string Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) override;
    std::string UsageHint() const override;
    std::string HelpSection() const override;
    std::string Help(const CLI::App& chosen) const override;
    int Run(const CliEnvironment& env, std::string& out, std::string& err) override;

private:
    std::string CompleteTypeAndOrder();

    NumCliOptions options_;
    const CLI::App* subcommand_ = nullptr;  // when the command line names it
    std::vector<std::string> hex_words_;
    std::string type_, order_;
    CLI::Option* type_option_ = nullptr;
    CLI::Option* order_option_ = nullptr;
    CLI::Option* from_option_ = nullptr;
};
