#include "cli/subcommand_words.h"

#include <algorithm>
#include <cctype>

#include <CLI/CLI.hpp>

#include "cli/messages.h"

namespace {

std::string Lower(std::string word) {
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

// Edits (a character inserted, dropped, changed, or two neighbours swapped)
// that turn `a` into `b`.
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::string WithoutDashes(const std::string& word) {
    return word.substr(std::min(word.find_first_not_of('-'), word.size()));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What marks a word the parser would otherwise read as its own.
constexpr char kMark = '\0';

}  // namespace

bool ReadsAsNegativeNumber(const std::string& word) {
    if (word.size() < 2 || word[0] != '-') return false;
    // Digits, or a point and digits, start a number (CLI11 itself takes
    // "-5" for a value, "-.5" not).
    if (IsDigit(word[1]) || (word[1] == '.' && word.size() > 2 && IsDigit(word[2]))) return true;
    const std::string rest = Lower(word.substr(1));
    if (rest == "inf" || rest == "infinity" || rest == "nan") return true;
    // "nan(" letters, digits and _ ")".
    const std::string nan_open = "nan(";
    if (rest.size() < nan_open.size() + 1 || rest.compare(0, nan_open.size(), nan_open) != 0 || rest.back() != ')') {
        return false;
    }
    return std::all_of(rest.begin() + static_cast<std::ptrdiff_t>(nan_open.size()), rest.end() - 1, [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
    });
}

std::vector<std::string> MarkedWords(const std::vector<std::string>& words) {
    std::vector<std::string> marked;
    marked.reserve(words.size());
    bool after_end_of_options = false;
    for (const std::string& word : words) {
        // A second "--" is a value, which CLI11 would drop like the first.
        // (A "--" that is the value of an option is taken for the first.)
        const bool needs_mark = (!word.empty() && word[0] == kMark) || (word == "--" && after_end_of_options) ||
                                word == "++" || ReadsAsNegativeNumber(word);
        after_end_of_options = after_end_of_options || word == "--";
        marked.push_back(needs_mark ? kMark + word : word);
    }
    return marked;
}

std::string WordAsTyped(const std::string& marked) {
    return !marked.empty() && marked[0] == kMark ? marked.substr(1) : marked;
}

void TakeWordsAsTyped(CLI::App& app) {
    for (CLI::Option* option : app.get_options()) {
        option->transform([](const std::string& word) { return WordAsTyped(word); });
    }
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) TakeWordsAsTyped(*sub);
}

std::vector<std::string> NearestNames(const std::string& word, const std::vector<std::string>& names) {
    const std::string typed = Lower(word);
    // One slip in a short word, two from six characters on.
    const std::size_t slips = std::max<std::size_t>(1, std::min<std::size_t>(2, typed.size() / 3));
    std::vector<std::string> found[3];
    for (const std::string& name : names) {
        if (name == typed) {
            found[0].push_back(name);
        } else if (typed.size() >= 2 && name.compare(0, typed.size(), typed) == 0) {
            found[1].push_back(name);
        } else if (EditDistance(typed, name) <= slips) {
            found[2].push_back(name);
        }
    }
    std::vector<std::string> nearest;
    for (const auto& group : found) nearest.insert(nearest.end(), group.begin(), group.end());
    return nearest;
}

std::string DidYouMean(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list.empty() ? "" : "; did you mean " + list + "?";
}

std::string UnknownOption(const std::string& word, const CLI::App& app) {
    std::vector<std::string> names;  // without their dashes
    for (const CLI::App* level = &app; level != nullptr; level = level->get_parent()) {
        for (const CLI::Option* option : level->get_options()) {
            if (option->get_name().compare(0, 2, "--") == 0) names.push_back(WithoutDashes(option->get_name()));
        }
        if (!level->get_fallthrough()) break;
    }
    // "--tex=a" is the option "--tex" given a value.
    std::vector<std::string> nearest = NearestNames(WithoutDashes(word.substr(0, word.find('='))), names);
    for (std::string& name : nearest) name = "--" + name;
    return "unknown option '" + EscapeBytes(word) + "'" + DidYouMean(nearest);
}

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
    // A vector option of CLI11 reads a word "[a,b]" as a list of two words
    // (and "[]" as none) while it allows extra words; this one needs none,
    // as it expects more than any command line holds. The words are taken
    // as the parser holds them, with no conversion.
    return sub
        .add_option(name,
                    [&words](const CLI::results_t& given) {
                        words = given;
                        return true;
                    })
        ->expected(kMoreWordsThanAnyCommandLine, CLI::detail::expected_max_vector_size)
        ->allow_extra_args(false)
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
        error = LooksLikeOption(word) ? UnknownOption(word, chosen)
                                      : "unexpected argument '" + EscapeBytes(WordAsTyped(word)) + "'";
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

bool ReadDecimalWord(const std::string& text, unsigned long long limit, unsigned long long& value) {
    if (text.empty()) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        const auto digit = static_cast<unsigned long long>(c - '0');
        if (digit > limit || value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}
