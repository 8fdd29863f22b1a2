// quobrix modbus read, write and serve as processes: the simulated device
// against our master, against mbpoll (a master written apart from this
// code) and over a pty pair as RTU; a peer that never answers; the values
// held to IEEE 754 bytes worked out by hand and by Python's struct.
#include <regex>

#include "link_peers.h"
#include "quobrix_process.h"
#include "temp_folder.h"

namespace {

using namespace link_peers;

// The device: 3.14 as float32 with its registers swapped (struct.pack('>f',
// 3.14) is 40 48 F5 C3, so CDAB sends F5 C3 40 48), three plain registers,
// room for a write, coils, and an input register.
const char kMap[] =
    "# a test device\n"
    "f32 cdab 40001 3.14\n"
    "u16 40003 7 8 9\n"
    "u16 40021 0 0\n"
    "bit 00001 1 0 1 1\n"
    "u16 30001 42\n";

class QuobrixModbus : public QuobrixCli {
protected:
    void SetUp() override {
        QuobrixCli::SetUp();
        if (IsSkipped()) return;
        if (kCommand.size() > 1) GTEST_SKIP() << "the launcher's sockets";
        folder_.Write("device.map", kMap);
    }

    // Starts `quobrix modbus serve` on a port the system chooses; its port.
    std::string Serve(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"modbus", "serve", "--tcp", "127.0.0.1:0", "--map", folder_.Path("device.map")};
        args.insert(args.end(), extra.begin(), extra.end());
        server_ = std::make_unique<Background>(args, folder_.Path("serve.out"), folder_.Path("serve.err"));
        std::smatch port;
        const std::regex listening("quobrix: listening on port (\\d+)");
        std::string err;
        const bool up = WaitFor([&] {
            err = folder_.Read("serve.err");
            return std::regex_search(err, port, listening);
        });
        EXPECT_TRUE(up) << err;
        return up ? port[1].str() : "0";
    }

    // Ends the server as Ctrl+C would; its exit status.
    int StopServer() {
        server_->Signal(SIGINT);
        return server_->Wait();
    }

