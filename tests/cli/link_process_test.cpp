// quobrix serial and quobrix tcp against real ports and peers: a
// pseudo-terminal pair stands in for the cable (the test holds the master,
// the program opens the slave), a socket of the test's own for the TCP
// peer, and, as a peer written apart from this code, a python3-serial
// responder over a socat pty pair. Every wait is for a condition, bounded.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "link_peers.h"
#include "quobrix_process.h"
#include "temp_folder.h"

extern char** environ;

namespace {

using namespace link_peers;

// MODBUS over serial line's own example: read three registers of slave 17,
// and the answer.
const std::string kRequestData = "11 03 00 6B 00 03";
const std::string kRequest = Bytes({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87});
const std::string kAnswer = Bytes({0x11, 0x03, 0x06, 0xAE, 0x41, 0x56, 0x52, 0x43, 0x40, 0x49, 0xAD});

// The lines of `out` whose direction word is `direction` ("RX", "TX"), each
// without its time.
std::vector<std::string> LinesOf(const std::string& out, const std::string& direction) {
    std::vector<std::string> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) {
        const std::size_t blank = line.find(' ');
        if (blank != std::string::npos && line.compare(blank + 1, direction.size() + 1, direction + " ") == 0) {
            lines.push_back(line.substr(blank + 1));
        }
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class QuobrixSerial : public QuobrixCli {};
class QuobrixTcp : public QuobrixCli {};

// ---- Serial: answers and their checks ------------------------------------

TEST_F(QuobrixSerial, AnAnswerThatChecksExitsZero) {
    PtyCable cable;
    ASSERT_FALSE(cable.name().empty());
    std::string request;
    ProcessResult r;
    {
        Peer peer([&] {
            if (cable.ReadAtLeast(kRequest.size(), request)) cable.Write(kAnswer);
        });
        r = Quobrix({"serial", cable.name(), "--baud", "19200", "--framing", "8E1", "--check", "CRC-16/MODBUS le",
                     "--send", kRequestData, "--wait", "20000"});
    }
    EXPECT_EQ(request, kRequest);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Joined(LinesOf(r.out, "TX")), "TX 11 03 00 6B 00 03 76 87 | \\x11\\x03\\x00k\\x00\\x03v\\x87\n");
    EXPECT_EQ(Joined(LinesOf(r.out, "RX")), "RX 11 03 06 AE 41 56 52 43 40 49 AD | \\x11\\x03\\x06\\xAEAVRC@I\\xAD | ok\n");
}

// A frame's time is when its first byte came, not when the silence after
// it ended the frame: with a gap of three seconds the answer, written as
// soon as the request is read, is stamped before those seconds have passed
// (a stamp taken at the frame's end is three seconds after the TX line at
// the least).
TEST_F(QuobrixSerial, AFramesTimeIsItsFirstBytesNotTheSilencesEnd) {
    PtyCable cable;
    std::string request;
    ProcessResult r;
    {
        Peer peer([&] {
            if (cable.ReadAtLeast(kRequest.size(), request)) cable.Write(kAnswer);
        });
        r = Quobrix({"serial", cable.name(), "--gap", "3000", "--check", "CRC-16/MODBUS le", "--send", kRequestData,
                     "--wait", "20000"});
    }
    EXPECT_EQ(request, kRequest);
    ASSERT_EQ(r.exit_code, 0) << r.err << r.out;
    double tx = -1, rx = -1;
    std::istringstream stream(r.out);
    for (std::string line; std::getline(stream, line);) {
        const double at = std::strtod(line.c_str(), nullptr);
        if (line.find(" TX ") != std::string::npos) tx = at;
        if (line.find(" RX ") != std::string::npos) rx = at;
    }
    ASSERT_GE(tx, 0) << r.out;
    ASSERT_GE(rx, tx) << r.out;
    EXPECT_LT(rx - tx, 3.0) << r.out;
}

TEST_F(QuobrixSerial, AWrongCheckOrNoAnswerExitsOne) {
    {
        PtyCable cable;
        std::string request;
        ProcessResult r;
        {
            Peer peer([&] {
                std::string wrong = kAnswer;
                wrong.back() = static_cast<char>(0xAE);
                if (cable.ReadAtLeast(kRequest.size(), request)) cable.Write(wrong);
            });
            r = Quobrix({"serial", cable.name(), "--check", "CRC-16/MODBUS le", "--send", kRequestData, "--wait",
                         "20000"});
        }
        EXPECT_EQ(r.exit_code, 1) << r.err;
        EXPECT_EQ(Joined(LinesOf(r.out, "RX")),
                  "RX 11 03 06 AE 41 56 52 43 40 49 AE | \\x11\\x03\\x06\\xAEAVRC@I\\xAE"
                  " | check 49 AE, the data gives 49 AD\n");
    }
    {
        PtyCable cable;
        const ProcessResult r = Quobrix({"serial", cable.name(), "--send", "01", "--wait", "100"});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.err, "quobrix: " + cable.name() + ": no answer within 100 ms\n");
        EXPECT_EQ(LinesOf(r.out, "RX").size(), 0u);
    }
}

