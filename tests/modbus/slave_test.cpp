// The slave's answers against the MODBUS Application Protocol V1.1b3's
// published examples, each computed from a model holding the example's
// values; its exceptions at the protocol's limits and at holes in the map;
// the mask write against the document's formula worked by hand; and one
// model shared by threads; a TCP server's clients served at once.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "modbus/slave.h"
#include "support/modbus_oracle.h"

namespace {

using namespace modbus_oracle;

struct Device {
    ModbusDataModel model;
    ModbusSlave slave{model, ModbusSlaveSettings{0x11}};
    ModbusSlaveEvent event;

    std::string Answer(const std::string& request_hex, unsigned char unit = 0x11) {
        return ToHex(slave.Answer(ModbusAdu{unit, FromHex(request_hex), 0}, event));
    }
};

void SetBits(std::map<std::uint16_t, bool>& table, std::uint16_t first, const std::vector<int>& bits) {
    for (std::size_t i = 0; i < bits.size(); ++i) table[static_cast<std::uint16_t>(first + i)] = bits[i] != 0;
}

void SetRegisters(std::map<std::uint16_t, std::uint16_t>& table, std::uint16_t first,
                  const std::vector<std::uint16_t>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) table[static_cast<std::uint16_t>(first + i)] = values[i];
}

TEST(ModbusSlave, AnswersThePublishedReads) {
    Device device;
    // Coils 20-38: CD 6B 05 (coil 20 in the first byte's lowest bit).
    SetBits(device.model.coils, 19, {1, 0, 1, 1, 0, 0, 1, 1, 1, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1});
    EXPECT_EQ(device.Answer("01 00 13 00 13"), "01 03 CD 6B 05");
    // Discrete inputs 197-218: AC DB 35.
    SetBits(device.model.discrete_inputs, 196,
            {0, 0, 1, 1, 0, 1, 0, 1, 1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 1, 0, 1, 1});
    EXPECT_EQ(device.Answer("02 00 C4 00 16"), "02 03 AC DB 35");
    // Holding registers 108-110: 555, 0, 100.
    SetRegisters(device.model.holding_registers, 107, {555, 0, 100});
    EXPECT_EQ(device.Answer("03 00 6B 00 03"), "03 06 02 2B 00 00 00 64");
    EXPECT_EQ(device.event.summary, "unit 17 Read Holding Registers 107 count 3 -> 3 registers");
    // Input register 9: 10.
    SetRegisters(device.model.input_registers, 8, {10});
    EXPECT_EQ(device.Answer("04 00 08 00 01"), "04 02 00 0A");
    // Diagnostics 00 echoes.
    EXPECT_EQ(device.Answer("08 00 00 A5 37"), "08 00 00 A5 37");
}

TEST(ModbusSlave, CarriesOutThePublishedWrites) {
    Device device;
    SetBits(device.model.coils, 0, std::vector<int>(200, 0));
    SetRegisters(device.model.holding_registers, 0, std::vector<std::uint16_t>(20, 0));

    EXPECT_EQ(device.Answer("05 00 AC FF 00"), "05 00 AC FF 00");
    EXPECT_TRUE(device.model.coils.at(172));
    EXPECT_EQ(device.Answer("06 00 01 00 03"), "06 00 01 00 03");
    EXPECT_EQ(device.model.holding_registers.at(1), 3);

    // Coils 20-29 from CD 01: the first coil in the lowest bit.
    EXPECT_EQ(device.Answer("0F 00 13 00 0A 02 CD 01"), "0F 00 13 00 0A");
    const std::vector<bool> written{true, false, true, true, false, false, true, true, true, false};
    for (std::size_t i = 0; i < written.size(); ++i) EXPECT_EQ(device.model.coils.at(19 + i), written[i]) << i;
    EXPECT_FALSE(device.model.coils.at(29));  // the padding bits wrote nothing

    EXPECT_EQ(device.Answer("10 00 01 00 02 04 00 0A 01 02"), "10 00 01 00 02");
    EXPECT_EQ(device.model.holding_registers.at(1), 0x000A);
    EXPECT_EQ(device.model.holding_registers.at(2), 0x0102);
}

