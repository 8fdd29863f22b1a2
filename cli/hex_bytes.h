// Bytes given as hex digits on the command line, and bytes written back as
// the dialog writes them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The bytes of `text` by the dialog's hex rules (digits pair up left to
// right, a lone digit is a byte, "0x" is dropped, anything else separates).
// False only when the text is too long for the decoder.
bool DecodeHexText(const std::string& text, std::vector<unsigned char>& bytes);

// As DecodeHexText, for bytes that must be meant exactly (frames, numbers):
// a letter that is no hex digit, or any other character that is neither a
// blank nor punctuation, is surely a mistake. False, with a line in `error`
// that names `what` ("frame 2", "--head", "HEX") and the character; so is
// text that gives no byte at all.
bool ReadHexBytes(const std::string& text, const std::string& what, std::vector<unsigned char>& bytes,
                  std::string& error);
