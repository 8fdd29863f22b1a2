#include "cli/parts.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cli/messages.h"
#include "cli/part_words.h"
#include "cli/subcommand_words.h"
#include "i18n/translate.h"
#include "workbench/parts/e_series.h"
#include "workbench/parts/part_codes.h"
#include "workbench/parts/part_value.h"

const char kPartsUsageHint[] =
    "Usage: quobrix parts [--series S] VALUE | divider VIN VOUT | code KIND CODE | mark KIND VALUE; "
    "quobrix parts --help tells more";

namespace {

using i18n::Format;
using i18n::Tr;

// ---- The options -------------------------------------------------------

enum class PartsJob { Nearest, Divider, Code, Mark };

struct PartsOptions {
    PartsJob job = PartsJob::Nearest;
    const ESeries* series = nullptr;
    double value = 0;             // VALUE, or mark's
    double vin = 0, ratio = 0;    // divider: Vin (0 with --ratio) and Vout / Vin
    double total_low = 1e3, total_high = 1e6;
    std::size_t count = 5;
    PartKind kind = PartKind::Resistor;
    std::vector<std::string> code;  // code's words: one code, or 3 to 6 colours
    BandMarks bands;                // mark's
};

// What the parser fills.
struct PartsWords {
    std::vector<std::string> arguments;
    std::string series, ratio, total, count, tolerance, tempco;
    CLI::Option* series_option = nullptr;
    CLI::Option* ratio_option = nullptr;
    CLI::Option* total_option = nullptr;
    CLI::Option* count_option = nullptr;
    CLI::Option* tolerance_option = nullptr;
    CLI::Option* tempco_option = nullptr;
};

bool Complete(const PartsWords& words, const CLI::App& chosen, PartsOptions& options, std::string& error);
int RunParts(const PartsOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupParts(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kPartsSummary, kPartsGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<PartsWords>();
    given->series_option = sub->add_option("--series", given->series);
    given->ratio_option = sub->add_option("--ratio", given->ratio);
    given->total_option = sub->add_option("--total", given->total);
    given->count_option = sub->add_option("--count", given->count);
    given->tolerance_option = sub->add_option("--tolerance", given->tolerance);
    given->tempco_option = sub->add_option("--tempco", given->tempco);
    AddAllWords(*sub, "ARGS", given->arguments);
    return OneSubcommandParse<PartsWords, PartsOptions>(sub, given, name, Complete, RunParts);
}

namespace {

// ---- Judging the command line ------------------------------------------

bool ReadKind(const std::string& word, PartKind& kind, std::string& error) {
    if (word == "resistor" || word == "r" || word == "R") {
        kind = PartKind::Resistor;
    } else if (word == "capacitor" || word == "c" || word == "C") {
        kind = PartKind::Capacitor;
    } else if (word == "inductor" || word == "l" || word == "L") {
        kind = PartKind::Inductor;
    } else {
        error = Format(Tr("KIND '%1$s' is none of resistor, capacitor, inductor (r, c, l)"), {EscapeBytes(word)});
        return false;
    }
    return true;
}

// "1k..100k": the range of R1 + R2.
bool ReadTotal(const std::string& text, PartsOptions& options, std::string& error) {
    const std::size_t dots = text.find("..");
    if (dots == std::string::npos) {
        error = Format(Tr("--total '%1$s' is no range MIN..MAX (as 10k..100k)"), {EscapeBytes(text)});
        return false;
    }
    if (!ReadValueWord("--total's MIN", text.substr(0, dots), options.total_low, error) ||
        !ReadValueWord("--total's MAX", text.substr(dots + 2), options.total_high, error)) {
        return false;
    }
    if (options.total_low > options.total_high) {
        error = Format(Tr("--total '%1$s': MIN is above MAX"), {EscapeBytes(text)});
        return false;
    }
    return true;
}

// One of `allowed` (a band's tolerance in per cent, or its coefficient in
// ppm/K), written in decimal, `unit` after it if the user likes; false with
// the values there are.
bool ReadBandWord(const char* option, const std::string& text, const std::vector<double>& allowed, double scale,
                  const std::string& unit, double& value, std::string& error) {
    std::string number = text;
    if (number.size() > unit.size() && number.compare(number.size() - unit.size(), unit.size(), unit) == 0) {
        number.resize(number.size() - unit.size());
    }
    const bool decimal = !number.empty() && number.find_first_not_of("0123456789.") == std::string::npos &&
                         number.find('.') == number.rfind('.') && number != ".";
    const double given = decimal ? std::strtod(number.c_str(), nullptr) : -1;
    value = 0;
    std::string values;
    for (const double each : allowed) {
        char word[32];
        std::snprintf(word, sizeof word, " %g", each * scale);
        values += word;
        if (std::fabs(given - each * scale) <= each * scale * 1e-9) value = each;
    }
    if (value > 0) return true;
    error = Format(Tr("%1$s '%2$s' is no colour band's: IEC 60062 has%3$s %4$s"),
                   {option, EscapeBytes(text), values, unit});
    return false;
}

bool CompleteMark(const PartsWords& words, PartsOptions& options, std::string& error) {
    if (words.tolerance_option->count() > 0 &&
        !ReadBandWord("--tolerance", words.tolerance, BandTolerances(), 100, "%", options.bands.tolerance, error)) {
        return false;
    }
    if (words.tempco_option->count() > 0 &&
        !ReadBandWord("--tempco", words.tempco, BandCoefficients(), 1, "ppm/K", options.bands.ppm_per_k, error)) {
        return false;
    }
    // +-20 % is the tolerance band left off, and a 6th band needs a 5th.
    if (options.bands.ppm_per_k > 0 && options.bands.tolerance >= 0.2) {
        // Its % is a per cent sign, not a conversion.
        // xgettext:no-c-format
        error = Tr("--tempco needs a tolerance band, and +-20 % has none");
        return false;
    }
    return ReadValueWord("VALUE", options.code[0], options.value, error);
}

// The options only a job takes, given to another.
bool OnlyFor(const CLI::Option* option, const char* name, bool allowed, const char* job, std::string& error) {
    if (option->count() == 0 || allowed) return true;
    error = Format(Tr("%1$s goes with %2$s"), {name, job});
    return false;
}

bool CompleteDivider(const PartsWords& words, const std::vector<std::string>& rest, PartsOptions& options,
                     std::string& error) {
    if (words.total_option->count() > 0 && !ReadTotal(words.total, options, error)) return false;
    if (words.count_option->count() > 0 && !ReadCountWord(words.count, options.count, error)) return false;
    if (words.ratio_option->count() > 0) {
        if (!rest.empty()) {
            error = Tr("--ratio takes the place of VIN VOUT: give one or the other");
            return false;
        }
        if (!ReadValueWord("--ratio", words.ratio, options.ratio, error)) return false;
    } else {
        if (rest.size() != 2) {
            error = rest.size() < 2 ? Tr("divider takes VIN VOUT (as 12 3.3), or --ratio R")
                                    : Format(Tr("divider takes two values, VIN VOUT; '%1$s' is a third"),
                                             {EscapeBytes(rest[2])});
            return false;
        }
        double vout = 0;
        if (!ReadValueWord("VIN", rest[0], options.vin, error) || !ReadValueWord("VOUT", rest[1], vout, error)) {
            return false;
        }
        options.ratio = vout / options.vin;
    }
    if (!(options.ratio < 1)) {
        error = words.ratio_option->count() > 0 ? Tr("--ratio must be below 1: R2 / (R1 + R2)")
                                                : Tr("VOUT must be below VIN: a divider only divides");
        return false;
    }
    return true;
}

bool Complete(const PartsWords& words, const CLI::App&, PartsOptions& options, std::string& error) {
    const std::vector<std::string>& arguments = words.arguments;
    if (arguments.empty()) {
        error = Tr("no VALUE given (as 4k7), nor divider, code or mark");
        return false;
    }
    const std::string& first = arguments.front();
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    options.job = first == "divider" ? PartsJob::Divider
                  : first == "code"  ? PartsJob::Code
                  : first == "mark"  ? PartsJob::Mark
                                     : PartsJob::Nearest;
    const bool divider = options.job == PartsJob::Divider;
    const bool series_job = divider || options.job == PartsJob::Nearest;
    const bool mark = options.job == PartsJob::Mark;
    if (!OnlyFor(words.series_option, "--series", series_job, Tr("VALUE or divider"), error) ||
        !OnlyFor(words.ratio_option, "--ratio", divider, "divider", error) ||
        !OnlyFor(words.total_option, "--total", divider, "divider", error) ||
        !OnlyFor(words.count_option, "--count", divider, "divider", error) ||
        !OnlyFor(words.tolerance_option, "--tolerance", mark, "mark resistor", error) ||
        !OnlyFor(words.tempco_option, "--tempco", mark, "mark resistor", error)) {
        return false;
    }
    options.series = FindESeries(divider ? "E96" : "E24");
    if (words.series_option->count() > 0 && !ReadSeriesWord("--series", words.series, options.series, error)) {
        return false;
    }
    switch (options.job) {
        case PartsJob::Nearest:
            if (arguments.size() > 1) {
                error = Format(Tr("one VALUE at a time; '%1$s' is a second"), {EscapeBytes(arguments[1])});
                return false;
            }
            return ReadValueWord("VALUE", first, options.value, error);
        case PartsJob::Divider:
            return CompleteDivider(words, rest, options, error);
        case PartsJob::Code:
        case PartsJob::Mark:
            if (rest.size() < 2) {
                error = Format(options.job == PartsJob::Code
                                   ? Tr("%1$s takes KIND (resistor, capacitor or inductor) and CODE")
                                   : Tr("%1$s takes KIND (resistor, capacitor or inductor) and VALUE"),
                               {first});
                return false;
            }
            if (!ReadKind(rest[0], options.kind, error)) return false;
            options.code.assign(rest.begin() + 1, rest.end());
            if (options.job == PartsJob::Mark) {
                if (options.code.size() > 1) {
                    error = Format(Tr("mark takes one VALUE; '%1$s' is a second"), {EscapeBytes(options.code[1])});
                    return false;
                }
                // Only a resistor's marking has colour bands.
                const bool bands = options.kind == PartKind::Resistor;
                return OnlyFor(words.tolerance_option, "--tolerance", bands, "mark resistor", error) &&
                       OnlyFor(words.tempco_option, "--tempco", bands, "mark resistor", error) &&
                       CompleteMark(words, options, error);
            }
            if (options.code.size() > 1 && options.kind != PartKind::Resistor) {
                error = Format(Tr("colour bands are a resistor's; a %1$s code is one word"), {rest[0]});
                return false;
            }
            if (options.code.size() == 2) {
                error = Tr("code takes one CODE, or 3 to 6 colour bands");
                return false;
            }
            return true;
    }
    return true;
}

// ---- The output --------------------------------------------------------

std::string Value(double value) { return PartValueText(value, 4); }

std::string Nearest(const PartsOptions& options) {
    const ESeries& series = *options.series;
    const double target = options.value;
    std::vector<std::vector<std::string>> rows;
    const NearestValues nearest = NearestSeriesValues(series, target);
    if (nearest.below == nearest.above) {
        rows.push_back({"exact", Value(nearest.below), PercentText(0)});
    } else {
        rows.push_back({"below", Value(nearest.below), PercentText((nearest.below - target) / target)});
        rows.push_back({"above", Value(nearest.above), PercentText((nearest.above - target) / target)});
    }
    const PartPair in_series = BestSeriesPair(series, target);
    if (in_series.value > 0) {
        rows.push_back({"series", Value(in_series.a) + " + " + Value(in_series.b), PercentText(in_series.error),
                        "= " + PartValueText(in_series.value, 5)});
    }
    const PartPair in_parallel = BestParallelPair(series, target);
    if (in_parallel.value > 0) {
        rows.push_back({"parallel", Value(in_parallel.a) + " || " + Value(in_parallel.b),
                        PercentText(in_parallel.error), "= " + PartValueText(in_parallel.value, 5)});
    }
    return PartTable(rows);
}

// Five decimals, and five significant digits of the ratio below 0.1 (1e-6
// is no 0.00000) and of R1's share 1 - ratio above 0.9 (0.999999 is no
// 1.00000).
std::string RatioText(double ratio) {
    char text[48];
    if (ratio < 0.1) {
        std::snprintf(text, sizeof text, "%#.5g", ratio);
    } else {
        const int share = static_cast<int>(std::floor(std::log10(1 - ratio)));
        std::snprintf(text, sizeof text, "%.*f", std::min(17, std::max(5, 4 - share)), ratio);
    }
    return text;
}

std::string Divider(const PartsOptions& options) {
    const std::vector<DividerPair> pairs =
        BestDividers(*options.series, options.ratio, options.total_low, options.total_high, options.count);
    if (pairs.empty()) return "";
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"R1", "R2", "ratio"});
    if (options.vin > 0) rows.back().push_back("Vout");
    rows.back().push_back("error");
    for (const DividerPair& pair : pairs) {
        rows.push_back({Value(pair.r1), Value(pair.r2), RatioText(pair.ratio)});
        if (options.vin > 0) rows.back().push_back(PartValueText(options.vin * pair.ratio, 5) + "V");
        rows.back().push_back(PercentText(pair.error));
    }
    return PartTable(rows);
}

std::string ToleranceText(double tolerance) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", tolerance * 100);
    return std::string("+-") + text + " %";
}

