// MODBUS's protocol data units: the function code and its data, the same in
// every framing. The requests a master sends and the responses a slave sends
// for the public functions below, the exception responses, and a parser that
// holds each PDU to its function's layout and the protocol's limits.
//
// A PDU alone does not always say whether it is a request or a response
// (a read request and a read response of five bytes can both be valid), so
// the parser is told which to read it as; ParseModbusPduEitherWay tries both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "modbus/adu.h"

namespace modbus_function {
constexpr unsigned char kReadCoils = 0x01;
constexpr unsigned char kReadDiscreteInputs = 0x02;
constexpr unsigned char kReadHoldingRegisters = 0x03;
constexpr unsigned char kReadInputRegisters = 0x04;
constexpr unsigned char kWriteSingleCoil = 0x05;
constexpr unsigned char kWriteSingleRegister = 0x06;
constexpr unsigned char kDiagnostics = 0x08;
constexpr unsigned char kWriteMultipleCoils = 0x0F;
constexpr unsigned char kWriteMultipleRegisters = 0x10;
constexpr unsigned char kMaskWriteRegister = 0x16;
constexpr unsigned char kReadWriteMultipleRegisters = 0x17;
constexpr unsigned char kEncapsulatedInterface = 0x2B;
}  // namespace modbus_function

// The MEI type of 0x2B that reads a device's identification, and
// diagnostics' sub-function that echoes the request.
constexpr unsigned char kMeiReadDeviceIdentification = 0x0E;
constexpr std::uint16_t kDiagnosticsReturnQueryData = 0x0000;

// The protocol's limits on counts.
constexpr unsigned kMaxReadBits = 2000;           // 01, 02
constexpr unsigned kMaxReadRegisters = 125;       // 03, 04, 17's read
constexpr unsigned kMaxWriteBits = 1968;          // 0F
constexpr unsigned kMaxWriteRegisters = 123;      // 10
constexpr unsigned kMaxReadWriteRegisters = 121;  // 17's write

// "Read Holding Registers"; "" for a code outside the functions above.
const char* ModbusFunctionName(unsigned char function);

// The exception codes' standard names: "ILLEGAL DATA ADDRESS" for 02; ""
// for a code the protocol does not define (00, 09, 0C on).
const char* ModbusExceptionName(unsigned char code);

enum class ModbusDirection { kRequest, kResponse };

// One object of a device identification response.
struct ModbusDeviceObject {
    unsigned char id = 0;
    std::string value;  // the bytes as sent
};

// A parsed PDU. Which fields hold something depends on the function and the
// direction, as said beside each.
struct ModbusPdu {
    unsigned char function = 0;  // without the exception bit
    ModbusDirection direction = ModbusDirection::kRequest;

    bool exception = false;           // a response whose code had 0x80 added
    unsigned char exception_code = 0;

    // 01-06, 0F, 10, 16, and 17's read: the first address; 01-04 and 0F, 10
    // the count asked for, written, or (17) to read. A read response carries
    // no address, and of registers only as many as its byte count holds:
    // pairing it with its request gives the address (decoder.h).
    std::uint16_t address = 0;
    std::uint16_t count = 0;
    // Register values: read responses (03, 04, 17), 06's value, 10's and 17's
    // values written.
    std::vector<std::uint16_t> registers;
    // Bit values: 01 and 02 responses (every bit of the bytes, 8 per byte, as
    // the count is the request's), 05's value, 0F's values written.
    std::vector<bool> bits;
    unsigned byte_count = 0;  // as the PDU states it, where it has one

    // 17's write half.
    std::uint16_t write_address = 0;
    std::uint16_t write_count = 0;

    // 16: the register is set to (value AND and_mask) OR (or_mask AND NOT and_mask).
    std::uint16_t and_mask = 0;
    std::uint16_t or_mask = 0;

    // 08: the sub-function and its data (00's echoed bytes).
    std::uint16_t sub_function = 0;
    ModbusBytes data;

