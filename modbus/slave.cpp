#include "modbus/slave.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "modbus/frame_cutter.h"

namespace {

using namespace modbus_function;

constexpr unsigned char kIllegalFunction = 0x01;
constexpr unsigned char kIllegalDataAddress = 0x02;
constexpr unsigned char kIllegalDataValue = 0x03;

// How often a server looks at `stop` while its link is silent.
constexpr LinkTime kStopPollUs = 50 * 1000;

const char kHexDigits[] = "0123456789ABCDEF";
std::string Hex2(unsigned value) { return std::string{kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]}; }

// Whether every address of `first` and the `count` after it is in `table`;
// a range that runs past 65535 is not.
template <typename Value>
bool Holds(const std::map<std::uint16_t, Value>& table, std::uint16_t first, unsigned count) {
    if (static_cast<unsigned>(first) + count > 0x10000u) return false;
    const auto begin = table.find(first);
    if (begin == table.end()) return false;
    // The map is ordered: the range is there when its last address is
    // `count - 1` entries on and they run without a hole.
    auto at = begin;
    for (unsigned i = 0; i < count; ++i, ++at) {
        if (at == table.end() || at->first != first + i) return false;
    }
    return true;
}

template <typename Value>
std::vector<Value> ReadRange(const std::map<std::uint16_t, Value>& table, std::uint16_t first, unsigned count) {
    std::vector<Value> values;
    auto at = table.find(first);
    for (unsigned i = 0; i < count; ++i, ++at) values.push_back(at->second);
    return values;
}

template <typename Value, typename Source>
void WriteRange(std::map<std::uint16_t, Value>& table, std::uint16_t first, const Source& values) {
    auto at = table.find(first);
    for (std::size_t i = 0; i < values.size(); ++i, ++at) at->second = values[i];
}

// What a parse failure of a request means to a device: an unknown function
// is 01, a count or value past the protocol's limits 03.
unsigned char ExceptionFor(PduError error) {
    switch (error) {
        case PduError::kEmpty:
        case PduError::kUnknownFunction:
        case PduError::kNotARequest:
        case PduError::kBadMeiType:
            return kIllegalFunction;
        default:
            return kIllegalDataValue;
    }
}

// Device identification's three stream categories and how far each reaches.
unsigned char LastObjectOf(unsigned char read_device_id_code) {
    switch (read_device_id_code) {
        case 1:
            return 0x02;  // basic: vendor, product code, revision
        case 2:
            return 0x7F;  // regular
        default:
            return 0xFF;  // extended
    }
}

class RequestAnswer {
public:
    RequestAnswer(ModbusDataModel& model, const ModbusAdu& request) : model_(model), request_(request) {}

    // The response PDU (also for a broadcast, whose answer is then not sent)
    // and a line of what was done in `summary`.
    ModbusBytes Answer(std::string& summary) {
        const PduParse parse = ParseModbusPdu(request_.pdu, ModbusDirection::kRequest);
        const unsigned char code = request_.pdu.empty() ? 0 : request_.pdu[0];
        const std::string name = *ModbusFunctionName(code) ? ModbusFunctionName(code) : "function 0x" + Hex2(code);
        if (!parse.ok()) {
            summary = name + ": " + parse.message;
            return Exception(code & 0x7F, ExceptionFor(parse.error), summary);
        }
        const ModbusPdu& pdu = parse.pdu;
        summary = name + Describe(pdu);
        ModbusBytes response = Carry(pdu, summary);
        return response;
    }

private:
    static std::string Describe(const ModbusPdu& pdu) {
        switch (pdu.function) {
            case kReadCoils:
            case kReadDiscreteInputs:
            case kReadHoldingRegisters:
            case kReadInputRegisters:
            case kWriteMultipleCoils:
            case kWriteMultipleRegisters:
                return " " + std::to_string(pdu.address) + " count " + std::to_string(pdu.count);
            case kWriteSingleCoil:
                return " " + std::to_string(pdu.address) + (pdu.bits[0] ? " on" : " off");
            case kWriteSingleRegister:
                return " " + std::to_string(pdu.address) + " = " + std::to_string(pdu.registers[0]);
            case kMaskWriteRegister:
                return " " + std::to_string(pdu.address) + " AND 0x" + Hex2(pdu.and_mask >> 8) +
                       Hex2(pdu.and_mask) + " OR 0x" + Hex2(pdu.or_mask >> 8) + Hex2(pdu.or_mask);
            case kReadWriteMultipleRegisters:
                return " read " + std::to_string(pdu.address) + " count " + std::to_string(pdu.count) + ", write " +
                       std::to_string(pdu.write_address) + " count " + std::to_string(pdu.write_count);
            case kDiagnostics:
                return " sub-function " + std::to_string(pdu.sub_function);
            case kEncapsulatedInterface:
                return " code " + std::to_string(pdu.read_device_id_code) + " from object 0x" + Hex2(pdu.object_id);
            default:
                return "";
        }
    }

