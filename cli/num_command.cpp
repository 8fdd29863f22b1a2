#include "cli/num_command.h"

#include <CLI/CLI.hpp>

#include "cli/messages.h"
#include "cli/num_help.h"
#include "cli/run_num.h"
#include "cli/subcommand_words.h"
#include "workbench/numbers/byte_orders.h"

namespace {

const char kCommandName[] = "num";

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
    if (orders.size() == 2) return orders[0] + " or " + orders[1];
    std::string text;
    for (const std::string& order : orders) text += order + ", ";
    return text + "...";
}

}  // namespace

void NumCommand::Register(CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, kCommandName, kNumSummary, kNumGroup);
    if (sub == nullptr) return;
    subcommand_ = sub;
    type_option_ = sub->add_option("--type", type_);
    order_option_ = sub->add_option("--order", order_);
    from_option_ = sub->add_option("--from", options_.value);
    AddAllWords(*sub, "HEX", hex_words_);
}

bool NumCommand::Owns(const CLI::App& chosen) const { return &chosen == subcommand_; }

std::string NumCommand::CompleteTypeAndOrder() {
    options_.type = FindNumberType(type_);
    if (options_.type == nullptr) {
        return "--type '" + EscapeBytes(type_) + "' is none of " + TypeNames();
    }
    const int size = options_.type->size;
    if (order_option_->count() == 0) {
        return "--type needs --order, the letters of the byte order (" + CommonOrdersText(size) + ")";
    }
    const std::string letter_range = std::string("A to ") + static_cast<char>('A' + size - 1);
    if (order_.size() != static_cast<std::size_t>(size)) {
        return "--order '" + EscapeBytes(order_) + "' has " + std::to_string(order_.size()) + " letters; " +
               type_ + " takes " + std::to_string(size) + " bytes, so " + std::to_string(size) + " letters (" +
               CommonOrdersText(size) + ")";
    }
    options_.order = ByteOrderLetters(order_, size);
    if (options_.order.empty()) {
        return "--order '" + EscapeBytes(order_) + "' does not name each byte " + letter_range +
               " once: each of those letters goes in exactly once";
    }
    return "";
}

std::string NumCommand::Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) {
    const std::string stray = StrayWordsError(chosen, leftover, kCommandName);
    if (!stray.empty()) return stray;
    options_.from_value = from_option_->count() > 0;
    if (type_option_->count() > 0) {
        const std::string error = CompleteTypeAndOrder();
        if (!error.empty()) return error;
    } else if (order_option_->count() > 0) {
        return "--order goes with --type (without both, the table shows every common order)";
    } else if (options_.from_value) {
        return "--from needs --type and --order";
    }
    if (options_.from_value && !hex_words_.empty()) return "--from takes VALUE, no HEX";
    if (!options_.from_value && hex_words_.empty()) return "no HEX given";
    options_.hex = Join(hex_words_);
    return "";
}

std::string NumCommand::UsageHint() const {
    return "Usage: quobrix num [--type TYPE --order ORDER] HEX...; quobrix num --help tells more";
}

std::string NumCommand::HelpSection() const { return NumHelpSection(); }

std::string NumCommand::Help(const CLI::App&) const { return NumHelp(); }

int NumCommand::Run(const CliEnvironment&, std::string& out, std::string& err) { return RunNum(options_, out, err); }
