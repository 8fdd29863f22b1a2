#include "modbus/rtu_length.h"

#include "modbus/pdu.h"

namespace {

using namespace modbus_function;

// Unit and CRC around every PDU.
constexpr std::size_t kUnitAndCrc = 3;

RtuFrameLength Known(std::size_t pdu_size) { return {RtuFrameLength::kKnown, pdu_size + kUnitAndCrc}; }
RtuFrameLength NeedMore() { return {RtuFrameLength::kNeedMore, 0}; }
RtuFrameLength BySilence() { return {RtuFrameLength::kBySilence, 0}; }

// A PDU whose byte count sits at `at` (counted from the function code) and
// is followed by that many bytes.
RtuFrameLength ByteCountAt(const unsigned char* bytes, std::size_t size, std::size_t at) {
    const std::size_t frame_at = 1 + at;
    if (size <= frame_at) return NeedMore();
    return Known(at + 1 + bytes[frame_at]);
}

// 2B/0E's answer: seven bytes of header, then objects of an id, a length
// and that many bytes, as many as the header's count says.
RtuFrameLength DeviceIdentificationResponse(const unsigned char* bytes, std::size_t size) {
    if (size < 3) return NeedMore();
    if (bytes[2] != kMeiReadDeviceIdentification) return BySilence();
    constexpr std::size_t kHeader = 7;
    if (size < 1 + kHeader) return NeedMore();
    const unsigned objects = bytes[1 + 6];
    std::size_t pdu_size = kHeader;
    for (unsigned i = 0; i < objects; ++i) {
        if (size < 1 + pdu_size + 2) return NeedMore();
        pdu_size += 2 + bytes[1 + pdu_size + 1];
    }
    return Known(pdu_size);
}

}  // namespace

RtuFrameLength RtuRequestLength(const unsigned char* bytes, std::size_t size) {
    if (size < 2) return NeedMore();
    switch (bytes[1]) {
        case kReadCoils:
        case kReadDiscreteInputs:
        case kReadHoldingRegisters:
        case kReadInputRegisters:
        case kWriteSingleCoil:
        case kWriteSingleRegister:
            return Known(5);
        case kWriteMultipleCoils:
        case kWriteMultipleRegisters:
            return ByteCountAt(bytes, size, 5);
        case kMaskWriteRegister:
            return Known(7);
        case kReadWriteMultipleRegisters:
            return ByteCountAt(bytes, size, 9);
        case kEncapsulatedInterface:
            if (size < 3) return NeedMore();
            return bytes[2] == kMeiReadDeviceIdentification ? Known(4) : BySilence();
        default:
            // Diagnostics' data depends on the sub-function (00 echoes any
            // number of bytes); other codes have no layout here.
            return BySilence();
    }
}

RtuFrameLength RtuResponseLength(const unsigned char* bytes, std::size_t size) {
    if (size < 2) return NeedMore();
    if (bytes[1] & 0x80) return Known(2);
    switch (bytes[1]) {
        case kReadCoils:
        case kReadDiscreteInputs:
        case kReadHoldingRegisters:
        case kReadInputRegisters:
        case kReadWriteMultipleRegisters:
            return ByteCountAt(bytes, size, 1);
        case kWriteSingleCoil:
        case kWriteSingleRegister:
        case kWriteMultipleCoils:
        case kWriteMultipleRegisters:
            return Known(5);
        case kMaskWriteRegister:
            return Known(7);
        case kEncapsulatedInterface:
            return DeviceIdentificationResponse(bytes, size);
        default:
            return BySilence();
    }
}
