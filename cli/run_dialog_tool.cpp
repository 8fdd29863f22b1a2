#include "cli/run_dialog_tool.h"

#include <cstddef>
#include <vector>

#include "cli/input.h"
#include "cli/messages.h"
#include "cli/run_tool.h"
#include "codepage/gbk_codec.h"
#include "core/texts.h"

namespace {

bool EndsInLineBreak(const std::string& text) {
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// A text of the dialog as the user's text: UTF-8, unless --gbk.
std::string OutputText(const std::string& gbk, bool raw_gbk, std::size_t& replaced) {
    if (raw_gbk) return gbk;
    std::string utf8;
    replaced += GbkToUtf8(gbk, utf8);
    return utf8;
}

// Where the hex digits of `gbk_input` give their first zero byte, if they do.
bool FindZeroByte(const std::string& gbk_input, std::size_t& offset) {
    std::vector<unsigned char> bytes(WORK_BUFFER_SIZE);
    const int count = HexTextToBytes(gbk_input.data(), static_cast<int>(gbk_input.size()), bytes.data(),
                                     WORK_BUFFER_SIZE);
    for (int i = 0; i < count; ++i) {
        if (bytes[static_cast<std::size_t>(i)] == 0) {
            offset = static_cast<std::size_t>(i);
            return true;
        }
    }
    return false;
}

}  // namespace

int RunDialogTool(const CliOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    const bool input_is_gbk = options.raw_gbk && !(options.has_text && env.arguments_are_unicode);
    const InputPath path = PathOf(*options.tool, options.format);
    const std::size_t limit = InputReadLimit(path, input_is_gbk);
    std::string input;
    if (options.has_text) {
        input = options.text.substr(0, limit);
    } else {
        StdinRead read = env.read_stdin(limit);
        if (!read.error.empty()) {
            err += kPrefix + "cannot read standard input: " + read.error + "\n";
            return kExitUsage;
        }
        input = std::move(read.bytes);
    }
    const bool filled = input.size() >= limit;
    if (filled && path == InputPath::Text) {
        constexpr int kMebibyteBits = 20;
        err += kPrefix + "the input is longer than " + std::to_string(kLongInputLimit) + " bytes (" +
               std::to_string(kLongInputLimit >> kMebibyteBits) + " MiB), more than the command line takes\n";
        return kExitUsage;
    }

    ToolRun run;
    if (filled && path == InputPath::HexDigits) {
        // Far more than the input box holds: too many characters, as the
        // dialog says for a text past its buffer.
        run.dialog_created = true;
        run.messages = {texts::kTooManyCharacters, texts::kDecodeFailed};
    } else {
        std::string gbk_input;
        if (!InputToGbk(input, input_is_gbk, filled, gbk_input, err)) return kExitUsage;
        input.clear();
        input.shrink_to_fit();
        run = RunToolInDialog(options, gbk_input);
        std::size_t zero = 0;
        if (run.dialog_created && run.messages.empty() && options.tool->ends_at_zero_byte &&
            FindZeroByte(gbk_input, zero)) {
            err += kPrefix + "warning: the text ends at the zero byte at byte offset " + std::to_string(zero) +
                   " of the bytes, as in the dialog\n";
        }
    }
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
