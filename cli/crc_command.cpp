#include "cli/crc_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/crc_help.h"
#include "cli/messages.h"
#include "cli/run_crc.h"
#include "cli/subcommand_words.h"
#include "workbench/crc/model_text.h"

namespace {

const char kCommandName[] = "crc";

// A width in decimal; anything that is no number of bits at all is an error
// here, one outside the widths CheckCrcParams judges.
std::string ReadWidth(const std::string& word, int& width) {
    if (ParseCrcWidth(word, width)) return "";
    return "--width '" + EscapeBytes(word) + "' is no number of bits (decimal, " + std::to_string(kCrcMinWidth) +
           " to " + std::to_string(kCrcMaxWidth) + ")";
}

// true or false, as the catalogue's lines write refin and refout.
std::string ReadTruth(const CLI::Option& option, const std::string& word, bool& value) {
    if (option.count() == 0) return "";
    if (word == "true" || word == "false") {
        value = word == "true";
        return "";
    }
    return option.get_name() + " takes true or false, not '" + EscapeBytes(word) + "'";
}

std::string ReadHex(const CLI::Option& option, const std::string& word, Uint128& value) {
    if (option.count() == 0) return "";
    if (ParseCrcHexNumber(word, value)) return "";
    return option.get_name() + " '" + EscapeBytes(word) + "' is no hex number";
}

}  // namespace

void CrcCommand::Register(CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, kCommandName, kCrcSummary, kCrcGroup);
    if (sub == nullptr) return;
    subcommand_ = sub;
    list_option_ = sub->add_flag("--list")->disable_flag_override();
    text_option_ = sub->add_option("--text", text_);
    hex_option_ = sub->add_option("--hex", hex_);
    gbk_option_ = sub->add_flag("--gbk")->disable_flag_override();
    bytes_option_ = sub->add_option("--bytes", bytes_);
    emit_option_ = sub->add_option("--emit", emit_);
    width_option_ = sub->add_option("--width", width_);
    poly_option_ = sub->add_option("--poly", poly_);
    init_option_ = sub->add_option("--init", init_);
    refin_option_ = sub->add_option("--refin", refin_);
    refout_option_ = sub->add_option("--refout", refout_);
    xorout_option_ = sub->add_option("--xorout", xorout_);
    AddAllWords(*sub, "ARGS", arguments_);
}

bool CrcCommand::Owns(const CLI::App& chosen) const { return &chosen == subcommand_; }

// Parameters of the user's own: width and poly are needed, init and xorout
// are 0 and refout follows refin unless given.
std::string CrcCommand::CompleteParameters() {
    options_.own_parameters = true;
    CrcParams& params = options_.params;
    if (width_option_->count() == 0 || poly_option_->count() == 0) {
        return "parameters of your own need --width and --poly";
    }
    std::string error = ReadWidth(width_, params.width);
    if (error.empty()) error = ReadHex(*poly_option_, poly_, params.poly);
    if (error.empty()) error = ReadHex(*init_option_, init_, params.init);
    if (error.empty()) error = ReadHex(*xorout_option_, xorout_, params.xorout);
    if (error.empty()) error = ReadTruth(*refin_option_, refin_, params.refin);
    params.refout = params.refin;
    if (error.empty()) error = ReadTruth(*refout_option_, refout_, params.refout);
    if (!error.empty()) return error;
    return CheckCrcParams(params, error) ? "" : "invalid parameters: " + error;
}

std::string CrcCommand::CompleteInput() {
    const bool text = text_option_->count() > 0, hex = hex_option_->count() > 0;
    if (text && hex) return "--text and --hex exclude each other";
    if (gbk_option_->count() > 0 && !text) return "--gbk goes with --text";
    if ((text || hex) && !options_.files.empty()) return "--text and --hex take no FILE";
    if (options_.emit_c && (text || hex || !options_.files.empty() || bytes_option_->count() > 0)) {
        return "--emit c takes no input and no --bytes";
    }
    options_.text_to_gbk = gbk_option_->count() > 0;
    if (text) {
        options_.input = CrcInputKind::Text;
        options_.text = text_;
    } else if (hex) {
        options_.input = CrcInputKind::HexDigits;
        options_.text = hex_;
    } else if (!options_.files.empty()) {
        options_.input = CrcInputKind::Files;
    }
    return "";
}

std::string CrcCommand::Complete(const CLI::App& chosen, const std::vector<std::string>& leftover) {
    const std::string stray = StrayWordsError(chosen, leftover, kCommandName);
    if (!stray.empty()) return stray;
    options_.list = list_option_->count() > 0;
    if (options_.list) {
        const std::vector<const CLI::Option*> given =
            chosen.get_options([](const CLI::Option* option) { return option->count() > 0; });
        const bool alone = given.size() == 1;
        return alone ? "" : "--list stands alone";
    }
    if (bytes_option_->count() > 0) {
        if (bytes_ != "be" && bytes_ != "le") return "--bytes takes be or le, not '" + EscapeBytes(bytes_) + "'";
        options_.notation = bytes_ == "be" ? CrcNotation::BytesHighFirst : CrcNotation::BytesLowFirst;
    }
    if (emit_option_->count() > 0) {
        if (emit_ != "c") return "--emit takes c, not '" + EscapeBytes(emit_) + "'";
        options_.emit_c = true;
    }
    const CLI::Option* parameters[] = {width_option_,  poly_option_,   init_option_,
                                       refin_option_, refout_option_, xorout_option_};
    const bool own = std::any_of(std::begin(parameters), std::end(parameters),
                                 [](const CLI::Option* option) { return option->count() > 0; });
    if (own) {
        const std::string error = CompleteParameters();
        if (!error.empty()) return error;
        options_.files = arguments_;
    } else if (arguments_.empty()) {
        return "no MODEL given (quobrix crc --list shows the catalogue)";
    } else {
        options_.model = arguments_.front();
        options_.files.assign(arguments_.begin() + 1, arguments_.end());
    }
    return CompleteInput();
}

std::string CrcCommand::UsageHint() const { return "Usage: quobrix crc MODEL [FILE...]; quobrix crc --help tells more"; }

std::string CrcCommand::HelpSection() const { return CrcHelpSection(); }

std::string CrcCommand::Help(const CLI::App&) const { return CrcHelp(); }

int CrcCommand::Run(const CliEnvironment& env, std::string& out, std::string& err) {
    return RunCrc(options_, env, out, err);
}