// --repeat and --count: each round sends every frame and waits for its answer.
TEST_F(QuobrixSerial, RoundsSendEveryFrameInTheOrderGiven) {
    PtyCable cable;
    std::string received;
    ProcessResult r;
    {
        Peer peer([&] {
            for (int i = 0; i < 4; ++i) {
                const std::size_t before = received.size();
                if (!cable.ReadAtLeast(before + 1, received)) return;
                cable.Write(received.substr(before));  // each frame echoed
            }
        });
        r = Quobrix({"serial", cable.name(), "--send", "A1", "--send-text", "b", "--repeat", "0", "--count", "2",
                     "--wait", "20000"});
    }
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(received, "\xA1" "b\xA1" "b");
    EXPECT_EQ(Joined(LinesOf(r.out, "TX")), "TX A1 | \\xA1\nTX 62 | b\nTX A1 | \\xA1\nTX 62 | b\n");
    EXPECT_EQ(Joined(LinesOf(r.out, "RX")), "RX A1 | \\xA1\nRX 62 | b\nRX A1 | \\xA1\nRX 62 | b\n");
}

// Without --check, once the answers bear a check out, it is named, as
// quobrix find names it (the answers' CRCs worked out by Python apart).
TEST_F(QuobrixSerial, TheCheckOfUncheckedAnswersIsNamed) {
    const std::vector<std::string> answers = {
        Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}),
        Bytes({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}),
        Bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03, 0x98, 0x0B}),
        Bytes({0x02, 0x10, 0x00, 0x20, 0x00, 0x02, 0x04, 0x00, 0x0A, 0x01, 0x02, 0x5E, 0xA0}),
    };
    PtyCable cable;
    ProcessResult r;
    {
        Peer peer([&] {
            std::string received;
            for (const std::string& answer : answers) {
                if (!cable.ReadAtLeast(received.size() + 1, received)) return;
                cable.Write(answer);
            }
        });
        r = Quobrix({"serial", cable.name(), "--send", "00", "--repeat", "0", "--count", "4", "--wait", "20000"});
    }
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(LinesOf(r.out, "RX").size(), 4u);
    EXPECT_EQ(r.err, "quobrix: the frames carry CRC-16/MODBUS le head=0 tail=0 (--check 'CRC-16/MODBUS le head=0 "
                     "tail=0' verifies them)\n");
}

// ---- Serial: faults -------------------------------------------------------

