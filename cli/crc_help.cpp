#include "cli/crc.h"

#include "workbench/crc/catalogue.h"

const char kCrcGroup[] = "The CRC workbench";
const char kCrcSummary[] = "any catalogued CRC, or your own, of files, a text or hex digits";

namespace {

const char kUsage[] =
    "Usage: quobrix crc MODEL [--bytes be|le] [--] [FILE...]\n"
    "       quobrix crc MODEL [--bytes be|le] --text TEXT [--gbk] | --hex HEXTEXT\n"
    "       quobrix crc --width N --poly P [--init I] [--refin true|false]\n"
    "                   [--refout true|false] [--xorout X] [--bytes be|le]\n"
    "                   [--] [FILE...]\n"
    "       quobrix crc MODEL --emit c [-o FILE]\n"
    "       quobrix crc --list\n";

const char kDescription[] =
    "Prints the CRC of each FILE, of standard input (no FILE, or FILE -), of\n"
    "TEXT or of hex digits, in upper-case hex of width/4 digits (rounded up).\n"
    "Files are read whole in blocks, in constant memory, whatever their size.\n"
    "\n"
    "MODEL is a name of the catalogue of parametrised CRC algorithms\n"
    "(CRC-16/MODBUS; --list shows them all), in any case; a former name, which\n"
    "is noted on standard error with the name it became; or a whole parameter\n"
    "line as --list prints it, quoted (check, residue and name may be left out;\n"
    "a check given must hold). The everyday CCITT means three different CRCs:\n"
    "such a name is an error that lists them.\n";

const char kOptions[] =
    "Input (standard input when there is no FILE and none of these):\n"
    "  FILE...          one line each: the CRC, two blanks, the name (md5sum's\n"
    "                   form; a name with a line break starts the line with \\\n"
    "                   and shows \\\\, \\n and \\r); a file that cannot be read\n"
    "                   is reported and the others still run\n"
    "  --text TEXT      the bytes of TEXT as given; --text=-x for a TEXT that\n"
    "                   starts with a dash\n"
    "  --gbk            with --text: its characters in GBK (code page 936), as\n"
    "                   the dialog's tools hold them\n"
    "  --hex HEXTEXT    hex digits read as the dialog reads them: pairs left to\n"
    "                   right, any other character separates, a lone digit is a\n"
    "                   byte, 0x is dropped\n"
    "\n"
    "Output:\n"
    "  --bytes be|le    the CRC as the bytes that follow the data, \"%02X \"\n"
    "                   apart: be high byte first, le low byte first (as MODBUS\n"
    "                   sends it); a width that is not whole bytes gets zero\n"
    "                   bits on top (CRC-12 ABC: be 0A BC, le BC 0A)\n"
    "  --emit c         C99 source of the CRC to take away: a table (a bitwise\n"
    "                   loop above 64 bits) and init, update and final\n"
    "                   functions named after the model (crc16_modbus_init)\n"
    "  --list           the catalogue, one parameter line per model\n"
    "  -o FILE          what is printed, to FILE instead of standard output\n"
    "                   (- is standard output), kept only when every CRC was\n"
    "                   printed; written as quobrix array -o writes: under a\n"
    "                   temporary name, then renamed, a device or a FIFO\n"
    "                   written through (quobrix array --help tells more)\n"
    "  --output FILE    the same as -o FILE\n"
    "\n"
    "Parameters of your own, in place of MODEL (every argument is then a FILE,\n"
    "./ before one named as a MODEL; numbers in hex, 0x optional):\n"
    "  --width N        the register's bits, 1 to 82, decimal\n"
    "  --poly P         the polynomial, normal form, without its top bit\n"
    "  --init I         the register's start (default 0)\n"
    "  --refin B        true: input bytes reflected, lowest bit first\n"
    "                   (default false)\n"
    "  --refout B       true: the result reflected (default: as --refin)\n"
    "  --xorout X       XORed into the result (default 0)\n"
    "  --               end of options: a FILE that starts with - follows\n";

const char kExitStatus[] =
    "Exit status: 0 every CRC was printed; 2 a usage error, a name that is\n"
    "unknown or ambiguous, a check that does not hold, invalid parameters, a\n"
    "file or standard input that cannot be read, or output that cannot be\n"
    "written.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix crc CRC-16/MODBUS --text 123456789 --bytes le\n"
    "  37 4B\n"
    "  $ printf 123456789 | quobrix crc CRC-32/ISO-HDLC\n"
    "  CBF43926\n"
    "  $ quobrix crc --width 16 --poly 1021 --init ffff --text 123456789\n"
    "  29B1\n"
    "  $ quobrix crc CRC-16/MODBUS --emit c -o crc16_modbus.c && tail -4 crc16_modbus.c\n"
    "  uint16_t crc16_modbus_final(uint16_t crc)\n"
    "  {\n"
    "      return (uint16_t)(crc ^ 0x0000);\n"
    "  }\n";

}  // namespace

std::string CrcHelpSection() {
    return std::string(kCrcGroup) + ":\n  crc        " + kCrcSummary + ";\n             " +
           std::to_string(CrcCatalogue().size()) + " models by name, C source to take away (quobrix crc --help)\n";
}

std::string CrcHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kOptions + "\n" + kExitStatus + "\n" + kExamples;
}
