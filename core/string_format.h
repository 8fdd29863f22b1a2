// printf-style formatting into a std::string, for the reports' pieces that
// carry a number.
#pragma once

#include <string>

#if defined(__clang__)
#define CORE_PRINTF_FORMAT(fmt_index, args_index) __attribute__((format(printf, fmt_index, args_index)))
#elif defined(__GNUC__)
#define CORE_PRINTF_FORMAT(fmt_index, args_index) __attribute__((format(gnu_printf, fmt_index, args_index)))
#else
#define CORE_PRINTF_FORMAT(fmt_index, args_index)
#endif

// The formatted text.
std::string StringFormat(const char* format, ...) CORE_PRINTF_FORMAT(1, 2);

// Appends the formatted text to `text`. No argument may point into `text`.
void AppendFormat(std::string& text, const char* format, ...) CORE_PRINTF_FORMAT(2, 3);
