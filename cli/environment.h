// What the command line needs of the process: its standard streams and
// files, apart from the process itself, so that it runs the same from main()
// and from tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

enum CliExitCode {
    kExitReport = 0,      // the report is on standard output
    kExitMessageBox = 1,  // the tool showed message boxes instead
    kExitUsage = 2,       // a usage or input error
};

// Takes one block of a stream that is read whole, in constant memory.
using ConsumeBlock = std::function<void(const char* bytes, std::size_t size)>;

// Takes the next bytes of a file being written; false when writing failed.
using WriteBlock = std::function<bool(const std::string& bytes)>;

// Each reader returns false, with why in `error`, when opening or reading failed.
struct CliEnvironment {
    // Standard input up to `max_bytes` into `bytes`: the command line never
    // reads more than it can use, however much is there.
    std::function<bool(std::size_t max_bytes, std::string& bytes, std::string& error)> read_stdin;
    // The whole of standard input, or of the file named `path` (UTF-8 on
    // Windows), block by block. Blocks that came before a read error have
    // been consumed.
    std::function<bool(const ConsumeBlock& consume, std::string& error)> stream_stdin;
    std::function<bool(const std::string& path, const ConsumeBlock& consume, std::string& error)> stream_file;
    // Writes to standard output now rather than at the end, for a command
    // that prints as it goes (a line per file, each file perhaps large);
    // false when writing failed. Unset, everything stays in `out`.
    std::function<bool(const std::string& bytes)> write_stdout;
    // Writes a note to standard error now, before a long wait. Unset, the
    // note stays in `err` with the others.
    std::function<void(const std::string& bytes)> write_stderr;
    // Writes the file named `path` (UTF-8 on Windows) from the blocks
    // `produce` hands its WriteBlock, whole or not at all where the file
    // allows it: WriteOutputFile (cli/output_file.h). Unset, no file can be
    // written.
    std::function<bool(const std::string& path, const std::function<bool(const WriteBlock& write)>& produce,
                       std::string& error)>
        write_file;
    // Asked between blocks of long work (values drawn or sorted, a block of
    // output written): true stops the run there with an error, as a failed
    // write would, so that a file being written is not kept. The window's
    // 取消 sets it; unset, a run goes to its end.
    std::function<bool()> cancelled;
    // Told how far long work without output has come (values drawn and
    // sorted, `done` of `total`), for a window's progress. Unset, nobody asks.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    bool stdout_is_terminal = false;
    // Windows passes arguments as Unicode: TEXT then is UTF-8 even with --gbk.
    bool arguments_are_unicode = false;
};
