#include "cli/frame_input.h"

std::vector<NumberedLine> FrameLines(const std::string& input) {
    std::vector<NumberedLine> lines;
    std::size_t start = 0;
    for (std::size_t number = 1; start < input.size(); ++number) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        if (line.find_first_not_of(" \t\r") != std::string::npos) lines.push_back({number, line});
        start = end + 1;
    }
    return lines;
}
