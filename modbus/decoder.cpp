#include "modbus/decoder.h"

#include <algorithm>
#include <string>

#include "core/hexdump.h"
#include "modbus/addressing.h"

namespace {

using namespace modbus_function;

const char kHexDigits[] = "0123456789ABCDEF";
std::string Hex2(unsigned value) {
    return "0x" + std::string{kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]};
}
std::string Hex4(unsigned value) { return Hex2(value >> 8) + Hex2(value & 0xFF).substr(2); }

// --- Which framing ------------------------------------------------------

bool MbapFits(const unsigned char* bytes, std::size_t size) {
    return size >= 8 && size <= 6 + 1 + kModbusMaxPdu && bytes[2] == 0 && bytes[3] == 0 &&
           MbapFrameSize(bytes, size) == size;
}

void TakeParse(ModbusDecoded& decoded, const AduParse& parse) {
    decoded.check_ok = parse.ok();
    if (parse.ok()) {
        decoded.adu = parse.adu;
    } else {
        decoded.check = parse.message;
    }
}

std::string CheckText(ModbusFraming framing, const unsigned char* bytes, std::size_t size) {
    switch (framing) {
        case ModbusFraming::kRtu:
        case ModbusFraming::kRtuOverTcp:
            return "CRC " + Hex4(static_cast<unsigned>(bytes[size - 2] | bytes[size - 1] << 8)) + " ok";
        case ModbusFraming::kAscii:
            // The LRC's two digits stand before CR LF.
            return "LRC " + Hex2(static_cast<unsigned>(std::stoul(std::string(bytes + size - 4, bytes + size - 2),
                                                                  nullptr, 16))) +
                   " ok";
        case ModbusFraming::kTcp:
            return "none: TCP carries no check, its MBAP length agrees";
    }
    return "";
}

void FindFraming(const unsigned char* bytes, std::size_t size, const ModbusDecodeOptions& options,
                 ModbusDecoded& decoded) {
    if (options.framing) {
        decoded.framed = true;
        decoded.framing_given = true;
        decoded.framing = *options.framing;
        decoded.framing_reason = "as given";
    } else if (size > 0 && bytes[0] == ':') {
        decoded.framed = true;
        decoded.framing = ModbusFraming::kAscii;
        decoded.framing_reason = "starts with ':'";
    } else if (MbapFits(bytes, size)) {
        decoded.framed = true;
        decoded.framing = ModbusFraming::kTcp;
        const std::string follow = std::to_string(size - 6);
        decoded.framing_reason = "MBAP length " + follow + " matches the " + follow + " bytes after it, protocol id 0";
    } else {
        const AduParse rtu = ParseRtu(bytes, size);
        if (rtu.ok()) {
            decoded.framed = true;
            decoded.framing = ModbusFraming::kRtu;
            decoded.framing_reason = "CRC-16/MODBUS of the first " + std::to_string(size - 2) + " bytes matches the last two";
        } else {
            // Nothing explains the bytes: name the likelier framing and why
            // each fails. Protocol id 0 is sixteen bits of evidence for TCP.
            const AduParse tcp = ParseTcp(bytes, size);
            // A frame shorter than the least TCP frame (MBAP, unit, function) is none.
            const bool looks_tcp = size >= 8 && bytes[2] == 0 && bytes[3] == 0;
            decoded.framing = looks_tcp ? ModbusFraming::kTcp : ModbusFraming::kRtu;
            decoded.framing_reason = "no framing fits: as TCP, " + tcp.message + "; as RTU, " + rtu.message;
            decoded.check = looks_tcp ? tcp.message : rtu.message;
            return;
        }
    }
    const AduParse parse = ParseAdu(decoded.framing, bytes, size);
    TakeParse(decoded, parse);
    if (parse.ok()) decoded.check = CheckText(decoded.framing, bytes, size);
}

// --- The PDU ------------------------------------------------------------

