// The master and the slave against pymodbus 3.0 (Debian's python3-pymodbus)
// on the loopback: the master reads and writes a pymodbus server, which
// then tells what it holds; pymodbus's client reads and writes a link served
// by ServeModbusLink, and tells what it got. Skipped when that pymodbus (and
// the python3-serial-asyncio it imports) is not installed.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/link.h"
#include "modbus/master.h"
#include "modbus/slave.h"

namespace {

// Every wait on the peer is bounded by this, so a peer that hangs fails
// the test instead of holding it.
constexpr int kPeerWaitMs = 20000;

bool PymodbusInstalled() {
    const std::string command =
        std::string(QUOBRIX_DEBIAN_PYTHON) + " " + QUOBRIX_PYMODBUS_PEER + " check >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The peer script as a child process, its standard input and output piped.
class Peer {
public:
    explicit Peer(const std::vector<std::string>& arguments) {
        int to_child[2], from_child[2];
        if (pipe(to_child) != 0 || pipe(from_child) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(to_child[0], 0);
            dup2(from_child[1], 1);
            close(to_child[1]);
            close(from_child[0]);
            std::vector<std::string> all{QUOBRIX_DEBIAN_PYTHON, QUOBRIX_PYMODBUS_PEER};
            all.insert(all.end(), arguments.begin(), arguments.end());
            std::vector<char*> argv;
            for (std::string& argument : all) argv.push_back(&argument[0]);
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(to_child[0]);
        close(from_child[1]);
        to_child_ = to_child[1];
        from_child_ = from_child[0];
    }
    ~Peer() {
        if (to_child_ >= 0) close(to_child_);
        if (from_child_ >= 0) close(from_child_);
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // The next line it prints; false at its end or when none comes in time.
    bool ReadLine(std::string& line) {
        for (;;) {
            const std::size_t end = buffered_.find('\n');
            if (end != std::string::npos) {
                line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return true;
            }
            pollfd poll_fd{from_child_, POLLIN, 0};
            if (poll(&poll_fd, 1, kPeerWaitMs) <= 0) return false;
            char buffer[4096];
            const ssize_t got = read(from_child_, buffer, sizeof buffer);
            if (got <= 0) return false;
            buffered_.append(buffer, static_cast<std::size_t>(got));
        }
    }

    void Say(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(write(to_child_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Its exit status, once it ended.
    int Wait() {
        if (to_child_ >= 0) close(to_child_);
        to_child_ = -1;
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int to_child_ = -1, from_child_ = -1;
    std::string buffered_;
};

// The numbers of `key`'s array in a line of JSON ("holding": [1, 2]), and
// its booleans as 1 and 0.
std::vector<long> JsonArray(const std::string& line, const std::string& key) {
    std::vector<long> values;
    const std::size_t at = line.find("\"" + key + "\": [");
    if (at == std::string::npos) return values;
    std::stringstream items(line.substr(line.find('[', at) + 1, line.find(']', at) - line.find('[', at) - 1));
    std::string item;
    while (std::getline(items, item, ',')) {
        item.erase(0, item.find_first_not_of(' '));
        values.push_back(item == "true" ? 1 : item == "false" ? 0 : std::stol(item));
    }
    return values;
}

TEST(ModbusPymodbusPeer, MasterReadsAndWritesAPymodbusServer) {
    if (!PymodbusInstalled()) GTEST_SKIP() << "pymodbus 3.0 (python3-pymodbus, python3-serial-asyncio) is not installed";
    Peer server({"server"});
    std::string line;
    ASSERT_TRUE(server.ReadLine(line));
    ASSERT_EQ(line.rfind("port ", 0), 0u) << line;
    const std::string port = line.substr(5);

    std::string error;
    const std::unique_ptr<Link> link = ConnectTcpLink("127.0.0.1", port, error);
    ASSERT_TRUE(link) << error;
    ModbusMasterSettings settings;
    settings.framing = ModbusFraming::kTcp;
    settings.unit = 1;
    settings.timeout_us = kPeerWaitMs * 1000LL;
    ModbusMaster master(*link, settings);
    std::vector<std::uint16_t> transactions;
    master.SetTrace([&](const ModbusTraceEvent& event) {
        if (event.sent) transactions.push_back(static_cast<std::uint16_t>(event.bytes[0] << 8 | event.bytes[1]));
    });
    const auto answered = [&](const ModbusBytes& request) {
        const ModbusTransaction result = master.Transact(request);
        EXPECT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        EXPECT_FALSE(result.response.exception) << int(result.response.exception_code);
        return result.response;
    };
    // The server's values: holding 100 + address, input 200 + address,
    // coils where address % 3 == 0, inputs where address is odd.
    EXPECT_EQ(answered(ReadRequest(3, 0, 3)).registers, (std::vector<std::uint16_t>{100, 101, 102}));
    EXPECT_EQ(answered(ReadRequest(4, 7, 3)).registers, (std::vector<std::uint16_t>{207, 208, 209}));
    EXPECT_EQ(answered(ReadRequest(1, 2, 5)).bits, (std::vector<bool>{false, true, false, false, true}));
    EXPECT_EQ(answered(ReadRequest(2, 0, 3)).bits, (std::vector<bool>{false, true, false}));

    answered(WriteMultipleRegistersRequest(10, {7, 8, 9}));
    answered(WriteSingleRegisterRequest(0, 0xBEEF));
    answered(WriteSingleCoilRequest(1, true));
    answered(WriteMultipleCoilsRequest(4, {true, true}));
    EXPECT_EQ(answered(ReadRequest(3, 9, 5)).registers, (std::vector<std::uint16_t>{109, 7, 8, 9, 113}));

    // Past the server's 20 registers: its exception, as an answer.
    const ModbusTransaction missing = master.Transact(ReadRequest(3, 19, 2));
    ASSERT_EQ(missing.status, ModbusTransaction::kAnswered) << missing.error;
    EXPECT_TRUE(missing.response.exception);
    EXPECT_EQ(missing.response.exception_code, 0x02);

    // Each request its own transaction id, counting up.
    ASSERT_EQ(transactions.size(), 10u);
    for (std::size_t i = 1; i < transactions.size(); ++i) EXPECT_EQ(transactions[i], transactions[i - 1] + 1);

    // What the server holds now, by its own account.
    server.Say("dump");
    ASSERT_TRUE(server.ReadLine(line));
    std::vector<long> holding;
    for (long address = 0; address < 20; ++address) holding.push_back(100 + address);
    holding[0] = 0xBEEF;
    holding[10] = 7, holding[11] = 8, holding[12] = 9;
    EXPECT_EQ(JsonArray(line, "holding"), holding) << line;
    std::vector<long> coils;
    for (long address = 0; address < 16; ++address) coils.push_back(address % 3 == 0);
    coils[1] = coils[4] = coils[5] = 1;
    EXPECT_EQ(JsonArray(line, "coils"), coils) << line;
    server.Say("quit");
    EXPECT_EQ(server.Wait(), 0);
}

TEST(ModbusPymodbusPeer, PymodbusClientReadsAndWritesTheServedLink) {
    if (!PymodbusInstalled()) GTEST_SKIP() << "pymodbus 3.0 (python3-pymodbus, python3-serial-asyncio) is not installed";
    ModbusDataModel model;
    for (std::uint16_t address = 0; address < 10; ++address) {
        model.holding_registers[address] = static_cast<std::uint16_t>(100 + address);
        model.input_registers[address] = static_cast<std::uint16_t>(200 + address);
    }
    for (std::uint16_t address = 0; address < 16; ++address) {
        model.coils[address] = address % 3 == 0;
        model.discrete_inputs[address] = address % 2 == 1;
    }
    ModbusSlave slave(model, ModbusSlaveSettings{1});

    std::string error;
    const std::unique_ptr<LinkListener> listener = ListenTcp("0", error);
    ASSERT_TRUE(listener) << error;
    Peer client({"client", std::to_string(listener->port())});
    const std::unique_ptr<Link> link = listener->Accept(kPeerWaitMs * 1000LL, error);
    ASSERT_TRUE(link) << "pymodbus's client did not connect: " << error;

    std::vector<std::string> log;
    std::atomic<bool> stop{false};
    std::string served;
    std::thread server([&] {
        served = ServeModbusLink(*link, ModbusFraming::kTcp, 0, slave,
                                 [&](const ModbusSlaveEvent& event) { log.push_back(event.summary); },
                                 [&] { return stop.load(); });
    });
    std::vector<std::string> lines;
    std::string line;
    while (client.ReadLine(line)) lines.push_back(line);
    const int status = client.Wait();
    stop = true;
    server.join();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(served, "");

    // What pymodbus got, worked out by hand from the model: bits come padded
    // to whole bytes; writes confirm what they wrote; the mask write turns 102 (0x66) into
    // (0x66 & 0xF2) | (0x25 & 0x0D) = 0x67; the read/write writes 6 and 7
    // before it reads 4-7.
    const std::vector<std::string> expected{
        R"({"op": "read_holding", "registers": [100, 101, 102]})",
        R"({"op": "read_input", "registers": [202, 203]})",
        R"({"bits": [true, false, false, true, false, false, true, false, false, true, false, false, false, false, false, false], "op": "read_coils"})",
        R"({"bits": [true, false, true, false, false, false, false, false], "op": "read_discrete"})",
        R"({"address": 5, "count": 3, "op": "write_registers"})",
        R"({"address": 1, "op": "write_register", "value": 48879})",
        R"({"address": 0, "count": 3, "op": "write_coils"})",
        R"({"address": 9, "op": "write_coil", "value": true})",
        R"({"address": 2, "and_mask": 242, "op": "mask_write", "or_mask": 37})",
        R"({"op": "read_write", "registers": [104, 7, 4369, 8738]})",
        R"({"op": "read_back", "registers": [100, 48879, 103, 103, 104, 7, 4369, 8738, 108]})",
        R"({"exception": 2, "op": "read_missing"})",
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
    EXPECT_EQ(model.holding_registers.at(1), 0xBEEF);
    EXPECT_EQ(model.holding_registers.at(2), 0x67);
    EXPECT_TRUE(model.coils.at(0));
    EXPECT_FALSE(model.coils.at(1));
    EXPECT_TRUE(model.coils.at(2));
    EXPECT_TRUE(model.coils.at(9));
    EXPECT_EQ(log.size(), expected.size());
}

}  // namespace
