// A MODBUS master over a link: sends a request in the link's framing, waits
// for the answer, and holds it to the request before handing it over: its
// check (CRC, LRC), its unit, its function, its transaction id, its byte
// count. Answers are cut from the stream by what the framing says of their
// length (RTU by the function's layout and, for what no layout tells, the
// 3.5-character silence; ASCII by CR LF; TCP by the MBAP length), so an
// answer split across reads is joined, and one that arrives after its
// request was given up is never taken for the next request's.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "link/link.h"
#include "modbus/adu.h"
#include "modbus/pdu.h"

struct ModbusMasterSettings {
    ModbusFraming framing = ModbusFraming::kTcp;
    unsigned char unit = 1;
    LinkTime timeout_us = 1000 * 1000;  // for each try
    int retries = 0;                    // tries after the first that got no valid answer
    // RTU and ASCII: the silence that ends a frame, and that must pass
    // before a request (ModbusGapUs of the port's settings); over TCP 0.
    LinkTime gap_us = 0;
};

// One frame seen on the wire, for --trace and a traffic view.
struct ModbusTraceEvent {
    bool sent = false;
    LinkBytes bytes;
    LinkTime time = 0;
    // For a received frame: "CRC 0x8776 ok", "LRC 0x7E ok", "MBAP length
    // agrees", or what is wrong with it; for a frame sent: its check.
    std::string check;
    bool ok = true;
};

struct ModbusTransaction {
    enum Status {
        kAnswered,    // `response` is the answer, checked; it may be an exception
        kTimeout,     // no valid answer within the timeout, after every try
        kLinkFailed,  // the link failed or closed; `error` says how
        kBroadcast,   // unit 0 on a serial line: sent, and no answer is due
    } status = kTimeout;
    ModbusPdu response;        // parsed as a response to the request
    ModbusBytes response_pdu;  // its bytes
    int tries = 0;
    // One line: "no answer from unit 1 within 1 s (3 tries)", "the link
    // closed: ..."; for an answer, "" or, when the last try's frames were
    // refused, why (a bad CRC, another unit, another transaction).
    std::string error;
    // Every frame a try refused, in words, in order: "CRC 0x1234 expected,
    // the frame holds 0x3412", "an answer from unit 2, not 1", "transaction
    // 7, not 8", "byte count 6 where 3 registers need 6".
    std::vector<std::string> refused;
};

class ModbusMaster {
public:
    ModbusMaster(Link& link, const ModbusMasterSettings& settings);

    // Sends `request_pdu` (function code first) and waits for its answer.
    ModbusTransaction Transact(const ModbusBytes& request_pdu);

    // Each frame sent and received, as it happens.
    void SetTrace(std::function<void(const ModbusTraceEvent&)> trace) { trace_ = std::move(trace); }

    // The clock that timeouts and silences are measured by: LinkNow, or a
    // test's own, which its scripted link moves on.
    void SetClock(std::function<LinkTime()> now) { now_ = std::move(now); }

    const ModbusMasterSettings& settings() const { return settings_; }

    // The unit the next requests go to: one master polling several devices
    // on a line keeps one count of transactions and one silence between
    // frames for all of them.
    void SetUnit(unsigned char unit) { settings_.unit = unit; }

private:
    enum class TryEnd { kAnswered, kNoAnswer, kLinkFailed };
    TryEnd Try(const ModbusBytes& request_pdu, std::uint16_t transaction, ModbusTransaction& result);
    bool Quiet(ModbusTransaction& result);
    bool Send(const ModbusBytes& frame, ModbusTransaction& result);
    // Why `frame` is no answer to the request, or "" when it is one; the
    // parsed answer in `result`.
    // `broken`: the frame failed its own check, so the stream is out of step.
    std::string Refusal(const LinkBytes& frame, const ModbusBytes& request_pdu, std::uint16_t transaction,
                        ModbusTransaction& result, bool& broken) const;
    void Trace(bool sent, const LinkBytes& bytes, std::string check, bool ok);

    Link& link_;
    ModbusMasterSettings settings_;
    std::function<void(const ModbusTraceEvent&)> trace_;
    std::function<LinkTime()> now_ = LinkNow;
    std::uint16_t next_transaction_ = 1;
    LinkTime last_byte_time_ = 0;
};