    // 2B/0E. A request asks with `read_device_id_code` (01 basic, 02 regular,
    // 03 extended, 04 one object) from `object_id` on; a response answers
    // with the conformity level, whether more follows and where to go on.
    unsigned char mei_type = 0;
    unsigned char read_device_id_code = 0;
    unsigned char object_id = 0;
    unsigned char conformity_level = 0;
    bool more_follows = false;
    unsigned char next_object_id = 0;
    std::vector<ModbusDeviceObject> objects;
};

enum class PduError {
    kNone,
    kEmpty,
    kUnknownFunction,     // a function code outside those above
    kNotARequest,         // a code with the exception bit, read as a request
    kTooShort,            // fewer bytes than the layout needs
    kWrongLength,         // more bytes than the layout says, or a fixed size not met
    kCountOutOfRange,     // a count of 0 or beyond the protocol's limit
    kByteCountMismatch,   // the byte count disagrees with the count or with the bytes that follow
    kBadCoilValue,        // 05's value other than 0x0000 and 0xFF00
    kBadMeiType,          // 2B with a MEI type other than 0E
    kBadDeviceIdRequest,  // 2B/0E's code outside 01-04
    kBadMoreFollows,      // 2B/0E's "more follows" other than 00 and FF
};

struct PduParse {
    PduError error = PduError::kNone;
    std::string message;  // "" when ok; else one line with the numbers
    ModbusPdu pdu;
    bool ok() const { return error == PduError::kNone; }
};

PduParse ParseModbusPdu(const unsigned char* bytes, std::size_t size, ModbusDirection direction);
inline PduParse ParseModbusPdu(const ModbusBytes& pdu, ModbusDirection direction) {
    return ParseModbusPdu(pdu.data(), pdu.size(), direction);
}

// Both readings: `request` and `response` each say whether the bytes read
// as that.
struct PduBothWays {
    PduParse request, response;
};
PduBothWays ParseModbusPduEitherWay(const unsigned char* bytes, std::size_t size);

// What a master sends. The builders write what they are given, within the
// fields' sizes, so that a test or a simulator can send a count the protocol
// forbids; the parser is what holds PDUs to the limits.
ModbusBytes ReadRequest(unsigned char function, std::uint16_t address, std::uint16_t count);  // 01-04
ModbusBytes WriteSingleCoilRequest(std::uint16_t address, bool on);
ModbusBytes WriteSingleRegisterRequest(std::uint16_t address, std::uint16_t value);
ModbusBytes WriteMultipleCoilsRequest(std::uint16_t address, const std::vector<bool>& bits);
ModbusBytes WriteMultipleRegistersRequest(std::uint16_t address, const std::vector<std::uint16_t>& values);
ModbusBytes MaskWriteRegisterRequest(std::uint16_t address, std::uint16_t and_mask, std::uint16_t or_mask);
ModbusBytes ReadWriteMultipleRegistersRequest(std::uint16_t read_address, std::uint16_t read_count,
                                              std::uint16_t write_address,
                                              const std::vector<std::uint16_t>& values);
ModbusBytes DiagnosticsRequest(std::uint16_t sub_function, const ModbusBytes& data);
ModbusBytes ReadDeviceIdentificationRequest(unsigned char read_device_id_code, unsigned char object_id);

// What a slave sends.
ModbusBytes ReadBitsResponse(unsigned char function, const std::vector<bool>& bits);  // 01, 02
ModbusBytes ReadRegistersResponse(unsigned char function,
                                  const std::vector<std::uint16_t>& values);  // 03, 04, 17
// 05, 06, 16 and 08/00 answer with the request itself.
ModbusBytes WriteMultipleResponse(unsigned char function, std::uint16_t address, std::uint16_t count);  // 0F, 10
ModbusBytes ReadDeviceIdentificationResponse(unsigned char read_device_id_code, unsigned char conformity_level,
                                             bool more_follows, unsigned char next_object_id,
                                             const std::vector<ModbusDeviceObject>& objects);
ModbusBytes ExceptionResponse(unsigned char function, unsigned char code);
