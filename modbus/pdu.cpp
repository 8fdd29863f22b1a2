#include "modbus/pdu.h"

namespace {

using namespace modbus_function;

const char kHexDigits[] = "0123456789ABCDEF";
std::string Hex2(unsigned value) { return std::string{kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]}; }

unsigned Word(const unsigned char* bytes) { return static_cast<unsigned>(bytes[0] << 8 | bytes[1]); }

void PutWord(ModbusBytes& out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value >> 8 & 0xFF));
    out.push_back(static_cast<unsigned char>(value & 0xFF));
}

// Coils and inputs travel eight to a byte, the first in the lowest bit.
ModbusBytes PackBits(const std::vector<bool>& bits) {
    ModbusBytes bytes((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i]) bytes[i / 8] = static_cast<unsigned char>(bytes[i / 8] | 1u << (i % 8));
    }
    return bytes;
}

std::vector<bool> UnpackBits(const unsigned char* bytes, std::size_t count) {
    std::vector<bool> bits(count);
    for (std::size_t i = 0; i < count; ++i) bits[i] = (bytes[i / 8] >> (i % 8) & 1u) != 0;
    return bits;
}

std::vector<std::uint16_t> Registers(const unsigned char* bytes, std::size_t count) {
    std::vector<std::uint16_t> values(count);
    for (std::size_t i = 0; i < count; ++i) values[i] = static_cast<std::uint16_t>(Word(bytes + 2 * i));
    return values;
}

// A byte count past what its one byte holds cannot be written: such a PDU
// is none.
bool FitsByteCount(std::size_t bytes) { return bytes <= 0xFF; }

// Reads one PDU: each step checks what it reads, and the first failure
// is the answer.
class PduReader {
public:
    PduReader(const unsigned char* bytes, std::size_t size, ModbusDirection direction)
        : bytes_(bytes), size_(size) {
        parse_.pdu.direction = direction;
    }

    PduParse Read() {
        if (size_ == 0) return Fail(PduError::kEmpty, "empty PDU: no function code");
        const unsigned char code = bytes_[0];
        ModbusPdu& pdu = parse_.pdu;
        pdu.function = static_cast<unsigned char>(code & 0x7F);
        const bool request = pdu.direction == ModbusDirection::kRequest;
        if (code & 0x80) {
            if (request) {
                return Fail(PduError::kNotARequest,
                            "function code 0x" + Hex2(code) + " is an exception response, not a request");
            }
            return ReadException();
        }
        if (*ModbusFunctionName(code) == '\0') {
            return Fail(PduError::kUnknownFunction, "unknown function code 0x" + Hex2(code));
        }
        switch (code) {
            case kReadCoils:
            case kReadDiscreteInputs:
                return request ? ReadAddressCount(kMaxReadBits) : ReadBitValues();
            case kReadHoldingRegisters:
            case kReadInputRegisters:
                return request ? ReadAddressCount(kMaxReadRegisters) : ReadRegisterValues();
            case kWriteSingleCoil:
                return ReadSingleCoil();
            case kWriteSingleRegister:
                return ReadSingleRegister();
            case kWriteMultipleCoils:
                return request ? ReadWriteMultipleCoils() : ReadAddressCount(kMaxWriteBits);
            case kWriteMultipleRegisters:
                return request ? ReadWriteMultipleRegisters() : ReadAddressCount(kMaxWriteRegisters);
            case kMaskWriteRegister:
                return ReadMaskWrite();
            case kReadWriteMultipleRegisters:
                return request ? ReadReadWriteRequest() : ReadRegisterValues();
            case kDiagnostics:
                return ReadDiagnostics();
            case kEncapsulatedInterface:
                return ReadDeviceIdentification();
            default:
                break;
        }
        return Fail(PduError::kUnknownFunction, "unknown function code 0x" + Hex2(code));
    }

private:
    PduParse Fail(PduError error, std::string message) {
        parse_.error = error;
        parse_.message = std::move(message);
        return parse_;
    }
    PduParse Done() { return parse_; }

    std::string Name() const { return ModbusFunctionName(parse_.pdu.function); }
    std::string What() const {
        return Name() + (parse_.pdu.direction == ModbusDirection::kRequest ? " request" : " response");
    }