TEST_F(QuobrixSerial, TheCablePulledMidFrameIsAPortErrorWithTheBytesShown) {
    if (kCommand.size() > 1) GTEST_SKIP() << "the launcher's standard input";
    PtyCable cable;
    TempFolder folder;
    Background program({"serial", cable.name(), "--frame", "length=2:1:be:5", "--gap", "60000", "--wait", "20000"},
                       folder.Path("out"), folder.Path("err"));
    // The terminal sends a line once the port is open; the device answers
    // half a frame. A second line sent after it comes out of the same loop
    // that reads the port, so once it is here the half frame was read.
    std::string seen;
    program.Type("01\n");
    ASSERT_TRUE(cable.ReadAtLeast(1, seen));
    cable.Write(Bytes({0x11, 0x03, 0x06, 0xAE}));
    program.Type("02\n");
    ASSERT_TRUE(cable.ReadAtLeast(2, seen));
    cable.Pull();
    EXPECT_EQ(program.Wait(), 2);
    EXPECT_EQ(folder.Read("err"), "quobrix: " + cable.name() + ": the port went away (cable pulled or device removed)\n");
    EXPECT_EQ(Joined(LinesOf(folder.Read("out"), "RX")), "RX incomplete 11 03 06 AE | \\x11\\x03\\x06\\xAE\n");
}

TEST_F(QuobrixSerial, ThePtyGoneWhileListeningIsAPortError) {
    PtyCable cable;
    ProcessResult r;
    {
        Peer peer([&] {
            std::string request;
            if (cable.ReadAtLeast(1, request)) cable.Pull();
        });
        r = Quobrix({"serial", cable.name(), "--wait", "20000"}, "01\n");
    }
    EXPECT_EQ(r.exit_code, 2) << r.err;
    EXPECT_EQ(r.err, "quobrix: " + cable.name() + ": the port went away (cable pulled or device removed)\n");
}

TEST_F(QuobrixSerial, NoiseBetweenFramesIsShownApart) {
    PtyCable cable;
    ProcessResult r;
    {
        Peer peer([&] {
            std::string request;
            if (cable.ReadAtLeast(1, request)) cable.Write("\xFF\xFF\x02" "A\x03\xEE\x02" "B\x03\xDD");
        });
        // The terminal: the line 05 is sent, and what comes within --wait
        // after the input ends is shown.
        r = Quobrix({"serial", cable.name(), "--frame", "start=02,end=03", "--wait", "2000"}, "05\n");
    }
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(Joined(LinesOf(r.out, "RX")),
              "RX noise FF FF | \\xFF\\xFF\n"
              "RX 02 41 03 | \\x02A\\x03\n"
              "RX noise EE | \\xEE\n"
              "RX 02 42 03 | \\x02B\\x03\n"
              "RX noise DD | \\xDD\n");
}

TEST_F(QuobrixSerial, AGbkCharacterSplitBetweenReadsIsShownWhole) {
    PtyCable cable;
    ProcessResult r;
    {
        Peer peer([&] {
            std::string request;
            if (!cable.ReadAtLeast(1, request)) return;
            cable.Write("\xD6");
            cable.Drained();
            // A pause, so that the rest comes in a read of its own.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            cable.Write("\xD0\xCE\xC4\r\n");
        });
        r = Quobrix({"serial", cable.name(), "--encoding", "gbk", "--frame", "lines", "--send", "05", "--wait",
                     "20000"});
    }
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(Joined(LinesOf(r.out, "RX")), "RX D6 D0 CE C4 0D 0A | 中文\\r\\n\n");
}

