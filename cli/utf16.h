// Windows hands a program its arguments as UTF-16; the front end works in UTF-8.
#pragma once

#include <string>

// False when `utf16` holds an unpaired surrogate.
bool Utf16ToUtf8(const std::u16string& utf16, std::string& utf8);
