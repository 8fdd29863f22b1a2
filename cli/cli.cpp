#include "cli/cli.h"

#include <cstddef>

#include "cli/options.h"
#include "cli/run_tool.h"
#include "core/gbk_codec.h"

namespace {

const std::string kPrefix = "quobrix: ";

bool EndsInLineBreak(const std::string& text) {
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// The input as the dialog's GBK text; false (and `err` says why) when it
// cannot be one.
bool InputToGbk(const std::string& input, bool input_is_gbk, std::string& gbk, std::string& err) {
    const std::size_t nul = input.find('\0');
    if (nul != std::string::npos) {
        err += kPrefix + "the input holds a NUL byte at byte offset " + std::to_string(nul) +
               "; the input box cannot hold one\n";
        return false;
    }
    if (input_is_gbk) {
        gbk = input;
        return true;
    }
    std::size_t offset = 0;
    switch (Utf8ToGbk(input, gbk, offset)) {
        case Utf8ToGbkResult::Ok:
            return true;
        case Utf8ToGbkResult::InvalidUtf8:
            err += kPrefix + "the input is not valid UTF-8 at byte offset " + std::to_string(offset) +
                   " (use --gbk for GBK bytes)\n";
            return false;
        case Utf8ToGbkResult::NotRepresentable:
            err += kPrefix + "the character at byte offset " + std::to_string(offset) +
                   " of the input has no GBK (code page 936) form\n";
            return false;
    }
    return false;
}

// A text of the dialog as the user's text: UTF-8, unless --gbk.
std::string OutputText(const std::string& gbk, bool raw_gbk, std::size_t& replaced) {
    if (raw_gbk) return gbk;
    std::string utf8;
    replaced += GbkToUtf8(gbk, utf8);
    return utf8;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::string& out,
           std::string& err) {
    const ParseResult parsed = ParseCommandLine(args);
    switch (parsed.outcome) {
        case ParseOutcome::Help:
            out += UsageText();
            return kExitReport;
        case ParseOutcome::Version:
            out += "quobrix " QUOBRIX_VERSION "\n";
            return kExitReport;
        case ParseOutcome::UsageError:
            err += kPrefix + parsed.error + "\n" + UsageText();
            return kExitUsage;
        case ParseOutcome::Run:
            break;
    }
    const CliOptions& options = parsed.options;

    const std::string input = options.has_text ? options.text : env.read_stdin();
    const bool input_is_gbk = options.raw_gbk && !(options.has_text && env.arguments_are_unicode);
    std::string gbk_input;
    if (!InputToGbk(input, input_is_gbk, gbk_input, err)) return kExitUsage;

    const ToolRun run = RunToolInDialog(options, gbk_input);
    if (!run.dialog_created) {
        err += kPrefix + "the dialog could not be created\n";
        return kExitUsage;
    }

    std::size_t replaced = 0;
    int code = kExitReport;
    if (!run.messages.empty()) {
        for (const std::string& message : run.messages) {
            err += kPrefix + OutputText(message, options.raw_gbk, replaced) + "\n";
        }
        code = kExitMessageBox;
    } else {
        out += OutputText(run.output, options.raw_gbk, replaced);
        if (env.stdout_is_terminal && !EndsInLineBreak(out)) out += "\n";
    }
    if (replaced != 0) {
        err += kPrefix + "warning: " + std::to_string(replaced) +
               " byte(s) of the result are not GBK text and were shown as U+FFFD; "
               "use --gbk for the bytes\n";
    }
    return code;
}
