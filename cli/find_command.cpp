#include "cli/find_command.h"

#include <CLI/CLI.hpp>

#include "cli/subcommand_words.h"
#include "cli/find_help.h"
#include "cli/messages.h"
#include "cli/run_find.h"

namespace {

const char kCommandName[] = "find";

// A count in decimal, at most `limit`.
bool ReadCount(const std::string& word, std::size_t limit, std::size_t& count) {
    if (word.empty() || word.size() > 3) return false;
    count = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return false;
        count = count * 10 + static_cast<std::size_t>(c - '0');
    }
    return count <= limit;
}

}  // namespace

void FindCommand::Register(CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, kCommandName, kFindSummary, kFindGroup);
    if (sub == nullptr) return;
    subcommand_ = sub;
    max_skip_option_ = sub->add_option("--max-skip", max_skip_);
    json_option_ = sub->add_flag("--json")->disable_flag_override();
    search_option_ = sub->add_flag("--search")->disable_flag_override();
    no_search_option_ = sub->add_flag("--no-search")->disable_flag_override();
    AddAllWords(*sub, "FRAME", options_.frames);
}

bool FindCommand::Owns(const CLI::App& chosen) const { return &chosen == subcommand_; }

std::string FindCommand::Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) {
    const std::string stray = StrayWordsError(chosen, leftover, kCommandName);
    if (!stray.empty()) return stray;
    if (max_skip_option_->count() > 0 && !ReadCount(max_skip_, kMaxSkipLimit, options_.max_skip)) {
        return "--max-skip takes a count of bytes from 0 to " + std::to_string(kMaxSkipLimit) + ", not '" +
               EscapeBytes(max_skip_) + "'";
    }
    const bool search = search_option_->count() > 0, no_search = no_search_option_->count() > 0;
    if (search && no_search) return "--search and --no-search exclude each other";
    options_.recovery = search ? RecoveryMode::kAlways : no_search ? RecoveryMode::kNever : RecoveryMode::kAuto;
    options_.json = json_option_->count() > 0;
    return "";
}

std::string FindCommand::UsageHint() const {
    return "Usage: quobrix find [--max-skip N] [--json] [--search] [FRAME...]; quobrix find --help tells more";
}

std::string FindCommand::HelpSection() const { return FindHelpSection(); }

std::string FindCommand::Help(const CLI::App&) const { return FindHelp(); }

int FindCommand::Run(const CliEnvironment& env, std::string& out, std::string& err) {
    return RunFind(options_, env, out, err);
}
