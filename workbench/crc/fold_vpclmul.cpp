// The 512-bit folding path, compiled for AVX-512 and VPCLMULQDQ by function
// attributes only: nothing here runs unless the processor has them.
#include "workbench/crc/fold.h"

#include <cstring>

#include "workbench/crc/cpu_targets.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace {

// The four lanes of `acc` moved on by `by` and added to `next`.
QUOBRIX_VPCLMUL inline __m512i Fold(__m512i acc, __m512i by, __m512i next) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(acc, by, 0x00), _mm512_clmulepi64_epi128(acc, by, 0x11),
                                     next, 0x96);  // a ^ b ^ c
}

QUOBRIX_VPCLMUL inline __m128i FoldLane(__m128i acc, __m128i by, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(acc, by, 0x00), _mm_clmulepi64_si128(acc, by, 0x11)),
                         next);
}

QUOBRIX_VPCLMUL inline __m512i Load(const unsigned char* p, __m512i order) {
    return _mm512_shuffle_epi8(_mm512_loadu_si512(p), order);
}

// A pair in each of the four lanes. (Not _mm512_broadcast_i32x4: GCC 12
// warns of the undefined vector inside it.)
QUOBRIX_VPCLMUL inline __m512i Broadcast(const std::uint64_t (&pair)[2]) {
    const auto low = static_cast<long long>(pair[0]), high = static_cast<long long>(pair[1]);
    return _mm512_set_epi64(high, low, high, low, high, low, high, low);
}

}  // namespace

QUOBRIX_VPCLMUL std::uint64_t CrcFoldVpclmul512(const CrcFoldConstants& k, std::uint64_t word,
                                                const unsigned char* p, std::size_t blocks) {
    std::uint64_t order_pair[2];
    std::memcpy(order_pair, k.order, sizeof order_pair);
    const __m512i order = Broadcast(order_pair);
    const __m512i by2048 = Broadcast(k.by2048), by512 = Broadcast(k.by512);
    const __m128i by128 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(k.by128));
    // Four registers side by side: each product waits for its register's
    // last one.
    const __m512i start = _mm512_set_epi64(0, 0, 0, 0, 0, 0, 0, static_cast<long long>(word));
    __m512i x0 = _mm512_shuffle_epi8(_mm512_xor_si512(_mm512_loadu_si512(p), start), order);
    __m512i x1 = Load(p + 64, order), x2 = Load(p + 128, order), x3 = Load(p + 192, order);
    for (; blocks > 1; --blocks) {
        p += kCrcVpclmulBlock;
        x0 = Fold(x0, by2048, Load(p, order));
        x1 = Fold(x1, by2048, Load(p + 64, order));
        x2 = Fold(x2, by2048, Load(p + 128, order));
        x3 = Fold(x3, by2048, Load(p + 192, order));
    }
    // Then the four lanes of the one register, through memory (see
    // Broadcast). Unaligned: MinGW's x86-64 build aligns no stack variable
    // beyond 16 bytes.
    std::uint64_t lanes[8];
    _mm512_storeu_si512(lanes, Fold(Fold(Fold(x0, by512, x1), by512, x2), by512, x3));
    __m128i acc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes));
    for (int i = 1; i < 4; ++i) {
        acc = FoldLane(acc, by128, _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + 2 * i)));
    }
    std::uint64_t lane[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lane), acc);
    return CrcFoldReduce(k, lane);
}

#endif
