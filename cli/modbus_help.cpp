#include "cli/modbus.h"

const char kModbusGroup[] = "MODBUS";
const char kModbusSummary[] = "MODBUS frames decoded; a device read, written or simulated";

namespace {

const char kUsage[] =
    "Usage: quobrix modbus decode [--mode MODE] [--as TYPE[:ORDER]]... [FRAME...]\n"
    "       quobrix modbus read WIRE [--unit N] TABLE ADDRESS [COUNT]\n"
    "                           [--as TYPE[:ORDER]]... [--poll MS [--times N]]\n"
    "                           [--json] [--trace] [--timeout MS] [--retries N]\n"
    "       quobrix modbus write WIRE [--unit N] TABLE ADDRESS [--as TYPE:ORDER]\n"
    "                            [--multiple] [--trace] VALUE...\n"
    "       quobrix modbus serve WIRE --map FILE [--unit N]\n";

const char kDescription[] =
    "decode explains each FRAME (or each line of standard input): which\n"
    "framing carries it and what told it, the check's verdict, the unit, the\n"
    "function, the addresses, counts and values, an exception's name. A\n"
    "response after its request is paired with it and gets its addresses.\n"
    "read asks a device for COUNT registers or bits (1 if not given) from\n"
    "ADDRESS, and prints each with its address; write sets registers or\n"
    "coils: one by function 05 or 06, more (or with --multiple) by 0F or 10.\n"
    "serve is a device: it answers every request from the values of --map,\n"
    "keeps what is written, and prints a line for each request.\n"
    "\n"
    "Addresses are the 0-based addresses the frames carry. Device manuals\n"
    "often write references instead: 40001 is holding register 0, 30001 input\n"
    "register 0, 10001 discrete input 0, 00001 coil 0 (six digits, 400001,\n"
    "reach all 65536); --ref takes them.\n"
    "\n"
    "MODBUS sends a register high byte first, but says nothing of how a\n"
    "32- or 64-bit number spreads over several. ORDER names the bytes as they\n"
    "came, A first: abcd as they came, cdab the registers swapped, badc the\n"
    "bytes swapped in each, dcba both (mbpoll's -B reads cdab). Without ORDER\n"
    "every common order is shown.\n";

const char kModbusOptions[] =
    "The wire (read, write, serve):\n"
    "  --rtu PORT           RTU on a serial port (/dev/ttyUSB0, COM3)\n"
    "  --ascii PORT         ASCII on a serial port\n"
    "  --tcp HOST[:PORT]    TCP (port 502 if not given); serve: [HOST:]PORT\n"
    "  --rtu-over-tcp HOST[:PORT]\n"
    "                       RTU's frames on a TCP connection\n"
    "  --baud N             the serial port's rate (default 9600)\n"
    "  --framing WORD       its data bits, parity and stop bits (default 8N1)\n"
    "  --unit N             the device's unit 1-247 (default 1; on a serial line\n"
    "                       0 broadcasts a write, on TCP 0 and 255 reach the\n"
    "                       device itself); serve: the one unit to answer\n"
    "                       (default any)\n"
    "\n"
    "What to read or write:\n"
    "  --holding ADDRESS    holding registers (function 03, 06, 10)\n"
    "  --input-regs ADDRESS input registers (04)\n"
    "  --coils ADDRESS      coils (01, 05, 0F)\n"
    "  --inputs ADDRESS     discrete inputs (02)\n"
    "  --ref REFERENCE      the table and address of a reference: 40001\n"
    "\n"
    "Options:\n"
    "  --mode MODE          decode: rtu, ascii, tcp or rtu-over-tcp, when the\n"
    "                       bytes should not tell\n"
    "  --as TYPE[:ORDER]    registers as numbers: u16 i16 u32 i32 f32 u64 i64\n"
    "                       f64; ORDER abcd, cdab, badc, dcba (abcdefgh ... for\n"
    "                       64 bits); write: the type of each VALUE; or the\n"
    "                       run as one text: string (:ab the first character\n"
    "                       in the high byte, as written by default; :ba swapped)\n"
    "  --poll MS            read again every MS, printing what changed\n"
    "  --times N            read N times, then stop\n"
    "  --json               read: print the values as JSON\n"
    "  --trace              print each frame sent and received, with its check\n"
    "  --timeout MS         wait MS for each answer (default 1000)\n"
    "  --retries N          ask again N times when no valid answer came\n"
    "  --multiple           write: 0F or 10 even for one value\n"
    "  --map FILE           serve: the device's values, a line each:\n"
    "                       TYPE [ORDER] REFERENCE VALUE..., e.g.\n"
    "                       f32 cdab 40001 3.14; bit 00001 1 0 1; u16 30001 7\n";

const char kExitStatus[] =
    "Exit status: 0 every frame decoded and checked, or the device answered\n"
    "and the answer checked; 1 a frame failed its check or its layout, no\n"
    "valid answer came in time, or the device answered with an exception; 2 a\n"
    "usage error, or the port could not be opened.\n";

// Each command is run by a test, which compares what it prints with the
// lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ echo 'f32 cdab 40001 3.14' >device.map; quobrix modbus serve --tcp 127.0.0.1:5502 --map device.map >/dev/null 2>&1 & for i in $(seq 1000); do quobrix modbus read --tcp 127.0.0.1:5502 --holding 0 2 --as f32:cdab 2>/dev/null && break; done; kill -INT $!\n"
    "  f32 cdab at 0 (40001): 3.14 (F5 C3 40 48)\n"
    "  $ quobrix modbus decode '11 03 00 6B 00 03 76 87' '11 03 06 AE 41 56 52 43 40 49 AD'\n"
    "  frame 1: 11 03 00 6B 00 03 76 87\n"
    "    framing: RTU, or RTU over TCP (CRC-16/MODBUS of the first 6 bytes matches the last two)\n"
    "    check: CRC 0x8776 ok\n"
    "    unit: 17 (0x11)\n"
    "    function: 0x03 Read Holding Registers, request\n"
    "    address: 107 (0x006B, 40108)\n"
    "    count: 3\n"
    "  frame 2: 11 03 06 AE 41 56 52 43 40 49 AD\n"
    "    framing: RTU, or RTU over TCP (CRC-16/MODBUS of the first 9 bytes matches the last two)\n"
    "    check: CRC 0xAD49 ok\n"
    "    unit: 17 (0x11)\n"
    "    function: 0x03 Read Holding Registers, response to frame 1\n"
    "    address: 107 (0x006B, 40108)\n"
    "    count: 3\n"
    "    byte count: 6\n"
    "    register 107 (0x006B, 40108): 0xAE41 = 44609\n"
    "    register 108 (0x006C, 40109): 0x5652 = 22098\n"
    "    register 109 (0x006D, 40110): 0x4340 = 17216\n"
    "  $ quobrix modbus decode --mode tcp --as f32:cdab '00 07 00 00 00 07 01 03 04 F5 C3 40 48'\n"
    "  frame 1: 00 07 00 00 00 07 01 03 04 F5 C3 40 48\n"
    "    framing: TCP (as given)\n"
    "    check: none: TCP carries no check, its MBAP length agrees\n"
    "    unit: 1 (0x01)\n"
    "    transaction: 7\n"
    "    function: 0x03 Read Holding Registers, response\n"
    "    byte count: 4\n"
    "    register[0]: 0xF5C3 = 62915\n"
    "    register[1]: 0x4048 = 16456\n"
    "    f32 cdab #1: 3.14 (F5 C3 40 48)\n";

}  // namespace

std::string ModbusHelpSection() {
    return std::string(kModbusGroup) + ":\n  modbus     " + kModbusSummary +
           "\n             (quobrix modbus --help)\n";
}

std::string ModbusHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kModbusOptions + "\n" + kExitStatus + "\n" + kExamples;
}
