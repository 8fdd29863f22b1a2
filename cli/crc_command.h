// `quobrix crc`: the CRC workbench, any catalogued CRC or one of parameters
// of the user's own, over files, standard input, a text or hex digits.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/crc_options.h"

namespace CLI {
class Option;
}

class CrcCommand : public CliCommand {
public:
    void Register(CLI::App& app, const std::vector<std::string>& words) override;
    bool Owns(const CLI::App& chosen) const override;
    std::string Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) override;
    std::string UsageHint() const override;
    std::string HelpSection() const override;
    std::string Help(const CLI::App& chosen) const override;
    int Run(const CliEnvironment& env, std::string& out, std::string& err) override;

    // What Complete made of the command line.
    const CrcCliOptions& options() const { return options_; }

private:
    std::string CompleteParameters();
    std::string CompleteInput();

    CrcCliOptions options_;
    const CLI::App* subcommand_ = nullptr;  // when the command line names it
    std::vector<std::string> arguments_;    // MODEL and FILEs as given
    std::string text_, hex_, bytes_, emit_;
    std::string width_, poly_, init_, xorout_;
    std::string refin_, refout_;
    CLI::Option* list_option_ = nullptr;
    CLI::Option* text_option_ = nullptr;
    CLI::Option* hex_option_ = nullptr;
    CLI::Option* gbk_option_ = nullptr;
    CLI::Option* bytes_option_ = nullptr;
    CLI::Option* emit_option_ = nullptr;
    // The parameters of the user's own.
    CLI::Option* width_option_ = nullptr;
    CLI::Option* poly_option_ = nullptr;
    CLI::Option* init_option_ = nullptr;
    CLI::Option* refin_option_ = nullptr;
    CLI::Option* refout_option_ = nullptr;
    CLI::Option* xorout_option_ = nullptr;
};
