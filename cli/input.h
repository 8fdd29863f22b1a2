// The input of a dialog tool: how much of it the command line takes, and its
// conversion into the input box's GBK text.
#pragma once

#include <cstddef>
#include <string>

#include "cli/options.h"
#include "core/decode.h"

// How the tool's handler reads the input box, given the format option.
enum class InputPath {
    Characters,  // into the work buffer as they are: at most WORK_BUFFER_SIZE bytes
    HexDigits,   // decoded into the work buffer
    Text,        // as a text of any length
};

InputPath PathOf(const CliTool& tool, InputFormat format);

// The most the command line takes on the hex and text paths: far beyond the
// input box, whose hex text for a full work buffer (20480 "0xFF, ") is 120 KiB.
constexpr std::size_t kLongInputLimit = std::size_t{4} << 20;

// UTF-8 spends at most this many bytes on a character, GBK at least one.
constexpr std::size_t kUtf8BytesPerCharacterAtMost = 4;

// How many bytes of input to read at most. An input that fills this is too
// long for the path: on the character path one GBK byte more than the work
// buffer holds, on the others more than kLongInputLimit.
constexpr std::size_t InputReadLimit(InputPath path, bool input_is_gbk) {
    constexpr std::size_t past_buffer = WORK_BUFFER_SIZE + 1;
    if (path != InputPath::Characters) return kLongInputLimit + 1;
    return input_is_gbk ? past_buffer : kUtf8BytesPerCharacterAtMost * past_buffer;
}

// The input as the dialog's GBK text; false (and `err` says why) when it
// cannot be one. A UTF-8 byte-order mark at the start is dropped, as editors
// do. `was_cut`: the input filled its read limit, so a character cut short at
// its end is no fault of the input.
bool InputToGbk(const std::string& input, bool input_is_gbk, bool was_cut, std::string& gbk, std::string& err);
