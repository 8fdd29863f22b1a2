#include "cli/commands.h"

#include "cli/command_line.h"

const CliCommand kCliCommands[] = {
    kDialogToolsCommand, kCrcCommand,    kFindCommand,   kFrameCommand,  kNumCommand,
    kArrayCommand,       kRandomCommand, kPartsCommand,  kFilterCommand, kPrintfCommand,
#ifndef __EMSCRIPTEN__
    // The page has no ports: the browser's own interfaces would reach them.
    kSerialCommand,      kTcpCommand,
#endif
    kModbusCommand,
};

const std::size_t kCliCommandCount = sizeof kCliCommands / sizeof kCliCommands[0];

// Here, beside the table, so that a face that runs a table of its own does
// not link every command through this one.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::string& out, std::string& err) {
    return RunCli(args, env, out, err, CliCommandTable{kCliCommands, kCliCommandCount});
}