TEST(ModbusSlave, MaskWriteFollowsTheFormula) {
    Device device;
    device.model.holding_registers[4] = 0x12;
    // The published example: 0x12 AND 0xF2 OR 0x25 gives 0x17 (worked:
    // 0x12 & 0xF2 = 0x12; 0x25 & ~0xF2 = 0x25 & 0x0D = 0x05; 0x12 | 0x05).
    EXPECT_EQ(device.Answer("16 00 04 00 F2 00 25"), "16 00 04 00 F2 00 25");
    EXPECT_EQ(device.model.holding_registers.at(4), 0x17);
    // Each bit of the result: the AND mask keeps the register's bit where
    // it is 1 and takes the OR mask's where it is 0, over random-looking
    // values checked bit by bit.
    const std::uint16_t cases[][3] = {{0xFFFF, 0x0000, 0x1234}, {0x0000, 0xFFFF, 0xABCD},
                                      {0xA5A5, 0x0FF0, 0xF00F}, {0x1357, 0x8421, 0xFFFF}};
    for (const auto& c : cases) {
        device.model.holding_registers[4] = c[0];
        ModbusSlaveEvent event;
        device.slave.Answer(ModbusAdu{0x11, FromHex("16 00 04 " + ToHex({static_cast<unsigned char>(c[1] >> 8),
                                                                          static_cast<unsigned char>(c[1] & 0xFF),
                                                                          static_cast<unsigned char>(c[2] >> 8),
                                                                          static_cast<unsigned char>(c[2] & 0xFF)})),
                                      0},
                            event);
        const unsigned result = device.model.holding_registers.at(4);
        for (int bit = 0; bit < 16; ++bit) {
            const unsigned expected = (c[1] >> bit & 1) ? (c[0] >> bit & 1) : (c[2] >> bit & 1);
            EXPECT_EQ(result >> bit & 1, expected) << "bit " << bit;
        }
    }
}

TEST(ModbusSlave, ReadWriteWritesFirst) {
    Device device;
    // The published example: read 4-9 (FE ACD 1 3 D FF), write 00FF to 15-17.
    SetRegisters(device.model.holding_registers, 3, {0x00FE, 0x0ACD, 0x0001, 0x0003, 0x000D, 0x00FF});
    SetRegisters(device.model.holding_registers, 14, {0, 0, 0});
    EXPECT_EQ(device.Answer("17 00 03 00 06 00 0E 00 03 06 00 FF 00 FF 00 FF"),
              "17 0C 00 FE 0A CD 00 01 00 03 00 0D 00 FF");
    EXPECT_EQ(device.model.holding_registers.at(16), 0x00FF);
    // Overlapping ranges: the read sees what was written.
    EXPECT_EQ(device.Answer("17 00 03 00 02 00 04 00 01 02 12 34"), "17 04 00 FE 12 34");
    // A write range outside the map writes nothing.
    EXPECT_EQ(device.Answer("17 00 03 00 01 00 30 00 01 02 55 55"), "97 02");
}

TEST(ModbusSlave, ExceptionsForHolesLimitsAndUnknownFunctions) {
    Device device;
    SetRegisters(device.model.holding_registers, 0, std::vector<std::uint16_t>(125, 7));
    SetBits(device.model.coils, 2000, std::vector<int>(2000, 1));
    device.model.holding_registers[0xFFFF] = 1;

    // The published exception: a coil the device does not have.
    EXPECT_EQ(device.Answer("01 04 A1 00 01"), "81 02");
    EXPECT_EQ(device.event.summary, "unit 17 Read Coils 1185 count 1 -> exception 02 ILLEGAL DATA ADDRESS");
    // The limits themselves are served; one past them is 03.
    EXPECT_EQ(device.Answer("03 00 00 00 7D").substr(0, 5), "03 FA");
    EXPECT_EQ(device.Answer("03 00 00 00 7E"), "83 03");
    EXPECT_EQ(device.Answer("03 00 00 00 00"), "83 03");
    EXPECT_EQ(device.Answer("01 07 D0 07 D0").substr(0, 5), "01 FA");
    EXPECT_EQ(device.Answer("01 07 D0 07 D1"), "81 03");
    // One address of the range missing, and a range running past 65535.
    EXPECT_EQ(device.Answer("03 00 7C 00 02"), "83 02");
    EXPECT_EQ(device.Answer("03 FF FF 00 01"), "03 02 00 01");
    EXPECT_EQ(device.Answer("03 FF FF 00 02"), "83 02");
    // Values the layout forbids.
    EXPECT_EQ(device.Answer("05 00 00 12 34"), "85 03");
    EXPECT_EQ(device.Answer("0F 00 00 00 0A 01 FF"), "8F 03");
    EXPECT_EQ(device.Answer("10 00 00 00 02 03 00 01 02"), "90 03");
    // Functions it does not know, or not in this form.
    EXPECT_EQ(device.Answer("07"), "87 01");
    EXPECT_EQ(device.Answer("08 00 01 00 00"), "88 01");
    EXPECT_EQ(device.Answer("2B 0D 01 00"), "AB 01");
    // A write to a register the map does not hold leaves the map alone.
    EXPECT_EQ(device.Answer("06 00 80 00 01"), "86 02");
    EXPECT_EQ(device.model.holding_registers.count(0x80), 0u);
}