    ModbusBytes Exception(unsigned char function, unsigned char code, std::string& summary) const {
        summary += " -> exception " + Hex2(code) + " " + ModbusExceptionName(code);
        return ExceptionResponse(function, code);
    }

    ModbusBytes Carry(const ModbusPdu& pdu, std::string& summary) {
        switch (pdu.function) {
            case kReadCoils:
            case kReadDiscreteInputs: {
                const auto& table = pdu.function == kReadCoils ? model_.coils : model_.discrete_inputs;
                if (!Holds(table, pdu.address, pdu.count)) return Exception(pdu.function, kIllegalDataAddress, summary);
                summary += " -> " + std::to_string(pdu.count) + " bits";
                return ReadBitsResponse(pdu.function, ReadRange(table, pdu.address, pdu.count));
            }
            case kReadHoldingRegisters:
            case kReadInputRegisters: {
                const auto& table =
                    pdu.function == kReadHoldingRegisters ? model_.holding_registers : model_.input_registers;
                if (!Holds(table, pdu.address, pdu.count)) return Exception(pdu.function, kIllegalDataAddress, summary);
                summary += " -> " + std::to_string(pdu.count) + " registers";
                return ReadRegistersResponse(pdu.function, ReadRange(table, pdu.address, pdu.count));
            }
            case kWriteSingleCoil:
            case kWriteMultipleCoils:
                if (!Holds(model_.coils, pdu.address, pdu.count)) {
                    return Exception(pdu.function, kIllegalDataAddress, summary);
                }
                WriteRange(model_.coils, pdu.address, pdu.bits);
                summary += " -> written";
                return pdu.function == kWriteSingleCoil ? request_.pdu
                                                        : WriteMultipleResponse(pdu.function, pdu.address, pdu.count);
            case kWriteSingleRegister:
            case kWriteMultipleRegisters:
                if (!Holds(model_.holding_registers, pdu.address, pdu.count)) {
                    return Exception(pdu.function, kIllegalDataAddress, summary);
                }
                WriteRange(model_.holding_registers, pdu.address, pdu.registers);
                summary += " -> written";
                return pdu.function == kWriteSingleRegister
                           ? request_.pdu
                           : WriteMultipleResponse(pdu.function, pdu.address, pdu.count);
            case kMaskWriteRegister: {
                const auto at = model_.holding_registers.find(pdu.address);
                if (at == model_.holding_registers.end()) return Exception(pdu.function, kIllegalDataAddress, summary);
                at->second = static_cast<std::uint16_t>((at->second & pdu.and_mask) | (pdu.or_mask & ~pdu.and_mask));
                summary += " -> " + std::to_string(at->second);
                return request_.pdu;
            }
            case kReadWriteMultipleRegisters: {
                // Both ranges are checked before either is touched; the write
                // comes first, so a read of the same registers sees it.
                auto& table = model_.holding_registers;
                if (!Holds(table, pdu.write_address, pdu.write_count) || !Holds(table, pdu.address, pdu.count)) {
                    return Exception(pdu.function, kIllegalDataAddress, summary);
                }
                WriteRange(table, pdu.write_address, pdu.registers);
                summary += " -> " + std::to_string(pdu.count) + " registers";
                return ReadRegistersResponse(pdu.function, ReadRange(table, pdu.address, pdu.count));
            }
            case kDiagnostics:
                if (pdu.sub_function != kDiagnosticsReturnQueryData) {
                    return Exception(pdu.function, kIllegalFunction, summary);
                }
                summary += " -> echoed";
                return request_.pdu;
            case kEncapsulatedInterface:
                return DeviceIdentification(pdu, summary);
            default:
                return Exception(pdu.function, kIllegalFunction, summary);
        }
    }

