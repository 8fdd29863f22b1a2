#include "cli/frame.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>

#include "cli/find_report.h"
#include "cli/frame_check.h"
#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "core/hexdump.h"
#include "core/string_format.h"
#include "i18n/translate.h"
#include "workbench/frames/frame_build.h"

const char kFrameUsageHint[] =
    "Usage: quobrix frame CHECK [--order be|le] [--head HEX] [--tail HEX] [--verify] DATA...; "
    "quobrix frame --help tells more";

namespace {

// ---- The options -------------------------------------------------------

// The options are the request the window's frame page makes too.
using FrameOptions = FrameRequest;

// What the parser fills.
struct FrameWords {
    std::vector<std::string> arguments;  // CHECK and DATA
    std::string order, head, tail, text;
    CLI::Option* order_option = nullptr;
    CLI::Option* head_option = nullptr;
    CLI::Option* tail_option = nullptr;
    CLI::Option* verify = nullptr;
    CLI::Option* text_option = nullptr;
};

bool Complete(const FrameWords& words, const CLI::App& chosen, FrameOptions& options, std::string& error);
int RunFrame(const FrameOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupFrame(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kFrameSummary, kFrameGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<FrameWords>();
    given->order_option = sub->add_option("--order", given->order);
    given->head_option = sub->add_option("--head", given->head);
    given->tail_option = sub->add_option("--tail", given->tail);
    given->verify = sub->add_flag("--verify")->disable_flag_override();
    given->text_option = sub->add_option("--text", given->text);
    AddAllWords(*sub, "ARGS", given->arguments);
    return OneSubcommandParse<FrameWords, FrameOptions>(sub, given, name, Complete, RunFrame);
}

namespace {

using i18n::Format;
using i18n::Tr;

// ---- Judging the command line ------------------------------------------

// --text WORDS LINE: the line is one argument, as the shell quotes it.
bool CompleteText(const FrameWords& words, FrameOptions& options, std::string& error) {
    for (const CLI::Option* option : {words.order_option, words.head_option, words.tail_option}) {
        if (option->count() > 0) {
            error = Format(Tr("--text takes no %1$s: its words say where the check is"), {option->get_name()});
            return false;
        }
    }
    options.text = words.text;
    options.verify = words.verify->count() > 0;
    if (words.arguments.size() != 1) {
        error = words.arguments.empty() ? std::string(Tr("no LINE given"))
                                        : Format(Tr("--text takes one LINE, not %1$s words: quote it"),
                                                 {std::to_string(words.arguments.size())});
        return false;
    }
    return UnescapeTextLine(words.arguments.front(), "LINE", options.data, error);
}

bool Complete(const FrameWords& words, const CLI::App&, FrameOptions& options, std::string& error) {
    if (words.text_option->count() > 0) return CompleteText(words, options, error);
    if (words.order_option->count() > 0) {
        if (words.order == "-") {
            options.one_byte_order = true;
        } else if (words.order == "be" || words.order == "le") {
            options.order = words.order == "be" ? CheckOrder::kBigEndian : CheckOrder::kLittleEndian;
        } else {
            error = Format(Tr("--order takes be or le (- for a one-byte check), not '%1$s'"), {EscapeBytes(words.order)});
            return false;
        }
    }
    if (words.head_option->count() > 0) options.head = words.head;
    if (words.tail_option->count() > 0) options.tail = words.tail;
    options.verify = words.verify->count() > 0;
    const std::vector<std::string>& arguments = words.arguments;
    if (arguments.empty()) {
        error = Tr("no CHECK given (a name as quobrix find prints it, or a CRC parameter line)");
        return false;
    }
    if (arguments.size() == 1) {
        error = options.verify ? Tr("no FRAME given to verify") : Tr("no DATA given");
        return false;
    }
    options.check = arguments.front();
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (i > 1) options.data += ' ';
        options.data += arguments[i];
    }
    return true;
}

// ---- The run -----------------------------------------------------------

int RunFrame(const FrameOptions& options, const CliEnvironment&, std::string& out, std::string& err) {
    return RunFrameRequest(options, out, err);
}

}  // namespace

const CliCommand kFrameCommand = {"frame", SetupFrame, FrameHelpSection, FrameHelp, kFrameUsageHint};
