// CString: the framework's byte string. Texts are code page 936 (GBK) bytes;
// the string never holds a zero byte, so its length is its byte length.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <limits>
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

namespace fw {

// A CString's length is an int, as the framework's lengths are: no text of
// more bytes may enter one.
constexpr std::size_t kMaxStringLength = std::numeric_limits<int>::max();

// Ends the program with a message on standard error: a text of `have` +
// `added` bytes was to enter a CString. The inputs are capped far below the
// limit, so this is a programming error, never a text to cut or wrap.
[[noreturn]] void StringTooLong(std::size_t have, std::size_t added);

// `have` + `added` as a CString length, or the end of the program when that
// is above `limit` (the sum itself may not wrap either).
inline int CheckedStringLength(std::size_t have, std::size_t added, std::size_t limit = kMaxStringLength) {
    if (have > limit || added > limit - have) StringTooLong(have, added);
    return static_cast<int>(have + added);
}

}  // namespace fw

// Every way text enters checks its length (fw::CheckedStringLength), and so
// does GetLength, for bytes written through Bytes().
class CString {
public:
    CString() = default;
    CString(const char* text);  // NOLINT: implicit like the framework's
    CString(const char* bytes, int length);
    // Takes the bytes as they are, e.g. a window's text from the backend.
    explicit CString(std::string bytes);

    int GetLength() const { return fw::CheckedStringLength(bytes_.size(), 0); }
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
    // Whoever writes through it keeps to kMaxStringLength; GetLength checks.
    std::string& Bytes() { return bytes_; }
    const std::string& Bytes() const { return bytes_; }

private:
    void AppendFormatV(const char* format, va_list args);

    std::string bytes_;
};