void ReadPdu(ModbusDecoded& decoded, ModbusDirectionHint hint) {
    const ModbusBytes& pdu = decoded.adu.pdu;
    if (hint != ModbusDirectionHint::kUnknown) {
        const PduParse parse = ParseModbusPdu(pdu, hint == ModbusDirectionHint::kRequest ? ModbusDirection::kRequest
                                                                                         : ModbusDirection::kResponse);
        decoded.pdu_ok = parse.ok();
        decoded.pdu = parse.pdu;
        decoded.pdu_error = parse.message;
        return;
    }
    const PduBothWays both = ParseModbusPduEitherWay(pdu.data(), pdu.size());
    const PduParse& taken = both.request.ok() || !both.response.ok() ? both.request : both.response;
    decoded.pdu_ok = taken.ok();
    decoded.pdu = taken.pdu;
    decoded.ambiguous = both.request.ok() && both.response.ok();
    if (!taken.ok()) {
        decoded.pdu_error = both.request.message == both.response.message
                                ? both.request.message
                                : "as a request, " + both.request.message + "; as a response, " + both.response.message;
    }
}

// --- Text -----------------------------------------------------------------

// The functions whose response repeats the request.
bool IsEcho(unsigned char function) {
    return function == kWriteSingleCoil || function == kWriteSingleRegister || function == kMaskWriteRegister ||
           function == kDiagnostics;
}

// The table a function's addresses lie in, for references; false for none.
bool TableOf(unsigned char function, ModbusTable& table) {
    switch (function) {
        case kReadCoils:
        case kWriteSingleCoil:
        case kWriteMultipleCoils:
            table = ModbusTable::kCoils;
            return true;
        case kReadDiscreteInputs:
            table = ModbusTable::kDiscreteInputs;
            return true;
        case kReadInputRegisters:
            table = ModbusTable::kInputRegisters;
            return true;
        case kReadHoldingRegisters:
        case kWriteSingleRegister:
        case kWriteMultipleRegisters:
        case kMaskWriteRegister:
        case kReadWriteMultipleRegisters:
            table = ModbusTable::kHoldingRegisters;
            return true;
        default:
            return false;
    }
}

// "107 (0x006B, 40108)": the protocol's address and the reference people use.
std::string AddressText(unsigned char function, unsigned address) {
    std::string text = std::to_string(address) + " (" + Hex4(address);
    ModbusTable table;
    if (TableOf(function, table)) {
        std::string reference, error;
        const bool five = AddressToReference(table, static_cast<std::uint16_t>(address), ReferenceForm::kFiveDigits,
                                             reference, error);
        if (!five) {
            AddressToReference(table, static_cast<std::uint16_t>(address), ReferenceForm::kSixDigits, reference,
                               error);
        }
        text += ", " + reference;
    }
    return text + ")";
}

std::string Quoted(const std::string& value) {
    std::string text = "\"";
    for (const char ch : value) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 && byte < 0x7F && ch != '"' && ch != '\\') {
            text += ch;
        } else {
            text += "\\x" + Hex2(byte).substr(2);
        }
    }
    return text + "\"";
}

const char* DeviceObjectName(unsigned char id) {
    static const char* const kNames[] = {"VendorName",  "ProductCode", "MajorMinorRevision", "VendorUrl",
                                         "ProductName", "ModelName",   "UserApplicationName"};
    return id < sizeof kNames / sizeof kNames[0] ? kNames[id] : "";
}

const char* DeviceIdCodeName(unsigned char code) {
    static const char* const kNames[] = {"", "basic", "regular", "extended", "one object"};
    return code < sizeof kNames / sizeof kNames[0] ? kNames[code] : "";
}

// Register values, each with its address when the request told it.
void RegisterLines(const ModbusPdu& pdu, bool addressed, unsigned char function, std::uint16_t first,
                   std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < pdu.registers.size(); ++i) {
        const unsigned value = pdu.registers[i];
        const std::string where =
            addressed ? "register " + AddressText(function, static_cast<unsigned>(first + i) & 0xFFFF)
                      : "register[" + std::to_string(i) + "]";
        lines.push_back(where + ": " + Hex4(value) + " = " + std::to_string(value));
    }
}

// Bits eight to a line, each line with its first address when known.
void BitLines(const std::vector<bool>& bits, bool addressed, std::uint16_t first, std::vector<std::string>& lines) {
    for (std::size_t at = 0; at < bits.size(); at += 8) {
        const std::size_t end = std::min(bits.size(), at + 8);
        std::string line = addressed ? "bits from " + std::to_string((first + at) & 0xFFFF)
                                     : "bits[" + std::to_string(at) + "-" + std::to_string(end - 1) + "]";
        line += ":";
        for (std::size_t i = at; i < end; ++i) line += bits[i] ? " 1" : " 0";
        lines.push_back(line);
    }
}

