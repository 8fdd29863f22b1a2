#include "workbench_window/window_text.h"

#include "cli/output_file.h"

std::string WindowsLines(const std::string& text) {
    std::string lines;
    for (const char c : text) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    return lines;
}

bool WriteSmallFile(const std::string& path, const std::string& bytes) {
    std::string error;
    return WriteOutputFile(path, [&bytes](const WriteBlock& write) { return write(bytes); }, error);
}
