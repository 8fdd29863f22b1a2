// What every command with words of its own checks after the parse.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

// Words the parser placed nowhere (before the command at the top level,
// after it here) and options of the dialog's tools given before the
// command: what is wrong, or "". `command` names it in the message.
std::string StrayWords(const CLI::App& chosen, const std::vector<std::string>& leftover, const std::string& command);

// Adds the positional words of a command: CLI11 hands the words after "--"
// back to the top level (which would take "--help" there for its own) once
// every positional has the words it expects at least. This one expects more
// than any command line holds; taking all it gets, it never checks the count.
CLI::Option* AddAllWords(CLI::App& sub, const std::string& name, std::vector<std::string>& words);