TEST(ModbusSlave, AnswersOnlyItsUnitAndCarriesOutBroadcasts) {
    Device device;
    SetRegisters(device.model.holding_registers, 0, {1, 2});
    EXPECT_EQ(device.Answer("03 00 00 00 01", 5), "");
    EXPECT_EQ(device.event.summary, "unit 5 is not ours: no answer");
    EXPECT_TRUE(device.event.response_pdu.empty());

    EXPECT_EQ(device.Answer("06 00 01 00 09", 0), "");
    EXPECT_EQ(device.model.holding_registers.at(1), 9);
    EXPECT_NE(device.event.summary.find("no answer"), std::string::npos);

    // Unit 0 in the settings answers every unit.
    ModbusSlave any(device.model, ModbusSlaveSettings{0});
    ModbusSlaveEvent event;
    EXPECT_EQ(ToHex(any.Answer(ModbusAdu{42, FromHex("03 00 01 00 01"), 0}, event)), "03 02 00 09");
}

// On TCP the connection reaches the device: units 0 and 255 are the device
// itself (MODBUS Messaging on TCP/IP Implementation Guide V1.0b), never a
// broadcast, while another unit still goes unanswered.
TEST(ModbusSlave, OnTcpUnitsZeroAndFFReachTheDeviceItself) {
    Device device;
    SetRegisters(device.model.holding_registers, 0, {1, 2});
    ModbusSlaveEvent event;
    for (const unsigned char unit : {0x00, 0xFF}) {
        EXPECT_EQ(ToHex(device.slave.Answer(ModbusAdu{unit, FromHex("03 00 01 00 01"), 7}, event,
                                            ModbusFraming::kTcp)),
                  "03 02 00 02")
            << int{unit};
    }
    EXPECT_EQ(ToHex(device.slave.Answer(ModbusAdu{5, FromHex("03 00 01 00 01"), 7}, event, ModbusFraming::kTcp)), "");
    // RTU over TCP is a serial line's frames behind a gateway: 0 broadcasts.
    EXPECT_EQ(ToHex(device.slave.Answer(ModbusAdu{0, FromHex("06 00 01 00 05"), 0}, event,
                                        ModbusFraming::kRtuOverTcp)),
              "");
    EXPECT_EQ(device.model.holding_registers.at(1), 5);
}

TEST(ModbusSlave, IdentifiesTheDevice) {
    Device device;
    device.model.identification = {{0x00, "Quobrix"}, {0x01, "QB-1"}, {0x02, "1.0"}, {0x04, "Simulator"}};
    // Basic stream: objects 0-2.
    EXPECT_EQ(device.Answer("2B 0E 01 00"),
              "2B 0E 01 82 00 00 03 00 07 51 75 6F 62 72 69 78 01 04 51 42 2D 31 02 03 31 2E 30");
    // One object, and one the device does not have.
    EXPECT_EQ(device.Answer("2B 0E 04 04"), "2B 0E 04 82 00 00 01 04 09 53 69 6D 75 6C 61 74 6F 72");
    EXPECT_EQ(device.Answer("2B 0E 04 05"), "AB 02");
    // Objects longer than one answer holds: more follows, from the next id.
    device.model.identification = {{0x80, std::string(200, 'a')}, {0x81, std::string(100, 'b')}};
    ModbusSlaveEvent event;
    const ModbusBytes first = device.slave.Answer(ModbusAdu{0x11, FromHex("2B 0E 03 80"), 0}, event);
    const PduParse parse = ParseModbusPdu(first, ModbusDirection::kResponse);
    ASSERT_TRUE(parse.ok()) << parse.message;
    EXPECT_TRUE(parse.pdu.more_follows);
    EXPECT_EQ(parse.pdu.next_object_id, 0x81);
    ASSERT_EQ(parse.pdu.objects.size(), 1u);
    EXPECT_LE(first.size(), kModbusMaxPdu);
}

