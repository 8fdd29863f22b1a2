#include "cli/commands.h"

#include "cli/command_line.h"

#include "cli/array.h"
#include "cli/crc.h"
#include "cli/dialog_tools.h"
#include "cli/filter.h"
#include "cli/find.h"
#include "cli/frame.h"
#include "cli/num.h"
#include "cli/printf.h"
#include "cli/random.h"
#include "cli/parts.h"

const CliCommand kCliCommands[] = {
    {"TOOL", SetupDialogTools, DialogToolsHelpSection, DialogToolHelp, nullptr},
    {"crc", SetupCrc, CrcHelpSection, CrcHelp, kCrcUsageHint},
    {"find", SetupFind, FindHelpSection, FindHelp, kFindUsageHint},
    {"frame", SetupFrame, FrameHelpSection, FrameHelp, kFrameUsageHint},
    {"num", SetupNum, NumHelpSection, NumHelp, kNumUsageHint},
    {"array", SetupArray, ArrayHelpSection, ArrayHelp, kArrayUsageHint},
    {"random", SetupRandom, RandomHelpSection, RandomHelp, kRandomUsageHint},
    {"parts", SetupParts, PartsHelpSection, PartsHelp, kPartsUsageHint},
    {"filter", SetupFilter, FilterHelpSection, FilterHelp, kFilterUsageHint},
    {"printf", SetupPrintf, PrintfHelpSection, PrintfHelp, kPrintfUsageHint},
};

const std::size_t kCliCommandCount = sizeof kCliCommands / sizeof kCliCommands[0];

// Here, beside the table, so that a face that runs a table of its own does
// not link every command through this one.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::string& out, std::string& err) {
    return RunCli(args, env, out, err, CliCommandTable{kCliCommands, kCliCommandCount});
}
