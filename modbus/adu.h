// The frames MODBUS carries its requests and responses in (application data
// units): RTU on a serial line (unit, PDU, CRC-16/MODBUS low byte first),
// ASCII on a serial line (':', the hex of unit, PDU and LRC, CR LF), TCP
// (the MBAP header before unit and PDU) and RTU's bytes on a TCP stream.
// Pure functions of bytes: no port, no clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using ModbusBytes = std::vector<unsigned char>;

// The longest PDU any framing carries: RTU's 256 bytes less unit and CRC.
constexpr std::size_t kModbusMaxPdu = 253;

enum class ModbusFraming { kRtu, kAscii, kTcp, kRtuOverTcp };
// "RTU", "ASCII", "TCP", "RTU over TCP".
const char* ModbusFramingName(ModbusFraming framing);

// CRC-16/MODBUS (poly 0x8005 reflected, init 0xFFFF) of the bytes; the frame
// carries it low byte first.
std::uint16_t ModbusCrc(const unsigned char* bytes, std::size_t size);
// The LRC of MODBUS ASCII: the two's complement of the bytes' sum, mod 256.
unsigned char ModbusLrc(const unsigned char* bytes, std::size_t size);

// What a frame carries besides its checks.
struct ModbusAdu {
    unsigned char unit = 0;
    ModbusBytes pdu;                // function code first
    std::uint16_t transaction = 0;  // TCP's transaction id; 0 in the serial framings
};

// RTU (and RTU over TCP): unit, PDU, CRC low byte first.
ModbusBytes EncodeRtu(unsigned char unit, const ModbusBytes& pdu);
// ASCII: ':', two upper-case hex digits for each byte of unit, PDU and LRC,
// then CR LF.
ModbusBytes EncodeAscii(unsigned char unit, const ModbusBytes& pdu);
// TCP: transaction id, protocol id 0, the length of what follows (unit and
// PDU), unit, PDU; all big-endian.
ModbusBytes EncodeTcp(std::uint16_t transaction, unsigned char unit, const ModbusBytes& pdu);
ModbusBytes EncodeAdu(ModbusFraming framing, const ModbusAdu& adu);

// What is wrong with a frame, each failure its own, so a decoder can say it
// precisely and a test can tell them apart.
enum class AduError {
    kNone,
    kTooShort,         // fewer bytes than the framing's least frame
    kTooLong,          // more than the framing's longest frame
    kBadCrc,           // RTU: `expected` is the CRC of the bytes, `got` the frame's
    kNoColon,          // ASCII: the first character is not ':'
    kMissingCrLf,      // ASCII: the frame does not end with CR LF
    kNotHexDigit,      // ASCII: a character between ':' and CR LF is not a hex digit, at `position`
    kOddHexDigits,     // ASCII: the digits do not pair up into bytes
    kBadLrc,           // ASCII: `expected` is the LRC of the bytes, `got` the frame's
    kProtocolNotZero,  // TCP: `got` is the protocol id
    kBadMbapLength,    // TCP: `got` is the length field, `expected` what follows it
};

struct AduParse {
    AduError error = AduError::kNone;
    std::string message;  // "" when ok; else one line saying what is wrong, with the numbers
    ModbusAdu adu;        // when ok
    std::uint32_t expected = 0, got = 0;
    std::size_t position = 0;
    bool ok() const { return error == AduError::kNone; }
};

// Each takes exactly one whole frame.
AduParse ParseRtu(const unsigned char* bytes, std::size_t size);
AduParse ParseAscii(const unsigned char* bytes, std::size_t size);
AduParse ParseTcp(const unsigned char* bytes, std::size_t size);
AduParse ParseAdu(ModbusFraming framing, const unsigned char* bytes, std::size_t size);
inline AduParse ParseAdu(ModbusFraming framing, const ModbusBytes& bytes) {
    return ParseAdu(framing, bytes.data(), bytes.size());
}

// How many bytes the TCP frame at the start of a stream takes, from its MBAP
// header (6 + its length field), or 0 while fewer than the header's 6 bytes
// have come: what a reader of a TCP stream cuts frames by.
std::size_t MbapFrameSize(const unsigned char* bytes, std::size_t size);
