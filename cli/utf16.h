// Windows hands a program its arguments as UTF-16 and opens files by UTF-16
// names; the front end works in UTF-8.
#pragma once

#include <string>

// False when `utf16` holds an unpaired surrogate.
bool Utf16ToUtf8(const std::u16string& utf16, std::string& utf8);

// False when `utf8` is not valid UTF-8.
bool Utf8ToUtf16(const std::string& utf8, std::u16string& utf16);

#ifdef _WIN32
// A UTF-8 name as Windows' wide-character calls take it; false when `utf8`
// is not valid UTF-8.
bool Utf8ToWide(const std::string& utf8, std::wstring& wide);
#endif
