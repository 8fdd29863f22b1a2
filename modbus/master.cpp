#include "modbus/master.h"

#include <algorithm>

#include "modbus/frame_cutter.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

std::string Hex2(unsigned value) { return std::string{kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]}; }
std::string Hex4(unsigned value) { return Hex2(value >> 8) + Hex2(value); }

// The check a frame carries, as the trace shows it, for a frame whose
// framing already held.
std::string CheckText(ModbusFraming framing, const LinkBytes& frame) {
    switch (framing) {
        case ModbusFraming::kTcp:
            return "MBAP length agrees";
        case ModbusFraming::kAscii:
            // The LRC's two digits stand before CR LF.
            return frame.size() >= 5
                       ? "LRC 0x" + std::string(frame.end() - 4, frame.end() - 2) + " ok"
                       : "LRC";
        case ModbusFraming::kRtu:
        case ModbusFraming::kRtuOverTcp:
            break;
    }
    if (frame.size() < 2) return "CRC";
    return "CRC 0x" + Hex4(static_cast<unsigned>(frame[frame.size() - 2] | frame[frame.size() - 1] << 8)) + " ok";
}

std::string Joined(const std::vector<std::string>& lines, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < lines.size(); ++i) text += (text.empty() ? "" : "; ") + lines[i];
    return text;
}

bool ReadsBits(unsigned char function) {
    return function == modbus_function::kReadCoils || function == modbus_function::kReadDiscreteInputs;
}

// Why `response` does not answer `request`, both read; "" when it does.
std::string Mismatch(const ModbusPdu& request, const ModbusBytes& request_pdu, ModbusPdu& response,
                     const ModbusBytes& response_pdu) {
    using namespace modbus_function;
    switch (request.function) {
        case kReadCoils:
        case kReadDiscreteInputs:
        case kReadHoldingRegisters:
        case kReadInputRegisters:
        case kReadWriteMultipleRegisters: {
            const bool bits = ReadsBits(request.function);
            const unsigned needed = bits ? (request.count + 7u) / 8 : 2u * request.count;
            if (response.byte_count != needed) {
                return "byte count " + std::to_string(response.byte_count) + " where " +
                       std::to_string(request.count) + (bits ? " bits need " : " registers need ") +
                       std::to_string(needed);
            }
            // The bits past the count only pad the last byte.
            if (bits) response.bits.resize(request.count);
            return "";
        }
        case kWriteSingleCoil:
        case kWriteSingleRegister:
        case kMaskWriteRegister:
        case kDiagnostics:
            return response_pdu == request_pdu ? "" : "an echo that differs from the request";
        case kWriteMultipleCoils:
        case kWriteMultipleRegisters:
            if (response.address != request.address || response.count != request.count) {
                return "address " + std::to_string(response.address) + " count " + std::to_string(response.count) +
                       " confirmed, " + std::to_string(request.address) + " count " +
                       std::to_string(request.count) + " written";
            }
            return "";
        default:
            return "";
    }
}

}  // namespace

ModbusMaster::ModbusMaster(Link& link, const ModbusMasterSettings& settings) : link_(link), settings_(settings) {}

