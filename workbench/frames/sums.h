// The simple checks that protect frames besides CRCs: sums of the bytes,
// their complements, the XOR of the bytes (BCC), the Internet checksum of
// RFC 1071, Fletcher's 16-bit checksum and zlib's Adler-32 (RFC 1950).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class SumKind {
    kSum8,
    kSum16,
    kSum32,
    kSum8Twos,   // the LRC of Modbus ASCII
    kSum16Twos,
    kSum8Ones,
    kSum16Ones,
    kXor8,       // the block check character of many serial protocols
    kInet16,
    kFletcher16,
    kAdler32,
};

struct SumCheck {
    SumKind kind;
    std::string_view name;  // as `find` prints it: "SUM-8/TWOS"
    int width;              // in bits
};

// Every sum, in the order `find` lists them.
constexpr SumCheck kSumChecks[] = {
    {SumKind::kSum8, "SUM-8", 8},
    {SumKind::kSum16, "SUM-16", 16},
    {SumKind::kSum32, "SUM-32", 32},
    {SumKind::kSum8Twos, "SUM-8/TWOS", 8},
    {SumKind::kSum16Twos, "SUM-16/TWOS", 16},
    {SumKind::kSum8Ones, "SUM-8/ONES", 8},
    {SumKind::kSum16Ones, "SUM-16/ONES", 16},
    {SumKind::kXor8, "XOR-8", 8},
    {SumKind::kInet16, "INET-16", 16},
    {SumKind::kFletcher16, "FLETCHER-16", 16},
    {SumKind::kAdler32, "ADLER-32", 32},
};

// What a sum carries from one run of bytes to the next, as CrcEngine's
// register does: start with SumStart, pass each run through SumUpdate, and
// SumFinish gives the check.
struct SumRegister {
    std::uint32_t a = 0;  // the running sum (Fletcher's and Adler's first)
    std::uint32_t b = 0;  // Fletcher's and Adler's second sum
    bool odd = false;     // INET-16: an odd number of bytes so far, so the next is a low byte
};

SumRegister SumStart(SumKind kind);
SumRegister SumUpdate(SumKind kind, SumRegister reg, const unsigned char* data, std::size_t size);
std::uint32_t SumFinish(SumKind kind, SumRegister reg);

inline std::uint32_t ComputeSum(SumKind kind, const unsigned char* data, std::size_t size) {
    return SumFinish(kind, SumUpdate(kind, SumStart(kind), data, size));
}
