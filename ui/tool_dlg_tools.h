// The main dialog's tools as rows, one per enabled tool button, for a front
// end that presses the buttons for its user (the command line), and the
// texts the dialog shows when an input does not fit.
#pragma once

#include <cstddef>
#include <optional>

#include "core/decode.h"

struct DialogTool {
    const char* name;  // one word, the tool's name on the command line
    int button_id;     // the button whose handler runs the tool
    // How the handler decodes the input box into the work buffer; none for a
    // text tool, which reads the box as a text of any length.
    std::optional<DecodeMode> mode;
    const char* summary;             // what the tool shows, in one line
    bool ends_at_zero_byte = false;  // the report shows the bytes as a text, which ends at a zero byte
};

// In the order of the command line's help.
extern const DialogTool kDialogTools[];
extern const std::size_t kDialogToolCount;

// The message boxes a tool that decodes shows, in order, when the input does
// not fit the work buffer: DecodeInput's, then DecodeForTool's.
extern const char* const kInputTooLongMessages[2];
