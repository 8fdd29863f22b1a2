#include "cli/num.h"

const char kNumGroup[] = "Numbers in every byte order";
const char kNumSummary[] = "bytes as numbers in every byte order, and numbers as bytes";

namespace {

const char kUsage[] =
    "Usage: quobrix num HEX...\n"
    "       quobrix num --type TYPE --order ORDER HEX...\n"
    "       quobrix num --type TYPE --order ORDER --from VALUE\n";

const char kDescription[] =
    "HEX is hex digits, as one argument or several (41 20 00 00, '41 20 00 00'\n"
    "or 41200000): pairs left to right, a lone digit is a byte, 0x is dropped;\n"
    "blanks and punctuation separate, any other character is an error.\n"
    "\n"
    "The bytes of a number are named A (the most significant), B, C, ...; an\n"
    "ORDER lists, for each byte as it comes, which of them it is. For four\n"
    "bytes: ABCD big-endian, DCBA little-endian, BADC the bytes of each 16-bit\n"
    "word swapped, CDAB the words swapped. So CDAB reads the Modbus registers\n"
    "00 00 41 20 as the number 41 20 00 00, the float32 10. \"Word swap\" and\n"
    "\"byte swap\" mean different orders in different tools; the letters do not.\n"
    "\n"
    "Without --type: a table of 2, 4 or 8 bytes in the common orders (2: AB BA;\n"
    "4: ABCD DCBA BADC CDAB; 8: ABCDEFGH HGFEDCBA BADCFEHG GHEFCDAB), a row\n"
    "each: the order, the number in hex (A first), as signed and unsigned\n"
    "integer and as IEEE-754 float (float32 of 4 bytes, float64 of 8).\n"
    "\n"
    "Floats print as the shortest decimal that reads back to the same value\n"
    "(a float32 to the same float32), as Python's repr writes them: 10, 0.1,\n"
    "1e+16, 1.5e-07; inf, nan and 0 with '-' when the sign bit is set.\n";

const char kOptions[] =
    "Options:\n"
    "  --type TYPE      int16 uint16 int32 uint32 int64 uint64 float32 float64:\n"
    "                   only that number, of exactly its size\n"
    "  --order ORDER    every letter from A up to the type's size once, in any\n"
    "                   order and either case (BCDA is a byte order too)\n"
    "  --from VALUE     the bytes of VALUE in ORDER, \"%02X \" apart. Integers:\n"
    "                   decimal or 0x hex with an optional sign, within the\n"
    "                   type's range (-0x8000 is an int16, 0xFFFF is not).\n"
    "                   Floats: a decimal number (1e-5, .5, -0), inf or nan,\n"
    "                   with an optional sign; correctly rounded to the type\n";

const char kExitStatus[] =
    "Exit status: 0 the numbers or bytes were printed; 2 a usage error, bytes\n"
    "of the wrong count, or a VALUE that is no number of the type or out of\n"
    "its range.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix num 00 00 41 20\n"
    "  order  hex            int32      uint32  float32\n"
    "  ABCD   00004120       16672       16672  2.3362e-41\n"
    "  DCBA   20410000   541130752   541130752  1.6347736e-19\n"
    "  BADC   00002041        8257        8257  1.157e-41\n"
    "  CDAB   41200000  1092616192  1092616192  10\n"
    "  $ quobrix num --type float32 --order CDAB --from 230.5\n"
    "  80 00 43 66\n";

}  // namespace

std::string NumHelpSection() {
    return std::string(kNumGroup) + ":\n  num        " + kNumSummary + ";\n             int16 to uint64, float32 and float64 (quobrix num --help)\n";
}

std::string NumHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kOptions + "\n" + kExitStatus + "\n" + kExamples;
}