TEST(ModbusSlave, ThreadsShareOneModel) {
    Device device;
    device.model.holding_registers[0] = 0;
    device.model.holding_registers[1] = 0;
    // Each thread sets and clears its own bit over and over, then sets it:
    // with every mask write whole, no thread's bit is lost to another's.
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 8; ++thread) {
        threads.emplace_back([&device, thread] {
            const unsigned bit = 1u << thread;
            const auto mask = [&](unsigned and_mask, unsigned or_mask) {
                ModbusSlaveEvent event;
                device.slave.Answer(
                    ModbusAdu{0x11,
                              MaskWriteRegisterRequest(0, static_cast<std::uint16_t>(and_mask),
                                                       static_cast<std::uint16_t>(or_mask)),
                              0},
                    event);
            };
            for (int i = 0; i < 500; ++i) {
                mask(0xFFFF & ~bit, bit);
                mask(0xFFFF & ~bit, 0);
                ModbusSlaveEvent event;
                device.slave.Answer(ModbusAdu{0x11, ReadRequest(3, 0, 2), 0}, event);
            }
            mask(0xFFFF & ~bit, bit);
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(device.model.holding_registers.at(0), 0xFF);
}

// The bytes a peer sends back, read until `size` of them came or two
// seconds went by.
std::string ReadAnswer(Link& link, std::size_t size) {
    Bytes got;
    for (int wait = 0; wait < 200 && got.size() < size; ++wait) {
        const LinkRead read = link.Read(10 * 1000);
        if (read.status == LinkRead::kData) got.insert(got.end(), read.bytes.begin(), read.bytes.end());
        if (read.status == LinkRead::kClosed || read.status == LinkRead::kError) break;
    }
    return ToHex(got);
}

void Send(Link& link, const std::string& hex) {
    const Bytes bytes = FromHex(hex);
    std::string error;
    ASSERT_EQ(link.WriteSome(bytes.data(), bytes.size(), 1000 * 1000, error), static_cast<long long>(bytes.size()))
        << error;
}

TEST(ModbusSlave, ATcpServerServesItsClientsAtOnceUntilStopped) {
    // The Application Protocol's read example in MBAP frames, as the
    // Messaging on TCP/IP guide wraps them.
    Device device;
    device.model.holding_registers[0x6B] = 0x022B;
    device.model.holding_registers[0x6C] = 0x0000;
    device.model.holding_registers[0x6D] = 0x0064;
    std::string error;
    const std::unique_ptr<LinkListener> listener = ListenTcp("0", error, "127.0.0.1", 4);
    ASSERT_TRUE(listener) << error;
    const std::string port = std::to_string(listener->port());

    std::mutex mutex;
    std::vector<std::string> log;
    std::atomic<bool> stop{false};
    std::string failed = "not ended";
    std::thread server([&] {
        failed = ServeModbusTcp(
            *listener, ModbusFraming::kTcp, device.slave,
            [&](const ModbusClientEvent& event) {
                std::lock_guard<std::mutex> lock(mutex);
                const std::string who = std::to_string(event.client) + " ";
                if (event.kind == ModbusClientEvent::kConnected) log.push_back(who + "came");
                if (event.kind == ModbusClientEvent::kRequest) {
                    log.push_back(who + ToHex(event.request->received) + " -> " + ToHex(event.request->sent));
                }
                if (event.kind == ModbusClientEvent::kEnded) log.push_back(who + "went " + event.failure);
            },
            [&] { return stop.load(); });
    });

    // Both connected at once: the second is served while the first stays.
    const std::unique_ptr<Link> first = ConnectTcpLink("127.0.0.1", port, error);
    ASSERT_TRUE(first) << error;
    const std::unique_ptr<Link> second = ConnectTcpLink("127.0.0.1", port, error);
    ASSERT_TRUE(second) << error;
    Send(*first, "0001 0000 0006 11 03 006B 0003");
    EXPECT_EQ(ReadAnswer(*first, 15), ToHex(FromHex("0001 0000 0009 11 03 06 022B 0000 0064")));
    Send(*second, "0007 0000 0006 11 06 006C 1234");
    EXPECT_EQ(ReadAnswer(*second, 12), ToHex(FromHex("0007 0000 0006 11 06 006C 1234")));
    // One model under both: the first client reads the second's write.
    Send(*first, "0002 0000 0006 11 03 006C 0001");
    EXPECT_EQ(ReadAnswer(*first, 11), ToHex(FromHex("0002 0000 0005 11 03 02 1234")));

    stop = true;
    server.join();
    EXPECT_EQ(failed, "");
    std::vector<std::string> client1, client2;
    for (const std::string& line : log) (line[0] == '1' ? client1 : client2).push_back(line.substr(2));
    const auto served = [](const std::string& request, const std::string& answer) {
        return ToHex(FromHex(request)) + " -> " + ToHex(FromHex(answer));
    };
    EXPECT_EQ(client1, (std::vector<std::string>{"came",
                                                 served("0001 0000 0006 11 03 006B 0003",
                                                        "0001 0000 0009 11 03 06 022B 0000 0064"),
                                                 served("0002 0000 0006 11 03 006C 0001",
                                                        "0002 0000 0005 11 03 02 1234"),
                                                 "went "}));
    EXPECT_EQ(client2, (std::vector<std::string>{
                           "came", served("0007 0000 0006 11 06 006C 1234", "0007 0000 0006 11 06 006C 1234"),
                           "went "}));
}

}  // namespace
