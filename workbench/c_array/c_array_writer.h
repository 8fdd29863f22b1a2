// Bytes as the source of a C array, written as they stream in: the
// declaration, the elements a line at a time, then the length (and the
// CRC-32 of the bytes, on request) once the last byte is known. Memory stays
// the same whatever the input's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "workbench/crc/uint128.h"

class CrcEngine;

struct CArrayFormat {
    std::string name = "data";  // a C identifier; CArrayNameFromPath makes one
    int element_size = 1;       // bytes per element: 1, 2, 4 or 8
    bool big_endian = false;    // how the bytes of a wider element are ordered
    bool is_signed = false;     // elements given as numbers may be negative (decimal only)
    int per_line = 0;           // elements per line; 0: 12, 8, 6 or 4 by size
    bool decimal = false;       // 255 rather than 0xff
    bool is_static = false;
    bool is_const = true;
    bool header = false;  // an include guard around it all; the definitions are then static
    bool crc = false;     // the CRC-32 (ISO-HDLC, zlib's) of the bytes in a comment at the end
    bool pad = false;     // a last partial element is filled with zero bytes, not an error
};

// The name xxd -i gives the array of the file named `path`, as it was typed:
// every character that is no ASCII letter or digit becomes '_', and a name
// that would start with a digit is led by "__".
std::string CArrayNameFromPath(const std::string& path);

// Whether `name` is a C identifier (ASCII letters, digits and '_', no digit first).
bool IsCIdentifier(const std::string& name);

// Why `name` cannot name the array `format` describes in C that compiles,
// or "" when it can: no identifier; a keyword of C89 to C23 (or asm); a
// macro gcc predefines in its GNU modes (linux, unix, i386); a name the
// compiler keeps for itself (__x, _X); or, where the array's type needs
// <stdint.h>, a name that header declares or C reserves for it (uint8_t,
// INT8_MAX, int24_t). Every command that names an array asks it.
std::string CArrayNameProblem(const std::string& name, const CArrayFormat& format);

// "unsigned char", "uint16_t", "int32_t", ...: the type of an element.
std::string CArrayElementType(const CArrayFormat& format);

class CArrayWriter {
public:
    explicit CArrayWriter(const CArrayFormat& format);
    ~CArrayWriter();
    CArrayWriter(const CArrayWriter&) = delete;
    CArrayWriter& operator=(const CArrayWriter&) = delete;

    // The guard, the include and the declaration up to its '{'.
    void Begin(std::string& out);
    // More bytes of the content: each whole element appended to `out`, a
    // partial one kept until the next bytes complete it.
    void Bytes(const void* data, std::size_t size, std::string& out);
    // One element given as a number (its low element_size bytes; as signed
    // when the format is). Only between whole elements of Bytes.
    void Element(std::uint64_t value, std::string& out);
    // The closing brace, the length and the rest. False when bytes of a
    // partial element are left and the format does not pad, with `error`
    // saying so; nothing is appended then.
    bool End(std::string& out, std::string& error);

    // The bytes taken so far (elements given as numbers count their size).
    std::uint64_t byte_count() const { return bytes_; }

private:
    void Separator(std::string& out);
    void WordElement(std::uint64_t value, std::string& out);
    // The element of the bytes in partial_, zeros after them.
    void PartialElement(std::string& out);

    CArrayFormat format_;
    int per_line_;
    std::uint64_t elements_ = 0;
    std::uint64_t bytes_ = 0;
    unsigned char partial_[8] = {};
    int partial_size_ = 0;
    std::unique_ptr<CrcEngine> crc_engine_;
    Uint128 crc_reg_;
    int column_ = 0;  // elements on the current line
};