// Text sent in GBK goes as GBK bytes (中文 is D6 D0 CE C4 in GB 2312's
// table), in UTF-8 as UTF-8's; a character GBK lacks is refused by name
// before the port is opened.
TEST_F(QuobrixSerial, TextIsSentInTheEncodingGiven) {
    const struct {
        std::vector<std::string> encoding;
        std::string bytes;
    } cases[] = {
        {{"--encoding", "gbk"}, Bytes({0xD6, 0xD0, 0xCE, 0xC4, 0x41})},
        {{"--encoding", "utf-8"}, Bytes({0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x41})},
        {{}, Bytes({0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x41})},
    };
    for (const auto& c : cases) {
        PtyCable cable;
        std::string received;
        ProcessResult r;
        {
            Peer peer([&] { cable.ReadAtLeast(c.bytes.size(), received); });
            std::vector<std::string> args = {"serial", cable.name(), "--send-text", "中文A", "--wait", "0"};
            args.insert(args.end(), c.encoding.begin(), c.encoding.end());
            r = Quobrix(args);
        }
        EXPECT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(received, c.bytes);
        std::string hex;
        for (unsigned char b : c.bytes) {
            char digits[4];
            std::snprintf(digits, sizeof digits, " %02X", b);
            hex += digits;
        }
        EXPECT_EQ(Joined(LinesOf(r.out, "TX")), "TX" + hex + " | 中文A\n");
    }
    const ProcessResult r = Quobrix({"serial", "/dev/null", "--encoding", "gbk", "--send-text", "a한"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, "");
    // One line, the usage hint after it as after every option's error.
    EXPECT_EQ(r.err.rfind("quobrix: the character '한' (U+D55C) at byte offset 1 of --send-text has no GBK (code page "
                          "936) form (Usage: quobrix serial ",
                          0),
              0u)
        << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

// Standard input's text lines too, each with its line end.
TEST_F(QuobrixSerial, TextLinesTypedAreSentInGbk) {
    PtyCable cable;
    TempFolder folder;
    std::string received;
    const std::string expected = Bytes({0xD6, 0xD0, 0x0D, 0x0A});
    Background program({"serial", cable.name(), "--encoding", "gbk", "--input", "text", "--wait", "0"},
                       folder.Path("out"), folder.Path("err"));
    program.Type("한\n中\n");
    EXPECT_TRUE(cable.ReadAtLeast(expected.size(), received));
    program.EndInput();
    EXPECT_EQ(program.Wait(), 0) << folder.Read("err");
    EXPECT_EQ(received, expected);
    EXPECT_NE(folder.Read("err").find("the character '한' (U+D55C) at byte offset 0 of the line has no GBK"),
              std::string::npos)
        << folder.Read("err");
}

// A megabyte at once through an echoing peer: the program reads while it
// writes, so neither side waits on the other for ever, and every byte comes
// back.
TEST_F(QuobrixSerial, AMegabyteSentAtOnceComesBackWhole) {
    std::string data(1 << 20, '\0');
    std::string hex;
    hex.reserve(data.size() * 2 + 1);
    static const char kDigits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
        hex += kDigits[(data[i] >> 4) & 15];
        hex += kDigits[data[i] & 15];
    }
    PtyCable cable;
    ProcessResult r;
    std::size_t echoed = 0;
    {
        Peer peer([&] {
            std::string chunk;
            while (echoed < data.size()) {
                chunk.clear();
                if (!cable.ReadAtLeast(1, chunk)) return;
                cable.Write(chunk);
                echoed += chunk.size();
            }
        });
        r = Quobrix({"serial", cable.name(), "--wait", "3000"}, hex + "\n");
    }
    EXPECT_EQ(r.exit_code, 0) << r.err.substr(0, 300);
    EXPECT_EQ(echoed, data.size());
    std::string back;
    for (const std::string& line : LinesOf(r.out, "RX")) {
        const std::size_t bar = line.find(" | ");
        std::istringstream bytes(line.substr(3, bar - 3));
        for (std::string byte; bytes >> byte;) back += static_cast<char>(std::stoi(byte, nullptr, 16));
    }
    EXPECT_TRUE(back == data) << back.size() << " bytes came back";
}

TEST_F(QuobrixSerial, PortErrorsNameThePortAndTheCause) {
    PtyCable cable;
    struct Case {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"serial", "/dev/quobrix-no-such-port", "--send", "01"}, "quobrix: /dev/quobrix-no-such-port: no such port\n"},
        {{"serial", "/dev/null", "--send", "01"}, "quobrix: /dev/null: not a serial port\n"},
        {{"serial", cable.name(), "--framing", "8N1.5", "--send", "01"},
         "quobrix: " + cable.name() + ": 1.5 stop bits: the driver offers them with 5 data bits only\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = Quobrix(c.args);
        EXPECT_EQ(r.exit_code, 2) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    // Another program has it: the port is busy.
    ASSERT_EQ(flock(cable.slave(), LOCK_EX | LOCK_NB), 0);
    const ProcessResult busy = Quobrix({"serial", cable.name(), "--send", "01"});
    EXPECT_EQ(busy.exit_code, 2);
    EXPECT_EQ(busy.err, "quobrix: " + cable.name() + ": busy (another program has it open)\n");
}

// A port the user may not open: root opens any, so as root the program
// runs as nobody without root's powers (util-linux's setpriv), as a user
// outside the dialout group would.
TEST_F(QuobrixSerial, APortTheUserMayNotOpenSaysWhatToDo) {
    TempFolder folder;
    const std::string port = folder.Write("ttyLocked", "");
    chmod(port.c_str(), 0);
    std::vector<std::string> command = {"serial", port, "--send", "01"};
    ProcessResult r;
    if (geteuid() == 0) {
        if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "root opens any port, and setpriv is missing";
        std::vector<std::string> as_nobody = {"--reuid=65534", "--regid=65534", "--clear-groups",
                                              "--inh-caps=-all", "--bounding-set=-all"};
        // The build may sit where nobody may not go.
        std::vector<std::string> probe = as_nobody;
        probe.insert(probe.end(), {"/usr/bin/test", "-r", kCommand.back()});
        if (RunProcess("/usr/bin/setpriv", probe, "").exit_code != 0) {
            GTEST_SKIP() << "root opens any port, and nobody may not read " << kCommand.back();
        }
        as_nobody.insert(as_nobody.end(), kCommand.begin(), kCommand.end());
        as_nobody.insert(as_nobody.end(), command.begin(), command.end());
        r = RunProcess("/usr/bin/setpriv", as_nobody, "");
    } else {
        r = Quobrix(command);
    }
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "quobrix: " + port +
                         ": permission denied (add the user to the dialout group: sudo usermod -aG dialout $USER, "
                         "then log in again)\n");
}

