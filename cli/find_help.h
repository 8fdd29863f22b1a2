// The help texts of `quobrix find`, lines ending in "\n".
#pragma once

#include <string>

// Its group of `quobrix --help` and its one-line summary there.
extern const char kFindGroup[];
extern const char kFindSummary[];

std::string FindHelpSection();
std::string FindHelp();
