// Test helper: runs a program with given arguments and standard input and
// collects its exit code, standard output and standard error, all as bytes.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int exit_code = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "");

// The same with standard output (and standard error) on a pseudo-terminal in
// raw mode, so the program sees a terminal and its bytes arrive unchanged.
// Standard input is empty.
ProcessResult RunProcessOnTerminal(const std::string& program, const std::vector<std::string>& args);
