#include "cli/options.h"

namespace {

constexpr std::size_t kUsageWidth = 72;  // tool names are wrapped to this width

std::string ToolList() {
    std::string list, line = " ";
    for (std::size_t i = 0; i < kCliToolCount; ++i) {
        const std::string name = kCliTools[i].name;
        if (line.size() + 1 + name.size() > kUsageWidth) {
            list += line + "\n";
            line = " ";
        }
        line += " " + name;
    }
    return list + line + "\n";
}

}  // namespace

std::string UsageText() {
    return "Usage: quobrix TOOL [--hex | --ascii] [--low-first] [--gbk] [--] [TEXT]\n"
           "Runs one tool of Quobrix on TEXT, or on standard input without TEXT,\n"
           "and prints the tool's report.\n"
           "\n"
           "Tools:\n" +
           ToolList() +
           "\n"
           "Options:\n"
           "  --hex        read the input as hex digits\n"
           "  --ascii      take the input's characters as they are (the default)\n"
           "  --low-first  low byte first (the byte order of the float tools)\n"
           "  --gbk        input and output are GBK bytes, not UTF-8\n"
           "  --help       show this text\n"
           "  --version    show the version\n"
           "  --           end of options: a TEXT that starts with - follows\n"
           "\n"
           "Exit status: 0 the report was printed; 1 the tool showed a message\n"
           "(printed on standard error); 2 a usage or input error.\n";
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    ParseResult result;
    CliOptions& options = result.options;
    bool hex = false, ascii = false, options_ended = false;
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
        } else if (arg == "--") {
            options_ended = true;
        } else if (arg == "--help") {
            result.outcome = ParseOutcome::Help;
            return result;
        } else if (arg == "--version") {
            result.outcome = ParseOutcome::Version;
            return result;
        } else if (arg == "--hex") {
            hex = true;
        } else if (arg == "--ascii") {
            ascii = true;
        } else if (arg == "--low-first") {
            options.low_first = true;
        } else if (arg == "--gbk") {
            options.raw_gbk = true;
        } else {
            result.error = "unknown option '" + arg + "'";
            return result;
        }
    }
    if (hex && ascii) {
        result.error = "--hex and --ascii exclude each other";
        return result;
    }
    options.format = hex ? InputFormat::Hex : ascii ? InputFormat::Ascii : InputFormat::AsDialogOpens;
    if (positional.empty()) {
        result.error = "no tool given";
        return result;
    }
    if (positional.size() > 2) {
        result.error = "too many arguments (quote a TEXT with blanks)";
        return result;
    }
    options.tool = FindCliTool(positional[0]);
    if (options.tool == nullptr) {
        result.error = "unknown tool '" + positional[0] + "'";
        return result;
    }
    if (positional.size() == 2) {
        options.has_text = true;
        options.text = positional[1];
    }
    result.outcome = ParseOutcome::Run;
    return result;
}
