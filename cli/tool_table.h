// The tools the command line offers: one per button of the main dialog.
#pragma once

#include <cstddef>
#include <string>

struct CliTool {
    const char* name;  // as typed on the command line
    int button_id;     // the button the tool's command comes from
};

extern const CliTool kCliTools[];
extern const std::size_t kCliToolCount;

// The tool of that name, or nullptr.
const CliTool* FindCliTool(const std::string& name);
