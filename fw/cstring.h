// CString: the framework's byte string. Texts are code page 936 (GBK) bytes;
// the string never holds a zero byte, so its length is its byte length.
#pragma once

#include <cstdarg>
#include <string>

#include "fw/win_types.h"

#if defined(__clang__)
// Clang has no gnu_printf archetype; its printf one checks the same formats.
#define FW_PRINTF_FORMAT(fmt_index, args_index) __attribute__((format(printf, fmt_index, args_index)))
#elif defined(__GNUC__)
#define FW_PRINTF_FORMAT(fmt_index, args_index) \
    __attribute__((format(gnu_printf, fmt_index, args_index)))
#else
#define FW_PRINTF_FORMAT(fmt_index, args_index)
#endif

class CString {
public:
    CString() = default;
    CString(const char* text) : bytes_(text ? text : "") {}  // NOLINT: implicit like the framework's
    CString(const char* bytes, int length);

    int GetLength() const { return static_cast<int>(bytes_.size()); }
    bool IsEmpty() const { return bytes_.empty(); }
    void Empty() { bytes_.clear(); }
    const char* GetString() const { return bytes_.c_str(); }
    operator const char*() const { return bytes_.c_str(); }  // NOLINT: as the framework's

    CString& operator=(const char* text);
    CString& operator+=(const char* text);
    CString& operator+=(const CString& text);
    CString& operator+=(char ch);

    // Replaces the content with the printf-style formatted text.
    void Format(const char* format, ...) FW_PRINTF_FORMAT(2, 3);
    // Appends the printf-style formatted text. No argument may point into
    // this string.
    void AppendFormat(const char* format, ...) FW_PRINTF_FORMAT(2, 3);

    // Case conversion and reversal in place, by the characters of the ANSI
    // code page; the byte length never changes.
    void MakeUpper();
    void MakeLower();
    void MakeReverse();

    // Loads string resource `id`; FALSE (and an empty string) when it is missing.
    BOOL LoadString(UINT id);

    friend bool operator==(const CString& a, const CString& b) { return a.bytes_ == b.bytes_; }
    friend bool operator!=(const CString& a, const CString& b) { return a.bytes_ != b.bytes_; }

    // Direct access for the framework's backends and the in-place text walks.
    std::string& Bytes() { return bytes_; }
    const std::string& Bytes() const { return bytes_; }

private:
    void AppendFormatV(const char* format, va_list args);

    std::string bytes_;
};
