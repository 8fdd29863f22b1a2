// The number types of the byte-order tool: integers of 2, 4 and 8 bytes,
// signed and unsigned, and the IEEE-754 single and double, as text and back.
// A number is held as the unsigned value of its bytes, A (the most
// significant) on top; see workbench/numbers/byte_orders.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class NumberKind { Signed, Unsigned, Float };

struct NumberType {
    const char* name;  // "int16", "float32"
    int size;          // bytes
    NumberKind kind;
};

// int16 uint16 int32 uint32 int64 uint64 float32 float64.
const std::vector<NumberType>& NumberTypes();
const NumberType* FindNumberType(const std::string& name);
// The types of numbers `size` bytes hold, integers first.
std::vector<NumberType> NumberTypesOfSize(int size);

// Decimal for integers; the shortest decimal that reads back for floats.
std::string NumberText(const NumberType& type, std::uint64_t value);

// What reading a number's text gave.
enum class NumberTextError {
    None,
    NoNumber,      // the text does not start with one
    TrailingText,  // something follows the number, at `position`
    OutOfRange,    // beyond the type's range (NumberRangeText)
};
struct NumberRead {
    NumberTextError error = NumberTextError::None;
    std::size_t position = 0;
    std::uint64_t value = 0;
};

// Integers: an optional sign, then decimal digits or 0x and hex digits; the
// number itself must lie in the type's range (-0x8000 is an int16, 0xFFFF is
// not). Floats: a decimal number as ReadDecimalNumber takes it (no leading
// blanks), correctly rounded to the type in one step, or inf, infinity, nan
// in any case, with an optional sign (nan is the quiet NaN); a finite decimal
// that rounds to infinity is out of range.
NumberRead ReadNumberText(const NumberType& type, const std::string& text);

// "-32768 to 32767"; for floats, the largest finite magnitude.
std::string NumberRangeText(const NumberType& type);