    // Exactly `size` bytes, the layout's fixed size.
    bool SizeIs(std::size_t size, PduParse& failure) {
        if (size_ == size) return true;
        failure = Fail(size_ < size ? PduError::kTooShort : PduError::kWrongLength,
                       What() + " takes " + std::to_string(size) + " bytes, this PDU has " + std::to_string(size_));
        return false;
    }
    bool AtLeast(std::size_t size, PduParse& failure) {
        if (size_ >= size) return true;
        failure = Fail(PduError::kTooShort, What() + " too short: " + std::to_string(size_) +
                                                " bytes, at least " + std::to_string(size));
        return false;
    }
    bool CountInRange(unsigned count, unsigned most, const char* what, PduParse& failure) {
        if (count >= 1 && count <= most) return true;
        failure = Fail(PduError::kCountOutOfRange, What() + ": " + what + " " + std::to_string(count) +
                                                       " is out of range 1-" + std::to_string(most));
        return false;
    }
    // The byte count at `at` must be `expected` (derived from a count), and
    // exactly that many bytes must follow it.
    bool ByteCountHolds(std::size_t at, unsigned expected, const char* derived_from, PduParse& failure) {
        const unsigned stated = bytes_[at];
        parse_.pdu.byte_count = stated;
        if (stated != expected) {
            failure = Fail(PduError::kByteCountMismatch, What() + ": byte count " + std::to_string(stated) +
                                                             " disagrees with " + derived_from + " (needs " +
                                                             std::to_string(expected) + ")");
            return false;
        }
        return BytesFollow(at, failure);
    }
    bool BytesFollow(std::size_t at, PduParse& failure) {
        const unsigned stated = bytes_[at];
        const std::size_t following = size_ - at - 1;
        if (following != stated) {
            failure = Fail(PduError::kByteCountMismatch, What() + ": byte count " + std::to_string(stated) + " but " +
                                                             std::to_string(following) + " bytes follow");
            return false;
        }
        return true;
    }

    PduParse ReadException() {
        if (size_ != 2) {
            return Fail(size_ < 2 ? PduError::kTooShort : PduError::kWrongLength,
                        "exception response takes 2 bytes, this PDU has " + std::to_string(size_));
        }
        parse_.pdu.exception = true;
        parse_.pdu.exception_code = bytes_[1];
        return Done();
    }

    PduParse ReadAddressCount(unsigned most) {
        PduParse failure;
        if (!SizeIs(5, failure)) return failure;
        parse_.pdu.address = static_cast<std::uint16_t>(Word(bytes_ + 1));
        parse_.pdu.count = static_cast<std::uint16_t>(Word(bytes_ + 3));
        if (!CountInRange(parse_.pdu.count, most, "quantity", failure)) return failure;
        return Done();
    }

    PduParse ReadBitValues() {
        PduParse failure;
        if (!AtLeast(2, failure)) return failure;
        const unsigned stated = bytes_[1];
        parse_.pdu.byte_count = stated;
        if (!CountInRange(stated, (kMaxReadBits + 7) / 8, "byte count", failure)) return failure;
        if (!BytesFollow(1, failure)) return failure;
        parse_.pdu.bits = UnpackBits(bytes_ + 2, 8 * stated);
        return Done();
    }

    PduParse ReadRegisterValues() {
        PduParse failure;
        if (!AtLeast(2, failure)) return failure;
        const unsigned stated = bytes_[1];
        parse_.pdu.byte_count = stated;
        if (stated % 2 != 0) {
            return Fail(PduError::kByteCountMismatch,
                        What() + ": byte count " + std::to_string(stated) + " is odd, registers take 2 bytes each");
        }
        if (!CountInRange(stated / 2, kMaxReadRegisters, "register count", failure)) return failure;
        if (!BytesFollow(1, failure)) return failure;
        parse_.pdu.count = static_cast<std::uint16_t>(stated / 2);
        parse_.pdu.registers = Registers(bytes_ + 2, stated / 2);
        return Done();
    }

    PduParse ReadSingleCoil() {
        PduParse failure;
        if (!SizeIs(5, failure)) return failure;
        parse_.pdu.address = static_cast<std::uint16_t>(Word(bytes_ + 1));
        const unsigned value = Word(bytes_ + 3);
        if (value != 0x0000 && value != 0xFF00) {
            return Fail(PduError::kBadCoilValue, What() + ": coil value 0x" + Hex2(value >> 8) + Hex2(value) +
                                                     " is neither 0xFF00 (on) nor 0x0000 (off)");
        }
        parse_.pdu.count = 1;
        parse_.pdu.bits = {value == 0xFF00};
        return Done();
    }

