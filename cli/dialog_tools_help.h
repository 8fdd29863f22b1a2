// The help texts of the dialog's tools, lines ending in "\n".
#pragma once

#include <string>

#include "cli/tool_table.h"

// The groups of `quobrix --help` that the dialog's tools and options fill.
extern const char kDialogToolsGroup[];
extern const char kDialogOptionsGroup[];

// Their section of `quobrix --help`: the tools, then the options they share.
std::string DialogToolsHelpSection();

// `quobrix TOOL --help`.
std::string DialogToolHelp(const CliTool& tool);