TEST_F(QuobrixSerial, UsageErrorsExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"serial"},
        {"serial", "/dev/ttyS0", "/dev/ttyS1"},
        {"serial", "/dev/ttyS0", "--baud", "49"},
        {"serial", "/dev/ttyS0", "--baud", "4000001"},
        {"serial", "/dev/ttyS0", "--baud", "96OO"},
        {"serial", "/dev/ttyS0", "--framing", "9N1"},
        {"serial", "/dev/ttyS0", "--framing", "8X1"},
        {"serial", "/dev/ttyS0", "--flow", "dtr"},
        {"serial", "/dev/ttyS0", "--gap", "0"},
        {"serial", "/dev/ttyS0", "--gap", "fast"},
        {"serial", "/dev/ttyS0", "--frame", "length=1:3"},
        {"serial", "/dev/ttyS0", "--frame", "start=XY"},
        {"serial", "/dev/ttyS0", "--frame", "lines=crcr"},
        {"serial", "/dev/ttyS0", "--check", "CRC-99/NONE"},
        {"serial", "/dev/ttyS0", "--check", "CRC-16/MODBUS le head=1", "--send", "01"},
        {"serial", "/dev/ttyS0", "--head", "01"},
        {"serial", "/dev/ttyS0", "--send", "G1"},
        {"serial", "/dev/ttyS0", "--wait", "-1"},
        {"serial", "/dev/ttyS0", "--encoding", "latin1"},
        {"serial", "--list", "/dev/ttyS0"},
        {"tcp"},
        {"tcp", "localhost"},
        {"tcp", "localhost:65536"},
        {"tcp", "--listen", "70000"},
        {"tcp", "--listen", "1", "localhost:1"},
        {"tcp", "localhost:1", "--gap", "3.5c"},
    };
    for (const auto& args : cases) {
        const ProcessResult r = Quobrix(args);
        std::string what;
        for (const std::string& a : args) what += a + " ";
        EXPECT_EQ(r.exit_code, 2) << what;
        EXPECT_EQ(r.out, "") << what;
        EXPECT_EQ(r.err.rfind("quobrix: ", 0), 0u) << what << r.err;
    }
}