    PduParse ReadSingleRegister() {
        PduParse failure;
        if (!SizeIs(5, failure)) return failure;
        parse_.pdu.address = static_cast<std::uint16_t>(Word(bytes_ + 1));
        parse_.pdu.count = 1;
        parse_.pdu.registers = {static_cast<std::uint16_t>(Word(bytes_ + 3))};
        return Done();
    }

    PduParse ReadWriteMultipleCoils() {
        PduParse failure;
        if (!AtLeast(6, failure)) return failure;
        parse_.pdu.address = static_cast<std::uint16_t>(Word(bytes_ + 1));
        parse_.pdu.count = static_cast<std::uint16_t>(Word(bytes_ + 3));
        if (!CountInRange(parse_.pdu.count, kMaxWriteBits, "quantity", failure)) return failure;
        if (!ByteCountHolds(5, (parse_.pdu.count + 7u) / 8, "the quantity of coils", failure)) return failure;
        parse_.pdu.bits = UnpackBits(bytes_ + 6, parse_.pdu.count);
        return Done();
    }

    PduParse ReadWriteMultipleRegisters() {
        PduParse failure;
        if (!AtLeast(6, failure)) return failure;
        parse_.pdu.address = static_cast<std::uint16_t>(Word(bytes_ + 1));
        parse_.pdu.count = static_cast<std::uint16_t>(Word(bytes_ + 3));
        if (!CountInRange(parse_.pdu.count, kMaxWriteRegisters, "quantity", failure)) return failure;
        if (!ByteCountHolds(5, 2u * parse_.pdu.count, "the quantity of registers", failure)) return failure;
        parse_.pdu.registers = Registers(bytes_ + 6, parse_.pdu.count);
        return Done();
    }

    PduParse ReadMaskWrite() {
        PduParse failure;
        if (!SizeIs(7, failure)) return failure;
        parse_.pdu.address = static_cast<std::uint16_t>(Word(bytes_ + 1));
        parse_.pdu.and_mask = static_cast<std::uint16_t>(Word(bytes_ + 3));
        parse_.pdu.or_mask = static_cast<std::uint16_t>(Word(bytes_ + 5));
        return Done();
    }

    PduParse ReadReadWriteRequest() {
        PduParse failure;
        if (!AtLeast(10, failure)) return failure;
        ModbusPdu& pdu = parse_.pdu;
        pdu.address = static_cast<std::uint16_t>(Word(bytes_ + 1));
        pdu.count = static_cast<std::uint16_t>(Word(bytes_ + 3));
        pdu.write_address = static_cast<std::uint16_t>(Word(bytes_ + 5));
        pdu.write_count = static_cast<std::uint16_t>(Word(bytes_ + 7));
        if (!CountInRange(pdu.count, kMaxReadRegisters, "quantity to read", failure)) return failure;
        if (!CountInRange(pdu.write_count, kMaxReadWriteRegisters, "quantity to write", failure)) return failure;
        if (!ByteCountHolds(9, 2u * pdu.write_count, "the quantity to write", failure)) return failure;
        pdu.registers = Registers(bytes_ + 10, pdu.write_count);
        return Done();
    }

    PduParse ReadDiagnostics() {
        PduParse failure;
        if (!AtLeast(3, failure)) return failure;
        parse_.pdu.sub_function = static_cast<std::uint16_t>(Word(bytes_ + 1));
        parse_.pdu.data.assign(bytes_ + 3, bytes_ + size_);
        return Done();
    }

    PduParse ReadDeviceIdentification() {
        PduParse failure;
        if (!AtLeast(2, failure)) return failure;
        ModbusPdu& pdu = parse_.pdu;
        pdu.mei_type = bytes_[1];
        if (pdu.mei_type != kMeiReadDeviceIdentification) {
            return Fail(PduError::kBadMeiType,
                        "MEI type 0x" + Hex2(pdu.mei_type) + " is not read device identification (0x0E)");
        }
        if (pdu.direction == ModbusDirection::kRequest) {
            if (!SizeIs(4, failure)) return failure;
            pdu.read_device_id_code = bytes_[2];
            pdu.object_id = bytes_[3];
            return CheckDeviceIdCode();
        }
        if (!AtLeast(7, failure)) return failure;
        pdu.read_device_id_code = bytes_[2];
        pdu.conformity_level = bytes_[3];
        if (bytes_[4] != 0x00 && bytes_[4] != 0xFF) {
            return Fail(PduError::kBadMoreFollows,
                        What() + ": \"more follows\" is 0x" + Hex2(bytes_[4]) + ", neither 0x00 nor 0xFF");
        }
        pdu.more_follows = bytes_[4] == 0xFF;
        pdu.next_object_id = bytes_[5];
        const unsigned objects = bytes_[6];
        std::size_t at = 7;
        for (unsigned i = 0; i < objects; ++i) {
            if (size_ - at < 2 || size_ - at - 2 < bytes_[at + 1]) {
                return Fail(PduError::kTooShort, What() + ": object " + std::to_string(i + 1) + " of " +
                                                     std::to_string(objects) + " runs past the PDU's end");
            }
            const std::size_t length = bytes_[at + 1];
            pdu.objects.push_back({bytes_[at], std::string(bytes_ + at + 2, bytes_ + at + 2 + length)});
            at += 2 + length;
        }
        if (at != size_) {
            return Fail(PduError::kWrongLength, What() + ": " + std::to_string(size_ - at) +
                                                    " bytes follow the last of " + std::to_string(objects) +
                                                    " objects");
        }
        return CheckDeviceIdCode();
    }