void PduLines(const ModbusDecoded& decoded, const ModbusDecoded* request, std::vector<std::string>& lines) {
    const ModbusPdu& pdu = decoded.pdu;
    const bool is_request = pdu.direction == ModbusDirection::kRequest;
    const bool addressed = is_request || request != nullptr;
    const unsigned char f = pdu.function;
    if (pdu.exception) {
        const char* name = ModbusExceptionName(pdu.exception_code);
        lines.push_back("exception: " + Hex2(pdu.exception_code) + " " +
                        (*name ? std::string(name) : std::string("(no standard name)")));
        return;
    }
    switch (f) {
        case kReadCoils:
        case kReadDiscreteInputs:
        case kReadHoldingRegisters:
        case kReadInputRegisters:
        case kReadWriteMultipleRegisters:
            if (is_request || request != nullptr) {
                lines.push_back("address: " + AddressText(f, pdu.address));
                lines.push_back("count: " + std::to_string(pdu.count));
            }
            if (is_request && f == kReadWriteMultipleRegisters) {
                lines.push_back("write address: " + AddressText(f, pdu.write_address));
                lines.push_back("write count: " + std::to_string(pdu.write_count));
                lines.push_back("byte count: " + std::to_string(pdu.byte_count));
                RegisterLines(pdu, true, f, pdu.write_address, lines);
            }
            if (!is_request) {
                lines.push_back("byte count: " + std::to_string(pdu.byte_count));
                if (f == kReadCoils || f == kReadDiscreteInputs) {
                    BitLines(pdu.bits, addressed, pdu.address, lines);
                } else {
                    RegisterLines(pdu, addressed, f, pdu.address, lines);
                }
            }
            break;
        case kWriteSingleCoil:
            lines.push_back("address: " + AddressText(f, pdu.address));
            lines.push_back(std::string("value: ") + (pdu.bits.at(0) ? "on (0xFF00)" : "off (0x0000)"));
            break;
        case kWriteSingleRegister:
            lines.push_back("address: " + AddressText(f, pdu.address));
            lines.push_back("value: " + Hex4(pdu.registers.at(0)) + " = " + std::to_string(pdu.registers.at(0)));
            break;
        case kWriteMultipleCoils:
        case kWriteMultipleRegisters:
            lines.push_back("address: " + AddressText(f, pdu.address));
            lines.push_back("count: " + std::to_string(pdu.count));
            if (is_request) {
                lines.push_back("byte count: " + std::to_string(pdu.byte_count));
                if (f == kWriteMultipleCoils) {
                    BitLines(pdu.bits, true, pdu.address, lines);
                } else {
                    RegisterLines(pdu, true, f, pdu.address, lines);
                }
            }
            break;
        case kMaskWriteRegister:
            lines.push_back("address: " + AddressText(f, pdu.address));
            lines.push_back("and mask: " + Hex4(pdu.and_mask));
            lines.push_back("or mask: " + Hex4(pdu.or_mask));
            break;
        case kDiagnostics:
            lines.push_back("sub-function: " + Hex4(pdu.sub_function) +
                            (pdu.sub_function == kDiagnosticsReturnQueryData ? " Return Query Data" : ""));
            lines.push_back("data: " + (pdu.data.empty() ? std::string("(none)") : SpacedHex(pdu.data)));
            break;
        case kEncapsulatedInterface:
            lines.push_back("read device id code: " + Hex2(pdu.read_device_id_code) + " " +
                            DeviceIdCodeName(pdu.read_device_id_code));
            if (is_request) {
                lines.push_back("object id: " + Hex2(pdu.object_id));
                break;
            }
            lines.push_back("conformity level: " + Hex2(pdu.conformity_level));
            lines.push_back(std::string("more follows: ") + (pdu.more_follows ? "yes" : "no"));
            lines.push_back("next object id: " + Hex2(pdu.next_object_id));
            for (const ModbusDeviceObject& object : pdu.objects) {
                const std::string name = DeviceObjectName(object.id);
                lines.push_back("object " + Hex2(object.id) + (name.empty() ? "" : " " + name) + ": " +
                                Quoted(object.value));
            }
            break;
        default:
            break;
    }
}

