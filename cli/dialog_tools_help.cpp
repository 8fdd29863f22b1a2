#include "cli/dialog_tools_help.h"

#include <cstddef>

#include "cli/input.h"

const char kDialogToolsGroup[] = "The dialog's tools";
const char kDialogOptionsGroup[] = "Options of the dialog's tools";

namespace {

constexpr std::size_t kNameColumn = 13;  // the summaries start here, past the longest name
constexpr std::size_t kListWidth = 72;   // the tool names of a tool's help wrap here

const char kUsage[] = "Usage: quobrix TOOL [--hex | --ascii] [--low-first] [--gbk] [--] [TEXT]\n";

const char kOptions[] =
    "  --hex        read the input as hex digits\n"
    "  --ascii      take the input's characters as they are (the default)\n"
    "  --low-first  low byte first (the byte order of the float tools)\n"
    "  --gbk        input and output are GBK bytes, not UTF-8\n"
    "  --           end of options: a TEXT that starts with - follows\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix hex2ascii '51 75 6F 62 72 69 78'\n"
    "  Quobrix\n"
    "  $ quobrix reverse stressed\n"
    "  desserts\n";

std::string Padded(const char* name) {
    std::string line = std::string("  ") + name;
    return line + std::string(kNameColumn - line.size(), ' ');
}

// The tools' names in lines of at most kListWidth columns.
std::string ToolNames() {
    std::string list, line = " ";
    for (std::size_t i = 0; i < kCliToolCount; ++i) {
        const std::string name = kCliTools[i].name;
        if (line.size() + 1 + name.size() > kListWidth) {
            list += line + "\n";
            line = " ";
        }
        line += " " + name;
    }
    return list + line + "\n";
}

std::string InputText(ToolInput input) {
    const std::string buffer = "; at most " + std::to_string(WORK_BUFFER_SIZE) + " bytes.\n";
    switch (input) {
        case ToolInput::ByFormatOption:
            return "Input: the characters' bytes, or hex digits with --hex" + buffer;
        case ToolInput::Characters:
            return "Input: the characters' bytes, with --hex too" + buffer;
        case ToolInput::HexDigits:
            return "Input: hex digits, with --ascii too" + buffer;
        case ToolInput::Text:
            return "Input: the text as it is, up to " + std::to_string(kLongInputLimit) + " bytes.\n";
    }
    return "";
}

}  // namespace

std::string DialogToolsHelpSection() {
    std::string text = std::string(kDialogToolsGroup) + ":\n";
    for (std::size_t i = 0; i < kCliToolCount; ++i) {
        text += Padded(kCliTools[i].name) + kCliTools[i].summary + "\n";
    }
    return text + "\n" + kDialogOptionsGroup + ":\n" + kOptions;
}

std::string DialogToolHelp(const CliTool& tool) {
    return std::string(kUsage) + "Runs " + tool.name + " (" + tool.summary +
           ") on TEXT, or on standard input without TEXT.\n" + InputText(tool.input) + "\nOptions:\n" + kOptions +
           "\n" + kDialogToolsGroup + ", which share these options:\n" + ToolNames() + "\n" + kExamples;
}