    TempFolder folder_;
    std::unique_ptr<Background> server_;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(QuobrixModbus, AFloatReadFromTheSimulatorInEachOrderNamed) {
    const std::string port = Serve();
    const ProcessResult r =
        Quobrix({"modbus", "read", "--tcp", "127.0.0.1:" + port, "--holding", "0", "2", "--as", "f32:cdab"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "f32 cdab at 0 (40001): 3.14 (F5 C3 40 48)\n");
    // Every order shown when none is given: ABCD reads the bytes as they
    // came, F5C34048 (-4.9502034e+32 by Python's struct.unpack('>f')).
    const ProcessResult all = Quobrix({"modbus", "read", "--tcp", "127.0.0.1:" + port, "--ref", "40001", "2", "--as", "f32"});
    EXPECT_EQ(all.exit_code, 0) << all.err;
    EXPECT_TRUE(Has(all.out, "f32 abcd at 0 (40001): -4.9502034e+32 (F5 C3 40 48)\n")) << all.out;
    EXPECT_TRUE(Has(all.out, "f32 cdab at 0 (40001): 3.14 (F5 C3 40 48)\n")) << all.out;
    const ProcessResult json =
        Quobrix({"modbus", "read", "--tcp", "127.0.0.1:" + port, "--holding", "0", "2", "--as", "f32:cdab", "--json"});
    EXPECT_EQ(json.out,
              "{\"unit\": 1, \"table\": \"holding registers\", \"address\": 0, \"count\": 2, \"registers\": [62915, "
              "16456], \"values\": [{\"address\": 0, \"type\": \"f32\", \"order\": \"cdab\", \"value\": 3.14, "
              "\"bytes\": \"F5 C3 40 48\"}]}\n");
    EXPECT_EQ(StopServer(), 0);
    EXPECT_TRUE(Has(folder_.Read("serve.out"), "Read Holding Registers")) << folder_.Read("serve.out");
}

TEST_F(QuobrixModbus, WritesAreKeptAndReadBack) {
    const std::string port = Serve();
    const std::string wire = "127.0.0.1:" + port;
    // 2.5 is 0x40200000 in IEEE 754 single precision: sign 0, exponent 128, mantissa 0.25.
    const ProcessResult write = Quobrix({"modbus", "write", "--tcp", wire, "--holding", "20", "--as", "f32:abcd", "2.5"});
    EXPECT_EQ(write.exit_code, 0) << write.err;
    EXPECT_EQ(write.out, "unit 1 wrote 2 holding registers from 20 (40021): 0x4020 0x0000\n");
    const ProcessResult back = Quobrix({"modbus", "read", "--tcp", wire, "--holding", "20", "2"});
    EXPECT_EQ(back.out,
              "holding register 20 (40021): 0x4020 = 16416\n"
              "holding register 21 (40022): 0x0000 = 0\n");
    // One register by 06, a negative value as its 16 bits.
    EXPECT_EQ(Quobrix({"modbus", "write", "--tcp", wire, "--holding", "3", "-2"}).exit_code, 0);
    EXPECT_TRUE(Has(Quobrix({"modbus", "read", "--tcp", wire, "--holding", "3"}).out, "0xFFFE = 65534"));
    // Coils by 05 and 0F.
    EXPECT_EQ(Quobrix({"modbus", "write", "--tcp", wire, "--coils", "1", "on"}).exit_code, 0);
    EXPECT_EQ(Quobrix({"modbus", "write", "--tcp", wire, "--coils", "2", "0", "0"}).exit_code, 0);
    EXPECT_EQ(Quobrix({"modbus", "read", "--tcp", wire, "--coils", "0", "4"}).out,
              "coil 0 (00001): 1\ncoil 1 (00002): 1\ncoil 2 (00003): 0\ncoil 3 (00004): 0\n");
    EXPECT_EQ(StopServer(), 0);
}

// Names and serial numbers: a run of registers as one text, in each order
// when none is named, its bytes shown; what is not printable UTF-8 escaped,
// and in JSON a string. The bytes are the characters' codes in ASCII and
// UTF-8 ("é" is C3 A9).
TEST_F(QuobrixModbus, RegistersAsOneText) {
    const std::string port = Serve();
    const std::string wire = "127.0.0.1:" + port;
    const ProcessResult write = Quobrix({"modbus", "write", "--tcp", wire, "--holding", "20", "--as", "string", "Zé"});
    EXPECT_EQ(write.exit_code, 0) << write.err;
    EXPECT_EQ(write.out, "unit 1 wrote 2 holding registers from 20 (40021): 0x5AC3 0xA900\n");
    const ProcessResult both = Quobrix({"modbus", "read", "--tcp", wire, "--holding", "20", "2", "--as", "string"});
    EXPECT_EQ(both.exit_code, 0) << both.err;
    EXPECT_EQ(both.out,
              "string ab at 20 (40021): \"Zé\" (5A C3 A9 00)\n"
              "string ba at 20 (40021): \"\\xC3Z\" (5A C3 A9 00)\n");
    const ProcessResult json =
        Quobrix({"modbus", "read", "--tcp", wire, "--holding", "20", "2", "--as", "string:ba", "--json"});
    EXPECT_TRUE(Has(json.out, "\"values\": [{\"address\": 20, \"type\": \"string\", \"order\": \"ba\", "
                              "\"value\": \"\\\\xC3Z\", \"bytes\": \"5A C3 A9 00\"}]}"))
        << json.out;
    // Swapped on the way in, read straight: "AB" goes as 0x4241.
    EXPECT_EQ(Quobrix({"modbus", "write", "--tcp", wire, "--holding", "20", "--as", "string:BA", "AB"}).out,
              "unit 1 wrote 1 holding register from 20 (40021): 0x4241\n");
    // A quote in the text cannot end it early.
    EXPECT_EQ(Quobrix({"modbus", "write", "--tcp", wire, "--holding", "20", "--as", "string", "a\""}).exit_code, 0);
    EXPECT_EQ(Quobrix({"modbus", "read", "--tcp", wire, "--holding", "20", "1", "--as", "string:ab"}).out,
              "string ab at 20 (40021): \"a\\x22\" (61 22)\n");

    const ProcessResult two = Quobrix({"modbus", "write", "--tcp", wire, "--holding", "20", "--as", "string", "a", "b"});
    EXPECT_EQ(two.exit_code, 2);
    EXPECT_TRUE(Has(two.err, "quote it")) << two.err;
    EXPECT_EQ(Quobrix({"modbus", "write", "--tcp", wire, "--holding", "20", "--as", "string", ""}).exit_code, 2);
    const ProcessResult order = Quobrix({"modbus", "read", "--tcp", wire, "--holding", "20", "--as", "string:abcd"});
    EXPECT_EQ(order.exit_code, 2);
    EXPECT_TRUE(Has(order.err, "--as string:abcd: ab")) << order.err;
    EXPECT_EQ(StopServer(), 0);
}

TEST_F(QuobrixModbus, AnAddressTheDeviceLacksIsAnExceptionExitingOne) {
    const std::string port = Serve();
    const ProcessResult r = Quobrix({"modbus", "read", "--tcp", "127.0.0.1:" + port, "--holding", "500", "2"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quobrix: unit 1: exception 02 ILLEGAL DATA ADDRESS to Read Holding Registers 500 count 2\n");
    // Input registers are there, and read-only.
    EXPECT_EQ(Quobrix({"modbus", "read", "--tcp", "127.0.0.1:" + port, "--input-regs", "0"}).out,
              "input register 0 (30001): 0x002A = 42\n");
    EXPECT_EQ(StopServer(), 0);
}

TEST_F(QuobrixModbus, APeerThatNeverAnswersTimesOutNamingUnitAndWait) {
    TestListener listener;
    Peer silent([&] {
        // Takes every request and answers none, until the program hangs up.
        const int fd = listener.Accept();
        std::string requests;
        while (ReadAtLeast(fd, requests.size() + 1, requests)) {
        }
        close(fd);
        EXPECT_EQ(requests.size(), 24u);  // the request and its one retry
    });
    const ProcessResult r = Quobrix({"modbus", "read", "--tcp", listener.Target(), "--unit", "7", "--holding", "0",
                                     "--timeout", "200", "--retries", "1"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(Has(r.err, "unit 7")) << r.err;
    EXPECT_TRUE(Has(r.err, "200 ms")) << r.err;
}

// --poll prints every value once, then only what changed, each line with
// its time; Ctrl+C ends it with the lines whole.
TEST_F(QuobrixModbus, APollPrintsWhatChanged) {
    const std::string port = Serve();
    const std::string wire = "127.0.0.1:" + port;
    Background poll({"modbus", "read", "--tcp", wire, "--holding", "2", "2", "--poll", "20"}, folder_.Path("poll.out"),
                    folder_.Path("poll.err"));
    ASSERT_TRUE(WaitFor([&] { return Has(folder_.Read("poll.out"), "(40004)"); })) << folder_.Read("poll.err");
    EXPECT_EQ(Quobrix({"modbus", "write", "--tcp", wire, "--holding", "3", "77"}).exit_code, 0);
    ASSERT_TRUE(WaitFor([&] { return Has(folder_.Read("poll.out"), "0x004D = 77"); })) << folder_.Read("poll.out");
    poll.Signal(SIGINT);
    EXPECT_EQ(poll.Wait(), 0) << folder_.Read("poll.err");
    // "0.000 holding register 2 ...": the time, then the line.
    const std::regex line("\\d+\\.\\d{3} holding register (\\d) \\(4000\\d\\): (0x[0-9A-F]{4} = \\d+)\n");
    std::vector<std::string> seen;
    const std::string out = folder_.Read("poll.out");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it) {
        seen.push_back((*it)[1].str() + ": " + (*it)[2].str());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"2: 0x0007 = 7", "3: 0x0008 = 8", "3: 0x004D = 77"})) << out;
    EXPECT_EQ(StopServer(), 0);
}

// mbpoll reads the simulator: its 4:int and 4:float agree with the map, and
// its float without -B is our CDAB (mbpoll puts the second register first).
TEST_F(QuobrixModbus, MbpollReadsWhatTheMapHolds) {
    if (access("/usr/bin/mbpoll", X_OK) != 0) GTEST_SKIP() << "mbpoll missing (scripts/lib.sh installs it)";
    const std::string port = Serve();
    const ProcessResult ints = RunProcess("/usr/bin/mbpoll", {"-m", "tcp", "-p", port, "-a", "1", "-r", "3", "-c", "3",
                                                              "-t", "4", "-1", "-q", "127.0.0.1"});
    EXPECT_EQ(ints.exit_code, 0) << ints.err;
    EXPECT_TRUE(Has(ints.out, "[3]: \t7")) << ints.out;
    EXPECT_TRUE(Has(ints.out, "[5]: \t9")) << ints.out;
    const ProcessResult floats = RunProcess("/usr/bin/mbpoll", {"-m", "tcp", "-p", port, "-a", "1", "-r", "1", "-c",
                                                                "1", "-t", "4:float", "-1", "-q", "127.0.0.1"});
    EXPECT_EQ(floats.exit_code, 0) << floats.err;
    EXPECT_TRUE(Has(floats.out, "[1]: \t3.14")) << floats.out;
    EXPECT_EQ(StopServer(), 0);
}

// RTU on a pty pair: the simulator on one end, our master and mbpoll on
// the other, one after the other.
TEST_F(QuobrixModbus, RtuOverAPtyPair) {
    if (!SocatPair::Installed()) GTEST_SKIP() << "socat missing (scripts/lib.sh installs it)";
    const std::string a = folder_.Path("A"), b = folder_.Path("B");
    const SocatPair cable(a, b);
    ASSERT_TRUE(cable.ready());
    server_ = std::make_unique<Background>(
        std::vector<std::string>{"modbus", "serve", "--rtu", a, "--baud", "115200", "--unit", "1", "--map",
                                 folder_.Path("device.map")},
        folder_.Path("serve.out"), folder_.Path("serve.err"));
    ASSERT_TRUE(WaitFor([&] { return Has(folder_.Read("serve.err"), "serving"); })) << folder_.Read("serve.err");
    const ProcessResult r = Quobrix({"modbus", "read", "--rtu", b, "--baud", "115200", "--holding", "2", "3",
                                     "--trace", "--timeout", "5000"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    // The request and its answer as the protocol's CRC gives them (the
    // catalogue's check value of CRC-16/MODBUS holds the CRC itself).
    EXPECT_TRUE(Has(r.out, "TX 01 03 00 02 00 03 A4 0B")) << r.out;
    EXPECT_TRUE(Has(r.out, "holding register 2 (40003): 0x0007 = 7\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "holding register 4 (40005): 0x0009 = 9\n")) << r.out;
    // Another unit is not answered: a timeout, not a wrong answer.
    const ProcessResult other = Quobrix({"modbus", "read", "--rtu", b, "--baud", "115200", "--unit", "2", "--holding",
                                         "2", "--timeout", "300"});
    EXPECT_EQ(other.exit_code, 1) << other.out;
    if (access("/usr/bin/mbpoll", X_OK) == 0) {
        const ProcessResult mbpoll = RunProcess(
            "/usr/bin/mbpoll", {"-m", "rtu", "-b", "115200", "-P", "none", "-a", "1", "-r", "3", "-c", "3", "-t", "4",
                                "-1", "-q", b});
        EXPECT_EQ(mbpoll.exit_code, 0) << mbpoll.err;
        EXPECT_TRUE(Has(mbpoll.out, "[4]: \t8")) << mbpoll.out;
    }
    EXPECT_EQ(StopServer(), 0);
}

// ASCII both ways on a pty pair, and RTU's frames over TCP: the simulator
// answers in the framing it serves.
TEST_F(QuobrixModbus, AsciiOnAPtyAndRtuOverTcp) {
    if (!SocatPair::Installed()) GTEST_SKIP() << "socat missing (scripts/lib.sh installs it)";
    const std::string a = folder_.Path("A"), b = folder_.Path("B");
    const SocatPair cable(a, b);
    ASSERT_TRUE(cable.ready());
    server_ = std::make_unique<Background>(
        std::vector<std::string>{"modbus", "serve", "--ascii", a, "--map", folder_.Path("device.map")},
        folder_.Path("serve.out"), folder_.Path("serve.err"));
    ASSERT_TRUE(WaitFor([&] { return Has(folder_.Read("serve.err"), "serving"); })) << folder_.Read("serve.err");
    const ProcessResult r = Quobrix({"modbus", "read", "--ascii", b, "--input-regs", "0", "--trace"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    // ":" 01 04 00 00 00 01, its LRC (0x100 - 0x06 = 0xFA), CR LF.
    EXPECT_TRUE(Has(r.out, "TX 3A 30 31 30 34 30 30 30 30 30 30 30 31 46 41 0D 0A | LRC 0xFA\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "input register 0 (30001): 0x002A = 42\n")) << r.out;
    EXPECT_EQ(StopServer(), 0);

    server_ = std::make_unique<Background>(
        std::vector<std::string>{"modbus", "serve", "--rtu-over-tcp", "127.0.0.1:0", "--map",
                                 folder_.Path("device.map")},
        folder_.Path("serve2.out"), folder_.Path("serve2.err"));
    std::smatch port;
    const std::regex listening("listening on port (\\d+)");
    std::string err;
    ASSERT_TRUE(WaitFor([&] {
        err = folder_.Read("serve2.err");
        return std::regex_search(err, port, listening);
    })) << err;
    const ProcessResult rtu = Quobrix({"modbus", "read", "--rtu-over-tcp", "127.0.0.1:" + port[1].str(), "--holding",
                                       "0", "2", "--as", "f32:cdab", "--trace"});
    EXPECT_EQ(rtu.exit_code, 0) << rtu.err;
    EXPECT_TRUE(Has(rtu.out, "TX 01 03 00 00 00 02 C4 0B | CRC 0x0BC4\n")) << rtu.out;
    EXPECT_TRUE(Has(rtu.out, "f32 cdab at 0 (40001): 3.14 (F5 C3 40 48)\n")) << rtu.out;
    EXPECT_EQ(StopServer(), 0);
}

// pymodbus's serial server on one end of a pty pair, RTU and ASCII, our
// master on the other: what we read is what it holds, and what we write is
// what its own datastore then holds.
class PymodbusSerialServer {
public:
    PymodbusSerialServer(TempFolder& folder, const std::string& framing, const std::string& device)
        : folder_(folder),
          server_({"/usr/bin/python3", QUOBRIX_PYMODBUS_PEER, "server", framing, device}, folder.Path("pymodbus.out"),
                  "/dev/null", Background::kProgram) {}
    ~PymodbusSerialServer() {
        server_.EndInput();
        server_.Wait();
    }
    bool Serving() {
        return WaitFor([&] { return Has(folder_.Read("pymodbus.out"), "serving\n"); });
    }
    // The JSON line of what its datastore holds now.
    std::string Dump() {
        const std::size_t before = folder_.Read("pymodbus.out").size();
        server_.Type("dump\n");
        std::string out;
        WaitFor([&] {
            out = folder_.Read("pymodbus.out");
            return out.size() > before && out.back() == '\n';
        });
        return out.substr(before);
    }

private:
    TempFolder& folder_;
    Background server_;
};

class QuobrixModbusPymodbus : public QuobrixModbus,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(QuobrixModbusPymodbus, ReadsAndWritesPymodbusOverAPtyPair) {
    if (!SocatPair::Installed() ||
        std::system("/usr/bin/python3 " QUOBRIX_PYMODBUS_PEER " check >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "socat, python3-pymodbus or python3-serial-asyncio missing (scripts/lib.sh installs them)";
    }
    const std::string framing = GetParam();
    const std::string a = folder_.Path("A"), b = folder_.Path("B");
    const SocatPair cable(a, b);
    ASSERT_TRUE(cable.ready());
    {
        PymodbusSerialServer server(folder_, framing, a);
        ASSERT_TRUE(server.Serving());
        const std::vector<std::string> wire{"modbus", "", "--" + framing, b, "--baud", "115200", "--timeout", "5000"};
        const auto Run = [&](const std::string& action, std::vector<std::string> what) {
            std::vector<std::string> args = wire;
            args[1] = action;
            args.insert(args.end(), what.begin(), what.end());
            return Quobrix(args);
        };
        // Holding registers start as 100 + address, input registers 200 +
        // address, coils address % 3 == 0 (pymodbus_peer.py).
        EXPECT_EQ(Run("read", {"--holding", "2", "2"}).out,
                  "holding register 2 (40003): 0x0066 = 102\nholding register 3 (40004): 0x0067 = 103\n");
        EXPECT_EQ(Run("read", {"--input-regs", "9"}).out, "input register 9 (30010): 0x00D1 = 209\n");
        EXPECT_EQ(Run("read", {"--coils", "2", "2"}).out, "coil 2 (00003): 0\ncoil 3 (00004): 1\n");
        const ProcessResult write = Run("write", {"--holding", "5", "--as", "f32:cdab", "3.14"});
        EXPECT_EQ(write.exit_code, 0) << write.err;
        EXPECT_EQ(Run("write", {"--coils", "1", "1", "0"}).exit_code, 0);
        // 3.14 as CDAB: F5C3 4048, 62915 and 16456.
        // A name by 10, two ASCII characters a register, the first in the
        // high byte: 'P' 'U' is 0x5055 = 20565, 'M' 'P' 19792, '-' '7' 11575.
        EXPECT_EQ(Run("write", {"--holding", "10", "--as", "string", "PUMP-7"}).exit_code, 0);
        const std::string held = server.Dump();
        EXPECT_TRUE(Has(held, "\"holding\": [100, 101, 102, 103, 104, 62915, 16456, 107")) << held;
        EXPECT_TRUE(Has(held, "109, 20565, 19792, 11575, 113")) << held;
        // Read back up to the register past it, whose high byte (0x00 of
        // 113) ends the text.
        EXPECT_EQ(Run("read", {"--holding", "10", "4", "--as", "string:ab"}).out,
                  "string ab at 10 (40011): \"PUMP-7\" (50 55 4D 50 2D 37 00 71)\n");
        EXPECT_TRUE(Has(held, "\"coils\": [true, true, false, true")) << held;
        const ProcessResult missing = Run("read", {"--holding", "30"});
        EXPECT_EQ(missing.exit_code, 1);
        EXPECT_TRUE(Has(missing.err, "exception 02 ILLEGAL DATA ADDRESS")) << missing.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Framings, QuobrixModbusPymodbus, ::testing::Values("rtu", "ascii"));

}  // namespace
