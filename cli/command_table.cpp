#include "cli/command_table.h"

#include "cli/crc_command.h"
#include "cli/dialog_tools_command.h"
#include "cli/find_command.h"
#include "cli/frame_command.h"
#include "cli/num_command.h"

std::vector<std::unique_ptr<CliCommand>> MakeCliCommands() {
    std::vector<std::unique_ptr<CliCommand>> commands;
    commands.push_back(std::make_unique<DialogToolsCommand>());
    commands.push_back(std::make_unique<CrcCommand>());
    commands.push_back(std::make_unique<FindCommand>());
    commands.push_back(std::make_unique<FrameCommand>());
    commands.push_back(std::make_unique<NumCommand>());
    return commands;
}
