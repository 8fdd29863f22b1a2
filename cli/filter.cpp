#include "cli/filter.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "cli/messages.h"
#include "cli/part_words.h"
#include "cli/subcommand_words.h"
#include "i18n/translate.h"
#include "workbench/parts/e_series.h"
#include "workbench/parts/filters.h"
#include "workbench/parts/part_value.h"

const char kFilterUsageHint[] =
    "Usage: quobrix filter rc|lc|sallen-key [OPTIONS] FREQ, or the parts' options instead of FREQ; "
    "quobrix filter --help tells more";

namespace {

// ---- The options -------------------------------------------------------

enum class FilterKind { Rc, Lc, SallenKey };

struct FilterOptions {
    FilterKind kind = FilterKind::Rc;
    bool lowpass = true;  // rc: only the heading's name changes
    bool from_parts = false;
    double frequency = 0, q = 0.70710678118654752;
    // The parts given, for their frequency: r, c (rc); l, c (lc); r, r2, c, c2 (sallen-key).
    double r = 0, r2 = 0, l = 0, c = 0, c2 = 0;
    const ESeries* r_series = nullptr;
    const ESeries* c_series = nullptr;
    const ESeries* l_series = nullptr;
    std::size_t count = 5;
};

// A value option: its name and where the parser puts it.
struct ValueOption {
    ValueOption(const char* option_name) : name(option_name) {}
    const char* name;
    std::string text;
    CLI::Option* option = nullptr;
};

// What the parser fills.
struct FilterWords {
    std::vector<std::string> arguments;
    CLI::Option* lowpass = nullptr;
    CLI::Option* highpass = nullptr;
    // --q --count --r-series --c-series --l-series, then the parts.
    ValueOption values[12] = {{"--q"},  {"--count"}, {"--r-series"}, {"--c-series"}, {"--l-series"}, {"--r"},
                              {"--c"},  {"--l"},     {"--r1"},       {"--r2"},       {"--c1"},       {"--c2"}};
};

bool Complete(const FilterWords& words, const CLI::App& chosen, FilterOptions& options, std::string& error);
int RunFilter(const FilterOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupFilter(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kFilterSummary, kFilterGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<FilterWords>();
    given->lowpass = sub->add_flag("--lowpass")->disable_flag_override();
    given->highpass = sub->add_flag("--highpass")->disable_flag_override();
    for (ValueOption& value : given->values) value.option = sub->add_option(value.name, value.text);
    AddAllWords(*sub, "ARGS", given->arguments);
    return OneSubcommandParse<FilterWords, FilterOptions>(sub, given, name, Complete, RunFilter);
}

namespace {

// ---- Judging the command line ------------------------------------------

const ValueOption& Find(const FilterWords& words, const std::string& name) {
    for (const ValueOption& value : words.values) {
        if (name == value.name) return value;
    }
    return words.values[0];
}

bool Given(const FilterWords& words, const std::string& name) { return Find(words, name).option->count() > 0; }

// The options of parts that `kind` takes, and those of the others it does not.
bool CompleteParts(const FilterWords& words, const std::vector<const char*>& names, FilterOptions& options,
                   std::string& error) {
    std::size_t given = 0;
    for (const char* name : names) given += Given(words, name) ? 1 : 0;
    options.from_parts = given > 0;
    if (given > 0 && given < names.size()) {
        std::string all;
        for (const char* name : names) all += (all.empty() ? "" : " ") + std::string(name);
        error = i18n::Format(i18n::Tr("the parts' frequency needs all of %1$s"), {all});
        return false;
    }
    for (const char* name : {"--r", "--c", "--l", "--r1", "--r2", "--c1", "--c2"}) {
        bool mine = false;
        for (const char* own : names) mine = mine || std::string(own) == name;
        if (!mine && Given(words, name)) {
            std::string takes;
            for (const char* own : names) takes += std::string(" ") + own;
            error = i18n::Format(i18n::Tr("%1$s is no part of this filter (it takes%2$s)"), {name, takes});
            return false;
        }
    }
    if (given == 0) return true;
    double* const places[] = {&options.r, &options.c, &options.l, &options.r, &options.r2, &options.c, &options.c2};
    const char* const all[] = {"--r", "--c", "--l", "--r1", "--r2", "--c1", "--c2"};
    for (std::size_t i = 0; i < 7; ++i) {
        if (Given(words, all[i]) && !ReadValueWord(all[i], Find(words, all[i]).text, *places[i], error)) {
            return false;
        }
    }
    return true;
}

bool Complete(const FilterWords& words, const CLI::App&, FilterOptions& options, std::string& error) {
    const std::vector<std::string>& arguments = words.arguments;
    if (arguments.empty()) {
        error = i18n::Tr("no filter given: rc, lc or sallen-key");
        return false;
    }
    const std::string& kind = arguments[0];
    if (kind == "rc") {
        options.kind = FilterKind::Rc;
    } else if (kind == "lc") {
        options.kind = FilterKind::Lc;
    } else if (kind == "sallen-key" || kind == "sk") {
        options.kind = FilterKind::SallenKey;
    } else {
        error = i18n::Format(i18n::Tr("'%1$s' is no filter: rc, lc or sallen-key"), {EscapeBytes(kind)});
        return false;
    }
    const bool rc = options.kind == FilterKind::Rc;
    if (words.lowpass->count() > 0 && words.highpass->count() > 0) {
        error = i18n::Tr("--lowpass or --highpass, not both");
        return false;
    }
    if (!rc && (words.lowpass->count() > 0 || words.highpass->count() > 0)) {
        error = i18n::Format(i18n::Tr("%1$s goes with rc (sallen-key is a low-pass, lc a resonance)"),
                             {words.lowpass->count() > 0 ? "--lowpass" : "--highpass"});
        return false;
    }
    options.lowpass = words.highpass->count() == 0;
    if (Given(words, "--q") && options.kind != FilterKind::SallenKey) {
        error = i18n::Tr("--q goes with sallen-key");
        return false;
    }
    if (Given(words, "--l-series") && options.kind != FilterKind::Lc) {
        error = i18n::Tr("--l-series goes with lc");
        return false;
    }
    if (Given(words, "--r-series") && options.kind == FilterKind::Lc) {
        error = i18n::Tr("--r-series goes with rc and sallen-key");
        return false;
    }
    const std::vector<const char*> parts = rc                                 ? std::vector<const char*>{"--r", "--c"}
                                           : options.kind == FilterKind::Lc ? std::vector<const char*>{"--l", "--c"}
                                                                              : std::vector<const char*>{"--r1", "--r2", "--c1", "--c2"};
    if (!CompleteParts(words, parts, options, error)) return false;
    options.r_series = FindESeries("E24");
    options.c_series = FindESeries(options.kind == FilterKind::Lc ? "E12" : "E6");
    options.l_series = FindESeries("E12");
    if ((Given(words, "--r-series") &&
         !ReadSeriesWord("--r-series", Find(words, "--r-series").text, options.r_series, error)) ||
        (Given(words, "--c-series") &&
         !ReadSeriesWord("--c-series", Find(words, "--c-series").text, options.c_series, error)) ||
        (Given(words, "--l-series") &&
         !ReadSeriesWord("--l-series", Find(words, "--l-series").text, options.l_series, error))) {
        return false;
    }
    if (Given(words, "--count") && !ReadCountWord(Find(words, "--count").text, options.count, error)) return false;
    if (Given(words, "--q")) {
        if (!ReadValueWord("--q", Find(words, "--q").text, options.q, error)) return false;
        if (options.q < 0.1 || options.q > 10) {
            error = i18n::Format(i18n::Tr("--q '%1$s' is outside 0.1 to 10"), {EscapeBytes(Find(words, "--q").text)});
            return false;
        }
    }
    if (options.from_parts) {
        if (arguments.size() > 1) {
            error = i18n::Format(i18n::Tr("FREQ or the parts, not both: '%1$s' follows the parts"),
                                 {EscapeBytes(arguments[1])});
            return false;
        }
        for (const char* name : {"--r-series", "--c-series", "--l-series", "--count", "--q"}) {
            if (Given(words, name)) {
                error = i18n::Format(i18n::Tr("%1$s chooses parts for FREQ; the parts are given"), {name});
                return false;
            }
        }
        return true;
    }
    if (arguments.size() != 2) {
        error = arguments.size() < 2
                    ? i18n::Tr("no FREQ given (as 1k), nor the parts")
                    : i18n::Format(i18n::Tr("one FREQ; '%1$s' is a second"), {EscapeBytes(arguments[2])});
        return false;
    }
    return ReadValueWord("FREQ", arguments[1], options.frequency, error);
}

// ---- The output --------------------------------------------------------

std::string Value(double value) { return PartValueText(value, 4); }
std::string Hertz(double frequency) { return PartValueText(frequency, 4) + "Hz"; }
// Four decimals where Qs usually are, and four significant digits at least
// wherever one lies (Q = 3e-5 is no 0.0000).
std::string QText(double q) {
    char text[32];
    std::snprintf(text, sizeof text, q >= 0.1 && q < 1e4 ? "%.4f" : "%#.4g", q);
    return text;
}

std::string ChosenParts(const FilterOptions& options) {
    const PartRanges ranges;
    std::vector<std::vector<std::string>> rows;
    switch (options.kind) {
        case FilterKind::Rc:
            rows.push_back({"R", "C", "fc", "error"});
            for (const FilterParts& parts :
                 BestRcFilters(options.frequency, *options.r_series, *options.c_series, ranges, options.count)) {
                rows.push_back({Value(parts.r), Value(parts.c), Hertz(parts.frequency),
                                PercentText(parts.frequency_error)});
            }
            break;
        case FilterKind::Lc:
            rows.push_back({"L", "C", "f0", "error"});
            for (const FilterParts& parts :
                 BestLcFilters(options.frequency, *options.l_series, *options.c_series, ranges, options.count)) {
                rows.push_back({Value(parts.l), Value(parts.c), Hertz(parts.frequency),
                                PercentText(parts.frequency_error)});
            }
            break;
        case FilterKind::SallenKey:
            rows.push_back({"R1", "R2", "C1", "C2", "f0", "error", "Q", "error"});
            for (const FilterParts& parts : BestSallenKeyFilters(options.frequency, options.q, *options.r_series,
                                                                 *options.c_series, ranges, options.count)) {
                rows.push_back({Value(parts.r), Value(parts.r2), Value(parts.c), Value(parts.c2),
                                Hertz(parts.frequency), PercentText(parts.frequency_error), QText(parts.q),
                                PercentText(parts.q_error)});
            }
            break;
    }
    return rows.size() > 1 ? PartTable(rows) : "";
}

// ---- The run -----------------------------------------------------------

int RunFilter(const FilterOptions& options, const CliEnvironment&, std::string& out, std::string& err) {
    if (options.from_parts) {
        switch (options.kind) {
            case FilterKind::Rc:
                out += "fc " + Hertz(RcCornerFrequency(options.r, options.c)) + "\n";
                break;
            case FilterKind::Lc:
                out += "f0 " + Hertz(LcResonantFrequency(options.l, options.c)) + "\n";
                break;
            case FilterKind::SallenKey: {
                const SecondOrder got = SallenKeyLowPass(options.r, options.r2, options.c, options.c2);
                out += "f0 " + Hertz(got.f0) + "  Q " + QText(got.q) + "\n";
                break;
            }
        }
        return kExitReport;
    }
    const std::string table = ChosenParts(options);
    if (table.empty()) {
        err += kPrefix +
               i18n::Format(i18n::Tr("no standard parts within their ranges (R 1k to 1M, C 100p to 10u, L 100n to "
                                     "10m) give %1$s"),
                            {Hertz(options.frequency)}) +
               "\n";
        return kExitUsage;
    }
    out += table;
    return kExitReport;
}

}  // namespace

const CliCommand kFilterCommand = {"filter", SetupFilter, FilterHelpSection, FilterHelp, kFilterUsageHint};
