// The 128-bit folding path and the final reduction, compiled for PCLMULQDQ
// and SSE4.1 by function attributes only: nothing here runs unless the
// processor has them.
#include "workbench/crc/fold.h"

#include "workbench/crc/cpu_targets.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>

namespace {

struct Product {
    std::uint64_t high, low;
};

// The 128-bit carry-less product of two words. Through memory: the 32-bit
// build has no move from a vector to a 64-bit integer.
QUOBRIX_PCLMUL Product Multiply(std::uint64_t a, std::uint64_t b) {
    const __m128i p = _mm_clmulepi64_si128(_mm_set_epi64x(0, static_cast<long long>(a)),
                                           _mm_set_epi64x(0, static_cast<long long>(b)), 0x00);
    std::uint64_t halves[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), p);
    return {halves[1], halves[0]};
}

QUOBRIX_PCLMUL inline __m128i Fold(__m128i acc, __m128i by, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(acc, by, 0x00), _mm_clmulepi64_si128(acc, by, 0x11)),
                         next);
}

QUOBRIX_PCLMUL inline __m128i Load(const unsigned char* p, __m128i order) {
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), order);
}

QUOBRIX_PCLMUL inline __m128i Pair(const std::uint64_t (&pair)[2]) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair));
}

}  // namespace

QUOBRIX_PCLMUL std::uint64_t CrcFoldReduce(const CrcFoldConstants& k, const std::uint64_t lane[2]) {
    // The lane A = high * x^64 + low, in normal order; the register is
    // A * x^64 mod P.
    const std::uint64_t high = k.reflected ? Reverse64(lane[0]) : lane[1];
    const std::uint64_t low = k.reflected ? Reverse64(lane[1]) : lane[0];
    // V = high * (x^128 mod P) + low * x^64, of the same remainder.
    const Product c = Multiply(high, k.x128);
    const std::uint64_t v_high = c.high ^ low, v_low = c.low;
    // Barrett: q = floor(V / P) = V's high word plus the high word of its
    // product with mu; V - q * P has no bits above 64, so only the low
    // words need computing.
    const std::uint64_t q = v_high ^ Multiply(v_high, k.mu).high;
    const std::uint64_t r = v_low ^ Multiply(q, k.poly).low;
    return k.reflected ? Reverse64(r) : __builtin_bswap64(r);
}

QUOBRIX_PCLMUL std::uint64_t CrcFoldPclmul(const CrcFoldConstants& k, std::uint64_t word, const unsigned char* p,
                                           std::size_t blocks) {
    const __m128i order = _mm_loadu_si128(reinterpret_cast<const __m128i*>(k.order));
    const __m128i by1024 = Pair(k.by1024), by128 = Pair(k.by128);
    // Eight lanes side by side: each product waits for its lane's last one.
    __m128i x[8];
    const __m128i first = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                        _mm_set_epi64x(0, static_cast<long long>(word)));
    x[0] = _mm_shuffle_epi8(first, order);
#pragma GCC unroll 8
    for (int i = 1; i < 8; ++i) x[i] = Load(p + 16 * i, order);
    for (; blocks > 1; --blocks) {
        p += kCrcPclmulBlock;
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) x[i] = Fold(x[i], by1024, Load(p + 16 * i, order));
    }
    __m128i acc = x[0];
#pragma GCC unroll 8
    for (int i = 1; i < 8; ++i) acc = Fold(acc, by128, x[i]);
    std::uint64_t lane[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lane), acc);
    return CrcFoldReduce(k, lane);
}

#endif
