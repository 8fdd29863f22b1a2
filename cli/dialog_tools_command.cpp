#include "cli/dialog_tools_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/command_line.h"
#include "cli/dialog_tools_help.h"
#include "cli/messages.h"
#include "cli/run_dialog_tool.h"

namespace {

// A decimal number, as `atof` reads one whole: sign, digits with at most one
// point, an exponent. CLI11 takes "-1.5" for TEXT already, "-.5" not.
bool ReadsAsNumber(const std::string& word) {
    std::size_t i = 0, digits = 0;
    const auto is_digit = [&](std::size_t at) { return at < word.size() && word[at] >= '0' && word[at] <= '9'; };
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) ++i;
    for (; is_digit(i); ++i) ++digits;
    if (i < word.size() && word[i] == '.') {
        for (++i; is_digit(i); ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        ++i;
        if (i < word.size() && (word[i] == '-' || word[i] == '+')) ++i;
        if (!is_digit(i)) return false;
        while (is_digit(i)) ++i;
    }
    return i == word.size();
}

}  // namespace

void DialogToolsCommand::Register(CLI::App& app, const std::vector<std::string>& words) {
    // The options belong to the top level, so that they may stand before TOOL;
    // after it each tool hands what it does not know up there (fallthrough).
    hex_ = app.add_flag("--hex")->group(kDialogOptionsGroup)->disable_flag_override();
    ascii_ = app.add_flag("--ascii")->group(kDialogOptionsGroup)->disable_flag_override();
    low_first_ = app.add_flag("--low-first")->group(kDialogOptionsGroup)->disable_flag_override();
    gbk_ = app.add_flag("--gbk")->group(kDialogOptionsGroup)->disable_flag_override();
    for (std::size_t i = 0; i < kCliToolCount; ++i) {
        const CliTool& tool = kCliTools[i];
        if (std::find(words.begin(), words.end(), tool.name) == words.end()) continue;
        CLI::App* sub = app.add_subcommand(tool.name, tool.summary);
        sub->group(kDialogToolsGroup)->fallthrough();
        registered_.push_back({sub, &tool, sub->add_option("TEXT", options_.text)});
    }
}

const DialogToolsCommand::Registered* DialogToolsCommand::Find(const CLI::App& chosen) const {
    for (const Registered& entry : registered_) {
        if (entry.subcommand == &chosen) return &entry;
    }
    return nullptr;
}

bool DialogToolsCommand::Owns(const CLI::App& chosen) const { return Find(chosen) != nullptr; }

std::string DialogToolsCommand::Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) {
    const Registered& entry = *Find(chosen);
    options_.tool = entry.tool;
    options_.has_text = entry.text->count() > 0;
    for (const std::string& word : leftover) {
        if (!options_.has_text && ReadsAsNumber(word)) {
            options_.text = word;
            options_.has_text = true;
        } else if (LooksLikeOption(word)) {
            return "unknown option '" + EscapeBytes(word) + "'";
        } else {
            return "too many arguments (quote a TEXT with blanks)";
        }
    }
    if (hex_->count() > 0 && ascii_->count() > 0) return "--hex and --ascii exclude each other";
    options_.format = hex_->count() > 0     ? InputFormat::Hex
                      : ascii_->count() > 0 ? InputFormat::Ascii
                                            : InputFormat::AsDialogOpens;
    options_.low_first = low_first_->count() > 0;
    options_.raw_gbk = gbk_->count() > 0;
    return "";
}

std::string DialogToolsCommand::UsageHint() const { return kUsageHint; }

std::string DialogToolsCommand::HelpSection() const { return DialogToolsHelpSection(); }

std::string DialogToolsCommand::Help(const CLI::App& chosen) const { return DialogToolHelp(*Find(chosen)->tool); }

int DialogToolsCommand::Run(const CliEnvironment& env, std::string& out, std::string& err) {
    return RunDialogTool(options_, env, out, err);
}
