// The tools the command line offers: one per button of the main dialog.
#pragma once

#include <cstddef>
#include <string>

// How a tool's handler reads the input box: into the work buffer as the
// characters' bytes or as hex digits, or as a text of any length.
enum class ToolInput {
    ByFormatOption,  // hex digits when "Hex" is checked, else the characters
    Characters,      // the characters' bytes whatever the format option
    HexDigits,       // hex digits whatever the format option
    Text,            // the text as it is, however long
};

struct CliTool {
    const char* name;     // as typed on the command line
    int button_id;        // the button the tool's command comes from
    ToolInput input;
    const char* summary;  // one line of `quobrix --help`
    bool ends_at_zero_byte = false;  // the report shows bytes as a text, which ends at a zero byte
};

extern const CliTool kCliTools[];
extern const std::size_t kCliToolCount;

// The tool of that name, or nullptr.
const CliTool* FindCliTool(const std::string& name);
