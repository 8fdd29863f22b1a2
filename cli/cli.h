// The command line front end, apart from the process's own streams, so that
// it runs the same from main() and from tests.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

enum CliExitCode {
    kExitReport = 0,      // the report is on standard output
    kExitMessageBox = 1,  // the tool showed message boxes instead
    kExitUsage = 2,       // a usage or input error
};

// What reading standard input gave.
struct StdinRead {
    std::string bytes;  // at most the bytes asked for
    std::string error;  // why reading failed; empty when it did not
};

// Takes one block of a stream that is read whole, in constant memory.
using ConsumeBlock = std::function<void(const char* bytes, std::size_t size)>;

struct CliEnvironment {
    // Standard input up to `max_bytes`: the command line never reads more than
    // it can use, however much is there.
    std::function<StdinRead(std::size_t max_bytes)> read_stdin;
    // The whole of standard input, or of the file named `path` (UTF-8 on
    // Windows), block by block; returns why opening or reading failed, or "".
    // Blocks that came before a read error have been consumed.
    std::function<std::string(const ConsumeBlock& consume)> stream_stdin;
    std::function<std::string(const std::string& path, const ConsumeBlock& consume)> stream_file;
    // Writes to standard output now rather than at the end, for a command
    // that prints as it goes (a line per file, each file perhaps large);
    // false when writing failed. Unset, everything stays in `out`.
    std::function<bool(const std::string& bytes)> write_stdout;
    bool stdout_is_terminal = false;
    // Windows passes arguments as Unicode: TEXT then is UTF-8 even with --gbk.
    bool arguments_are_unicode = false;
};

// `args` without the program name. Writes what belongs on standard output and
// standard error to `out` and `err` (what is left of standard output when
// `env.write_stdout` took some) and returns the exit code.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::string& out,
           std::string& err);