ModbusTransaction ModbusMaster::Transact(const ModbusBytes& request_pdu) {
    ModbusTransaction result;
    if (settings_.unit == 0 && settings_.framing != ModbusFraming::kTcp) {
        // Every slave on the line takes a broadcast and none answers it; on
        // TCP unit 0 addresses the device at the other end, which answers.
        result.tries = 1;
        if (!Quiet(result)) return result;
        ModbusAdu adu{0, request_pdu, 0};
        if (settings_.framing == ModbusFraming::kTcp) adu.transaction = next_transaction_++;
        if (!Send(EncodeAdu(settings_.framing, adu), result)) return result;
        result.status = ModbusTransaction::kBroadcast;
        return result;
    }
    const int tries = 1 + std::max(settings_.retries, 0);
    for (int attempt = 0; attempt < tries; ++attempt) {
        ++result.tries;
        const std::size_t refused_before = result.refused.size();
        const std::uint16_t transaction = settings_.framing == ModbusFraming::kTcp ? next_transaction_++ : 0;
        switch (Try(request_pdu, transaction, result)) {
            case TryEnd::kAnswered:
                result.status = ModbusTransaction::kAnswered;
                result.error = Joined(result.refused, refused_before);
                return result;
            case TryEnd::kLinkFailed:
                result.status = ModbusTransaction::kLinkFailed;
                return result;
            case TryEnd::kNoAnswer:
                break;
        }
    }
    result.status = ModbusTransaction::kTimeout;
    result.error = "no answer from unit " + std::to_string(settings_.unit) + " within " +
                   DurationText(settings_.timeout_us) + " (" + std::to_string(result.tries) +
                   (result.tries == 1 ? " try)" : " tries)");
    if (!result.refused.empty()) result.error += "; refused: " + result.refused.back();
    return result;
}

ModbusMaster::TryEnd ModbusMaster::Try(const ModbusBytes& request_pdu, std::uint16_t transaction,
                                       ModbusTransaction& result) {
    if (!Quiet(result)) return TryEnd::kLinkFailed;
    ModbusFrameCutter cutter(settings_.framing, ModbusDirection::kResponse, settings_.gap_us);
    if (!request_pdu.empty() && request_pdu[0] == modbus_function::kDiagnostics) {
        cutter.SetDiagnosticsSize(request_pdu.size() + 3);
    }
    if (!Send(EncodeAdu(settings_.framing, ModbusAdu{settings_.unit, request_pdu, transaction}), result)) {
        return TryEnd::kLinkFailed;
    }
    const LinkTime deadline = now_() + settings_.timeout_us;
    for (;;) {
        ModbusStreamPiece piece;
        while (cutter.Next(now_(), piece)) {
            if (!piece.frame) {
                const std::string why = std::to_string(piece.bytes.size()) + " bytes of " + piece.why;
                Trace(false, piece.bytes, why, false);
                result.refused.push_back(why);
                continue;
            }
            bool broken = false;
            const std::string refusal = Refusal(piece.bytes, request_pdu, transaction, result, broken);
            if (refusal.empty()) {
                Trace(false, piece.bytes, CheckText(settings_.framing, piece.bytes), true);
                return TryEnd::kAnswered;
            }
            Trace(false, piece.bytes, refusal, false);
            result.refused.push_back(refusal);
            if (broken) cutter.Resynchronise();
        }
        const LinkTime now = now_();
        if (now >= deadline) return TryEnd::kNoAnswer;
        LinkTime wait = deadline - now;
        const LinkTime wake = cutter.NextWake(now);
        if (wake >= 0) wait = std::min(wait, std::max<LinkTime>(wake - now, 0));
        LinkRead read = link_.Read(wait);
        if (read.status == LinkRead::kData) {
            cutter.Push(read.bytes.data(), read.bytes.size(), read.time);
            last_byte_time_ = read.time;
        } else if (read.status != LinkRead::kTimeout) {
            result.error = (read.status == LinkRead::kClosed ? "the link closed: " : "the link failed: ") + read.error;
            return TryEnd::kLinkFailed;
        }
    }
}

// Whatever is still on its way from an earlier request is dropped, and on a
// serial line the silence is kept before speaking, so that no slave takes the
// request for the tail of another frame and no late answer passes for this
// one's.
bool ModbusMaster::Quiet(ModbusTransaction& result) {
    const LinkTime give_up = now_() + settings_.timeout_us;
    for (;;) {
        const LinkTime now = now_();
        // A line that never falls silent: the request goes anyway.
        if (now >= give_up) return true;
        const LinkTime wait = std::max<LinkTime>(settings_.gap_us - (now - last_byte_time_), 0);
        LinkRead read = link_.Read(wait);
        if (read.status == LinkRead::kData) {
            last_byte_time_ = read.time;
            Trace(false, read.bytes, "came before the request: dropped", false);
        } else if (read.status == LinkRead::kTimeout) {
            if (wait == 0) return true;
        } else {
            result.status = ModbusTransaction::kLinkFailed;
            result.error = (read.status == LinkRead::kClosed ? "the link closed: " : "the link failed: ") + read.error;
            return false;
        }
    }
}

