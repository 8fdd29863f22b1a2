#include "cli/link_session.h"
#include "cli/tcp.h"

const char kTcpGroup[] = "TCP connections";
const char kTcpSummary[] = "frames sent and received over TCP, as client or server";

namespace {

const char kUsage[] =
    "Usage: quobrix tcp HOST:PORT [--send HEX | --send-text TEXT]...\n"
    "                   [--check CHECK]\n"
    "                   [--repeat MS] [--count N] [--wait MS] [--gap MS]\n"
    "                   [--frame RULE] [--log FILE]\n"
    "       quobrix tcp --listen PORT [the same options]\n";

const char kDescription[] =
    "Connects to HOST:PORT (with --listen: waits on PORT for one peer, 0 for a\n"
    "port the system chooses, and says which), then works as quobrix serial\n"
    "does: each --send frame with its --check appended, the answer waited\n"
    "for; without --send, standard input's lines are sent and every frame\n"
    "received is printed, a line each.\n";

const char kTcpOptions[] = "  --listen PORT   be the server: wait on PORT for the peer\n";

const char kExitStatus[] =
    "Exit status: 0 every answer came and checked (or the terminal ended);\n"
    "1 an answer did not come in time, or a frame failed its check; 2 a usage\n"
    "error, a connection refused, or a peer that closed the connection.\n";

// Each command is run by a test, which compares what it prints with the
// lines below it: quobrix listens, and a second one connects to it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix tcp --listen 5020 --send-text pong >/dev/null 2>&1 & for i in $(seq 1000); do quobrix tcp 127.0.0.1:5020 --no-time --send-text ping 2>/dev/null && break; done; wait\n"
    "  TX 70 69 6E 67 | ping\n"
    "  RX 70 6F 6E 67 | pong\n";

const char kUses[] =
    "With a device (MODBUS TCP; a server of lines):\n"
    "  quobrix tcp 192.168.1.10:502 --frame length=4:2:be:6\n"
    "    --send '00 01 00 00 00 06 11 03 00 6B 00 03'\n"
    "  quobrix tcp --listen 4001 --frame lines --input text\n";

}  // namespace

std::string TcpHelpSection() {
    return std::string(kTcpGroup) + ":\n  tcp        " + kTcpSummary + ";\n             a terminal without --send (quobrix tcp --help)\n";
}

std::string TcpHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kTcpOptions + kLinkOptionsHelp + "\n" + kExitStatus +
           "\n" + kUses + "\n" + kExamples;
}
