#include "cli/link_session.h"
#include "cli/serial.h"

const char kSerialGroup[] = "Serial ports";
const char kSerialSummary[] = "frames sent and received on a serial port, checked";

namespace {

const char kUsage[] =
    "Usage: quobrix serial PORT [--baud N] [--framing 8N1] [--flow KIND]\n"
    "                      [--send HEX | --send-text TEXT]... [--check CHECK]\n"
    "                      [--repeat MS] [--count N] [--wait MS] [--gap MS|Nc]\n"
    "                      [--frame RULE] [--log FILE]\n"
    "       quobrix serial --list\n";

const char kDescription[] =
    "Opens PORT (/dev/ttyUSB0, /dev/ttyACM0, COM3) for itself alone, sends\n"
    "each --send frame with its --check appended, and waits --wait for the\n"
    "answer to each. Without --send it is a terminal: each line of standard\n"
    "input is sent, and every frame that arrives is printed. Each frame is one\n"
    "line: the seconds since the start, TX or RX, its bytes \"%02X \" apart,\n"
    "its text, and with --check the verdict (ok, or the check it holds and\n"
    "the one its data gives). Bytes outside any frame are printed as RX noise,\n"
    "a frame cut short as RX incomplete: no byte received is left out.\n"
    "\n"
    "A character on the line is the start bit, the data bits, the parity bit\n"
    "(if any) and the stop bits: 8N1 is 10 bits, 8E1 11, so 3.5 characters at\n"
    "9600 8E1 are 4.011 ms.\n";

const char kSerialOptions[] =
    "  --list          print the serial ports there are, with their by-id names\n"
    "  --baud N        50 to 4000000, any rate the driver takes (default 9600)\n"
    "  --framing WORD  data bits 5-8, parity N, E, O, M or S, stop bits 1, 1.5\n"
    "                  or 2 (default 8N1)\n"
    "  --flow KIND     none (the default), rtscts or xonxoff\n";

const char kExitStatus[] =
    "Exit status: 0 every answer came and checked (or the terminal ended);\n"
    "1 an answer did not come in time, or a frame failed its check; 2 a usage\n"
    "error, or the port could not be opened or went away: no such port, busy,\n"
    "permission denied (add the user to the dialout group), a setting the\n"
    "driver refuses, a cable pulled.\n";

// Each command is run by a test, which compares what it prints with the
// lines below it: socat makes a pty that echoes what it is sent.
const char kExamples[] =
    "Examples:\n"
    "  $ socat pty,rawer,link=p exec:cat & until [ -e p ]; do :; done; quobrix serial p --no-time --check 'CRC-16/MODBUS le' --send '11 03 00 6B 00 03'; kill $!\n"
    "  TX 11 03 00 6B 00 03 76 87 | \\x11\\x03\\x00k\\x00\\x03v\\x87\n"
    "  RX 11 03 00 6B 00 03 76 87 | \\x11\\x03\\x00k\\x00\\x03v\\x87 | ok\n";

const char kUses[] =
    "With a device (a MODBUS slave; a board that talks in lines):\n"
    "  quobrix serial /dev/ttyUSB0 --baud 19200 --framing 8E1 --gap 3.5c\n"
    "    --check 'CRC-16/MODBUS le' --send '11 03 00 6B 00 03'\n"
    "  quobrix serial /dev/ttyACM0 --baud 115200 --frame lines --input text\n";

}  // namespace

std::string SerialHelpSection() {
    return std::string(kSerialGroup) + ":\n  serial     " + kSerialSummary + ";\n             a terminal without --send (quobrix serial --help)\n";
}

std::string SerialHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kSerialOptions + kLinkOptionsHelp + "\n" + kExitStatus +
           "\n" + kUses + "\n" + kExamples;
}
