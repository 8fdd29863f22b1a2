// Captured MODBUS frames explained: which framing carries them and what told
// it, the unit, the function, the addresses, counts and values, the exception,
// the check's verdict; and a request paired with the response after it, so
// that the response's values get their addresses. The result is fields for a
// program and lines of English text for a person; a later face prints them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "modbus/adu.h"
#include "modbus/pdu.h"

// What the caller knows of a frame's direction: nothing, or which side sent it.
enum class ModbusDirectionHint { kUnknown, kRequest, kResponse };

struct ModbusDecodeOptions {
    // The framing when the caller knows it; otherwise the bytes tell.
    std::optional<ModbusFraming> framing;
    ModbusDirectionHint direction = ModbusDirectionHint::kUnknown;
};

struct ModbusDecoded {
    // The framing that explains the bytes, and what told it: "starts with
    // ':'", "MBAP length 6 matches the 6 bytes after it", "CRC matches". When
    // no framing does, `framed` is false, `framing` the likeliest and
    // `framing_reason` why each one fails. RTU told from the bytes may as
    // well be RTU over TCP: the bytes are the same.
    bool framed = false;
    bool framing_given = false;  // by the caller, not told from the bytes
    ModbusFraming framing = ModbusFraming::kRtu;
    std::string framing_reason;

    // The check's verdict: "CRC 0x8776 ok", "LRC 0x7E ok", for TCP "none: TCP
    // carries no check, its MBAP length agrees", or what is wrong with the
    // frame.
    bool check_ok = false;
    std::string check;

    ModbusAdu adu;  // when framed

    // The PDU read as the direction given, or the one it reads as; both
    // readings valid leaves `ambiguous` set and the request taken, unless
    // pairing settled it.
    bool pdu_ok = false;
    ModbusPdu pdu;
    std::string pdu_error;
    bool ambiguous = false;

    // For a response paired with an earlier request: the request's index
    // among the frames, and what the pair disagrees on (empty when nothing).
    int request_index = -1;
    std::vector<std::string> pair_problems;

    // Everything above as lines of text.
    std::vector<std::string> lines;
};

ModbusDecoded DecodeModbusFrame(const unsigned char* bytes, std::size_t size,
                                const ModbusDecodeOptions& options = {});
inline ModbusDecoded DecodeModbusFrame(const ModbusBytes& bytes, const ModbusDecodeOptions& options = {}) {
    return DecodeModbusFrame(bytes.data(), bytes.size(), options);
}

// Frames in the order they were captured: each response is paired with the
// request before it when unit, function (and for TCP the transaction id)
// agree, its values given the request's addresses, and any disagreement
// (a count the request did not ask for, an echo that differs) said. A frame
// after an unanswered request is read as its response first.
std::vector<ModbusDecoded> DecodeModbusFrames(const std::vector<ModbusBytes>& frames,
                                              std::optional<ModbusFraming> framing = std::nullopt);

// A captured line to bytes: hex digits in pairs ("11 03 00 6B", "11036B",
// "0x11,0x03"), blanks, commas and dashes between; or a line starting with
// ':', a MODBUS ASCII frame written as text, taken as its characters with
// CR LF put back at the end when the line lost them. False with why in
// `error`.
bool ReadModbusCaptureLine(const std::string& line, ModbusBytes& bytes, std::string& error);
