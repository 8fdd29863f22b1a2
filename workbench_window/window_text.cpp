#include "workbench_window/window_text.h"

std::string WindowsLines(const std::string& text) {
    std::string lines;
    for (const char c : text) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    return lines;
}