void WriteLines(ModbusDecoded& decoded, const ModbusDecoded* request) {
    std::vector<std::string>& lines = decoded.lines;
    lines.clear();
    // Bytes alone cannot tell RTU from RTU over TCP: the same bytes on another wire.
    const std::string framing = !decoded.framed ? "unknown"
                                : decoded.framing == ModbusFraming::kRtu && !decoded.framing_given
                                    ? "RTU, or RTU over TCP"
                                    : ModbusFramingName(decoded.framing);
    lines.push_back("framing: " + framing + " (" + decoded.framing_reason + ")");
    lines.push_back(std::string("check: ") + (decoded.check_ok ? "" : "FAILED: ") + decoded.check);
    if (!decoded.check_ok) return;
    lines.push_back("unit: " + std::to_string(decoded.adu.unit) + " (" + Hex2(decoded.adu.unit) + ")");
    if (decoded.framing == ModbusFraming::kTcp) lines.push_back("transaction: " + std::to_string(decoded.adu.transaction));
    if (!decoded.adu.pdu.empty()) {
        const unsigned char code = decoded.adu.pdu[0];
        const std::string name = ModbusFunctionName(code & 0x7F);
        std::string line = "function: " + Hex2(code);
        if (decoded.pdu_ok && decoded.pdu.function == kEncapsulatedInterface) line += "/" + Hex2(decoded.pdu.mei_type);
        line += name.empty() ? " (unknown)" : " " + name;
        if (decoded.pdu_ok) {
            line += decoded.pdu.exception                                 ? ", exception response"
                    : decoded.pdu.direction == ModbusDirection::kRequest ? ", request"
                                                                          : ", response";
        }
        if (request != nullptr) line += " to frame " + std::to_string(decoded.request_index + 1);
        lines.push_back(line);
    }
    if (!decoded.pdu_ok) {
        lines.push_back("error: " + decoded.pdu_error);
        if (decoded.adu.pdu.size() > 1) {
            lines.push_back("data: " + SpacedHex(decoded.adu.pdu.data() + 1, decoded.adu.pdu.size() - 1));
        }
        return;
    }
    if (decoded.ambiguous) {
        lines.push_back(IsEcho(decoded.pdu.function)
                            ? "note: the response to this request is the same bytes; taken as the request"
                            : "note: reads both as a request and as a response; taken as a request");
    }
    PduLines(decoded, request, lines);
    for (const std::string& problem : decoded.pair_problems) lines.push_back("mismatch: " + problem);
}

// --- Pairs ----------------------------------------------------------------

bool Answers(const ModbusDecoded& request, const ModbusDecoded& response, const ModbusPdu& reading) {
    return request.framing == response.framing && request.adu.unit == response.adu.unit &&
           request.pdu.function == reading.function &&
           (request.framing != ModbusFraming::kTcp || request.adu.transaction == response.adu.transaction);
}

// The response given its request's addresses and counts, and every way the
// two disagree said.
void Pair(const ModbusDecoded& request, ModbusDecoded& response) {
    const ModbusPdu& asked = request.pdu;
    ModbusPdu& answer = response.pdu;
    std::vector<std::string>& problems = response.pair_problems;
    if (answer.exception) return;
    switch (asked.function) {
        case kReadCoils:
        case kReadDiscreteInputs: {
            answer.address = asked.address;
            answer.count = asked.count;
            const unsigned needed = (asked.count + 7u) / 8;
            if (answer.byte_count != needed) {
                problems.push_back("byte count " + std::to_string(answer.byte_count) + ", the " +
                                   std::to_string(asked.count) + " bits asked for take " + std::to_string(needed));
                break;
            }
            for (std::size_t i = asked.count; i < answer.bits.size(); ++i) {
                if (answer.bits[i]) {
                    problems.push_back("the bits past the " + std::to_string(asked.count) +
                                       " asked for are not zero");
                    break;
                }
            }
            answer.bits.resize(asked.count);
            break;
        }
        case kReadHoldingRegisters:
        case kReadInputRegisters:
        case kReadWriteMultipleRegisters:
            answer.address = asked.address;
            if (answer.count != asked.count) {
                problems.push_back(std::to_string(answer.count) + " registers, the request asked for " +
                                   std::to_string(asked.count));
            }
            break;
        case kWriteSingleCoil:
        case kWriteSingleRegister:
        case kMaskWriteRegister:
            if (response.adu.pdu != request.adu.pdu) problems.push_back("the response does not echo the request");
            break;
        case kDiagnostics:
            if (asked.sub_function == kDiagnosticsReturnQueryData && response.adu.pdu != request.adu.pdu) {
                problems.push_back("the response does not echo the request's data");
            }
            break;
        case kWriteMultipleCoils:
        case kWriteMultipleRegisters:
            if (answer.address != asked.address || answer.count != asked.count) {
                problems.push_back("address " + std::to_string(answer.address) + " count " +
                                   std::to_string(answer.count) + ", the request wrote " +
                                   std::to_string(asked.count) + " from " + std::to_string(asked.address));
            }
            break;
        case kEncapsulatedInterface:
            if (answer.read_device_id_code != asked.read_device_id_code) {
                problems.push_back("read device id code " + Hex2(answer.read_device_id_code) + ", the request's " +
                                   Hex2(asked.read_device_id_code));
            }
            break;
        default:
            break;
    }
}

