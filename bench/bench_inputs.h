// The inputs the benchmarks work on: each fills the whole work buffer, the
// largest input a byte tool takes.
#pragma once

#include <string>
#include <vector>

namespace bench {

// GBK text of exactly WORK_BUFFER_SIZE bytes, as a user would paste it:
// ASCII words and digits, Chinese characters, full-width and Greek letters
// (which have a case), line breaks. No character is cut at the end.
const std::string& GbkText();

// WORK_BUFFER_SIZE bytes from a fixed-seed generator, none of them zero
// (Hex->Ascii would stop at one).
const std::vector<unsigned char>& Bytes();

// `bytes` as "%02X " hex text: what the hex decoder turns back into them.
std::string HexText(const std::vector<unsigned char>& bytes);

// A decimal number of WORK_BUFFER_SIZE characters, "3." and then digits.
const std::string& LongDecimal();

}  // namespace bench
