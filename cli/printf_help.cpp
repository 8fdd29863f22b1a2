#include "cli/printf.h"

const char kPrintfGroup[] = "C's printf";
const char kPrintfSummary[] = "a format and its arguments as C's printf writes them";

namespace {

const char kUsage[] = "Usage: quobrix printf [--explain] [--raw] [--] FORMAT [ARG...]\n";

const char kDescription[] =
    "Writes FORMAT with the ARGs as C's printf(FORMAT, ARG...) writes it, byte\n"
    "for byte as glibc does (but for one case, below), and nothing more (no\n"
    "line feed unless FORMAT ends in \\n). Every conversion of C: d i u o x X\n"
    "c s f F e E g G a A p and %%, the flags - + space # 0, a width and a\n"
    "precision (either as *, taken from the next ARG as an int; a negative\n"
    "width means -, a negative precision none), and the lengths hh h l ll j\n"
    "z t L. Floats are written from their exact binary value, rounded to\n"
    "nearest, ties to even, as glibc does.\n"
    "\n"
    "Each ARG is read as the type its conversion names and converted to it as\n"
    "C converts a value: %hhd of 300 is 44, %hu of -1 is 65535. The types have\n"
    "their sizes on x86-64 Linux (LP64), on every build, Windows' too (where\n"
    "long has 32 bits): char 8 bits, short 16, int 32, long, long long,\n"
    "intmax_t, size_t, ptrdiff_t and pointers 64, wint_t 32; double is IEEE\n"
    "binary64 and long double (%Lf) the x87 80-bit extended format. The text\n"
    "is worked out here, exactly, never by the C library, so it is the same\n"
    "on every build.\n"
    "\n"
    "ARGs: integers (d i u o x X p, and * widths) in decimal, hex (0x) or\n"
    "octal (0), with an optional sign, from -2^63 to 2^64-1; for %c one\n"
    "character (one byte; %lc one UTF-8 character, written as UTF-8) or its\n"
    "number, so 5 is the character '5' and 053 the number; for %s any text,\n"
    "as typed (an ARG has no escapes: %s of a\\0b writes those four\n"
    "characters; %ls UTF-8 text; the precision counts bytes); floats as C\n"
    "writes them (3.5, -1e-3, .5, 0x1.8p3, inf, nan), each rounded once, to\n"
    "nearest, to double, or to long double for %L. An ARG that starts with -\n"
    "and is no number (-inf, -nan, a text) needs -- before the first ARG.\n"
    "\n"
    "FORMAT's backslash escapes are C's, as a compiler reads them in a string\n"
    "literal: \\n \\t \\r \\a \\b \\f \\v \\\\ \\' \\\" \\? \\ooo \\xhh (--raw takes FORMAT\n"
    "as it is). As in C, FORMAT ends at its first NUL byte (\\0, \\x00, \\000):\n"
    "'a\\0b' writes a, and conversions after the NUL take no ARG. %p writes\n"
    "0x and hex digits, (nil) for 0, with + or space a sign before 0x, as\n"
    "glibc does. An error names the conversion by its number, its\n"
    "place in FORMAT and its text: an ARG missing, one left over, one that is\n"
    "no value of its type, %n (which writes to memory), a conversion C does\n"
    "not have (%y, %1$d) or a flag, precision or length C leaves undefined for\n"
    "it (%#d, %.3c, %hf, %Ld, %05p, %.3p).\n"
    "\n"
    "Limits: widths and precisions go up to 65536, and one run writes at most\n"
    "64 MiB (67108864 bytes); a FORMAT and ARGs that would write more are an\n"
    "error, reported before any of the text is written, which is then\n"
    "written as it is made, never held whole.\n"
    "\n"
    "Where glibc departs from ISO C, Quobrix follows ISO C: %#g and %#G with a\n"
    "precision P of 2 or more, of a value that rounds at P significant digits\n"
    "up to 10^P, write P significant digits as ISO C asks, where glibc writes\n"
    "one: %#.2g of 99.95 is 1.0e+02 (glibc 1.e+02), %#.3g of 999.5 is\n"
    "1.00e+03 (glibc 1.e+03), %#g of 999999.5 is 1.00000e+06 (glibc 1.e+06).\n"
    "Nowhere else does the text differ from glibc's.\n";

const char kOptions[] =
    "Options:\n"
    "  --explain   after the text, a table of the conversions: each one's\n"
    "              text, its place in FORMAT, the ARGs it took (by number),\n"
    "              the C type each was converted to, and its value as that\n"
    "              type (a float as the shortest decimal that reads back)\n"
    "  --raw       FORMAT has no escapes: a backslash is a backslash\n";

const char kExitStatus[] =
    "Exit status: 0 the text was written; 2 a usage error, FORMAT and the\n"
    "ARGs do not fit together (the message says where), the text would pass\n"
    "64 MiB, or it could not be written.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix printf '%08.3f|%-5hhd|%#x\\n' 3.14159 300 255\n"
    "  0003.142|44   |0xff\n"
    "  $ quobrix printf '[%*d] [%-6.2s] [%.3e] [%a] [%c%c]\\n' 5 -42 abc 1e300 0.1 A 0x42\n"
    "  [  -42] [ab    ] [1.000e+300] [0x1.999999999999ap-4] [AB]\n"
    "  $ quobrix printf --explain '%5.1Lf|%hu\\n' 2.25 -1\n"
    "    2.2|65535\n"
    "  conversion  at  argument  as              value\n"
    "  %5.1Lf       1         1  long double     2.25\n"
    "  %hu          8         2  unsigned short  65535\n";

}  // namespace

std::string PrintfHelpSection() {
    return std::string(kPrintfGroup) + ":\n  printf     " + kPrintfSummary +
           ";\n             exactly as glibc, sized as on 64-bit Linux (quobrix printf --help)\n";
}

std::string PrintfHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kOptions + "\n" + kExitStatus + "\n" + kExamples;
}
