#include "core/string_format.h"

#include <cstdarg>
#include <cstdio>

namespace {

// The reports' pieces are short: they are formatted on the stack and only a
// longer text is formatted a second time, straight into `text`.
void AppendFormatV(std::string& text, const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    char piece[256];
    const int length = std::vsnprintf(piece, sizeof piece, format, args);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof piece) {
        text.append(piece, static_cast<std::size_t>(length));
    } else if (length > 0) {
        const std::size_t at = text.size();
        text.resize(at + static_cast<std::size_t>(length) + 1);
        std::vsnprintf(&text[at], static_cast<std::size_t>(length) + 1, format, again);
        text.resize(at + static_cast<std::size_t>(length));
    }
    va_end(again);
}

}  // namespace

std::string StringFormat(const char* format, ...) {
    std::string text;
    va_list args;
    va_start(args, format);
    AppendFormatV(text, format, args);
    va_end(args);
    return text;
}

void AppendFormat(std::string& text, const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(text, format, args);
    va_end(args);
}
