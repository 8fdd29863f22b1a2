// The command line: quobrix TOOL [--hex | --ascii] [--low-first] [--gbk] [TEXT]
#pragma once

#include <string>
#include <vector>

#include "cli/tool_table.h"

enum class InputFormat {
    AsDialogOpens,  // "Ascii", the dialog's initial choice
    Hex,
    Ascii,
};

struct CliOptions {
    const CliTool* tool = nullptr;
    InputFormat format = InputFormat::AsDialogOpens;
    bool low_first = false;
    bool raw_gbk = false;
    bool has_text = false;  // without TEXT the input comes from standard input
    std::string text;
};

enum class ParseOutcome {
    Run,         // options are complete
    Help,        // --help: print the usage on standard output
    Version,     // --version
    UsageError,  // `error` says what is wrong
};

struct ParseResult {
    ParseOutcome outcome = ParseOutcome::UsageError;
    CliOptions options;
    std::string error;
};

// `args` without the program name. Options may stand before or after TOOL;
// "--" ends the options, so a TEXT may start with "-".
ParseResult ParseCommandLine(const std::vector<std::string>& args);

// The usage text, lines ending in "\n".
std::string UsageText();
