#include "cli/random.h"

const char kRandomGroup[] = "Random numbers";
const char kRandomSummary[] = "random integers in any 64-bit range, floats or bytes";

namespace {

const char kUsage[] =
    "Usage: quobrix random [--count N] --range LO..HI [--unique] [--sort]\n"
    "                      [--format lines|c [--name NAME]] [--seed S]\n"
    "       quobrix random [--count N] --float LO..HI [--sort] [--seed S]\n"
    "       quobrix random [--count N] --bytes [--format hex|c [--name NAME]]\n"
    "                      [--seed S]\n";

const char kDescription[] =
    "Draws N (1 unless --count says) integers in [LO, HI], floats in [LO, HI)\n"
    "or bytes, and prints them one to a line; bytes \"%02X \" apart, 16 to a\n"
    "line; or, with --format c, as a C array (as quobrix array writes it: the\n"
    "narrowest of unsigned char, uint16_t to uint64_t or int8_t to int64_t\n"
    "that holds the range, in decimal; bytes as unsigned char in hex).\n"
    "\n"
    "Integers are equally likely, whatever the range: a 64-bit word is\n"
    "multiplied by the range's size and words whose product falls in the short\n"
    "remainder are drawn again (Lemire), where x % n would favour low values.\n"
    "Floats take 53 random bits, scaled to the range.\n"
    "\n"
    "The numbers come from the system's secure generator (getentropy, or\n"
    "BCryptGenRandom on Windows). With --seed S they come from xoshiro256**\n"
    "(Blackman and Vigna), its state filled by SplitMix64 from S, which repeat\n"
    "on every build and system: test data that can be made again. Without\n"
    "--unique or --sort the numbers are written as they are drawn, in constant\n"
    "memory, however many.\n";

const char kOptions[] =
    "Options:\n"
    "  --count N        how many numbers (or bytes), decimal or 0x hex\n"
    "  --range LO..HI   integers from LO to HI, both included: decimal or 0x\n"
    "                   hex, unsigned (up to 18446744073709551615) or, when an\n"
    "                   end has a '-', signed (within int64)\n"
    "  --float LO..HI   decimal numbers from LO up to, not including, HI\n"
    "  --bytes          N bytes\n"
    "  --unique         no integer twice; an error when the range holds fewer\n"
    "                   than N\n"
    "  --sort           in ascending order\n"
    "                   (--unique and --sort hold the numbers until the last\n"
    "                   is drawn: N up to 67108864, 2^26, in about 1 GB)\n"
    "  --format FORMAT  lines (integers and floats), hex (bytes) or c\n"
    "  --name NAME      the C array's name (data unless given)\n"
    "  --seed S         reproducible numbers of xoshiro256** seeded with S\n"
    "                   (0 to 2^64 - 1, decimal or 0x hex)\n";

const char kExitStatus[] =
    "Exit status: 0 the numbers were written; 2 a usage error, a range that is\n"
    "empty or too small for --unique, or a system generator that failed.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix random --count 10 --range 1..6 --seed 1\n"
    "  5\n"
    "  4\n"
    "  4\n"
    "  3\n"
    "  5\n"
    "  1\n"
    "  1\n"
    "  3\n"
    "  6\n"
    "  4\n"
    "  $ quobrix random --count 5 --range -5..5 --seed 42 --format c --name offsets\n"
    "  #include <stdint.h>\n"
    "  \n"
    "  const int8_t offsets[] = {\n"
    "    -5, -1, 2, 5, 5\n"
    "  };\n"
    "  const unsigned int offsets_len = 5;\n"
    "  $ quobrix random --count 20 --bytes --seed 7\n"
    "  5A 76 F9 4E F7 FA 58 B3 D2 2C 48 4F 96 3D 5C 47\n"
    "  96 79 2C 95\n";

}  // namespace

std::string RandomHelpSection() {
    return std::string(kRandomGroup) + ":\n  random     " + kRandomSummary +
           ";\n             unique, sorted, or as a C array (quobrix random --help)\n";
}

std::string RandomHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kOptions + "\n" + kExitStatus + "\n" + kExamples;
}
