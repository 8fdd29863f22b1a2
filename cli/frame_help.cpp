#include "cli/frame.h"

const char kFrameGroup[] = "Frames built and verified";
const char kFrameSummary[] = "a frame built with its check, or verified";

namespace {

const char kUsage[] =
    "Usage: quobrix frame CHECK [--order be|le] [--head HEX] [--tail HEX]\n"
    "                     [--] DATA...\n"
    "       quobrix frame CHECK [--order be|le] [--head HEX] [--tail HEX] --verify\n"
    "                     [--] FRAME...\n"
    "       quobrix frame --text WORDS [--verify] [--] LINE\n";

const char kDescription[] =
    "Builds a frame: the --head bytes, DATA, the check over DATA, the --tail\n"
    "bytes, printed \"%02X \" apart as the dialog prints bytes. With --verify the\n"
    "words are a whole frame: prints ok (exit 0) when its head, tail and check\n"
    "agree; else which head or tail byte differs, or the check the frame holds\n"
    "and the one its data gives (exit 1).\n"
    "\n"
    "CHECK is a line quobrix find prints, quoted ('CRC-16/MODBUS le head=0\n"
    "tail=0'), a catalogue name or a former one, a sum's name, or a CRC\n"
    "parameter line as quobrix crc --list prints it. ORDER in the line stands\n"
    "for --order; head=H and tail=T say how many bytes --head and --tail hold,\n"
    "and with --verify and no --head (--tail) that many bytes of any value.\n"
    "\n"
    "With --text the check is written as hex digits at the end of a line of\n"
    "text, where WORDS say, as quobrix find --text prints them:\n"
    "  NAME text from=C to=S hexN [lower] [pairs] [crlf]\n"
    "NAME as CHECK above; from=C: the line begins with C and the span after it\n"
    "(from=line, the default: the span is the line from its first character);\n"
    "to=S: the separator before the digits (to=none, the default: none); hexN:\n"
    "2, 4 or 8 digits (the default: the check's width), upper case unless\n"
    "lower; pairs: the check is over the bytes the span spells as hex pairs;\n"
    "crlf: the line ends with CR LF. LINE is one argument, \\r, \\n, \\xHH and\n"
    "\\\\ for their bytes. Builds the line: the separator unless LINE ends with\n"
    "it, the digits, and CR LF with crlf, shown with its escapes. With\n"
    "--verify prints ok (exit 0), or the digits expected and those the line\n"
    "holds, or why the line has no check of that form (exit 1).\n";

const char kOptions[] =
    "  DATA...         hex digits, in one word or many: pairs left to right, a\n"
    "                  lone digit is a byte, 0x is dropped; blanks and\n"
    "                  punctuation separate, any other character is an error\n"
    "  --order be|le   a check wider than a byte high byte first (be, the\n"
    "                  default) or low byte first (le, as MODBUS sends it); a\n"
    "                  width that is not whole bytes gets zero bits on top;\n"
    "                  - (as find writes it) for a one-byte check only\n"
    "  --head HEX      the bytes before the data (a start byte, an address),\n"
    "                  hex digits as DATA takes them\n"
    "  --tail HEX      the bytes after the check (an end byte), likewise\n"
    "  --verify        check a whole frame instead of building one\n"
    "  --text WORDS    a check written at the end of a text line, see above\n";

const char kExitStatus[] =
    "Exit status: 0 the frame was printed, or it verified; 1 it did not\n"
    "verify; 2 a usage error, an unknown CHECK or bytes that are not hex\n"
    "digits.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix frame CRC-16/MODBUS --order le 11 03 00 6B 00 03\n"
    "  11 03 00 6B 00 03 76 87\n"
    "  $ quobrix frame CRC-16/MODBUS --order le --verify 11 03 00 6B 00 03 76 87\n"
    "  ok\n"
    "  $ quobrix frame --text 'XOR-8 text from=$ to=* hex2' '$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*'\n"
    "  $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\n"
    "  $ quobrix frame --text 'SUM-8/TWOS text from=: hex2 pairs crlf' ':1103006B0003'\n"
    "  :1103006B00037E\\r\\n\n";

}  // namespace

std::string FrameHelpSection() {
    return std::string(kFrameGroup) + ":\n  frame      " + kFrameSummary + "\n             (quobrix frame --help)\n";
}

std::string FrameHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kOptions + "\n" + kExitStatus + "\n" + kExamples;
}
