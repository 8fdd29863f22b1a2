// A file a command writes (quobrix array -o, quobrix crc --emit c -o) or the
// window saves (保存, its settings): whole or not at all wherever the file
// allows it, and never at the cost of what its name stood for. A name may
// stand for a device, a FIFO, a link or a file with several names; replacing
// any of those with a new regular file would destroy it (run as root,
// -o /dev/null would replace the system's /dev/null).
#pragma once

#include <functional>
#include <string>

#include "cli/environment.h"

// Writes the file named `path` (UTF-8, also on Windows) with the blocks
// `produce` passes to its WriteBlock. How depends on what `path` names:
//  - nothing, or a regular file of one name: the bytes go to a temporary
//    file beside it, renamed to `path` only when `produce` returns true and
//    every block was written. A new file gets 0666 less the umask, as
//    open(2) gives; a file that was there keeps its mode, and its owner and
//    group as far as the process may give them.
//  - a symbolic link: the same for the file it leads to, or would lead to;
//    the link stays.
//  - a regular file of several names (hard links): the bytes go to the
//    temporary file first, then into the file in place, so that every name
//    shows them.
//  - a device or a FIFO (/dev/null, a pipe): written through as they come,
//    as sort -o writes; so is a file that no path leads to (/dev/stdout).
//  - a directory, a socket, a regular file the user may not write: refused
//    before `produce` runs.
// The temporary file is removed on every failure, and when SIGINT, SIGTERM
// or SIGHUP (Ctrl+C, Ctrl+Break on Windows) ends the process meanwhile.
// False with why in `error`; false with `error` empty when `produce` alone
// returned false.
bool WriteOutputFile(const std::string& path, const std::function<bool(const WriteBlock& write)>& produce,
                     std::string& error);

// A command's run with what it would print on standard output sent to the
// file named `path` (-o FILE) instead, through env.write_file: `run` gets an
// environment whose write_stdout writes the file, and what it leaves in its
// `out` is written after it. The file is kept only when `run` returns 0.
// The run's exit code, or 2 with a line in `err` when the file could not be
// written.
int RunIntoOutputFile(const std::string& path, const CliEnvironment& env, std::string& err,
                      const std::function<int(const CliEnvironment& to_file, std::string& out)>& run);
