#include "cli/dialog_tools.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>

#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "codepage/gbk_codec.h"
#include "fw/offscreen.h"
#include "res/resource.h"
#include "ui/tool_dlg.h"

namespace {

// ---- The options -------------------------------------------------------

// What the parser fills: the options belong to the top level, so that they
// may stand before TOOL; after it each tool hands what it does not know up
// there (fallthrough).
struct DialogToolsWords {
    std::string text;
    CLI::Option* hex = nullptr;
    CLI::Option* ascii = nullptr;
    CLI::Option* low_first = nullptr;
    CLI::Option* gbk = nullptr;
    struct Named {
        const CLI::App* subcommand;
        const DialogTool* tool;
        CLI::Option* text;
    };
    std::vector<Named> named;  // the tools the command line named
};

bool Complete(const DialogToolsWords& words, const CLI::App& chosen, const std::vector<std::string>& leftover,
              DialogToolOptions& options, std::string& error);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupDialogTools(const char*, CLI::App& app, const std::vector<std::string>& words) {
    const auto given = std::make_shared<DialogToolsWords>();
    given->hex = app.add_flag("--hex")->group(kDialogOptionsGroup)->disable_flag_override();
    given->ascii = app.add_flag("--ascii")->group(kDialogOptionsGroup)->disable_flag_override();
    given->low_first = app.add_flag("--low-first")->group(kDialogOptionsGroup)->disable_flag_override();
    given->gbk = app.add_flag("--gbk")->group(kDialogOptionsGroup)->disable_flag_override();
    CommandParse parse;
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        const DialogTool& tool = kDialogTools[i];
        if (std::find(words.begin(), words.end(), tool.name) == words.end()) continue;
        CLI::App* sub = app.add_subcommand(tool.name, tool.summary);
        sub->group(kDialogToolsGroup)->fallthrough();
        given->named.push_back({sub, &tool, sub->add_option("TEXT", given->text)});
        parse.subcommands.push_back(sub);
    }
    parse.complete = [given](const CLI::App& chosen, const std::vector<std::string>& leftover, CommandRun& run,
                             std::string& error) {
        DialogToolOptions options;
        if (!Complete(*given, chosen, leftover, options, error)) return false;
        run = DialogToolRun{options};
        return true;
    };
    return parse;
}

