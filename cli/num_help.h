// The help texts of `quobrix num`, lines ending in "\n".
#pragma once

#include <string>

// Its group of `quobrix --help` and its one-line summary there.
extern const char kNumGroup[];
extern const char kNumSummary[];

// Its section of `quobrix --help`.
std::string NumHelpSection();

// `quobrix num --help`.
std::string NumHelp();