    ModbusBytes DeviceIdentification(const ModbusPdu& pdu, std::string& summary) {
        const auto& objects = model_.identification;
        unsigned char conformity = 0x81;
        for (const auto& object : objects) {
            if (object.first >= 0x80) conformity = 0x83;
            else if (object.first >= 0x03 && conformity < 0x82) conformity = 0x82;
        }
        if (pdu.read_device_id_code == 4) {
            const auto at = objects.find(pdu.object_id);
            if (at == objects.end()) return Exception(pdu.function, kIllegalDataAddress, summary);
            summary += " -> 1 object";
            return ReadDeviceIdentificationResponse(4, conformity, false, 0, {{at->first, at->second}});
        }
        const unsigned char last = LastObjectOf(pdu.read_device_id_code);
        // An object id the category does not hold starts the stream over.
        unsigned char first = pdu.object_id;
        if (first > last || objects.find(first) == objects.end()) first = 0;
        std::vector<ModbusDeviceObject> answer;
        std::size_t size = 7;  // the response's header
        bool more = false;
        unsigned char next = 0;
        for (auto at = objects.lower_bound(first); at != objects.end() && at->first <= last; ++at) {
            const std::size_t value_size = std::min<std::size_t>(at->second.size(), 0xFF);
            if (size + 2 + value_size > kModbusMaxPdu) {
                more = true;
                next = at->first;
                break;
            }
            answer.push_back({at->first, at->second.substr(0, value_size)});
            size += 2 + value_size;
        }
        summary += " -> " + std::to_string(answer.size()) + " objects";
        return ReadDeviceIdentificationResponse(pdu.read_device_id_code, conformity, more, next, answer);
    }

    ModbusDataModel& model_;
    const ModbusAdu& request_;
};

// Writes all of `bytes`, or says why not.
std::string WriteAll(Link& link, const ModbusBytes& bytes) {
    constexpr LinkTime kWriteTimeoutUs = 1000 * 1000;
    const LinkTime give_up = LinkNow() + kWriteTimeoutUs;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        std::string error;
        const long long wrote = link.WriteSome(bytes.data() + sent, bytes.size() - sent,
                                               std::max<LinkTime>(give_up - LinkNow(), 0), error);
        if (wrote < 0) return error;
        sent += static_cast<std::size_t>(wrote);
        if (wrote == 0 && LinkNow() >= give_up) {
            return link.Name() + " took no bytes of an answer within " + DurationText(kWriteTimeoutUs);
        }
    }
    return "";
}

}  // namespace

ModbusSlave::ModbusSlave(ModbusDataModel& model, const ModbusSlaveSettings& settings)
    : model_(model), settings_(settings) {}

ModbusBytes ModbusSlave::Answer(const ModbusAdu& request, ModbusSlaveEvent& event, ModbusFraming framing) {
    event.request = request;
    event.response_pdu.clear();
    // On TCP the address reaches the device, and units 0 and 255 speak to it
    // directly (MODBUS Messaging on TCP/IP Implementation Guide V1.0b, 4.4.2).
    const bool tcp = framing == ModbusFraming::kTcp;
    const bool broadcast = request.unit == 0 && !tcp;
    const bool direct = tcp && (request.unit == 0 || request.unit == 0xFF);
    if (!broadcast && !direct && settings_.unit != 0 && request.unit != settings_.unit) {
        event.summary = "unit " + std::to_string(request.unit) + " is not ours: no answer";
        return {};
    }
    std::string summary;
    ModbusBytes response;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        // A broadcast is carried out as any request; only its answer is kept back.
        response = RequestAnswer(model_, request).Answer(summary);
    }
    if (broadcast) {
        event.summary = "broadcast " + summary + ": no answer";
        return {};
    }
    event.summary = "unit " + std::to_string(request.unit) + " " + summary;
    event.response_pdu = response;
    return response;
}

void ModbusSlave::Change(const std::function<void(ModbusDataModel&)>& change) {
    const std::lock_guard<std::mutex> lock(mutex_);
    change(model_);
}