bool IsSeparator(char ch) { return ch == ' ' || ch == '\t' || ch == ',' || ch == '-' || ch == '\r' || ch == '\n'; }

int DigitValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

}  // namespace

ModbusDecoded DecodeModbusFrame(const unsigned char* bytes, std::size_t size, const ModbusDecodeOptions& options) {
    ModbusDecoded decoded;
    FindFraming(bytes, size, options, decoded);
    if (decoded.check_ok) ReadPdu(decoded, options.direction);
    WriteLines(decoded, nullptr);
    return decoded;
}

std::vector<ModbusDecoded> DecodeModbusFrames(const std::vector<ModbusBytes>& frames,
                                              std::optional<ModbusFraming> framing) {
    std::vector<ModbusDecoded> decoded;
    ModbusDecodeOptions options;
    options.framing = framing;
    int pending = -1;  // the request still waiting for its response
    for (const ModbusBytes& frame : frames) {
        ModbusDecoded one = DecodeModbusFrame(frame, options);
        if (pending >= 0 && one.check_ok) {
            const ModbusDecoded& request = decoded[static_cast<std::size_t>(pending)];
            const PduParse as_response = ParseModbusPdu(one.adu.pdu, ModbusDirection::kResponse);
            if (as_response.ok() && Answers(request, one, as_response.pdu)) {
                one.pdu_ok = true;
                one.pdu = as_response.pdu;
                one.pdu_error.clear();
                one.ambiguous = false;
                one.request_index = pending;
                Pair(request, one);
                WriteLines(one, &request);
                decoded.push_back(std::move(one));
                pending = -1;
                continue;
            }
        }
        // A serial broadcast (unit 0) is never answered.
        const bool broadcast = one.framing != ModbusFraming::kTcp && one.adu.unit == 0;
        const bool asks = one.pdu_ok && one.pdu.direction == ModbusDirection::kRequest && !broadcast;
        pending = asks ? static_cast<int>(decoded.size()) : -1;
        decoded.push_back(std::move(one));
    }
    return decoded;
}

bool ReadModbusCaptureLine(const std::string& line, ModbusBytes& bytes, std::string& error) {
    bytes.clear();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line[first] == ':') {
        std::size_t end = line.find_last_not_of(" \t\r\n");
        bytes.assign(line.begin() + static_cast<std::ptrdiff_t>(first),
                     line.begin() + static_cast<std::ptrdiff_t>(end + 1));
        bytes.push_back('\r');
        bytes.push_back('\n');
        return true;
    }
    std::size_t at = 0;
    while (at < line.size()) {
        if (IsSeparator(line[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < line.size() && !IsSeparator(line[end])) ++end;
        std::string token = line.substr(at, end - at);
        if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) token = token.substr(2);
        for (std::size_t i = 0; i < token.size(); ++i) {
            if (DigitValue(token[i]) < 0) {
                error = "'" + line.substr(at, end - at) + "' is not hex digits";
                return false;
            }
        }
        if (token.size() % 2 != 0) {
            error = "'" + line.substr(at, end - at) + "' has an odd number of hex digits";
            return false;
        }
        for (std::size_t i = 0; i < token.size(); i += 2) {
            bytes.push_back(static_cast<unsigned char>(DigitValue(token[i]) << 4 | DigitValue(token[i + 1])));
        }
        at = end;
    }
    if (bytes.empty()) {
        error = "no bytes in the line";
        return false;
    }
    return true;
}
