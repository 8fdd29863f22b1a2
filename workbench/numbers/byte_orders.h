// Byte orders named by letters: the bytes of a number are A (the most
// significant), B, C, ... and an order lists, for each byte as it comes, which
// of them it is. So for four bytes ABCD is big-endian, DCBA little-endian,
// CDAB the two 16-bit words swapped and BADC the bytes swapped within each
// word: "word swap" and "byte swap" mean different orders in different tools,
// the letters one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The orders a number of `size` bytes (2, 4 or 8) is commonly sent in:
// big-endian, little-endian, the bytes of each 16-bit word swapped, and the
// words in reverse order.
std::vector<std::string> CommonByteOrders(int size);

// `text` in upper case when it names an order of `size` bytes (1 to 8): each
// of the first `size` letters exactly once, in either case. "" when not.
std::string ByteOrderLetters(const std::string& text, int size);

// The number whose bytes come in `order` (letters as above) from `bytes`.
std::uint64_t NumberFromBytes(const unsigned char* bytes, const std::string& order);
// The bytes of `value`'s low order.size() bytes as they come in `order`.
void BytesFromNumber(std::uint64_t value, const std::string& order, unsigned char* bytes);