TEST_F(QuobrixSerial, ListPrintsPortsAndExitsZero) {
    const ProcessResult r = Quobrix({"serial", "--list"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "");
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind("/dev/tty", 0), 0u) << line;
}

// ---- Ctrl+C during a log write ----------------------------------------------

std::size_t LineCount(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST_F(QuobrixSerial, CtrlCLeavesACompleteLog) {
    if (kCommand.size() > 1) GTEST_SKIP() << "signals go to the launcher";
    PtyCable cable;
    TempFolder folder;
    const std::string log = folder.Path("link.log");
    Background program({"serial", cable.name(), "--frame", "lines", "--log", log}, folder.Path("out"),
                       folder.Path("err"));
    // Lines arrive one after another until the log holds twenty, then Ctrl+C.
    bool stop = false;
    std::thread device([&] {
        for (int i = 0; !stop; ++i) {
            cable.Write("line " + std::to_string(i) + "\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const bool logged = WaitFor([&] { return LineCount(folder.Read("link.log")) >= 20; });
    program.Signal(SIGINT);
    const int status = program.Wait();
    stop = true;
    device.join();
    ASSERT_TRUE(logged);
    EXPECT_EQ(status, 0) << folder.Read("err");
    EXPECT_EQ(folder.Read("err"), "quobrix: " + cable.name() + ": interrupted; the log is complete\n");
    const std::string text = folder.Read("link.log");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    // Every line whole, and the same frames as standard output showed.
    const std::regex frame_line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \d+\.\d{6} RX ([0-9A-F]{2} )*[0-9A-F]{2} \| line \d+\\n)");
    std::istringstream lines(text);
    std::vector<std::string> logged_frames;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("quobrix: ", 0) == 0) continue;
        EXPECT_TRUE(std::regex_match(line, frame_line)) << line;
        logged_frames.push_back(line.substr(line.find(' ', 11) + 1));
    }
    EXPECT_EQ(text.substr(text.rfind("quobrix: ")), "quobrix: " + cable.name() + ": interrupted; the log is complete\n");
    EXPECT_EQ(Joined(logged_frames), folder.Read("out"));
    // Lines received in order, none twice, none left out (those the device
    // sent before the port was open are not the program's).
    const std::regex number(R"(\| line (\d+)\\n$)");
    int previous = -1;
    for (const std::string& frame : logged_frames) {
        std::smatch match;
        ASSERT_TRUE(std::regex_search(frame, match, number)) << frame;
        const int n = std::stoi(match[1]);
        if (previous >= 0) {
            EXPECT_EQ(n, previous + 1) << frame;
        }
        previous = n;
    }
}

// ---- An independent peer ----------------------------------------------------

// A MODBUS slave written in Python over python3-serial, at the end of a socat
// pty pair: it computes the CRC its own way, checks the request and answers.
const char kResponder[] = R"(
import sys, serial
def crc16_modbus(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return bytes([crc & 0xFF, crc >> 8])
port = serial.Serial(sys.argv[1], 9600, timeout=20)
print("ready", flush=True)
request = port.read(8)
if len(request) != 8 or crc16_modbus(request[:6]) != request[6:]:
    print("bad request", request.hex(), flush=True)
    sys.exit(1)
answer = bytes([request[0], 3, 6, 0xAE, 0x41, 0x56, 0x52, 0x43, 0x40])
port.write(answer + crc16_modbus(answer))
port.flush()
print("answered", flush=True)
)";

TEST_F(QuobrixSerial, APythonSerialSlaveAnswersAndTheAnswerChecks) {
    if (!SocatPair::Installed() || std::system("/usr/bin/python3 -c 'import serial' 2>/dev/null") != 0) {
        GTEST_SKIP() << "socat or python3-serial missing (scripts/lib.sh installs them)";
    }
    TempFolder folder;
    std::string a = folder.Path("A"), b = folder.Path("B");
    const SocatPair cable(a, b);
    ASSERT_TRUE(cable.ready());
    folder.Write("responder.py", kResponder);
    pid_t python = -1;
    std::string script = folder.Path("responder.py"), out = folder.Path("python.out");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> python_args = {const_cast<char*>("python3"), script.data(), b.data(), nullptr};
    ASSERT_EQ(posix_spawn(&python, "/usr/bin/python3", &files, nullptr, python_args.data(), environ), 0);
    posix_spawn_file_actions_destroy(&files);
    const bool ready = WaitFor([&] { return folder.Read("python.out").find("ready") != std::string::npos; });
    const ProcessResult r = ready ? Quobrix({"serial", a, "--check", "CRC-16/MODBUS le", "--send", kRequestData,
                                             "--wait", "20000"})
                                  : ProcessResult{};
    int status = 0;
    const bool python_done = WaitFor([&] { return waitpid(python, &status, WNOHANG) == python; });
    if (!python_done) {
        kill(python, SIGKILL);
        waitpid(python, nullptr, 0);
    }
    ASSERT_TRUE(ready);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(folder.Read("python.out"), "ready\nanswered\n");
    EXPECT_EQ(Joined(LinesOf(r.out, "RX")), "RX 11 03 06 AE 41 56 52 43 40 49 AD | \\x11\\x03\\x06\\xAEAVRC@I\\xAD | ok\n");
}

// ---- TCP ------------------------------------------------------------------

// MODBUS TCP: the length field cuts the answer, which comes in two writes.
TEST_F(QuobrixTcp, AnAnswerCutByItsLengthField) {
    TestListener listener;
    const std::string request = Bytes({0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x11, 0x03, 0x00, 0x6B, 0x00, 0x03});
    const std::string answer = Bytes({0x00, 0x01, 0x00, 0x00, 0x00, 0x09, 0x11, 0x03, 0x06, 0xAE, 0x41, 0x56, 0x52,
                                      0x43, 0x40});
    std::string got;
    ProcessResult r;
    {
        Peer peer([&] {
            const int fd = listener.Accept();
            if (fd < 0) return;
            if (ReadAtLeast(fd, request.size(), got)) {
                send(fd, answer.data(), 7, 0);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));  // past the gap: another read
                send(fd, answer.data() + 7, answer.size() - 7, 0);
            }
            std::string rest;
            ReadAtLeast(fd, 1, rest);  // until the program closes
            close(fd);
        });
        r = Quobrix({"tcp", listener.Target(), "--frame", "length=4:2:be:6", "--send",
                     "00 01 00 00 00 06 11 03 00 6B 00 03", "--wait", "20000"});
    }
    EXPECT_EQ(got, request);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(Joined(LinesOf(r.out, "RX")),
              "RX 00 01 00 00 00 09 11 03 06 AE 41 56 52 43 40 | \\x00\\x01\\x00\\x00\\x00\\t\\x11\\x03\\x06\\xAEAVRC@\n");
}

