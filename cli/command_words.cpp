#include "cli/command_words.h"

#include <CLI/CLI.hpp>

#include "cli/command.h"
#include "cli/messages.h"

std::string StrayWords(const CLI::App& chosen, const std::vector<std::string>& leftover, const std::string& command) {
    std::vector<std::string> unplaced = leftover;
    for (const std::string& word : chosen.remaining()) {
        if (word != "--") unplaced.push_back(word);
    }
    if (!unplaced.empty()) {
        const std::string& word = unplaced.front();
        return (LooksLikeOption(word) ? "unknown option '" : "unexpected argument '") + EscapeBytes(word) + "'";
    }
    const auto before = chosen.get_parent()->get_options([](const CLI::Option* option) { return option->count() > 0; });
    if (!before.empty()) {
        return before.front()->get_name() + " belongs to the dialog's tools; the options of " + command + " follow " +
               command;
    }
    return "";
}

CLI::Option* AddAllWords(CLI::App& sub, const std::string& name, std::vector<std::string>& words) {
    constexpr int kMoreWordsThanAnyCommandLine = 1 << 30;
    return sub.add_option(name, words)
        ->expected(kMoreWordsThanAnyCommandLine, CLI::detail::expected_max_vector_size)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}
