#include "cli/printf.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>

#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "i18n/translate.h"
#include "workbench/printf/printf_format.h"

const char kPrintfUsageHint[] = "Usage: quobrix printf [--explain] [--raw] FORMAT [ARG...]; quobrix printf --help tells more";

namespace {

struct PrintfOptions {
    std::string format;
    std::vector<std::string> arguments;
    bool explain = false;
    bool raw = false;
};

// What the parser fills.
struct PrintfWords {
    std::vector<std::string> words;  // FORMAT, then the arguments
    bool explain = false;
    bool raw = false;
};

bool Complete(const PrintfWords& words, const CLI::App&, PrintfOptions& options, std::string& error) {
    if (words.words.empty()) {
        error = i18n::Tr("no FORMAT given");
        return false;
    }
    options.format = words.words.front();
    options.arguments.assign(words.words.begin() + 1, words.words.end());
    options.explain = words.explain;
    options.raw = words.raw;
    return true;
}

// A row per conversion: its text, its place, and each argument it took as
// "N as TYPE: VALUE", its width and precision first.
std::string Explanation(const PrintfResult& result) {
    std::vector<std::vector<std::string>> rows = {{"conversion", "at", "argument", "as", "value"}};
    for (const PrintfConversion& conversion : result.conversions) {
        if (conversion.arguments.empty()) {
            rows.push_back({conversion.text, std::to_string(conversion.position), "-", "-", "-"});
        }
        for (const PrintfArgumentUse& use : conversion.arguments) {
            const std::string type = use.role == "value" ? use.type : use.type + " (" + use.role + ")";
            rows.push_back({conversion.text, std::to_string(conversion.position), std::to_string(use.argument), type,
                            EscapeBytes(use.value)});
        }
    }
    std::vector<std::size_t> widths(5, 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], EscapeBytes(row[c]).size());
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string cell = EscapeBytes(row[c]);
            const std::string padding(widths[c] - cell.size(), ' ');
            // The place and the argument's number are right-aligned.
            line += c == 1 || c == 2 ? padding + cell : cell + (c + 1 == row.size() ? "" : padding);
            if (c + 1 < row.size()) line += "  ";
        }
        text += line + "\n";
    }
    return text;
}

int RunPrintf(const PrintfOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    const PrintfEscapes escapes = options.raw ? PrintfEscapes::None : PrintfEscapes::C;
    // A first run only checks, keeping none of the text: a fault anywhere,
    // a text past the most one run writes among them, is reported before
    // any of the text is written. The second makes the text again and
    // writes it a block at a time, so it is never held whole.
    const PrintfResult check =
        FormatPrintf(options.format, options.arguments, escapes, [](const std::string&) { return true; });
    if (!check.ok) {
        err += kPrefix + EscapeBytes(check.error) + " (" + kPrintfUsageHint + ")\n";
        return kExitUsage;
    }
    // Large enough that a write costs little beside the formatting.
    constexpr std::size_t kFlushBytes = std::size_t{1} << 18;
    char last = '\n';
    const PrintfResult result =
        FormatPrintf(options.format, options.arguments, escapes, [&](const std::string& piece) {
            if (piece.empty()) return true;
            last = piece.back();
            out += piece;
            if (!env.write_stdout || out.size() < kFlushBytes) return true;
            // A failed write leaves the text in `out`: the final write says why.
            if (!env.write_stdout(out)) return false;
            out.clear();
            return true;
        });
    if (!result.ok) return kExitUsage;
    if (options.explain) {
        // The text as printed, then the table on lines of its own.
        if (result.size != 0 && last != '\n') out += "\n";
        out += Explanation(result);
    }
    return kExitReport;
}

}  // namespace

CommandParse SetupPrintf(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kPrintfSummary, kPrintfGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<PrintfWords>();
    sub->add_flag("--explain", given->explain)->disable_flag_override();
    sub->add_flag("--raw", given->raw)->disable_flag_override();
    AddAllWords(*sub, "FORMAT", given->words);
    return OneSubcommandParse<PrintfWords, PrintfOptions>(sub, given, name, Complete, RunPrintf);
}

const CliCommand kPrintfCommand = {"printf", SetupPrintf, PrintfHelpSection, PrintfHelp, kPrintfUsageHint};