TEST_F(QuobrixTcp, ThePeerClosingMidFrameIsAnError) {
    TestListener listener;
    ProcessResult r;
    {
        Peer peer([&] {
            const int fd = listener.Accept();
            std::string got;
            if (fd >= 0 && ReadAtLeast(fd, 1, got)) send(fd, "\x02" "AB", 3, 0);
            if (fd >= 0) close(fd);
        });
        r = Quobrix({"tcp", listener.Target(), "--frame", "start=02,end=03", "--send", "01", "--wait", "20000"});
    }
    EXPECT_EQ(r.exit_code, 2) << r.err;
    EXPECT_EQ(r.err, "quobrix: " + listener.Target() + ": the peer closed the connection\n");
    EXPECT_EQ(Joined(LinesOf(r.out, "RX")), "RX incomplete 02 41 42 | \\x02AB\n");
}

// A peer that answers and hangs up at once (as many a device's TCP server
// does) has done all that was asked: the answer counts, the close is no error;
// over gap framing the close comes while the answer still waits for its
// silence.
TEST_F(QuobrixTcp, APeerThatAnswersAndClosesLeavesNothingUndone) {
    for (const char* framing : {"", "lines"}) {
        TestListener listener;
        ProcessResult r;
        {
            Peer peer([&] {
                const int fd = listener.Accept();
                std::string got;
                if (fd >= 0 && ReadAtLeast(fd, 3, got)) send(fd, "ok\n", 3, 0);
                if (fd >= 0) close(fd);
            });
            std::vector<std::string> args = {"tcp", listener.Target(), "--send-text", "hi\n", "--wait", "20000"};
            if (*framing != '\0') args.insert(args.end(), {"--frame", framing});
            r = Quobrix(args);
        }
        EXPECT_EQ(r.exit_code, 0) << framing << ": " << r.err;
        EXPECT_EQ(r.err, "") << framing;
        EXPECT_EQ(Joined(LinesOf(r.out, "RX")), "RX 6F 6B 0A | ok\\n\n") << framing;
    }
    // Closing before the last of several frames is sent is an error.
    TestListener listener;
    ProcessResult r;
    {
        Peer peer([&] {
            const int fd = listener.Accept();
            std::string got;
            if (fd >= 0 && ReadAtLeast(fd, 1, got)) send(fd, "ok", 2, 0);
            if (fd >= 0) close(fd);
        });
        r = Quobrix({"tcp", listener.Target(), "--send", "01", "--send", "02", "--wait", "20000"});
    }
    EXPECT_EQ(r.exit_code, 2) << r.err;
    EXPECT_NE(r.err.find("quobrix: " + listener.Target() + ": "), std::string::npos) << r.err;
}

