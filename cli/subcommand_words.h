// The words of the command line around a subcommand: which subcommands to
// add, and the checks every subcommand with options of its own makes.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

// A word the parser left over that starts with a dash (a lone "-" is TEXT)
// names an option it does not know.
inline bool LooksLikeOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

// The `names` nearest to `word`, a misspelling of one of them: those it
// spells in another case, then those it starts (from two characters on),
// then those a slip or two away, each group in the order of `names`.
std::vector<std::string> NearestNames(const std::string& word, const std::vector<std::string>& names);

// "; did you mean a, b?", or nothing without `names`.
std::string DidYouMean(const std::vector<std::string>& names);

// "unknown option '--tex'; did you mean --text?": `word` is none of the
// long options of `app` (the options `app` hands up to its parent too).
std::string UnknownOption(const std::string& word, const CLI::App& app);

// The subcommand `name` in `group`, or null when no word of the command line
// names it: a subcommand costs a CLI11 App at every start.
CLI::App* AddNamedSubcommand(CLI::App& app, const std::vector<std::string>& words, const char* name,
                             const char* summary, const char* group);

// A positional `name` that takes every word left, "--help" after "--" too.
CLI::Option* AddAllWords(CLI::App& sub, const std::string& name, std::vector<std::string>& words);

// Whether the words of the command line the parser did not place (`leftover`
// before the subcommand, `chosen`'s remaining after it) and the top-level
// options given before it, which belong to the dialog's tools, leave the
// subcommand `name` alone; false, with what is wrong in `error`.
bool NoStrayWords(const CLI::App& chosen, const std::vector<std::string>& leftover, const std::string& name,
                  std::string& error);
