// Reading UTF-8 one character at a time, by RFC 3629.
#pragma once

#include <cstddef>
#include <string>

// The length of the UTF-8 sequence at `pos` (shortest form, no surrogates,
// nothing above U+10FFFF) with its code point in `cp`, or 0 when the bytes
// there are none.
std::size_t DecodeUtf8(const std::string& text, std::size_t pos, char32_t& cp);
