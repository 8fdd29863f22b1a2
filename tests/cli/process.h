// Test helper: runs a program with given arguments and standard input and
// collects its exit code, standard output and standard error, all as bytes.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int exit_code = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
    long peak_rss_kib = 0;            // of the program and the processes it waited for
    unsigned long long bytes_fed = 0;  // of an endless input, before the program stopped reading
};

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "");

// Where the program's standard streams go instead of the files of RunProcess.
struct StreamSetup {
    std::string stdin_path;   // opened for reading ("/tmp", a directory, cannot be read)
    bool stdin_closed = false;
    std::string stdout_path;  // opened for writing ("/dev/full", always full)
    bool stdout_closed = false;
    std::string stderr_path;
};

ProcessResult RunProcessWithStreams(const std::string& program, const std::vector<std::string>& args,
                                    const StreamSetup& streams);

// Standard input is a pipe fed `pattern` over and over until `max_bytes` have
// gone or the program closes its end.
ProcessResult RunProcessOnEndlessInput(const std::string& program, const std::vector<std::string>& args,
                                       const std::string& pattern, unsigned long long max_bytes);

// The same with standard output (and standard error) on a pseudo-terminal in
// raw mode, so the program sees a terminal and its bytes arrive unchanged.
// Standard input is empty.
ProcessResult RunProcessOnTerminal(const std::string& program, const std::vector<std::string>& args);
