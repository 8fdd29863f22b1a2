// Conversion between UTF-8 and the program's GBK (code page 936) text, with
// the code page exactly as Windows decodes it (codepage/gbk_table.h).
#pragma once

#include <cstddef>
#include <string>

enum class Utf8ToGbkResult {
    Ok,
    InvalidUtf8,       // overlong, surrogate, above U+10FFFF, truncated or stray byte
    NotRepresentable,  // a valid character that code page 936 has no bytes for
};

// Converts `utf8` into `gbk`. On failure `error_offset` is the byte offset in
// `utf8` where the offending sequence starts, and `gbk` holds the text before it.
Utf8ToGbkResult Utf8ToGbk(const std::string& utf8, std::string& gbk, std::size_t& error_offset);

// Converts `gbk` into `utf8`, every byte below 80 as itself. A lead byte that
// is not followed by a trail byte becomes U+FFFD on its own and the byte after
// it is decoded afresh, so a line break after a stray lead byte survives.
// Returns the number of U+FFFD put in.
std::size_t GbkToUtf8(const std::string& gbk, std::string& utf8);

// The length of the UTF-8 sequence at `pos`, which must lie inside `text`,
// with its code point in `cp`; 0 when the bytes there are none (overlong,
// surrogate, above U+10FFFF, truncated or stray).
std::size_t DecodeUtf8(const std::string& text, std::size_t pos, char32_t& cp);

// Appends the UTF-8 form of code point `cp` (at most U+10FFFF, no surrogate).
void AppendUtf8(char32_t cp, std::string& out);