bool ModbusMaster::Send(const ModbusBytes& frame, ModbusTransaction& result) {
    const LinkTime give_up = now_() + settings_.timeout_us;
    std::size_t sent = 0;
    while (sent < frame.size()) {
        std::string error;
        const long long wrote = link_.WriteSome(frame.data() + sent, frame.size() - sent,
                                                std::max<LinkTime>(give_up - now_(), 0), error);
        if (wrote < 0) {
            result.status = ModbusTransaction::kLinkFailed;
            result.error = "the link failed: " + error;
            return false;
        }
        sent += static_cast<std::size_t>(wrote);
        if (wrote == 0 && now_() >= give_up) {
            result.status = ModbusTransaction::kLinkFailed;
            result.error = link_.Name() + " took no bytes within " + DurationText(settings_.timeout_us);
            return false;
        }
    }
    std::string check;
    switch (settings_.framing) {
        case ModbusFraming::kTcp:
            check = "transaction " + std::to_string(frame.size() >= 2 ? (frame[0] << 8 | frame[1]) : 0);
            break;
        case ModbusFraming::kAscii:
            check = "LRC 0x" + std::string(frame.end() - 4, frame.end() - 2);
            break;
        case ModbusFraming::kRtu:
        case ModbusFraming::kRtuOverTcp:
            check = "CRC 0x" + Hex4(static_cast<unsigned>(frame[frame.size() - 2] | frame[frame.size() - 1] << 8));
            break;
    }
    Trace(true, frame, check, true);
    return true;
}

std::string ModbusMaster::Refusal(const LinkBytes& frame, const ModbusBytes& request_pdu, std::uint16_t transaction,
                                  ModbusTransaction& result, bool& broken) const {
    const AduParse adu = ParseAdu(settings_.framing, frame.data(), frame.size());
    broken = !adu.ok();
    if (broken) return adu.message;
    if (settings_.framing == ModbusFraming::kTcp && adu.adu.transaction != transaction) {
        return "transaction " + std::to_string(adu.adu.transaction) + ", not " + std::to_string(transaction);
    }
    if (adu.adu.unit != settings_.unit) {
        return "an answer from unit " + std::to_string(adu.adu.unit) + ", not " + std::to_string(settings_.unit);
    }
    const ModbusBytes& pdu = adu.adu.pdu;
    if (pdu.empty()) return "an answer without a function code";
    const unsigned char asked = request_pdu.empty() ? 0 : request_pdu[0];
    if ((pdu[0] & 0x7F) != asked) {
        return "an answer to function 0x" + Hex2(pdu[0] & 0x7Fu) + ", not 0x" + Hex2(asked);
    }
    PduParse response = ParseModbusPdu(pdu, ModbusDirection::kResponse);
    if (!response.ok()) return response.message;
    if (!response.pdu.exception) {
        const PduParse request = ParseModbusPdu(request_pdu, ModbusDirection::kRequest);
        // A request the protocol forbids (sent on purpose) has no layout to
        // hold its answer to.
        if (request.ok()) {
            const std::string mismatch = Mismatch(request.pdu, request_pdu, response.pdu, pdu);
            if (!mismatch.empty()) return mismatch;
        }
    }
    result.response = response.pdu;
    result.response_pdu = pdu;
    return "";
}

void ModbusMaster::Trace(bool sent, const LinkBytes& bytes, std::string check, bool ok) {
    if (!trace_) return;
    ModbusTraceEvent event;
    event.sent = sent;
    event.bytes = bytes;
    event.time = now_();
    event.check = std::move(check);
    event.ok = ok;
    trace_(event);
}
