// The hex digits of frames, as `find` and `frame` take them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Reads hex digits as the dialog does (digits pair up left to right, a lone
// digit is a byte, "0x" is dropped), with blanks and punctuation between
// bytes. A letter that is no hex digit, or any other character, is surely a
// mistake in a frame: false, with a line in `error` that names `what` ("frame
// 2", "--head") and the character. So is text that gives no byte at all.
bool ReadHexBytes(const std::string& text, const std::string& what, std::vector<unsigned char>& bytes,
                  std::string& error);

// The frames of `find` from standard input: one a line, blank lines skipped,
// each with its line's number (from 1) for messages.
struct NumberedLine {
    std::size_t number;
    std::string text;
};
std::vector<NumberedLine> FrameLines(const std::string& input);
