// The checks every subcommand with options of its own makes of the words
// around it.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

// The subcommand `name` in `group`, or null when no word of the command line
// names it: a subcommand costs a CLI11 App at every start.
CLI::App* AddNamedSubcommand(CLI::App& app, const std::vector<std::string>& words, const char* name,
                             const char* summary, const char* group);

// A positional `name` that takes every word left, "--help" after "--" too.
CLI::Option* AddAllWords(CLI::App& sub, const std::string& name, std::vector<std::string>& words);

// What is wrong with the words of the command line the parser did not place
// (`leftover` before the subcommand, `chosen`'s remaining after it) or with a
// top-level option given before it, which belongs to the dialog's tools; "" when
// nothing is. `name` is the subcommand's.
std::string StrayWordsError(const CLI::App& chosen, const std::vector<std::string>& leftover, const std::string& name);
