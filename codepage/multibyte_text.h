// Case conversion and reversal that follow the ANSI code page's division into
// single-byte and double-byte characters.
#pragma once

#include <array>
#include <cstddef>

// How a code page divides its bytes into characters and which single bytes
// have a case. Code page 936 (GBK): bytes 81-FE lead a double-byte character,
// whose case comes from the code page's own table. A single-byte code page has
// no lead bytes, and its letters are whatever the system's locale data say.
struct TextCodePage {
    bool gbk_double_byte = false;
    std::array<unsigned char, 256> to_upper{};  // indexed by the byte
    std::array<unsigned char, 256> to_lower{};
};

constexpr unsigned kGbkCodePageId = 936;

// Code page 936: only 'A'-'Z' and 'a'-'z' change among the single bytes.
const TextCodePage& GbkCodePage();

// The case of the characters in place, from the first byte to the last. A
// double-byte character that does not decode (a lead byte that ends the text
// is one) ends the walk: it and every byte after it stay as they were.
// The byte length never changes.
void MultibyteUpper(char* text, std::size_t length, const TextCodePage& page);
void MultibyteLower(char* text, std::size_t length, const TextCodePage& page);

// The characters in reverse order, each double-byte character keeping its two
// bytes in order; a lead byte that ends the text is a character of its own.
void MultibyteReverse(char* text, std::size_t length, const TextCodePage& page);
