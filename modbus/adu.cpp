#include "modbus/adu.h"

#include <algorithm>

#include "workbench/crc/byte_table.h"

namespace {

// The framings' least and longest frames: unit and function code at least;
// RTU's longest is 256 bytes, TCP's a 253-byte PDU behind 7 bytes of MBAP,
// ASCII's each byte of RTU's but the CRC as two digits, and the LRC.
constexpr std::size_t kRtuMin = 4, kRtuMax = 256;
constexpr std::size_t kTcpHeader = 7, kTcpMin = kTcpHeader + 1, kTcpMax = kTcpHeader + kModbusMaxPdu;
constexpr std::size_t kAsciiMin = 1 + 2 * 3 + 2, kAsciiMax = 1 + 2 * (1 + kModbusMaxPdu + 1) + 2;

const char kHexDigits[] = "0123456789ABCDEF";

std::string Hex2(unsigned value) { return std::string{kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]}; }
std::string Hex4(unsigned value) { return "0x" + Hex2(value >> 8) + Hex2(value); }

int DigitValue(unsigned char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

AduParse Fail(AduError error, std::string message) {
    AduParse parse;
    parse.error = error;
    parse.message = std::move(message);
    return parse;
}

AduParse SizeFails(const char* framing, std::size_t size, std::size_t least, std::size_t most) {
    if (size < least) {
        return Fail(AduError::kTooShort, std::string(framing) + " frame too short: " + std::to_string(size) +
                                             " bytes, at least " + std::to_string(least));
    }
    return Fail(AduError::kTooLong, std::string(framing) + " frame too long: " + std::to_string(size) +
                                        " bytes, at most " + std::to_string(most));
}

AduParse Parsed(unsigned char unit, const unsigned char* pdu, std::size_t size, std::uint16_t transaction) {
    AduParse parse;
    parse.adu.unit = unit;
    parse.adu.pdu.assign(pdu, pdu + size);
    parse.adu.transaction = transaction;
    return parse;
}

unsigned Word(const unsigned char* bytes) { return static_cast<unsigned>(bytes[0] << 8 | bytes[1]); }

}  // namespace

const char* ModbusFramingName(ModbusFraming framing) {
    switch (framing) {
        case ModbusFraming::kRtu:
            return "RTU";
        case ModbusFraming::kAscii:
            return "ASCII";
        case ModbusFraming::kTcp:
            return "TCP";
        case ModbusFraming::kRtuOverTcp:
            return "RTU over TCP";
    }
    return "?";
}

std::uint16_t ModbusCrc(const unsigned char* bytes, std::size_t size) {
    // The catalogue's CRC-16/MODBUS; one table, built on first use.
    static const CrcByteTable table(CrcParams{16, 0x8005, 0xFFFF, true, true, 0});
    return static_cast<std::uint16_t>(table.Compute(bytes, size).low);
}

unsigned char ModbusLrc(const unsigned char* bytes, std::size_t size) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i) sum += bytes[i];
    return static_cast<unsigned char>(0x100 - (sum & 0xFF));
}

// The frames are laid out in vectors of their final size and copied into,
// not grown by insert: GCC 12 at -O3 sees phantom overflows in an insert
// after a reserve.
ModbusBytes EncodeRtu(unsigned char unit, const ModbusBytes& pdu) {
    ModbusBytes frame(pdu.size() + 3);
    frame[0] = unit;
    std::copy(pdu.begin(), pdu.end(), frame.begin() + 1);
    const std::uint16_t crc = ModbusCrc(frame.data(), pdu.size() + 1);
    frame[pdu.size() + 1] = static_cast<unsigned char>(crc & 0xFF);
    frame[pdu.size() + 2] = static_cast<unsigned char>(crc >> 8);
    return frame;
}

ModbusBytes EncodeAscii(unsigned char unit, const ModbusBytes& pdu) {
    ModbusBytes body(pdu.size() + 2);
    body[0] = unit;
    std::copy(pdu.begin(), pdu.end(), body.begin() + 1);
    body[pdu.size() + 1] = ModbusLrc(body.data(), pdu.size() + 1);
    ModbusBytes frame(1 + 2 * body.size() + 2);
    std::size_t at = 0;
    frame[at++] = ':';
    for (const unsigned char byte : body) {
        frame[at++] = static_cast<unsigned char>(kHexDigits[byte >> 4]);
        frame[at++] = static_cast<unsigned char>(kHexDigits[byte & 0xF]);
    }
    frame[at++] = '\r';
    frame[at] = '\n';
    return frame;
}

ModbusBytes EncodeTcp(std::uint16_t transaction, unsigned char unit, const ModbusBytes& pdu) {
    // The length field counts the unit and the PDU; a PDU too long for it
    // is cut to what the field can say, never wrapped around.
    const std::size_t length = pdu.size() + 1 > 0xFFFF ? 0xFFFF : pdu.size() + 1;
    ModbusBytes frame(6 + length);
    frame[0] = static_cast<unsigned char>(transaction >> 8);
    frame[1] = static_cast<unsigned char>(transaction & 0xFF);
    frame[2] = 0;
    frame[3] = 0;
    frame[4] = static_cast<unsigned char>(length >> 8);
    frame[5] = static_cast<unsigned char>(length & 0xFF);
    frame[6] = unit;
    std::copy(pdu.begin(), pdu.begin() + static_cast<std::ptrdiff_t>(length - 1), frame.begin() + 7);
    return frame;
}

