#include "cli/frame_command.h"

#include <CLI/CLI.hpp>

#include "cli/subcommand_words.h"
#include "cli/frame_help.h"
#include "cli/messages.h"
#include "cli/run_frame.h"

namespace {
const char kCommandName[] = "frame";
}  // namespace

void FrameCommand::Register(CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, kCommandName, kFrameSummary, kFrameGroup);
    if (sub == nullptr) return;
    subcommand_ = sub;
    order_option_ = sub->add_option("--order", order_);
    head_option_ = sub->add_option("--head", head_);
    tail_option_ = sub->add_option("--tail", tail_);
    verify_option_ = sub->add_flag("--verify")->disable_flag_override();
    AddAllWords(*sub, "ARGS", arguments_);
}

bool FrameCommand::Owns(const CLI::App& chosen) const { return &chosen == subcommand_; }

std::string FrameCommand::Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) {
    const std::string stray = StrayWordsError(chosen, leftover, kCommandName);
    if (!stray.empty()) return stray;
    if (order_option_->count() > 0) {
        if (order_ != "be" && order_ != "le") return "--order takes be or le, not '" + EscapeBytes(order_) + "'";
        options_.order = order_ == "be" ? CheckOrder::kBigEndian : CheckOrder::kLittleEndian;
    }
    if (head_option_->count() > 0) options_.head = head_;
    if (tail_option_->count() > 0) options_.tail = tail_;
    options_.verify = verify_option_->count() > 0;
    if (arguments_.empty()) return "no CHECK given (a name as quobrix find prints it, or a CRC parameter line)";
    if (arguments_.size() == 1) return options_.verify ? "no FRAME given to verify" : "no DATA given";
    options_.check = arguments_.front();
    for (std::size_t i = 1; i < arguments_.size(); ++i) {
        if (i > 1) options_.data += ' ';
        options_.data += arguments_[i];
    }
    return "";
}

std::string FrameCommand::UsageHint() const {
    return "Usage: quobrix frame CHECK [--order be|le] [--head HEX] [--tail HEX] [--verify] DATA...; "
           "quobrix frame --help tells more";
}

std::string FrameCommand::HelpSection() const { return FrameHelpSection(); }

std::string FrameCommand::Help(const CLI::App&) const { return FrameHelp(); }

int FrameCommand::Run(const CliEnvironment& env, std::string& out, std::string& err) {
    return RunFrame(options_, env, out, err);
}
