// The load a MODBUS server is measured under: CLIENTS connections, each a
// thread of our master reading COUNT holding registers from ADDRESS of UNIT
// again and again for SECONDS, every answer checked. The same client for
// every server measured, so their rates compare.
//
// Usage: modbus_load tcp HOST PORT UNIT ADDRESS COUNT CLIENTS SECONDS
//        modbus_load rtu DEVICE BAUD UNIT ADDRESS COUNT SECONDS
// Prints one JSON object: requests answered, failures, the seconds taken,
// and for rtu the median and slowest cycle beside the wire time of a request
// and its answer at BAUD (8N1).
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "link/link.h"
#include "modbus/master.h"
#include "modbus/pdu.h"

namespace {

struct Tally {
    std::atomic<long long> answered{0}, failed{0};
};

void Client(const std::string& host, const std::string& port, unsigned char unit, std::uint16_t address,
            std::uint16_t count, LinkTime until, Tally& tally) {
    std::string error;
    const std::unique_ptr<Link> link = ConnectTcpLink(host, port, error);
    if (!link) {
        std::fprintf(stderr, "modbus_load: %s:%s: %s\n", host.c_str(), port.c_str(), error.c_str());
        ++tally.failed;
        return;
    }
    ModbusMasterSettings settings;
    settings.framing = ModbusFraming::kTcp;
    settings.unit = unit;
    ModbusMaster master(*link, settings);
    const ModbusBytes request = ReadRequest(0x03, address, count);
    while (LinkNow() < until) {
        const ModbusTransaction done = master.Transact(request);
        if (done.status == ModbusTransaction::kAnswered && !done.response.exception) {
            ++tally.answered;
        } else {
            ++tally.failed;
            if (done.status == ModbusTransaction::kLinkFailed) return;
        }
    }
}

int Tcp(char** argv) {
    const std::string host = argv[2], port = argv[3];
    const auto unit = static_cast<unsigned char>(std::atoi(argv[4]));
    const auto address = static_cast<std::uint16_t>(std::atoi(argv[5]));
    const auto count = static_cast<std::uint16_t>(std::atoi(argv[6]));
    const int clients = std::atoi(argv[7]);
    const double seconds = std::atof(argv[8]);
    Tally tally;
    const LinkTime start = LinkNow();
    const LinkTime until = start + static_cast<LinkTime>(seconds * 1e6);
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back(Client, host, port, unit, address, count, until, std::ref(tally));
    }
    for (std::thread& thread : threads) thread.join();
    const double taken = static_cast<double>(LinkNow() - start) / 1e6;
    std::printf("{\"clients\": %d, \"answered\": %lld, \"failed\": %lld, \"seconds\": %.3f}\n", clients,
                tally.answered.load(), tally.failed.load(), taken);
    return 0;
}

int Rtu(char** argv) {
    SerialSettings line;
    line.baud = static_cast<unsigned long>(std::atol(argv[3]));
    const auto unit = static_cast<unsigned char>(std::atoi(argv[4]));
    const auto address = static_cast<std::uint16_t>(std::atoi(argv[5]));
    const auto count = static_cast<std::uint16_t>(std::atoi(argv[6]));
    const double seconds = std::atof(argv[7]);
    std::string error;
    const std::unique_ptr<Link> link = OpenSerialLink(argv[2], line, error);
    if (!link) {
        std::fprintf(stderr, "modbus_load: %s: %s\n", argv[2], error.c_str());
        return 2;
    }
    ModbusMasterSettings settings;
    settings.framing = ModbusFraming::kRtu;
    settings.unit = unit;
    settings.gap_us = ModbusGapUs(line);
    ModbusMaster master(*link, settings);
    const ModbusBytes request = ReadRequest(0x03, address, count);
    std::vector<LinkTime> cycles;
    long long failed = 0;
    const LinkTime start = LinkNow();
    const LinkTime until = start + static_cast<LinkTime>(seconds * 1e6);
    while (LinkNow() < until) {
        const LinkTime before = LinkNow();
        const ModbusTransaction done = master.Transact(request);
        if (done.status == ModbusTransaction::kAnswered && !done.response.exception) {
            cycles.push_back(LinkNow() - before);
        } else {
            ++failed;
        }
    }
    if (cycles.empty()) {
        std::printf("{\"answered\": 0, \"failed\": %lld}\n", failed);
        return 1;
    }
    std::sort(cycles.begin(), cycles.end());
    // A request is 8 characters, its answer 5 + 2 * count; each 10 bits at
    // 8N1; and the silence of 3.5 characters (1.75 ms above 19200) after each.
    const double character_us = 10.0 * 1e6 / static_cast<double>(line.baud);
    const double wire_us = (8 + 5 + 2.0 * count) * character_us + 2.0 * static_cast<double>(ModbusGapUs(line));
    std::printf(
        "{\"answered\": %zu, \"failed\": %lld, \"median_us\": %lld, \"slowest_us\": %lld, \"wire_us\": %.0f}\n",
        cycles.size(), failed, static_cast<long long>(cycles[cycles.size() / 2]),
        static_cast<long long>(cycles.back()), wire_us);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 9 && std::string(argv[1]) == "tcp") return Tcp(argv);
    if (argc == 8 && std::string(argv[1]) == "rtu") return Rtu(argv);
    std::fprintf(stderr,
                 "usage: modbus_load tcp HOST PORT UNIT ADDRESS COUNT CLIENTS SECONDS\n"
                 "       modbus_load rtu DEVICE BAUD UNIT ADDRESS COUNT SECONDS\n");
    return 2;
}
