// quobrix modbus read against libmodbus's own test server, built from the
// examples Debian's libmodbus-dev ships: a peer written apart from this
// code, whose special addresses answer with an exception, with another
// transaction, half a second late, or a byte every 5 ms. The server listens
// on 127.0.0.1:1502 for one connection, so the cases take turns (a lock
// across processes) and each starts a server of its own.
#include <sys/file.h>

#include <fstream>

#include "link_peers.h"
#include "quobrix_process.h"
#include "temp_folder.h"

namespace {

using namespace link_peers;

#ifdef QUOBRIX_LIBMODBUS_SERVER

// Whether 127.0.0.1:1502 is listened on, as the kernel's table says (a
// connection to find out would take the server's one accept).
bool Listening() {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    while (std::getline(table, line)) {
        // "  0: 0100007F:05DE 00000000:0000 0A ...": local address, remote, state LISTEN.
        if (line.find(" 0100007F:05DE 00000000:0000 0A ") != std::string::npos) return true;
    }
    return false;
}

class LibmodbusServer : public QuobrixCli {
protected:
    void SetUp() override {
        QuobrixCli::SetUp();
        if (IsSkipped()) return;
        if (kCommand.size() > 1) GTEST_SKIP() << "the launcher's sockets";
        lock_ = open("/tmp/quobrix-libmodbus-1502.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        ASSERT_GE(lock_, 0);
        ASSERT_EQ(flock(lock_, LOCK_EX), 0);
        ASSERT_TRUE(WaitFor([] { return !Listening(); })) << "port 1502 is taken by another program";
        std::string program = QUOBRIX_LIBMODBUS_SERVER, backend = "tcp";
        std::vector<char*> argv = {program.data(), backend.data(), nullptr};
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        const std::string out = folder_.Path("server.out");
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
        ASSERT_EQ(posix_spawn(&server_, argv[0], &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
        ASSERT_TRUE(WaitFor(Listening));
    }
    void TearDown() override {
        if (server_ > 0) {
            // It ends when its one client hangs up; a case that never
            // connected leaves it waiting.
            int status = 0;
            if (!WaitFor([&] { return waitpid(server_, &status, WNOHANG) == server_; })) {
                kill(server_, SIGKILL);
                waitpid(server_, nullptr, 0);
            }
        }
        if (lock_ >= 0) close(lock_);
    }

    // quobrix modbus read of the server, as libmodbus's own client asks it
    // over TCP: unit 0xFF.
    ProcessResult Read(std::vector<std::string> what) {
        std::vector<std::string> args{"modbus", "read", "--tcp", "127.0.0.1:1502", "--unit", "255"};
        args.insert(args.end(), what.begin(), what.end());
        return Quobrix(args);
    }

    TempFolder folder_;
    pid_t server_ = -1;
    int lock_ = -1;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// unit-test.h: input bits from 0x1C4, AC DB 35 (the lowest bit first), and
// one input register, 0x000A, at 0x108.
TEST_F(LibmodbusServer, ReadsTheServersInputs) {
    const ProcessResult bits = Read({"--inputs", "452", "22", "--json"});
    EXPECT_EQ(bits.exit_code, 0) << bits.err;
    // 0xAC = 0011 0101 from bit 0, 0xDB = 1101 1011, 0x35's low six bits 101011.
    EXPECT_EQ(bits.out,
              "{\"unit\": 255, \"table\": \"discrete inputs\", \"address\": 452, \"count\": 22, \"bits\": [0, 0, 1, "
              "1, 0, 1, 0, 1, 1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 1, 0, 1, 1]}\n");
}

TEST_F(LibmodbusServer, AnInputRegister) {
    EXPECT_EQ(Read({"--input-regs", "264"}).out, "input register 264 (30265): 0x000A = 10\n");
}

// Address 0x170 answers with exception 06.
TEST_F(LibmodbusServer, AnExceptionIsNamedAndExitsOne) {
    const ProcessResult r = Read({"--holding", "368"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, "quobrix: unit 255: exception 06 SERVER DEVICE BUSY to Read Holding Registers 368 count 1\n");
}

// Address 0x171 answers with another transaction id: refused, said, and no
// valid answer came.
TEST_F(LibmodbusServer, AnAnswerOfAnotherTransactionIsRefused) {
    const ProcessResult r = Read({"--holding", "369", "--timeout", "300"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(Has(r.err, "refused: ")) << r.err;
    EXPECT_TRUE(Has(r.err, "transaction")) << r.err;
    EXPECT_EQ(r.out, "");
}

// Count 2 is answered with one register: the byte count disagrees.
TEST_F(LibmodbusServer, AnAnswerShortOfTheCountIsRefused) {
    const ProcessResult r = Read({"--holding", "352", "2", "--timeout", "300"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(Has(r.err, "refused: ")) << r.err;
}

// Address 0x172 answers after 500 ms: given 2 s it is taken; given 300 ms
// and a retry, the first answer arrives during the second try and is not
// taken for it (its transaction is the first's).
TEST_F(LibmodbusServer, ALateAnswerIsTakenWithinItsTimeNeverForTheNextTry) {
    const ProcessResult r = Read({"--holding", "370", "--timeout", "300", "--retries", "1"});
    EXPECT_EQ(r.exit_code, 1) << r.out;
    EXPECT_TRUE(Has(r.err, "transaction")) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(LibmodbusServer, AnAnswerHalfASecondLateIsTakenWithinTwoSeconds) {
    const ProcessResult r = Read({"--holding", "370", "--timeout", "2000"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "holding register 370 (40371): 0x0000 = 0\n");
}

// Address 0x173 trickles its answer a byte every 5 ms: joined into one.
TEST_F(LibmodbusServer, AnAnswerTrickledAByteAtATimeIsJoined) {
    const ProcessResult r = Read({"--holding", "371", "--trace"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "holding register 371 (40372): 0x0000 = 0\n")) << r.out;
    // One frame received, whole.
    EXPECT_TRUE(Has(r.out, "RX 00 01 00 00 00 05 FF 03 02 00 00 |")) << r.out;
}

#endif

}  // namespace
