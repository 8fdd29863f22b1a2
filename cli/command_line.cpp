#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "ui/tool_dlg_tools.h"

namespace {

// The line after a usage error, pointing to the help.
const char kUsageHint[] = "Usage: quobrix TOOL [OPTIONS] [--] [TEXT]; quobrix --help lists the tools";

const char kIntroduction[] =
    "Usage: quobrix TOOL [OPTIONS] [--] [TEXT]\n"
    "Runs one tool of Quobrix on TEXT, or on standard input without TEXT,\n"
    "and prints the tool's report.\n";

const char kCommonOptions[] =
    "Options:\n"
    "  --help       show this text; after TOOL, the tool's help\n"
    "  --version    show the version\n";

const char kExitStatus[] =
    "Exit status: 0 the report was printed; 1 the tool showed a message\n"
    "(printed on standard error), or found no match (find, frame --verify);\n"
    "2 a usage, input or output error.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix upper 'abc xyz'\n"
    "  ABC XYZ\n"
    "  $ quobrix crc CRC-16/MODBUS --text 123456789\n"
    "  4B37\n"
    "  $ quobrix find '01 03 00 00 00 0A C5 CD' '11 03 00 6B 00 03 76 87'\n"
    "  CRC-16/MODBUS le head=0 tail=0\n"
    "  $ quobrix num --type float32 --order CDAB 00 00 41 20\n"
    "  10\n";

// "; did you mean crc, crc8, crc16, crc32?" for a word that is no tool, in
// the order of --help.
std::string NearestTools(const std::string& word, const CliCommandTable& table) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kDialogToolCount; ++i) names.push_back(kDialogTools[i].name);
    for (std::size_t i = 0; i < table.count; ++i) {
        if (table.commands[i].name != std::string("TOOL")) names.push_back(table.commands[i].name);
    }
    return DidYouMean(NearestNames(word, names));
}

// What CLI11 found wrong with an option, as a sentence of ours.
std::string ParseErrorText(const std::string& said) {
    const std::string line = said.substr(0, said.find('\n'));
    // "NAME was given a disallowed flag override": "--NAME=VALUE" for a flag.
    const std::string override_said = " was given a disallowed flag override";
    const std::size_t at = line.find(override_said);
    if (at != std::string::npos) return EscapeBytes("--" + line.substr(0, at)) + " takes no value";
    // "--text: At Most 1 required but received 2", "--from: 1 required TEXT missing".
    const std::size_t colon = line.find(": ");
    if (colon != std::string::npos && LooksLikeOption(line.substr(0, colon))) {
        const std::string name = EscapeBytes(line.substr(0, colon));
        const std::string rest = line.substr(colon + 2);
        const std::string at_most = "At Most ", received = " required but received ";
        const std::size_t count_at = rest.find(received);
        if (rest.compare(0, at_most.size(), at_most) == 0 && count_at != std::string::npos) {
            const std::string count = rest.substr(count_at + received.size());
            return name + " is given " + (count == "2" ? "twice" : count + " times");
        }
        const std::string missing = " missing";
        if (rest.size() > missing.size() && rest.compare(rest.size() - missing.size(), missing.size(), missing) == 0) {
            return name + " needs a value";
        }
    }
    return EscapeBytes(line);
}

std::string Help(const CliCommandTable& table) {
    std::string text = std::string(kIntroduction) + "\n";
    for (std::size_t i = 0; i < table.count; ++i) text += table.commands[i].help_section() + "\n";
    return text + kCommonOptions + "\n" + kExitStatus + "\n" + kExamples;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::string& out, std::string& err,
           const CliCommandTable& table) {
    CommandLine command_line(table);
    const ParseResult parsed = command_line.Parse(args);
    switch (parsed.outcome) {
        case ParseOutcome::Help:
            out += parsed.text;
            return kExitReport;
        case ParseOutcome::Version:
            out += "quobrix " QUOBRIX_VERSION "\n";
            return kExitReport;
        case ParseOutcome::UsageError:
            err += kPrefix + parsed.text + " (" + parsed.usage_hint + ")\n";
            return kExitUsage;
        case ParseOutcome::Run:
            break;
    }
    const std::size_t out_before = out.size(), err_before = err.size();
    const int status = parsed.run(env, out, err);
    // Whatever the command made of its stopped work is no answer: none goes
    // out, and the run is an error with one reason.
    if (env.cancelled && env.cancelled()) {
        out.resize(out_before);
        err.resize(err_before);
        err += kPrefix + "cancelled\n";
        return kExitUsage;
    }
    return status;
}

