// What quobrix parts and quobrix filter share: values read from the command
// line with an error that points at the character, and their tables.
#pragma once

#include <string>
#include <vector>

struct ESeries;

// `text` as a part's value (4k7, 4.7k, 100n); false with "WHAT 'text':
// character N ('x') is not ..." in `error`.
bool ReadValueWord(const std::string& what, const std::string& text, double& value, std::string& error);

// --series (or --r-series ...) as a series; false with the names in `error`.
bool ReadSeriesWord(const std::string& option, const std::string& name, const ESeries*& series, std::string& error);

// --count N: 1 to 100.
bool ReadCountWord(const std::string& text, std::size_t& count, std::string& error);

// Rows in columns two blanks apart, each left-aligned, the last unpadded.
std::string PartTable(const std::vector<std::vector<std::string>>& rows);
