// quobrix TOOL: the dialog's tools, one subcommand per button, sharing one
// set of options: quobrix TOOL [--hex | --ascii] [--low-first] [--gbk] [--] [TEXT].
// A tool runs the way a user runs it: the input typed into the main dialog,
// the options set, the button clicked, and what the dialog shows read back.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "ui/tool_dlg_tools.h"

// Its row of the command table.
CommandParse SetupDialogTools(const char* name, CLI::App& app, const std::vector<std::string>& words);
std::string DialogToolsHelpSection();
std::string DialogToolHelp(const std::string& subcommand);

// The tools in the order of the help, as JSON for the page's list to choose
// from: [{"name":"sum8","summary":"8-bit additive checksum","button":"8位校验和"},
// ...], each button's caption the dialog's own, in UTF-8.
std::string DialogToolsJson();

// The groups of `quobrix --help` that the dialog's tools and options fill.
extern const char kDialogToolsGroup[];
extern const char kDialogOptionsGroup[];

enum class InputFormat {
    AsDialogOpens,  // "Ascii", the dialog's initial choice
    Hex,
    Ascii,
};

struct DialogToolOptions {
    const DialogTool* tool = nullptr;
    InputFormat format = InputFormat::AsDialogOpens;
    bool low_first = false;
    bool raw_gbk = false;
    bool has_text = false;  // without TEXT the input comes from standard input
    std::string text;
};

// The run of a dialog tool whose command line is complete.
struct DialogToolRun {
    DialogToolOptions options;
    int operator()(const CliEnvironment& env, std::string& out, std::string& err) const;
};

// How the tool's handler reads the input box, given the format option.
enum class InputPath {
    Characters,  // into the work buffer as they are: at most WORK_BUFFER_SIZE bytes
    HexDigits,   // decoded into the work buffer
    Text,        // as a text of any length
};

InputPath PathOf(const DialogTool& tool, InputFormat format);

// The most the command line takes on the hex and text paths: far beyond the
// input box, whose hex text for a full work buffer (20480 "0xFF, ") is 120 KiB.
constexpr std::size_t kLongInputLimit = std::size_t{4} << 20;

struct ToolRun {
    bool dialog_created = false;
    std::string output;                 // the output box's text, GBK bytes
    std::vector<std::string> messages;  // message box texts in order, GBK bytes
};

// The dialog run on `gbk_input`, which holds no NUL byte: the input box
// cannot hold one.
ToolRun RunToolInDialog(const DialogToolOptions& options, const std::string& gbk_input);
