// The words of the command line around a subcommand: which subcommands to
// add, and the checks every subcommand with options of its own makes.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

// A word that reads as a negative number, as strtod reads one: "-5", "-1e3",
// "-0x1p4", "-.5", "-inf", "-infinity", "-nan", "-nan(1)". It is a value,
// never an option: no option of quobrix is named so.
bool ReadsAsNegativeNumber(const std::string& word);

// A word the parser left over that starts with a dash (a lone "-" is TEXT, a
// negative number a value, a marked word a value) names an option it does
// not know.
inline bool LooksLikeOption(const std::string& word) {
    return word.size() > 1 && word[0] == '-' && !ReadsAsNegativeNumber(word);
}

// A count or a rate as typed: decimal digits only, at most `limit`. False
// for anything else (a sign, blanks, an empty word, a value past `limit`).
bool ReadDecimalWord(const std::string& text, unsigned long long limit, unsigned long long& value);

// Every word reaches its command as typed. CLI11 would read some of them as
// its own, where here they are values: "-.5" and "-inf" as short options,
// "++" as the end of a subcommand, a second "--" as the first. The parser is
// given the words marked (a NUL before each such word, and before any that
// starts with a NUL), which no rule of CLI11 reads as an option. Every
// option and positional takes the mark off again (through
// TakeWordsAsTyped); the words left over keep it, so that a marked "--" is
// no unknown option, and are shown through WordAsTyped.
std::vector<std::string> MarkedWords(const std::vector<std::string>& words);
std::string WordAsTyped(const std::string& marked);
// Every option of `app` and its subcommands gives its command its words as
// typed; call it once every option is added.
void TakeWordsAsTyped(CLI::App& app);

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

// A positional `name` that takes every word left, "--help" after "--" too,
// each as one word as typed: "[a,b]" is no list, "" no missing word.
CLI::Option* AddAllWords(CLI::App& sub, const std::string& name, std::vector<std::string>& words);

// Whether the words of the command line the parser did not place (`leftover`
// before the subcommand, `chosen`'s remaining after it) and the top-level
// options given before it, which belong to the dialog's tools, leave the
// subcommand `name` alone; false, with what is wrong in `error`.
bool NoStrayWords(const CLI::App& chosen, const std::vector<std::string>& leftover, const std::string& name,
                  std::string& error);