    PduParse CheckDeviceIdCode() {
        const unsigned code = parse_.pdu.read_device_id_code;
        if (code < 1 || code > 4) {
            return Fail(PduError::kBadDeviceIdRequest,
                        What() + ": read device id code 0x" + Hex2(code) + " is out of range 01-04");
        }
        return Done();
    }

    const unsigned char* bytes_;
    std::size_t size_;
    PduParse parse_;
};

}  // namespace

const char* ModbusFunctionName(unsigned char function) {
    switch (function) {
        case kReadCoils:
            return "Read Coils";
        case kReadDiscreteInputs:
            return "Read Discrete Inputs";
        case kReadHoldingRegisters:
            return "Read Holding Registers";
        case kReadInputRegisters:
            return "Read Input Registers";
        case kWriteSingleCoil:
            return "Write Single Coil";
        case kWriteSingleRegister:
            return "Write Single Register";
        case kDiagnostics:
            return "Diagnostics";
        case kWriteMultipleCoils:
            return "Write Multiple Coils";
        case kWriteMultipleRegisters:
            return "Write Multiple Registers";
        case kMaskWriteRegister:
            return "Mask Write Register";
        case kReadWriteMultipleRegisters:
            return "Read/Write Multiple Registers";
        case kEncapsulatedInterface:
            // The one MEI type of 0x2B read here.
            return "Read Device Identification";
        default:
            return "";
    }
}

const char* ModbusExceptionName(unsigned char code) {
    switch (code) {
        case 0x01:
            return "ILLEGAL FUNCTION";
        case 0x02:
            return "ILLEGAL DATA ADDRESS";
        case 0x03:
            return "ILLEGAL DATA VALUE";
        case 0x04:
            return "SERVER DEVICE FAILURE";
        case 0x05:
            return "ACKNOWLEDGE";
        case 0x06:
            return "SERVER DEVICE BUSY";
        case 0x07:
            return "NEGATIVE ACKNOWLEDGE";
        case 0x08:
            return "MEMORY PARITY ERROR";
        case 0x0A:
            return "GATEWAY PATH UNAVAILABLE";
        case 0x0B:
            return "GATEWAY TARGET DEVICE FAILED TO RESPOND";
        default:
            return "";
    }
}

PduParse ParseModbusPdu(const unsigned char* bytes, std::size_t size, ModbusDirection direction) {
    return PduReader(bytes, size, direction).Read();
}

PduBothWays ParseModbusPduEitherWay(const unsigned char* bytes, std::size_t size) {
    return {ParseModbusPdu(bytes, size, ModbusDirection::kRequest),
            ParseModbusPdu(bytes, size, ModbusDirection::kResponse)};
}

ModbusBytes ReadRequest(unsigned char function, std::uint16_t address, std::uint16_t count) {
    ModbusBytes pdu{function};
    PutWord(pdu, address);
    PutWord(pdu, count);
    return pdu;
}

ModbusBytes WriteSingleCoilRequest(std::uint16_t address, bool on) {
    ModbusBytes pdu{kWriteSingleCoil};
    PutWord(pdu, address);
    PutWord(pdu, on ? 0xFF00 : 0x0000);
    return pdu;
}

ModbusBytes WriteSingleRegisterRequest(std::uint16_t address, std::uint16_t value) {
    ModbusBytes pdu{kWriteSingleRegister};
    PutWord(pdu, address);
    PutWord(pdu, value);
    return pdu;
}

