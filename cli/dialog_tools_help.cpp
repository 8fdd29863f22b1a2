#include <algorithm>
#include <cstddef>

#include "cli/dialog_tools.h"
#include "cli/messages.h"
#include "codepage/gbk_codec.h"
#include "fw/dialog_template.h"
#include "res/resource.h"

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
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        const std::string name = kDialogTools[i].name;
        if (line.size() + 1 + name.size() > kListWidth) {
            list += line + "\n";
            line = " ";
        }
        line += " " + name;
    }
    return list + line + "\n";
}

std::string InputText(const DialogTool& tool) {
    if (!tool.mode) return "Input: the text as it is, up to " + std::to_string(kLongInputLimit) + " bytes.\n";
    const std::string buffer = "; at most " + std::to_string(WORK_BUFFER_SIZE) + " bytes.\n";
    switch (*tool.mode) {
        case BY_FORMAT_OPTION:
            return "Input: the characters' bytes, or hex digits with --hex" + buffer;
        case AS_ASCII:
            return "Input: the characters' bytes, with --hex too" + buffer;
        case AS_HEX:
            return "Input: hex digits, with --ascii too" + buffer;
    }
    return "";
}

}  // namespace

std::string DialogToolsHelpSection() {
    std::string text = std::string(kDialogToolsGroup) + ":\n";
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        text += Padded(kDialogTools[i].name) + kDialogTools[i].summary + "\n";
    }
    return text + "\n" + kDialogOptionsGroup + ":\n" + kOptions;
}

std::string DialogToolHelp(const std::string& subcommand) {
    const DialogTool& tool = *std::find_if(kDialogTools, kDialogTools + kDialogToolCount,
                                           [&](const DialogTool& row) { return subcommand == row.name; });
    return std::string(kUsage) + "Runs " + tool.name + " (" + tool.summary +
           ") on TEXT, or on standard input without TEXT.\n" + InputText(tool) + "\nOptions:\n" + kOptions +
           "\n" + kDialogToolsGroup + ", which share these options:\n" + ToolNames() + "\n" + kExamples;
}

std::string DialogToolsJson() {
    const fw::DialogTemplate* dialog = fw::FindDialogTemplate(IDD_TOOL_DIALOG);
    std::string json = "[";
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        const DialogTool& tool = kDialogTools[i];
        // The caption as the resource script gives it; every tool has its
        // button there (the dialog's tests hold each row to one).
        std::string caption;
        for (int c = 0; dialog != nullptr && c < dialog->control_count; ++c) {
            if (dialog->controls[c].id == tool.button_id) GbkToUtf8(dialog->controls[c].text, caption);
        }
        if (i > 0) json += ",";
        json += "{\"name\":" + JsonString(tool.name) + ",\"summary\":" + JsonString(tool.summary) +
                ",\"button\":" + JsonString(caption) + "}";
    }
    return json + "]";
}
