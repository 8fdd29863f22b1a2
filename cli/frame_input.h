// The frames of `find` on standard input.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The frames of `find` from standard input: one a line, blank lines skipped,
// each with its line's number (from 1) for messages.
struct NumberedLine {
    std::size_t number;
    std::string text;
};
std::vector<NumberedLine> FrameLines(const std::string& input);