CommandLine::CommandLine(const CliCommandTable& table)
    : table_(table), app_(std::make_unique<CLI::App>("", "quobrix")) {
    // Set before any subcommand, which inherits them: "/x" is no option on
    // Windows either, words the parser does not know are ours to judge, and
    // only one tool runs.
    app_->allow_windows_style_options(false);
    app_->allow_extras();
    app_->set_help_flag("--help");
    app_->require_subcommand(0, 1);
    app_->add_flag("--version")->disable_flag_override();
}

CommandLine::~CommandLine() = default;

ParseResult CommandLine::Parse(const std::vector<std::string>& args) {
    ParseResult result;
    result.usage_hint = kUsageHint;
    for (std::size_t i = 0; i < table_.count; ++i) {
        parses_.push_back(table_.commands[i].setup(table_.commands[i].name, *app_, args));
    }
    TakeWordsAsTyped(*app_);
    const std::vector<std::string> words = MarkedWords(args);
    std::vector<std::string> reversed(words.rbegin(), words.rend());  // CLI11 takes them last first
    const CLI::App* chosen = nullptr;
    std::size_t owner = table_.count;  // the command whose subcommand was chosen
    const auto find_chosen = [&] {
        // Counted, not listed: a tool named after "--" is parsed but not listed.
        const std::vector<CLI::App*> subcommands =
            app_->get_subcommands([](const CLI::App* sub) { return sub->count() > 0; });
        if (subcommands.empty()) return;
        chosen = subcommands.front();
        for (std::size_t i = 0; i < parses_.size(); ++i) {
            const std::vector<const CLI::App*>& added = parses_[i].subcommands;
            if (std::find(added.begin(), added.end(), chosen) != added.end()) owner = i;
        }
    };
    try {
        app_->parse(reversed);
    } catch (const CLI::CallForHelp&) {
        find_chosen();
        result.outcome = ParseOutcome::Help;
        result.text = owner < table_.count ? table_.commands[owner].help(chosen->get_name()) : Help(table_);
        return result;
    } catch (const CLI::ParseError& error) {
        result.text = ParseErrorText(error.what());
        // The subcommand whose words were being parsed counts as chosen.
        find_chosen();
        if (owner < table_.count && table_.commands[owner].usage_hint != nullptr) {
            result.usage_hint = table_.commands[owner].usage_hint;
        }
        return result;
    }
    if (app_->get_option("--version")->count() > 0) {
        result.outcome = ParseOutcome::Version;
        return result;
    }
    find_chosen();
    // The parser keeps a "--" before TOOL among the words it did not use.
    std::vector<std::string> leftover = app_->remaining();
    leftover.erase(std::remove(leftover.begin(), leftover.end(), "--"), leftover.end());
    if (owner == table_.count) {
        // The first word tells: a word that is no tool is a misspelt one,
        // and the options after it are likely that tool's own.
        if (leftover.empty()) {
            result.text = "no tool given";
        } else if (LooksLikeOption(leftover.front())) {
            result.text = UnknownOption(leftover.front(), *app_);
        } else {
            const std::string word = WordAsTyped(leftover.front());
            result.text = "unknown tool '" + EscapeBytes(word) + "'" + NearestTools(word, table_);
        }
        return result;
    }
    if (!parses_[owner].complete(*chosen, leftover, result.run, result.text)) {
        if (table_.commands[owner].usage_hint != nullptr) result.usage_hint = table_.commands[owner].usage_hint;
        return result;
    }
    result.outcome = ParseOutcome::Run;
    return result;
}
