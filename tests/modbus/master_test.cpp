// The master against a scripted link: answers split across reads, late
// answers to requests given up, frames from another unit, with a bad CRC or
// LRC or another transaction id, timeouts and retries, exceptions and
// broadcasts. The frames are the MODBUS Application Protocol V1.1b3's
// published examples, their CRCs appended by the bit-at-a-time oracle.
#include <gtest/gtest.h>

#include "modbus/master.h"
#include "support/modbus_oracle.h"
#include "support/scripted_link.h"

namespace {

using namespace modbus_oracle;

constexpr LinkTime kMs = 1000;
constexpr LinkTime kGap = 2 * kMs;

// Read Holding Registers 0x6B count 3 of unit 0x11, and its answer
// (022B 0000 0064), as published.
const Bytes kReadRequestPdu = FromHex("03 00 6B 00 03");
const Bytes kReadAnswerPdu = FromHex("03 06 02 2B 00 00 00 64");

Bytes Rtu(const std::string& hex) { return WithCrc(FromHex(hex)); }

Bytes Ascii(const std::string& hex) {
    const Bytes body = FromHex(hex);
    std::string text = ":";
    for (const unsigned char byte : body) text += ToHex({byte});
    text += ToHex({Lrc(body)}) + "\r\n";
    return FromText(text);
}

struct Rig {
    ScriptedLink link;
    ModbusMasterSettings settings;
    std::vector<ModbusTraceEvent> trace;

