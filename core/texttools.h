// The character statistics of the text tools. Case conversion and reversal
// follow the code page (codepage/multibyte_text.h); the statistics follow a
// simpler rule of their own.
#pragma once

// Byte statistics of a text. Bytes from 80 up pair with the next such byte,
// whatever the code page says; a byte left unpaired counts in `total` only.
constexpr int kCountedCodes = 0x80;  // bytes below 80 are counted one by one

struct CharStats {
    int total = 0;    // bytes
    int ascii = 0;    // bytes below 80
    int chinese = 0;  // pairs of bytes from 80 up
    int counts[kCountedCodes] = {};  // occurrences of each byte below 80
};

CharStats CountCharacters(const char* text, int length);
