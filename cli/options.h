// The options of the dialog's tools:
// quobrix TOOL [--hex | --ascii] [--low-first] [--gbk] [--] [TEXT]
#pragma once

#include <string>

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
