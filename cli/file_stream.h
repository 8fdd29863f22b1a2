// Files read whole, block by block, in constant memory: by the command line
// (quobrix crc FILE) and by the window's CRC page, the same way, so both see
// the same bytes and name the same reasons when a read fails.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "cli/environment.h"

// Passes every byte of `stream` to `consume`; false with the reason a read
// failed. `stop`, when set, is asked after each block: true ends the read
// there (the function returns true, and `*stopped` is set when given).
bool StreamBlocks(std::FILE* stream, const ConsumeBlock& consume, std::string& error,
                  const std::function<bool()>& stop = {}, bool* stopped = nullptr);

// The file named `path` (UTF-8, also on Windows, where it is opened by its
// Unicode name) as StreamBlocks reads it; false with the reason opening or
// reading failed.
bool StreamFile(const std::string& path, const ConsumeBlock& consume, std::string& error,
                const std::function<bool()>& stop = {}, bool* stopped = nullptr);

// As StreamFile, for the window, where a file may be cut short or grown by
// another program while it is read (a log, a build's output): false, and a
// reason that says so, when the bytes read are not the size the file had
// when the read began, for the CRC of such bytes is no version's. A read that
// `stop` ends is not judged; a file whose size cannot be known is read as is.
bool StreamUnchangedFile(const std::string& path, const ConsumeBlock& consume, std::string& error,
                         const std::function<bool()>& stop = {}, bool* stopped = nullptr);

// The size in bytes of the file named `path`, for a progress bar; false when
// it cannot be known (the read itself then says why, if it fails).
bool FileSize(const std::string& path, std::uint64_t& size);