TEST_F(QuobrixTcp, ARefusedConnectionIsAnError) {
    int port = 0;
    {
        TestListener closed;  // a port that was free a moment ago, now closed again
        port = std::stoi(closed.Target().substr(10));
    }
    const ProcessResult r = Quobrix({"tcp", "127.0.0.1:" + std::to_string(port), "--send", "01"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "quobrix: 127.0.0.1:" + std::to_string(port) + ": connection refused (nothing listens there)\n");
}

// quobrix tcp --listen as the server, the test as the client.
TEST_F(QuobrixTcp, ListensAndAnswersAPeer) {
    if (kCommand.size() > 1) GTEST_SKIP() << "the launcher's sockets";
    TempFolder folder;
    Background program({"tcp", "--listen", "0", "--check", "XOR-8", "--send", "41 42", "--wait", "20000"},
                       folder.Path("out"), folder.Path("err"));
    std::smatch port;
    const std::regex listening("quobrix: listening on port (\\d+), waiting for a peer\n");
    std::string err;
    ASSERT_TRUE(WaitFor([&] {
        err = folder.Read("err");
        return std::regex_search(err, port, listening);
    })) << err;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(port[1])));
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::string got;
    EXPECT_TRUE(ReadAtLeast(fd, 3, got));
    EXPECT_EQ(got, "AB\x03");  // 41 XOR 42
    send(fd, "OK\x04", 3, 0);
    EXPECT_EQ(program.Wait(), 0) << folder.Read("err");
    close(fd);
    EXPECT_EQ(Joined(LinesOf(folder.Read("out"), "RX")), "RX 4F 4B 04 | OK\\x04 | ok\n");
}

}  // namespace