// The figures of VALUE as typed, no zeros leading or trailing: "4.70k" and
// "0.0047" give "47". An exponent's digits are none of them.
std::string TypedFigures(const std::string& word) {
    std::string figures;
    for (const char c : word) {
        if (c == 'e' || c == 'E') break;
        if (c >= '0' && c <= '9' && !(figures.empty() && c == '0')) figures += c;
    }
    while (!figures.empty() && figures.back() == '0') figures.pop_back();
    return figures;
}

const char* UnitOf(PartKind kind) {
    return kind == PartKind::Resistor ? "ohm" : kind == PartKind::Capacitor ? "F" : "H";
}

// ---- The run -----------------------------------------------------------

int RunParts(const PartsOptions& options, const CliEnvironment&, std::string& out, std::string& err) {
    switch (options.job) {
        case PartsJob::Nearest:
            out += Nearest(options);
            return kExitReport;
        case PartsJob::Divider: {
            const std::string table = Divider(options);
            if (table.empty()) {
                err += kPrefix +
                       Format(Tr("no pair of %1$s has R1 + R2 from %2$s to %3$s"),
                              {options.series->name, Value(options.total_low), Value(options.total_high)}) +
                       "\n";
                return kExitUsage;
            }
            out += table;
            return kExitReport;
        }
        case PartsJob::Code: {
            // One black band is a jumper, and one word that is a colour a band.
            const bool code = options.code.size() == 1 &&
                              (options.kind != PartKind::Resistor || !IsBandColour(options.code[0]));
            const MarkingRead read = code ? ReadPartCode(options.kind, options.code[0]) : ReadColourBands(options.code);
            if (!read.ok) {
                err += kPrefix + EscapeBytes(read.error) + "\n";
                return kExitUsage;
            }
            // Every figure the marking has, so what mark wrote reads back whole.
            std::string line = ExactPartValueText(read.value) + UnitOf(options.kind) + "  " + read.form;
            if (read.tolerance > 0) line += "  " + ToleranceText(read.tolerance);
            if (read.ppm_per_k > 0) {
                char ppm[32];
                std::snprintf(ppm, sizeof ppm, "%g", read.ppm_per_k);
                line += std::string("  ") + ppm + " ppm/K";
            }
            out += line + "\n";
            return kExitReport;
        }
        case PartsJob::Mark: {
            // The markings carry the value whole; only a value of more
            // figures than a double keeps was rounded, when it was read.
            if (TypedFigures(options.code[0]) != ShortestFigures(options.value).figures) {
                err += kPrefix +
                       Format(Tr("note: VALUE '%1$s' has more figures than are kept (15 to 17); the markings are of "
                                 "%2$s"),
                              {EscapeBytes(options.code[0]), ExactPartValueText(options.value)}) +
                       "\n";
            }
            std::vector<std::vector<std::string>> rows;
            for (const Marking& marking : PartMarkings(options.kind, options.value, options.bands)) {
                rows.push_back({marking.form, marking.text});
            }
            out += PartTable(rows);
            return kExitReport;
        }
    }
    return kExitReport;
}

}  // namespace

const CliCommand kPartsCommand = {"parts", SetupParts, PartsHelpSection, PartsHelp, kPartsUsageHint};
