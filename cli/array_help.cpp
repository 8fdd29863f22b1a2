#include "cli/array.h"

const char kArrayGroup[] = "File to C array";
const char kArraySummary[] = "a file as a C array, and a C array back to bytes";

namespace {

const char kUsage[] =
    "Usage: quobrix array [OPTIONS] [--] [FILE]\n"
    "       quobrix array [OPTIONS] --text TEXT | --hex HEX\n"
    "       quobrix array --reverse [--type TYPE] [--char SIGN] [--] [FILE] > BINARY\n"
    "       quobrix array --reverse [--type TYPE] [--char SIGN] --text C-TEXT > BINARY\n"
    "       quobrix array --reverse [--type TYPE] [--char SIGN] -o BINARY [--] [FILE]\n";

const char kDescription[] =
    "Writes the bytes of FILE, of standard input (no FILE, or FILE -), of TEXT\n"
    "or of hex digits as C source: the array, a line of elements at a time, and\n"
    "its length NAME_len, the number of elements. The elements of the default\n"
    "type u8 are written as xxd -i writes them, 12 to a line in lower-case hex.\n"
    "The array is named as xxd -i names it: FILE as typed, each character that\n"
    "is no ASCII letter or digit made '_', \"__\" before a leading digit\n"
    "(fw/app-1.bin: fw_app_1_bin); data for standard input, TEXT and HEX.\n"
    "Files of any size are read and written in blocks, in constant memory.\n"
    "\n"
    "--reverse reads C text and writes the bytes gcc gives its array to\n"
    "standard output (not a terminal): each number as TYPE, in its byte\n"
    "order. The text is read as gcc reads it: lines joined at a backslash\n"
    "(a // comment that ends in one goes on), comments, a UTF-8 BOM,\n"
    "#include, #define and #if 0, #if 1, #ifdef, #ifndef groups. The array is\n"
    "the first one declared NAME[..] = { .. }; its sizes ([4], [2][3], [][3])\n"
    "give its length, the elements not given are zeros, and nested braces\n"
    "follow C's rules. Text that starts with '{' or a number is the list\n"
    "alone. After the closing '}' only where comments and #if groups end is\n"
    "read. Numbers are hex (0x1F), decimal (31, -1), octal (037), binary\n"
    "(0b11111) with C's suffixes (u, l, ll), or character literals ('a',\n"
    "'\\n', '\\x1f', '\\037'): an int of a char, so '\\xff' is -1 where char is\n"
    "signed (--char). A negative number is its two's complement in TYPE (-1\n"
    "as u8 is 0xff). What gcc would read otherwise, or refuse, is an error\n"
    "that names its line and column: a size or a macro in the declaration, a\n"
    "cast, more numbers than the array holds, an #if of another condition,\n"
    "elements declared of another size than TYPE's (uint16_t read as u8);\n"
    "the bytes before it have been written to standard output by then.\n"
    "\n"
    "-o FILE writes the C source, or the bytes of --reverse, to FILE instead\n"
    "of standard output (-o - is standard output), and --reverse may then run\n"
    "at a terminal. FILE is written under a temporary name beside it and\n"
    "renamed to FILE only once all of it is there: an error midway, Ctrl+C or\n"
    "kill leaves no half file and no temporary one, and a FILE that was there\n"
    "as it was. A FILE that was there keeps its mode and owner; a new one gets\n"
    "0666 less the umask. A symbolic link stays a link: the file it leads to\n"
    "is written so (made, if there is none). A file of several names (hard\n"
    "links) is written in place once all of it is ready, so that every name\n"
    "shows it. A device or a FIFO (/dev/null, a pipe) is written through as\n"
    "the bytes come, as sort -o writes it. A directory, a socket or a file\n"
    "you may not write is refused.\n";

const char kOptions[] =
    "Options:\n"
    "  --name NAME      the array's name: a C identifier, no keyword of C89\n"
    "                   to C23, and none <stdint.h> declares where the type\n"
    "                   needs it (uint8_t, INT8_MAX)\n"
    "  --type TYPE      u8 (unsigned char), u16le u16be (uint16_t), u32le u32be\n"
    "                   (uint32_t): each element of so many bytes, least (le)\n"
    "                   or most (be) significant first; the length must be a\n"
    "                   whole number of elements\n"
    "  --pad            fills a last partial element with zero bytes rather\n"
    "                   than stopping with an error\n"
    "  --per-line N     elements to a line (1 to 1000): 12 u8, 8 u16, 6 u32\n"
    "  --decimal        elements in decimal (255), not hex (0xff)\n"
    "  --static         static definitions, private to their file\n"
    "  --mutable        without const\n"
    "  --header         a header: an include guard NAME_H (upper case) around\n"
    "                   it all, and static definitions, so that every file may\n"
    "                   include it\n"
    "  --crc            ends with a comment of the CRC-32 (ISO-HDLC, zlib's) of\n"
    "                   the bytes, padding left out\n"
    "  --text TEXT      the bytes of TEXT (UTF-8 as the shell gives it); with\n"
    "                   --reverse, the C text to read\n"
    "  --hex HEX        the bytes of hex digits: pairs left to right, blanks\n"
    "                   and punctuation separate\n"
    "  --reverse        C text to bytes, as above\n"
    "  --char SIGN      with --reverse, plain char is signed (the default, as\n"
    "                   gcc on x86 and x86-64) or unsigned (as on ARM, RISC-V\n"
    "                   and PowerPC): '\\xff' as u16 is 0xffff or 0x00ff\n"
    "  -o FILE          the C source, or --reverse's bytes, to FILE, whole or\n"
    "                   not at all\n"
    "  --output FILE    the same as -o FILE\n";

const char kExitStatus[] =
    "Exit status: 0 the array or the bytes were written; 2 a usage error, a\n"
    "file that cannot be read or written, a length that is no whole number of\n"
    "elements, or, with --reverse, text that is no array of numbers of TYPE.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix array --name greeting --text 'Hello, world'\n"
    "  const unsigned char greeting[] = {\n"
    "    0x48, 0x65, 0x6c, 0x6c, 0x6f, 0x2c, 0x20, 0x77, 0x6f, 0x72, 0x6c, 0x64\n"
    "  };\n"
    "  const unsigned int greeting_len = 12;\n"
    "  $ quobrix array --name table --type u16be --hex '12 34 AB CD 00 01' --crc\n"
    "  #include <stdint.h>\n"
    "  \n"
    "  const uint16_t table[] = {\n"
    "    0x1234, 0xabcd, 0x0001\n"
    "  };\n"
    "  const unsigned int table_len = 3;\n"
    "  /* CRC-32 (ISO-HDLC, as zlib) of the 6 bytes: 0xDF67B7F4 */\n"
    "  $ quobrix array --reverse --text \"{ 0x48, 'i', 33, 012 }\"\n"
    "  Hi!\n"
    "  $ quobrix array --reverse --text '{ 0x4f, 0x4b }' -o ok.txt && cat ok.txt\n"
    "  OK\n";

}  // namespace

std::string ArrayHelpSection() {
    return std::string(kArrayGroup) + ":\n  array      " + kArraySummary +
           ";\n             u8, u16, u32, a header, the CRC-32 (quobrix array --help)\n";
}

std::string ArrayHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kOptions + "\n" + kExitStatus + "\n" + kExamples;
}
