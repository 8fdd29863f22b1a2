#include "cli/num.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "cli/num_value.h"
#include "cli/subcommand_words.h"
#include "core/hexdump.h"
#include "i18n/translate.h"
#include "workbench/numbers/byte_orders.h"
#include "workbench/numbers/number_types.h"

const char kNumUsageHint[] = "Usage: quobrix num [--type TYPE --order ORDER] HEX...; quobrix num --help tells more";

namespace {

// ---- The options -------------------------------------------------------

struct NumOptions {
    const NumberType* type = nullptr;  // none: the table of every common order
    std::string order;                 // with a type: its letters, upper case
    std::string hex;                   // the HEX words, one blank apart
    bool from_value = false;           // --from: VALUE to bytes
    std::string value;
};

// What the parser fills.
struct NumWords {
    std::vector<std::string> hex;
    std::string type, order, value;
    CLI::Option* type_option = nullptr;
    CLI::Option* order_option = nullptr;
    CLI::Option* from = nullptr;
};

bool Complete(const NumWords& words, const CLI::App& chosen, NumOptions& options, std::string& error);
int RunNum(const NumOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupNum(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kNumSummary, kNumGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<NumWords>();
    given->type_option = sub->add_option("--type", given->type);
    given->order_option = sub->add_option("--order", given->order);
    given->from = sub->add_option("--from", given->value);
    AddAllWords(*sub, "HEX", given->hex);
    return OneSubcommandParse<NumWords, NumOptions>(sub, given, name, Complete, RunNum);
}

namespace {

using i18n::Format;
using i18n::Tr;
using i18n::TrN;

// ---- Judging the command line ------------------------------------------

std::string TypeNames() {
    std::string names;
    for (const NumberType& type : NumberTypes()) names += (names.empty() ? "" : " ") + std::string(type.name);
    return names;
}

std::string Join(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

// "AB or BA"; "ABCD, DCBA, BADC, CDAB, ..." (any other order of the letters too).
std::string CommonOrdersText(int size) {
    const std::vector<std::string> orders = CommonByteOrders(size);
    if (orders.size() == 2) return Format(Tr("%1$s or %2$s"), {orders[0], orders[1]});
    std::string text;
    for (const std::string& order : orders) text += order + ", ";
    return text + "...";
}

bool CompleteTypeAndOrder(const NumWords& words, NumOptions& options, std::string& error) {
    options.type = FindNumberType(words.type);
    if (options.type == nullptr) {
        error = Format(Tr("--type '%1$s' is none of %2$s"), {EscapeBytes(words.type), TypeNames()});
        return false;
    }
    const int size = options.type->size;
    if (words.order_option->count() == 0) {
        error = Format(Tr("--type needs --order, the letters of the byte order (%1$s)"), {CommonOrdersText(size)});
        return false;
    }
    if (words.order.size() != static_cast<std::size_t>(size)) {
        error = Format(Tr("--order '%1$s' has %2$s letters; %3$s takes %4$s bytes, so %4$s letters (%5$s)"),
                       {EscapeBytes(words.order), std::to_string(words.order.size()), words.type,
                        std::to_string(size), CommonOrdersText(size)});
        return false;
    }
    options.order = ByteOrderLetters(words.order, size);
    if (options.order.empty()) {
        error = Format(Tr("--order '%1$s' does not name each byte A to %2$s once: each of those letters goes in "
                          "exactly once"),
                       {EscapeBytes(words.order), std::string(1, static_cast<char>('A' + size - 1))});
        return false;
    }
    return true;
}

bool Complete(const NumWords& words, const CLI::App&, NumOptions& options, std::string& error) {
    options.from_value = words.from->count() > 0;
    options.value = words.value;
    if (words.type_option->count() > 0) {
        if (!CompleteTypeAndOrder(words, options, error)) return false;
    } else if (words.order_option->count() > 0) {
        error = Tr("--order goes with --type (without both, the table shows every common order)");
        return false;
    } else if (options.from_value) {
        error = Tr("--from needs --type and --order");
        return false;
    }
    if (options.from_value && !words.hex.empty()) {
        error = Tr("--from takes VALUE, no HEX");
        return false;
    }
    if (!options.from_value && words.hex.empty()) {
        error = Tr("no HEX given");
        return false;
    }
    options.hex = Join(words.hex);
    return true;
}

// ---- The input ---------------------------------------------------------


// ---- The output --------------------------------------------------------

std::string Count(std::size_t bytes) {
    return Format(TrN("%1$s byte", "%1$s bytes", bytes), {std::to_string(bytes)});
}

// Columns two blanks apart under a header; numbers right-aligned, the last
// column (the float, or text) left-aligned and unpadded.
std::string Table(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right_aligned) {
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string padding(widths[c] - row[c].size(), ' ');
            const bool last = c + 1 == row.size();
            if (c > 0) text += "  ";
            text += right_aligned[c] ? padding + row[c] : row[c] + (last ? "" : padding);
        }
        text += "\n";
    }
    return text;
}

// A row per common order: the order, the number in hex, and the number as
// each type of its size.
std::string NumberTable(const std::vector<unsigned char>& bytes) {
    const int size = static_cast<int>(bytes.size());
    std::vector<bool> right_aligned = {false, false};
    for (const NumberType& type : NumberTypesOfSize(size)) right_aligned.push_back(type.kind != NumberKind::Float);
    return Table(NumberTableRows(bytes), right_aligned);
}

// ---- The run -----------------------------------------------------------

int RunNum(const NumOptions& options, const CliEnvironment&, std::string& out, std::string& err) {
    std::string error;
    if (options.from_value) {
        std::uint64_t value = 0;
        if (!ReadNumberValue(*options.type, options.value, value, error)) {
            err += kPrefix + error + "\n";
            return kExitUsage;
        }
        unsigned char bytes[8];
        BytesFromNumber(value, options.order, bytes);
        out += SpacedHex(bytes, static_cast<std::size_t>(options.type->size)) + "\n";
        return kExitReport;
    }
    std::vector<unsigned char> bytes;
    if (!ReadHexBytes(options.hex, "HEX", bytes, error)) {
        err += kPrefix + EscapeBytes(error) + "\n";
        return kExitUsage;
    }
    if (options.type == nullptr) {
        if (CommonByteOrders(static_cast<int>(bytes.size())).empty()) {
            err += kPrefix +
                   Format(TrN("HEX gives %1$s byte; the table takes 2, 4 or 8",
                              "HEX gives %1$s bytes; the table takes 2, 4 or 8", bytes.size()),
                          {std::to_string(bytes.size())}) +
                   "\n";
            return kExitUsage;
        }
        out += NumberTable(bytes);
        return kExitReport;
    }
    const NumberType& type = *options.type;
    if (bytes.size() != static_cast<std::size_t>(type.size)) {
        err += kPrefix +
               Format(Tr("%1$s takes %2$s; HEX gives %3$s"),
                      {type.name, Count(static_cast<std::size_t>(type.size)), Count(bytes.size())}) +
               "\n";
        return kExitUsage;
    }
    out += NumberText(type, NumberFromBytes(bytes.data(), options.order)) + "\n";
    return kExitReport;
}

}  // namespace

const CliCommand kNumCommand = {"num", SetupNum, NumHelpSection, NumHelp, kNumUsageHint};