std::string ServeModbusLink(Link& link, ModbusFraming framing, LinkTime gap_us, ModbusSlave& slave,
                            const std::function<void(const ModbusSlaveEvent&)>& log,
                            const std::function<bool()>& stop) {
    ModbusFrameCutter cutter(framing, ModbusDirection::kRequest, gap_us);
    const auto tell = [&](const ModbusSlaveEvent& event) {
        if (log) log(event);
    };
    for (;;) {
        if (stop && stop()) return "";
        ModbusStreamPiece piece;
        while (cutter.Next(LinkNow(), piece)) {
            ModbusSlaveEvent event;
            event.received = piece.bytes;
            if (!piece.frame) {
                event.summary = std::to_string(piece.bytes.size()) + " bytes skipped: " + piece.why;
                tell(event);
                continue;
            }
            const AduParse parse = ParseAdu(framing, piece.bytes.data(), piece.bytes.size());
            if (!parse.ok()) {
                event.summary = "a frame of " + std::to_string(piece.bytes.size()) + " bytes skipped: " + parse.message;
                tell(event);
                cutter.Resynchronise();
                continue;
            }
            const ModbusBytes response = slave.Answer(parse.adu, event, framing);
            if (!response.empty()) {
                event.sent = EncodeAdu(framing, ModbusAdu{parse.adu.unit, response, parse.adu.transaction});
                const std::string failed = WriteAll(link, event.sent);
                if (!failed.empty()) {
                    event.summary += "; the answer was not sent: " + failed;
                    tell(event);
                    return failed;
                }
            }
            tell(event);
        }
        const LinkTime now = LinkNow();
        LinkTime wait = kStopPollUs;
        const LinkTime wake = cutter.NextWake(now);
        if (wake >= 0) wait = std::min(wait, std::max<LinkTime>(wake - now, 0));
        LinkRead read = link.Read(wait);
        switch (read.status) {
            case LinkRead::kData:
                cutter.Push(read.bytes.data(), read.bytes.size(), read.time);
                break;
            case LinkRead::kTimeout:
                break;
            case LinkRead::kClosed:
                return "";
            case LinkRead::kError:
                return read.error;
        }
    }
}

std::string ServeModbusTcp(LinkListener& listener, ModbusFraming framing, ModbusSlave& slave,
                           const std::function<void(const ModbusClientEvent&)>& log,
                           const std::function<bool()>& stop) {
    constexpr LinkTime kAcceptSliceUs = 200 * 1000;
    const auto tell = [&log](const ModbusClientEvent& event) {
        if (log) log(event);
    };
    struct Client {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };
    std::vector<Client> clients;
    const auto join_ended = [&clients](bool all) {
        for (auto it = clients.begin(); it != clients.end();) {
            if (all || *it->ended) {
                it->thread.join();
                it = clients.erase(it);
            } else {
                ++it;
            }
        }
    };
    std::string failed;
    int next_client = 1;
    while (!(stop && stop())) {
        std::string error;
        std::unique_ptr<Link> accepted = listener.Accept(kAcceptSliceUs, error);
        join_ended(false);
        if (!accepted) {
            if (!error.empty()) {
                failed = error;
                break;
            }
            continue;
        }
        const int client = next_client++;
        ModbusClientEvent came;
        came.client = client;
        tell(came);
        const auto ended = std::make_shared<std::atomic<bool>>(false);
        // The thread owns its link; the slave and the callbacks outlive it,
        // as every thread is joined before this returns.
        std::shared_ptr<Link> link(std::move(accepted));
        clients.push_back({std::thread([&, client, ended, link] {
                               ModbusClientEvent served;
                               served.kind = ModbusClientEvent::kRequest;
                               served.client = client;
                               ModbusClientEvent gone;
                               gone.kind = ModbusClientEvent::kEnded;
                               gone.client = client;
                               gone.failure = ServeModbusLink(
                                   *link, framing, 0, slave,
                                   [&](const ModbusSlaveEvent& event) {
                                       served.request = &event;
                                       tell(served);
                                   },
                                   stop);
                               tell(gone);
                               *ended = true;
                           }),
                           ended});
    }
    join_ended(true);
    return failed;
}
