// Runs one tool the way a user would: type the input into the main dialog,
// set the options, click the tool's button and read what the dialog shows.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

struct ToolRun {
    bool dialog_created = false;
    std::string output;                 // the output box's text, GBK bytes
    std::vector<std::string> messages;  // message box texts in order, GBK bytes
};

// `gbk_input` holds no NUL byte: the input box cannot hold one.
ToolRun RunToolInDialog(const CliOptions& options, const std::string& gbk_input);
