#include "workbench/frames/sums.h"

namespace {

constexpr std::uint32_t kFletcherModulus = 255;  // Fletcher's sums are taken modulo 2^8 - 1
constexpr std::uint32_t kAdlerModulus = 65521;   // the largest prime below 2^16
constexpr std::uint32_t kLow16 = 0xFFFF;

// Both sums stay below their modulus, so one subtraction reduces them.
std::uint32_t AddModulo(std::uint32_t sum, std::uint32_t value, std::uint32_t modulus) {
    sum += value;
    return sum >= modulus ? sum - modulus : sum;
}

// A one's-complement sum of 16-bit words: the carry out of the top goes back
// in at the bottom, so the sum never leaves 16 bits.
std::uint32_t AddOnesComplement(std::uint32_t sum, std::uint32_t word) {
    sum += word;
    return (sum & kLow16) + (sum >> 16);
}

std::uint32_t LowBits(std::uint32_t value, int width) {
    return width >= 32 ? value : value & ((std::uint32_t{1} << width) - 1);
}

int WidthOf(SumKind kind) {
    for (const SumCheck& check : kSumChecks) {
        if (check.kind == kind) return check.width;
    }
    return 0;
}

}  // namespace

SumRegister SumStart(SumKind kind) {
    SumRegister reg;
    if (kind == SumKind::kAdler32) reg.a = 1;
    return reg;
}

SumRegister SumUpdate(SumKind kind, SumRegister reg, const unsigned char* data, std::size_t size) {
    switch (kind) {
        case SumKind::kXor8:
            for (std::size_t i = 0; i < size; ++i) reg.a ^= data[i];
            break;
        case SumKind::kInet16:
            // Big-endian words: a byte at an even offset is a word's high byte.
            for (std::size_t i = 0; i < size; ++i) {
                reg.a = AddOnesComplement(reg.a, reg.odd ? data[i] : std::uint32_t{data[i]} << 8);
                reg.odd = !reg.odd;
            }
            break;
        case SumKind::kFletcher16:
            for (std::size_t i = 0; i < size; ++i) {
                reg.a = AddModulo(reg.a, data[i] % kFletcherModulus, kFletcherModulus);
                reg.b = AddModulo(reg.b, reg.a, kFletcherModulus);
            }
            break;
        case SumKind::kAdler32:
            for (std::size_t i = 0; i < size; ++i) {
                reg.a = AddModulo(reg.a, data[i], kAdlerModulus);
                reg.b = AddModulo(reg.b, reg.a, kAdlerModulus);
            }
            break;
        default:
            // Plain sums wrap at 2^32; their width is taken at the end.
            for (std::size_t i = 0; i < size; ++i) reg.a += data[i];
            break;
    }
    return reg;
}

std::uint32_t SumFinish(SumKind kind, SumRegister reg) {
    const int width = WidthOf(kind);
    switch (kind) {
        case SumKind::kSum8Twos:
        case SumKind::kSum16Twos:
            return LowBits(0u - reg.a, width);
        case SumKind::kSum8Ones:
        case SumKind::kSum16Ones:
        case SumKind::kInet16:
            return LowBits(~reg.a, width);
        case SumKind::kFletcher16:
            return reg.b << 8 | reg.a;
        case SumKind::kAdler32:
            return reg.b << 16 | reg.a;
        default:
            return LowBits(reg.a, width);
    }
}