    explicit Rig(ModbusFraming framing, unsigned char unit = 0x11) {
        settings.framing = framing;
        settings.unit = unit;
        settings.timeout_us = 50 * kMs;
        settings.gap_us = framing == ModbusFraming::kTcp ? 0 : kGap;
    }
    ModbusTransaction Transact(const Bytes& pdu) {
        ModbusMaster master(link, settings);
        master.SetClock([this] { return link.now; });
        master.SetTrace([this](const ModbusTraceEvent& event) { trace.push_back(event); });
        return master.Transact(pdu);
    }
};

std::vector<std::uint16_t> Registers(const ModbusTransaction& transaction) { return transaction.response.registers; }

TEST(ModbusMaster, JoinsAnAnswerSplitAcrossReads) {
    const Bytes answer = Rtu("11 03 06 02 2B 00 00 00 64");
    {
        // Pauses within the answer longer than the gap, as a USB adapter
        // makes them: the function's layout still says where it ends.
        Rig rig(ModbusFraming::kRtu);
        rig.link.AnswerNextWrite({{3 * kMs, Bytes(answer.begin(), answer.begin() + 2)},
                                  {8 * kMs, Bytes(answer.begin() + 2, answer.begin() + 7)},
                                  {14 * kMs, Bytes(answer.begin() + 7, answer.end())}});
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        EXPECT_EQ(ToHex(rig.link.writes.at(0)), "11 03 00 6B 00 03 76 87");
        EXPECT_EQ(Registers(result), (std::vector<std::uint16_t>{0x022B, 0x0000, 0x0064}));
        EXPECT_EQ(result.response_pdu, kReadAnswerPdu);
        EXPECT_EQ(result.tries, 1);
        EXPECT_TRUE(result.refused.empty());
        ASSERT_EQ(rig.trace.size(), 2u);
        EXPECT_TRUE(rig.trace[0].sent);
        EXPECT_FALSE(rig.trace[1].sent);
        EXPECT_EQ(rig.trace[1].bytes, answer);
        EXPECT_EQ(rig.trace[1].check, "CRC 0x" + ToHex({answer[answer.size() - 1]}) + ToHex({answer[answer.size() - 2]}) + " ok");
    }
    {
        // TCP: the MBAP header itself split.
        Rig rig(ModbusFraming::kTcp);
        const Bytes frame = FromHex("00 01 00 00 00 09 11 03 06 02 2B 00 00 00 64");
        rig.link.AnswerNextWrite({{1 * kMs, Bytes(frame.begin(), frame.begin() + 3)},
                                  {2 * kMs, Bytes(frame.begin() + 3, frame.begin() + 9)},
                                  {3 * kMs, Bytes(frame.begin() + 9, frame.end())}});
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        EXPECT_EQ(ToHex(rig.link.writes.at(0)), "00 01 00 00 00 06 11 03 00 6B 00 03");
        EXPECT_EQ(Registers(result), (std::vector<std::uint16_t>{0x022B, 0x0000, 0x0064}));
    }
    {
        // ASCII: CR and LF in reads of their own.
        Rig rig(ModbusFraming::kAscii);
        const Bytes frame = Ascii("11 03 06 02 2B 00 00 00 64");
        rig.link.AnswerNextWrite({{1 * kMs, Bytes(frame.begin(), frame.end() - 2)},
                                  {2 * kMs, Bytes(frame.end() - 2, frame.end() - 1)},
                                  {3 * kMs, Bytes(frame.end() - 1, frame.end())}});
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        EXPECT_EQ(rig.link.writes.at(0), Ascii("11 03 00 6B 00 03"));
        EXPECT_EQ(Registers(result), (std::vector<std::uint16_t>{0x022B, 0x0000, 0x0064}));
    }
}

TEST(ModbusMaster, KeepsTheSilenceBeforeARequest) {
    Rig rig(ModbusFraming::kRtu);
    ModbusMaster master(rig.link, rig.settings);
    master.SetClock([&] { return rig.link.now; });
    rig.link.AnswerNextWrite({{5 * kMs, Rtu("11 03 06 02 2B 00 00 00 64")}});
    ASSERT_EQ(master.Transact(kReadRequestPdu).status, ModbusTransaction::kAnswered);
    const LinkTime answered_at = rig.link.now;
    // Noise on the line just before the next request pushes it back until
    // the line has been silent for the gap.
    rig.link.Deliver(answered_at + 1 * kMs, FromHex("FF"));
    rig.link.now = answered_at + 1 * kMs;
    rig.link.AnswerNextWrite({{5 * kMs, Rtu("11 06 00 01 00 03")}});
    const ModbusTransaction second = master.Transact(FromHex("06 00 01 00 03"));
    ASSERT_EQ(second.status, ModbusTransaction::kAnswered) << second.error;
    ASSERT_EQ(rig.link.write_times.size(), 2u);
    EXPECT_GE(rig.link.write_times[1] - (answered_at + 1 * kMs), kGap);
}

TEST(ModbusMaster, NeverTakesALateAnswerForTheNextRequests) {
    {
        // The answer comes after its request was given up, before the next
        // is sent: it is dropped, and the next request gets its own answer
        // even though both look alike.
        Rig rig(ModbusFraming::kRtu);
        ModbusMaster master(rig.link, rig.settings);
        master.SetClock([&] { return rig.link.now; });
        rig.link.AnswerNextWrite({{70 * kMs, Rtu("11 03 06 00 01 00 02 00 03")}});
        EXPECT_EQ(master.Transact(kReadRequestPdu).status, ModbusTransaction::kTimeout);
        rig.link.now += 30 * kMs;  // the late answer is on its way, then
        rig.link.AnswerNextWrite({{5 * kMs, Rtu("11 03 06 02 2B 00 00 00 64")}});
        const ModbusTransaction second = master.Transact(kReadRequestPdu);
        ASSERT_EQ(second.status, ModbusTransaction::kAnswered) << second.error;
        EXPECT_EQ(Registers(second), (std::vector<std::uint16_t>{0x022B, 0x0000, 0x0064}));
    }
    {
        // A late answer still in flight when the next request goes: another
        // function, refused, and the right one after it taken.
        Rig rig(ModbusFraming::kRtu);
        ModbusMaster master(rig.link, rig.settings);
        master.SetClock([&] { return rig.link.now; });
        rig.link.AnswerNextWrite({{60 * kMs, Rtu("11 03 06 00 01 00 02 00 03")}});
        EXPECT_EQ(master.Transact(kReadRequestPdu).status, ModbusTransaction::kTimeout);
        rig.link.AnswerNextWrite({{15 * kMs, Rtu("11 06 00 01 00 03")}});
        const ModbusTransaction second = master.Transact(FromHex("06 00 01 00 03"));
        ASSERT_EQ(second.status, ModbusTransaction::kAnswered) << second.error;
        EXPECT_EQ(second.response_pdu, FromHex("06 00 01 00 03"));
        EXPECT_EQ(second.refused, std::vector<std::string>{"an answer to function 0x03, not 0x06"});
        EXPECT_EQ(second.error, "an answer to function 0x03, not 0x06");
    }
    {
        // TCP: the late answer carries the earlier transaction id.
        Rig rig(ModbusFraming::kTcp);
        ModbusMaster master(rig.link, rig.settings);
        master.SetClock([&] { return rig.link.now; });
        rig.link.AnswerNextWrite({{60 * kMs, FromHex("00 01 00 00 00 09 11 03 06 00 01 00 02 00 03")}});
        EXPECT_EQ(master.Transact(kReadRequestPdu).status, ModbusTransaction::kTimeout);
        rig.link.AnswerNextWrite({{15 * kMs, FromHex("00 02 00 00 00 09 11 03 06 02 2B 00 00 00 64")}});
        const ModbusTransaction second = master.Transact(kReadRequestPdu);
        ASSERT_EQ(second.status, ModbusTransaction::kAnswered) << second.error;
        EXPECT_EQ(ToHex(rig.link.writes.at(1)), "00 02 00 00 00 06 11 03 00 6B 00 03");
        EXPECT_EQ(Registers(second), (std::vector<std::uint16_t>{0x022B, 0x0000, 0x0064}));
        EXPECT_EQ(second.refused, std::vector<std::string>{"transaction 1, not 2"});
    }
}

TEST(ModbusMaster, RefusesFramesThatAreNotTheAnswerAndWaitsOn) {
    {
        Rig rig(ModbusFraming::kRtu);
        Bytes bad_crc = Rtu("11 03 06 00 09 00 09 00 09");
        bad_crc.back() ^= 0x01;
        rig.link.AnswerNextWrite({{3 * kMs, Rtu("12 03 06 00 07 00 07 00 07")},
                                  {10 * kMs, bad_crc},
                                  {17 * kMs, Rtu("11 03 04 00 08 00 08")},
                                  {24 * kMs, Rtu("11 03 06 02 2B 00 00 00 64")}});
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        EXPECT_EQ(Registers(result), (std::vector<std::uint16_t>{0x022B, 0x0000, 0x0064}));
        ASSERT_EQ(result.refused.size(), 3u);
        EXPECT_EQ(result.refused[0], "an answer from unit 18, not 17");
        EXPECT_NE(result.refused[1].find("bad CRC"), std::string::npos) << result.refused[1];
        EXPECT_EQ(result.refused[2], "byte count 4 where 3 registers need 6");
        EXPECT_EQ(result.tries, 1);
    }
    {
        // Noise that no layout tells the end of, then silence: the silence
        // ends it, and the answer after it is read.
        Rig rig(ModbusFraming::kRtu);
        rig.link.AnswerNextWrite({{3 * kMs, FromHex("00 11 00")}, {20 * kMs, Rtu("11 03 06 02 2B 00 00 00 64")}});
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        EXPECT_FALSE(result.refused.empty());
    }
    {
        // ASCII: bytes before ':', a bad LRC, then the answer.
        Rig rig(ModbusFraming::kAscii);
        Bytes bad_lrc = Ascii("11 03 06 00 09 00 09 00 09");
        bad_lrc[bad_lrc.size() - 3] = bad_lrc[bad_lrc.size() - 3] == '0' ? '1' : '0';
        rig.link.AnswerNextWrite({{1 * kMs, FromText("xx")}, {2 * kMs, bad_lrc},
                                  {3 * kMs, Ascii("11 03 06 02 2B 00 00 00 64")}});
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        ASSERT_EQ(result.refused.size(), 2u);
        EXPECT_NE(result.refused[1].find("bad LRC"), std::string::npos) << result.refused[1];
    }
    {
        // TCP: the right transaction from another unit.
        Rig rig(ModbusFraming::kTcp);
        rig.link.AnswerNextWrite({{1 * kMs, FromHex("00 01 00 00 00 09 05 03 06 02 2B 00 00 00 64")},
                                  {2 * kMs, FromHex("00 01 00 00 00 09 11 03 06 02 2B 00 00 00 64")}});
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        EXPECT_EQ(result.refused, std::vector<std::string>{"an answer from unit 5, not 17"});
    }
}

TEST(ModbusMaster, RetriesUntilAnAnswerOrEveryTryIsSpent) {
    {
        Rig rig(ModbusFraming::kRtu);
        rig.settings.retries = 2;
        const LinkTime start = rig.link.now;
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        EXPECT_EQ(result.status, ModbusTransaction::kTimeout);
        EXPECT_EQ(result.tries, 3);
        EXPECT_EQ(rig.link.writes.size(), 3u);
        EXPECT_EQ(result.error, "no answer from unit 17 within 50 ms (3 tries)");
        // Each try waited its whole timeout.
        EXPECT_GE(rig.link.now - start, 3 * rig.settings.timeout_us);
    }
    {
        // The first try's answer is broken; the second is answered.
        Rig rig(ModbusFraming::kRtu);
        rig.settings.retries = 3;
        Bytes broken = Rtu("11 03 06 02 2B 00 00 00 64");
        broken[4] ^= 0x40;
        rig.link.AnswerNextWrite({{5 * kMs, broken}});
        rig.link.AnswerNextWrite({{5 * kMs, Rtu("11 03 06 02 2B 00 00 00 64")}});
        const ModbusTransaction result = rig.Transact(kReadRequestPdu);
        ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
        EXPECT_EQ(result.tries, 2);
        EXPECT_EQ(rig.link.writes.size(), 2u);
        EXPECT_EQ(result.refused.size(), 1u);
        EXPECT_EQ(result.error, "");  // the try that answered refused nothing
    }
}

TEST(ModbusMaster, AnExceptionIsAnAnswer) {
    // The published exception: Read Coils of a coil that is not there.
    Rig rig(ModbusFraming::kRtu, 0x0A);
    rig.link.AnswerNextWrite({{4 * kMs, Rtu("0A 81 02")}});
    const ModbusTransaction result = rig.Transact(FromHex("01 04 A1 00 01"));
    ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
    EXPECT_TRUE(result.response.exception);
    EXPECT_EQ(result.response.exception_code, 0x02);
    EXPECT_EQ(result.response.function, 0x01);
    EXPECT_EQ(result.tries, 1);
}

TEST(ModbusMaster, ReadBitsAreCutToTheCountAsked) {
    // Read Coils 20-38 as published: CD 6B 05.
    Rig rig(ModbusFraming::kRtu);
    rig.link.AnswerNextWrite({{4 * kMs, Rtu("11 01 03 CD 6B 05")}});
    const ModbusTransaction result = rig.Transact(FromHex("01 00 13 00 13"));
    ASSERT_EQ(result.status, ModbusTransaction::kAnswered) << result.error;
    const std::vector<bool> expected{true, false, true, true, false, false, true, true, true, true,
                                     false, true, false, true, true, false, true, false, true};
    EXPECT_EQ(result.response.bits, expected);
}

TEST(ModbusMaster, BroadcastsWithoutWaiting) {
    Rig rig(ModbusFraming::kRtu, 0);
    const LinkTime start = rig.link.now;
    const ModbusTransaction result = rig.Transact(FromHex("06 00 01 00 03"));
    EXPECT_EQ(result.status, ModbusTransaction::kBroadcast);
    EXPECT_EQ(result.tries, 1);
    ASSERT_EQ(rig.link.writes.size(), 1u);
    EXPECT_EQ(rig.link.writes[0], Rtu("00 06 00 01 00 03"));
    EXPECT_LT(rig.link.now - start, rig.settings.timeout_us);
}

// On TCP unit 0 addresses the device at the other end, which answers: no
// broadcast there.
TEST(ModbusMaster, UnitZeroOnTcpWaitsForItsAnswer) {
    Rig rig(ModbusFraming::kTcp, 0);
    const ModbusTransaction result = rig.Transact(FromHex("06 00 01 00 03"));
    EXPECT_NE(result.status, ModbusTransaction::kBroadcast);
    ASSERT_EQ(rig.link.writes.size(), 1u);
}

TEST(ModbusMaster, TellsALinkThatClosed) {
    Rig rig(ModbusFraming::kTcp);
    rig.link.CloseAfterScript();
    const ModbusTransaction result = rig.Transact(kReadRequestPdu);
    EXPECT_EQ(result.status, ModbusTransaction::kLinkFailed);
    EXPECT_EQ(result.error, "the link closed: the script ended");
}

}  // namespace