ModbusBytes EncodeAdu(ModbusFraming framing, const ModbusAdu& adu) {
    switch (framing) {
        case ModbusFraming::kAscii:
            return EncodeAscii(adu.unit, adu.pdu);
        case ModbusFraming::kTcp:
            return EncodeTcp(adu.transaction, adu.unit, adu.pdu);
        case ModbusFraming::kRtu:
        case ModbusFraming::kRtuOverTcp:
            break;
    }
    return EncodeRtu(adu.unit, adu.pdu);
}

AduParse ParseRtu(const unsigned char* bytes, std::size_t size) {
    if (size < kRtuMin || size > kRtuMax) return SizeFails("RTU", size, kRtuMin, kRtuMax);
    const std::uint16_t expected = ModbusCrc(bytes, size - 2);
    const std::uint16_t got = static_cast<std::uint16_t>(bytes[size - 2] | bytes[size - 1] << 8);
    if (expected != got) {
        AduParse parse = Fail(AduError::kBadCrc, "bad CRC: the bytes give " + Hex4(expected) + " (sent as " +
                                                     Hex2(expected & 0xFF) + " " + Hex2(expected >> 8) +
                                                     "), the frame has " + Hex4(got));
        parse.expected = expected;
        parse.got = got;
        return parse;
    }
    return Parsed(bytes[0], bytes + 1, size - 3, 0);
}

AduParse ParseAscii(const unsigned char* bytes, std::size_t size) {
    if (size > 0 && bytes[0] != ':') return Fail(AduError::kNoColon, "ASCII frame does not start with ':'");
    if (size < 3 || bytes[size - 2] != '\r' || bytes[size - 1] != '\n') {
        return Fail(AduError::kMissingCrLf, "ASCII frame does not end with CR LF");
    }
    for (std::size_t i = 1; i + 2 < size; ++i) {
        if (DigitValue(bytes[i]) < 0) {
            AduParse parse = Fail(AduError::kNotHexDigit, "ASCII frame has a character that is not a hex digit at "
                                                          "offset " + std::to_string(i) + ": 0x" + Hex2(bytes[i]));
            parse.position = i;
            return parse;
        }
    }
    const std::size_t digits = size - 3;
    if (digits % 2 != 0) {
        return Fail(AduError::kOddHexDigits,
                    "ASCII frame has an odd number of hex digits (" + std::to_string(digits) + ")");
    }
    if (size < kAsciiMin || size > kAsciiMax) return SizeFails("ASCII", size, kAsciiMin, kAsciiMax);
    ModbusBytes body;
    for (std::size_t i = 1; i + 2 < size; i += 2) {
        body.push_back(static_cast<unsigned char>(DigitValue(bytes[i]) << 4 | DigitValue(bytes[i + 1])));
    }
    const unsigned char expected = ModbusLrc(body.data(), body.size() - 1);
    if (expected != body.back()) {
        AduParse parse = Fail(AduError::kBadLrc, "bad LRC: the bytes give 0x" + Hex2(expected) +
                                                     ", the frame has 0x" + Hex2(body.back()));
        parse.expected = expected;
        parse.got = body.back();
        return parse;
    }
    return Parsed(body[0], body.data() + 1, body.size() - 2, 0);
}

AduParse ParseTcp(const unsigned char* bytes, std::size_t size) {
    if (size < kTcpMin || size > kTcpMax) return SizeFails("TCP", size, kTcpMin, kTcpMax);
    const unsigned protocol = Word(bytes + 2);
    if (protocol != 0) {
        AduParse parse = Fail(AduError::kProtocolNotZero,
                              "MBAP protocol id is " + std::to_string(protocol) + ", MODBUS's is 0");
        parse.got = protocol;
        return parse;
    }
    const unsigned length = Word(bytes + 4);
    if (length != size - 6) {
        AduParse parse = Fail(AduError::kBadMbapLength, "bad MBAP length: the field says " + std::to_string(length) +
                                                            ", " + std::to_string(size - 6) + " bytes follow it");
        parse.expected = static_cast<std::uint32_t>(size - 6);
        parse.got = length;
        return parse;
    }
    return Parsed(bytes[6], bytes + kTcpHeader, size - kTcpHeader, static_cast<std::uint16_t>(Word(bytes)));
}

AduParse ParseAdu(ModbusFraming framing, const unsigned char* bytes, std::size_t size) {
    switch (framing) {
        case ModbusFraming::kAscii:
            return ParseAscii(bytes, size);
        case ModbusFraming::kTcp:
            return ParseTcp(bytes, size);
        case ModbusFraming::kRtu:
        case ModbusFraming::kRtuOverTcp:
            break;
    }
    return ParseRtu(bytes, size);
}

std::size_t MbapFrameSize(const unsigned char* bytes, std::size_t size) {
    return size < 6 ? 0 : 6 + Word(bytes + 4);
}