ModbusBytes WriteMultipleCoilsRequest(std::uint16_t address, const std::vector<bool>& bits) {
    const ModbusBytes packed = PackBits(bits);
    if (!FitsByteCount(packed.size()) || bits.size() > 0xFFFF) return {};
    ModbusBytes pdu{kWriteMultipleCoils};
    PutWord(pdu, address);
    PutWord(pdu, static_cast<unsigned>(bits.size()));
    pdu.push_back(static_cast<unsigned char>(packed.size()));
    pdu.insert(pdu.end(), packed.begin(), packed.end());
    return pdu;
}

ModbusBytes WriteMultipleRegistersRequest(std::uint16_t address, const std::vector<std::uint16_t>& values) {
    if (!FitsByteCount(2 * values.size())) return {};
    ModbusBytes pdu{kWriteMultipleRegisters};
    PutWord(pdu, address);
    PutWord(pdu, static_cast<unsigned>(values.size()));
    pdu.push_back(static_cast<unsigned char>(2 * values.size()));
    for (const std::uint16_t value : values) PutWord(pdu, value);
    return pdu;
}

ModbusBytes MaskWriteRegisterRequest(std::uint16_t address, std::uint16_t and_mask, std::uint16_t or_mask) {
    ModbusBytes pdu{kMaskWriteRegister};
    PutWord(pdu, address);
    PutWord(pdu, and_mask);
    PutWord(pdu, or_mask);
    return pdu;
}

ModbusBytes ReadWriteMultipleRegistersRequest(std::uint16_t read_address, std::uint16_t read_count,
                                              std::uint16_t write_address,
                                              const std::vector<std::uint16_t>& values) {
    if (!FitsByteCount(2 * values.size())) return {};
    ModbusBytes pdu{kReadWriteMultipleRegisters};
    PutWord(pdu, read_address);
    PutWord(pdu, read_count);
    PutWord(pdu, write_address);
    PutWord(pdu, static_cast<unsigned>(values.size()));
    pdu.push_back(static_cast<unsigned char>(2 * values.size()));
    for (const std::uint16_t value : values) PutWord(pdu, value);
    return pdu;
}

ModbusBytes DiagnosticsRequest(std::uint16_t sub_function, const ModbusBytes& data) {
    ModbusBytes pdu{kDiagnostics};
    PutWord(pdu, sub_function);
    pdu.insert(pdu.end(), data.begin(), data.end());
    return pdu;
}

ModbusBytes ReadDeviceIdentificationRequest(unsigned char read_device_id_code, unsigned char object_id) {
    return {kEncapsulatedInterface, kMeiReadDeviceIdentification, read_device_id_code, object_id};
}

ModbusBytes ReadBitsResponse(unsigned char function, const std::vector<bool>& bits) {
    const ModbusBytes packed = PackBits(bits);
    if (!FitsByteCount(packed.size())) return {};
    ModbusBytes pdu{function, static_cast<unsigned char>(packed.size())};
    pdu.insert(pdu.end(), packed.begin(), packed.end());
    return pdu;
}

ModbusBytes ReadRegistersResponse(unsigned char function, const std::vector<std::uint16_t>& values) {
    if (!FitsByteCount(2 * values.size())) return {};
    ModbusBytes pdu{function, static_cast<unsigned char>(2 * values.size())};
    for (const std::uint16_t value : values) PutWord(pdu, value);
    return pdu;
}

ModbusBytes WriteMultipleResponse(unsigned char function, std::uint16_t address, std::uint16_t count) {
    return ReadRequest(function, address, count);  // the same layout: code, address, count
}

ModbusBytes ReadDeviceIdentificationResponse(unsigned char read_device_id_code, unsigned char conformity_level,
                                             bool more_follows, unsigned char next_object_id,
                                             const std::vector<ModbusDeviceObject>& objects) {
    if (objects.size() > 0xFF) return {};
    ModbusBytes pdu{kEncapsulatedInterface,
                    kMeiReadDeviceIdentification,
                    read_device_id_code,
                    conformity_level,
                    static_cast<unsigned char>(more_follows ? 0xFF : 0x00),
                    next_object_id,
                    static_cast<unsigned char>(objects.size())};
    for (const ModbusDeviceObject& object : objects) {
        if (!FitsByteCount(object.value.size())) return {};
        pdu.push_back(object.id);
        pdu.push_back(static_cast<unsigned char>(object.value.size()));
        pdu.insert(pdu.end(), object.value.begin(), object.value.end());
    }
    return pdu;
}

ModbusBytes ExceptionResponse(unsigned char function, unsigned char code) {
    return {static_cast<unsigned char>(function | 0x80), code};
}
