// C's printf with its arguments given as text: each argument is read as the
// type its conversion names and converted to it as C converts a value passed
// to printf, then written exactly as glibc's printf writes it. The types
// have their sizes on x86-64 Linux (LP64), whatever the build's own: char 8
// bits, short 16, int 32, long, long long, intmax_t, size_t, ptrdiff_t and
// pointers 64, wint_t 32; double is IEEE binary64, long double the x87
// 80-bit extended format. So the same format and arguments give the same
// text on every build. The format is read here alone, never handed to the
// C library.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The largest width and precision taken, so that one conversion cannot ask
// for gigabytes.
constexpr int kMaxPrintfWidth = 65536;

// The most text one run writes, 64 MiB, so that a format of many wide
// conversions cannot ask for gigabytes either (18 000 of %65536c would be
// 1.2 GB). Far beyond any text a C program prints with one call.
constexpr std::size_t kMaxPrintfOutput = std::size_t{1} << 26;

// An argument one conversion consumed.
struct PrintfArgumentUse {
    std::size_t argument = 0;  // 1 for the first argument after the format
    std::string role;          // "width", "precision" or "value"
    std::string type;          // the C type it was converted to: "signed char", "double", "const char *"
    std::string value;         // the value as that type: "44", "3.14159", "0x7ffc" (a NaN: "nan")
};

// A conversion of the format and what it consumed.
struct PrintfConversion {
    std::size_t position = 0;  // of its '%' in the format as given, from 1
    std::string text;          // "%-5hhd"
    std::vector<PrintfArgumentUse> arguments;
};

struct PrintfResult {
    bool ok = false;
    std::string output;                       // the text printf writes, when no sink took it
    std::size_t size = 0;                     // of the text written, to `output` or the sink
    bool write_failed = false;                // the sink could not take the text
    std::vector<PrintfConversion> conversions; // every one, %% too
    std::string error;                        // when not ok: what, and which conversion
};

// Whether the format's backslash escapes are C's (\n \t \\ \" \x41 \101 ...):
// a format copied from C source has them as the compiler turns them into
// characters before printf ever sees them.
enum class PrintfEscapes { None, C };

// Takes the text as it is made, a piece at a time, so that a long text need
// not be held whole; false when it could not be taken, which ends the run.
using PrintfSink = std::function<bool(const std::string& piece)>;

// `format` with `arguments`, or the first fault: a conversion with no
// argument left, an argument that is no value of its conversion's type (not
// a number, or an integer beyond 64 bits), arguments left over, %n, an
// unknown conversion, a length modifier or a flag that C leaves undefined
// for the conversion, positional arguments (%1$d), a width or precision
// beyond kMaxPrintfWidth, a text longer than kMaxPrintfOutput, a format
// that ends inside a conversion, or a bad escape. Each message names the
// conversion by its number, its place in the format and its text. The
// format ends at its first NUL byte, as C's does, and a %s argument at its
// own first NUL.
//
// Arguments: integers in decimal, hex (0x) or octal (0), with an optional
// sign, from -2^63 to 2^64-1, then reduced modulo 2^bits to the
// conversion's type (%hhd of 300 is 44); for %c also a single character;
// for %s any text; floats in C's forms (1.5, 1e-3, 0x1.8p3, inf, nan) read
// in one rounding to double, or to long double for %L...
PrintfResult FormatPrintf(const std::string& format, const std::vector<std::string>& arguments,
                          PrintfEscapes escapes = PrintfEscapes::C);

// The same, handing the text to `sink` as it is made rather than to
// `output`. On a fault, the sink has taken the text before it.
PrintfResult FormatPrintf(const std::string& format, const std::vector<std::string>& arguments, PrintfEscapes escapes,
                          const PrintfSink& sink);
