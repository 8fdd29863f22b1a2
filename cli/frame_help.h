// The help texts of `quobrix frame`, lines ending in "\n".
#pragma once

#include <string>

// Its group of `quobrix --help` and its one-line summary there.
extern const char kFrameGroup[];
extern const char kFrameSummary[];

std::string FrameHelpSection();
std::string FrameHelp();
