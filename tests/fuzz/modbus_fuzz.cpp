// The MODBUS library's parsers on any bytes: the frames of each framing, the
// PDUs both ways, the decoder on one frame and on a run of them, and capture
// lines.
//
// Input: the bytes are tried whole as a frame of each framing, as a PDU, as a
// capture line, and cut into a run of frames (each frame's length the byte
// before it).
//
// Checked: nothing crashes or reads out of bounds (the sanitizers); a frame
// that parses encodes back to the same bytes (ASCII's digits in upper case);
// a PDU that parses builds back from its fields to the same bytes, with the
// unused bits of a coil write cleared; any PDU under any unit encodes and
// parses back in every framing; every failure says why; the decoder's text
// is never empty, it reads a PDU only from a frame whose check held, and a
// response is paired only with an earlier request.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "modbus/decoder.h"

namespace {

using namespace modbus_function;

std::string Show(const ModbusBytes& bytes) { return fuzz::Hex(std::string(bytes.begin(), bytes.end())); }

void CheckFrames(const ModbusBytes& bytes) {
    for (const ModbusFraming framing : {ModbusFraming::kRtu, ModbusFraming::kAscii, ModbusFraming::kTcp}) {
        const AduParse parse = ParseAdu(framing, bytes);
        if (!parse.ok()) {
            FUZZ_CHECK(!parse.message.empty(), "a %s failure without a reason: %s", ModbusFramingName(framing),
                       Show(bytes).c_str());
            continue;
        }
        ModbusBytes canonical = bytes;
        if (framing == ModbusFraming::kAscii) {
            for (unsigned char& ch : canonical) ch = static_cast<unsigned char>(std::toupper(ch));
        }
        FUZZ_CHECK(EncodeAdu(framing, parse.adu) == canonical, "%s does not encode back: %s",
                   ModbusFramingName(framing), Show(bytes).c_str());
    }
}

void CheckEncodeParse(const ModbusBytes& bytes) {
    if (bytes.size() < 2 || bytes.size() > 1 + kModbusMaxPdu) return;
    ModbusAdu adu;
    adu.unit = bytes[0];
    adu.pdu.assign(bytes.begin() + 1, bytes.end());
    adu.transaction = static_cast<std::uint16_t>(bytes[0] << 8 | bytes.back());
    for (const ModbusFraming framing :
         {ModbusFraming::kRtu, ModbusFraming::kAscii, ModbusFraming::kTcp, ModbusFraming::kRtuOverTcp}) {
        const AduParse parse = ParseAdu(framing, EncodeAdu(framing, adu));
        FUZZ_CHECK(parse.ok(), "%s: %s", ModbusFramingName(framing), parse.message.c_str());
        FUZZ_CHECK(parse.adu.unit == adu.unit && parse.adu.pdu == adu.pdu, "%s round trip", ModbusFramingName(framing));
        FUZZ_CHECK(framing != ModbusFraming::kTcp || parse.adu.transaction == adu.transaction, "transaction lost");
    }
}

// The PDU built again from what the parser read.
ModbusBytes Rebuild(const ModbusPdu& pdu) {
    const bool request = pdu.direction == ModbusDirection::kRequest;
    if (pdu.exception) return ExceptionResponse(pdu.function, pdu.exception_code);
    switch (pdu.function) {
        case kReadCoils:
        case kReadDiscreteInputs:
            return request ? ReadRequest(pdu.function, pdu.address, pdu.count) : ReadBitsResponse(pdu.function, pdu.bits);
        case kReadHoldingRegisters:
        case kReadInputRegisters:
            return request ? ReadRequest(pdu.function, pdu.address, pdu.count)
                           : ReadRegistersResponse(pdu.function, pdu.registers);
        case kWriteSingleCoil:
            return WriteSingleCoilRequest(pdu.address, pdu.bits.at(0));
        case kWriteSingleRegister:
            return WriteSingleRegisterRequest(pdu.address, pdu.registers.at(0));
        case kWriteMultipleCoils:
            return request ? WriteMultipleCoilsRequest(pdu.address, pdu.bits)
                           : WriteMultipleResponse(pdu.function, pdu.address, pdu.count);
        case kWriteMultipleRegisters:
            return request ? WriteMultipleRegistersRequest(pdu.address, pdu.registers)
                           : WriteMultipleResponse(pdu.function, pdu.address, pdu.count);
        case kMaskWriteRegister:
            return MaskWriteRegisterRequest(pdu.address, pdu.and_mask, pdu.or_mask);
        case kReadWriteMultipleRegisters:
            return request ? ReadWriteMultipleRegistersRequest(pdu.address, pdu.count, pdu.write_address, pdu.registers)
                           : ReadRegistersResponse(pdu.function, pdu.registers);
        case kDiagnostics:
            return DiagnosticsRequest(pdu.sub_function, pdu.data);
        case kEncapsulatedInterface:
            return request ? ReadDeviceIdentificationRequest(pdu.read_device_id_code, pdu.object_id)
                           : ReadDeviceIdentificationResponse(pdu.read_device_id_code, pdu.conformity_level,
                                                              pdu.more_follows, pdu.next_object_id, pdu.objects);
        default:
            return {};
    }
}

void CheckPdu(const ModbusBytes& bytes) {
    for (const ModbusDirection direction : {ModbusDirection::kRequest, ModbusDirection::kResponse}) {
        const PduParse parse = ParseModbusPdu(bytes, direction);
        if (!parse.ok()) {
            FUZZ_CHECK(!parse.message.empty(), "a PDU failure without a reason: %s", Show(bytes).c_str());
            continue;
        }
        ModbusBytes expected = bytes;
        // A coil write's last byte may carry bits past the count, which no
        // field keeps.
        if (!parse.pdu.exception && direction == ModbusDirection::kRequest &&
            parse.pdu.function == kWriteMultipleCoils && parse.pdu.count % 8 != 0) {
            expected.back() = static_cast<unsigned char>(expected.back() & ((1u << (parse.pdu.count % 8)) - 1));
        }
        FUZZ_CHECK(Rebuild(parse.pdu) == expected, "the %s does not build back: %s",
                   direction == ModbusDirection::kRequest ? "request" : "response", Show(bytes).c_str());
    }
}

void CheckDecoded(const ModbusDecoded& decoded) {
    FUZZ_CHECK(decoded.lines.size() >= 2, "the decoder said %zu lines", decoded.lines.size());
    FUZZ_CHECK(!decoded.check.empty(), "no verdict on the check");
    FUZZ_CHECK(!decoded.pdu_ok || decoded.check_ok, "a PDU read from a frame whose check failed");
    FUZZ_CHECK(decoded.pdu_ok || !decoded.check_ok || !decoded.pdu_error.empty(), "a PDU that failed without a reason");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const ModbusBytes bytes(data, data + size);
    CheckFrames(bytes);
    CheckEncodeParse(bytes);
    CheckPdu(bytes);
    CheckDecoded(DecodeModbusFrame(bytes));

    std::vector<ModbusBytes> frames;
    for (std::size_t at = 0; at < size;) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        frames.emplace_back(data + at + 1, data + at + 1 + length);
        at += 1 + length;
    }
    const std::vector<ModbusDecoded> run = DecodeModbusFrames(frames);
    FUZZ_CHECK(run.size() == frames.size(), "%zu frames decoded as %zu", frames.size(), run.size());
    for (std::size_t i = 0; i < run.size(); ++i) {
        CheckDecoded(run[i]);
        const int request = run[i].request_index;
        if (request < 0) continue;
        FUZZ_CHECK(static_cast<std::size_t>(request) < i, "frame %zu paired with a later one", i);
        const ModbusDecoded& asked = run[static_cast<std::size_t>(request)];
        FUZZ_CHECK(asked.pdu_ok && asked.pdu.direction == ModbusDirection::kRequest &&
                       run[i].pdu.direction == ModbusDirection::kResponse && asked.adu.unit == run[i].adu.unit,
                   "frame %zu paired with frame %d, which is not its request", i, request);
    }

    ModbusBytes line_bytes;
    std::string error;
    if (ReadModbusCaptureLine(std::string(bytes.begin(), bytes.end()), line_bytes, error)) {
        FUZZ_CHECK(!line_bytes.empty(), "a capture line read as no bytes");
    } else {
        FUZZ_CHECK(!error.empty(), "a capture line refused without a reason");
    }
    return 0;
}