namespace {

// ---- Judging the command line ------------------------------------------

bool Complete(const DialogToolsWords& words, const CLI::App& chosen, const std::vector<std::string>& leftover,
              DialogToolOptions& options, std::string& error) {
    const auto named = std::find_if(words.named.begin(), words.named.end(),
                                    [&](const DialogToolsWords::Named& entry) { return entry.subcommand == &chosen; });
    options.tool = named->tool;
    options.has_text = named->text->count() > 0;
    options.text = words.text;
    if (!leftover.empty()) {
        const std::string& word = leftover.front();
        error = LooksLikeOption(word) ? UnknownOption(word, chosen) : "too many arguments (quote a TEXT with blanks)";
        return false;
    }
    if (words.hex->count() > 0 && words.ascii->count() > 0) {
        error = "--hex and --ascii exclude each other";
        return false;
    }
    options.format = words.hex->count() > 0     ? InputFormat::Hex
                     : words.ascii->count() > 0 ? InputFormat::Ascii
                                                : InputFormat::AsDialogOpens;
    options.low_first = words.low_first->count() > 0;
    options.raw_gbk = words.gbk->count() > 0;
    return true;
}

// ---- The input ---------------------------------------------------------

// UTF-8 spends at most this many bytes on a character, GBK at least one.
constexpr std::size_t kUtf8BytesPerCharacterAtMost = 4;

// How many bytes of input to read at most. An input that fills this is too
// long for the path: on the character path one GBK byte more than the work
// buffer holds, on the others more than kLongInputLimit.
constexpr std::size_t InputReadLimit(InputPath path, bool input_is_gbk) {
    constexpr std::size_t past_buffer = WORK_BUFFER_SIZE + 1;
    if (path != InputPath::Characters) return kLongInputLimit + 1;
    return input_is_gbk ? past_buffer : kUtf8BytesPerCharacterAtMost * past_buffer;
}

const std::string kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The input as the dialog's GBK text; false when it cannot be one. A UTF-8
// byte-order mark at the start is dropped, as editors do. `was_cut`: the
// input filled its read limit, so a character cut short at its end is no
// fault of the input.
bool InputToGbk(const std::string& input, bool input_is_gbk, bool was_cut, std::string& gbk, std::string& error) {
    const std::size_t nul = input.find('\0');
    if (nul != std::string::npos) {
        error = "the input holds a NUL byte at byte offset " + std::to_string(nul) + "; the input box cannot hold one";
        return false;
    }
    if (input_is_gbk) {
        gbk = input;
        return true;
    }
    const bool marked = input.compare(0, kUtf8ByteOrderMark.size(), kUtf8ByteOrderMark) == 0;
    const std::size_t start = marked ? kUtf8ByteOrderMark.size() : 0;
    std::size_t offset = 0;
    const Utf8ToGbkResult result = marked ? Utf8ToGbk(input.substr(start), gbk, offset) : Utf8ToGbk(input, gbk, offset);
    offset += start;  // offsets count the bytes as given
    switch (result) {
        case Utf8ToGbkResult::Ok:
            return true;
        case Utf8ToGbkResult::InvalidUtf8:
            // A sequence that starts too near the end to be whole was cut by
            // the read limit; `gbk` holds the text before it.
            if (was_cut && offset + kUtf8BytesPerCharacterAtMost > input.size()) return true;
            error = "the input is not valid UTF-8 at byte offset " + std::to_string(offset) +
                    " (use --gbk for GBK bytes)";
            return false;
        case Utf8ToGbkResult::NotRepresentable:
            error = "the character at byte offset " + std::to_string(offset) +
                    " of the input has no GBK (code page 936) form";
            return false;
    }
    return false;
}

// ---- The output --------------------------------------------------------

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

InputPath PathOf(const DialogTool& tool, InputFormat format) {
    if (!tool.mode) return InputPath::Text;
    switch (*tool.mode) {
        case BY_FORMAT_OPTION:
            return format == InputFormat::Hex ? InputPath::HexDigits : InputPath::Characters;
        case AS_ASCII:
            return InputPath::Characters;
        case AS_HEX:
            return InputPath::HexDigits;
    }
    return InputPath::Text;
}

// ---- The dialog --------------------------------------------------------

ToolRun RunToolInDialog(const DialogToolOptions& options, const std::string& gbk_input) {
    namespace offscreen = fw::offscreen;
    ToolRun run;
    CToolDlg dialog;
    if (!offscreen::CreateDialogWindow(dialog)) return run;
    run.dialog_created = true;
    offscreen::TakeMessageBoxes();  // only the tool's own boxes are reported

    offscreen::SetText(dialog, IDC_EDIT_INPUT, gbk_input);
    if (options.format == InputFormat::Hex) offscreen::Click(dialog, IDC_RADIO_HEX);
    if (options.format == InputFormat::Ascii) offscreen::Click(dialog, IDC_RADIO_ASCII);
    if (options.low_first) offscreen::Click(dialog, IDC_CHECK_LOWFIRST);
    offscreen::Click(dialog, options.tool->button_id);

    for (const offscreen::MessageBoxRecord& box : offscreen::TakeMessageBoxes()) {
        run.messages.push_back(box.text);
    }
    run.output = offscreen::GetText(dialog, IDC_EDIT_OUTPUT);
    offscreen::DestroyDialogWindow(dialog);
    return run;
}

// ---- The run -----------------------------------------------------------

int DialogToolRun::operator()(const CliEnvironment& env, std::string& out, std::string& err) const {
    const bool input_is_gbk = options.raw_gbk && !(options.has_text && env.arguments_are_unicode);
    const InputPath path = PathOf(*options.tool, options.format);
    const std::size_t limit = InputReadLimit(path, input_is_gbk);
    std::string input, error;
    if (options.has_text) {
        input = options.text.substr(0, limit);
    } else if (!env.read_stdin(limit, input, error)) {
        err += kPrefix + "cannot read standard input: " + error + "\n";
        return kExitUsage;
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
        run.messages.assign(std::begin(kInputTooLongMessages), std::end(kInputTooLongMessages));
    } else {
        std::string gbk_input;
        if (!InputToGbk(input, input_is_gbk, filled, gbk_input, error)) {
            err += kPrefix + error + "\n";
            return kExitUsage;
        }
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

const CliCommand kDialogToolsCommand = {"TOOL", SetupDialogTools, DialogToolsHelpSection, DialogToolHelp, nullptr};
