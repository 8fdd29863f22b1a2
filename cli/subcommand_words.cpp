#include "cli/subcommand_words.h"

#include <algorithm>

#include <CLI/CLI.hpp>

#include "cli/messages.h"

CLI::App* AddNamedSubcommand(CLI::App& app, const std::vector<std::string>& words, const char* name,
                             const char* summary, const char* group) {
    if (std::find(words.begin(), words.end(), name) == words.end()) return nullptr;
    CLI::App* sub = app.add_subcommand(name, summary);
    sub->group(group);
    return sub;
}

CLI::Option* AddAllWords(CLI::App& sub, const std::string& name, std::vector<std::string>& words) {
    // CLI11 hands the words after "--" back to the top level (which would
    // take "--help" there for its own) once every positional has the words it
    // expects at least. This one expects more than any command line holds;
    // taking all it gets, it never checks the count.
    constexpr int kMoreWordsThanAnyCommandLine = 1 << 30;
    return sub.add_option(name, words)
        ->expected(kMoreWordsThanAnyCommandLine, CLI::detail::expected_max_vector_size)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

bool NoStrayWords(const CLI::App& chosen, const std::vector<std::string>& leftover, const std::string& name,
                  std::string& error) {
    // Words CLI11 did not place: before the subcommand at the top level, after it here.
    std::vector<std::string> unplaced = leftover;
    for (const std::string& word : chosen.remaining()) {
        if (word != "--") unplaced.push_back(word);
    }
    if (!unplaced.empty()) {
        const std::string& word = unplaced.front();
        error = (LooksLikeOption(word) ? "unknown option '" : "unexpected argument '") + EscapeBytes(word) + "'";
        return false;
    }
    const auto before = chosen.get_parent()->get_options([](const CLI::Option* option) { return option->count() > 0; });
    if (!before.empty()) {
        error = before.front()->get_name() + " belongs to the dialog's tools; the options of " + name + " follow " +
                name;
        return false;
    }
    return true;
}
