#include "workbench/frames/gf2_jump.h"

#include "workbench/crc/cpu_features.h"
#include "workbench/crc/cpu_targets.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#endif

// With P_j the 128-bit product of word j (u f_j + v g_j), the sum's word
// m + 1, which is word m after the division by x^64, is the low half of
// P_(m+1) and the high half of P_m; the x^64 terms of u and v add f_m and
// g_m themselves.

namespace {

#if defined(__i386__) || defined(__x86_64__)
struct RowProducts {
    __m128i to_f, to_g;  // u f_j + v g_j and q f_j + r g_j
    __m128i f_word, g_word;
};

QUOBRIX_PCLMUL inline RowProducts ProductsOf(const std::uint64_t* f, const std::uint64_t* g, std::size_t j,
                                             __m128i uq, __m128i vr) {
    RowProducts p;
    p.f_word = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(f + j));
    p.g_word = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(g + j));
    p.to_f = _mm_xor_si128(_mm_clmulepi64_si128(uq, p.f_word, 0x00), _mm_clmulepi64_si128(vr, p.g_word, 0x00));
    p.to_g = _mm_xor_si128(_mm_clmulepi64_si128(uq, p.f_word, 0x01), _mm_clmulepi64_si128(vr, p.g_word, 0x01));
    return p;
}

// Both rows at once: each word of f is multiplied by u and q, each of g by
// v and r, from one register holding both entries. The products of word
// m + 1 are kept for word m + 1's own output.
QUOBRIX_PCLMUL void ApplyPclmul(const Gf2Jump& jump, const std::uint64_t* f, const std::uint64_t* g, std::size_t size,
                                std::uint64_t* f_out, std::uint64_t* g_out) {
    const __m128i uq = _mm_set_epi64x(static_cast<long long>(jump.q), static_cast<long long>(jump.u));
    const __m128i vr = _mm_set_epi64x(static_cast<long long>(jump.r), static_cast<long long>(jump.v));
    const __m128i u_mask = _mm_set1_epi64x(-static_cast<long long>(jump.u_x64));
    const __m128i v_mask = _mm_set1_epi64x(-static_cast<long long>(jump.v_x64));
    RowProducts here = ProductsOf(f, g, 0, uq, vr);
    for (std::size_t m = 0; m < size; ++m) {
        RowProducts next{_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
        if (m + 1 < size) next = ProductsOf(f, g, m + 1, uq, vr);
        const __m128i top =
            _mm_xor_si128(_mm_and_si128(here.f_word, u_mask), _mm_and_si128(here.g_word, v_mask));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(f_out + m),
                         _mm_xor_si128(_mm_xor_si128(next.to_f, _mm_srli_si128(here.to_f, 8)), top));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(g_out + m), _mm_xor_si128(next.to_g, _mm_srli_si128(here.to_g, 8)));
        here = next;
    }
}
#endif

#if defined(__x86_64__)
// The masked forms with every lane set: GCC 12 warns of the undefined
// vector inside the plain ones.
constexpr __mmask8 kAll = 0xFF;

struct BlockProducts {
    __m512i f_low, f_high;  // the halves of u f_j + v g_j for eight words j
    __m512i g_low, g_high;  // of q f_j + r g_j
    __m512i top;            // u's and v's x^64 terms: f_j and g_j themselves
};

// Eight words from `j`: each lane of four multiplies an even and an odd
// word by one entry, and the halves are then sorted into words in order.
QUOBRIX_VPCLMUL inline BlockProducts BlockOf(const std::uint64_t* f, const std::uint64_t* g, std::size_t j,
                                             std::size_t size, __m512i uq, __m512i vr, __m512i u_mask,
                                             __m512i v_mask) {
    const __mmask8 present = j + 8 <= size ? __mmask8{0xFF} : static_cast<__mmask8>((1u << (size - j)) - 1);
    const __m512i fj = _mm512_maskz_loadu_epi64(present, f + j);
    const __m512i gj = _mm512_maskz_loadu_epi64(present, g + j);
    const __m512i f_even = _mm512_xor_si512(_mm512_clmulepi64_epi128(fj, uq, 0x00), _mm512_clmulepi64_epi128(gj, vr, 0x00));
    const __m512i f_odd = _mm512_xor_si512(_mm512_clmulepi64_epi128(fj, uq, 0x01), _mm512_clmulepi64_epi128(gj, vr, 0x01));
    const __m512i g_even = _mm512_xor_si512(_mm512_clmulepi64_epi128(fj, uq, 0x10), _mm512_clmulepi64_epi128(gj, vr, 0x10));
    const __m512i g_odd = _mm512_xor_si512(_mm512_clmulepi64_epi128(fj, uq, 0x11), _mm512_clmulepi64_epi128(gj, vr, 0x11));
    BlockProducts b;
    b.f_low = _mm512_maskz_unpacklo_epi64(kAll, f_even, f_odd);
    b.f_high = _mm512_maskz_unpackhi_epi64(kAll, f_even, f_odd);
    b.g_low = _mm512_maskz_unpacklo_epi64(kAll, g_even, g_odd);
    b.g_high = _mm512_maskz_unpackhi_epi64(kAll, g_even, g_odd);
    b.top = _mm512_xor_si512(_mm512_and_si512(fj, u_mask), _mm512_and_si512(gj, v_mask));
    return b;
}

// Four products per instruction; word m's output takes the low half of
// word m + 1's product, which for the last of a block is in the next.
QUOBRIX_VPCLMUL void ApplyVpclmul(const Gf2Jump& jump, const std::uint64_t* f, const std::uint64_t* g,
                                  std::size_t size, std::uint64_t* f_out, std::uint64_t* g_out) {
    const auto u = static_cast<long long>(jump.u), v = static_cast<long long>(jump.v);
    const auto q = static_cast<long long>(jump.q), r = static_cast<long long>(jump.r);
    const __m512i uq = _mm512_set_epi64(q, u, q, u, q, u, q, u);
    const __m512i vr = _mm512_set_epi64(r, v, r, v, r, v, r, v);
    const __m512i u_mask = _mm512_set1_epi64(-static_cast<long long>(jump.u_x64));
    const __m512i v_mask = _mm512_set1_epi64(-static_cast<long long>(jump.v_x64));
    BlockProducts here = BlockOf(f, g, 0, size, uq, vr, u_mask, v_mask);
    for (std::size_t m = 0; m < size; m += 8) {
        BlockProducts next{_mm512_setzero_si512(), _mm512_setzero_si512(), _mm512_setzero_si512(),
                           _mm512_setzero_si512(), _mm512_setzero_si512()};
        if (m + 8 < size) next = BlockOf(f, g, m + 8, size, uq, vr, u_mask, v_mask);
        const __m512i f_words = _mm512_ternarylogic_epi64(_mm512_maskz_alignr_epi64(kAll, next.f_low, here.f_low, 1), here.f_high,
                                                          here.top, 0x96);  // a ^ b ^ c
        const __m512i g_words = _mm512_xor_si512(_mm512_maskz_alignr_epi64(kAll, next.g_low, here.g_low, 1), here.g_high);
        const __mmask8 present = m + 8 <= size ? __mmask8{0xFF} : static_cast<__mmask8>((1u << (size - m)) - 1);
        _mm512_mask_storeu_epi64(f_out + m, present, f_words);
        _mm512_mask_storeu_epi64(g_out + m, present, g_words);
        here = next;
    }
}
#endif

}  // namespace

bool Gf2JumpAvailable() {
#if defined(__i386__) || defined(__x86_64__)
    return HostCpuFeatures().pclmul;
#else
    return false;
#endif
}

void Gf2ApplyJump([[maybe_unused]] const Gf2Jump& jump, [[maybe_unused]] const std::uint64_t* f,
                  [[maybe_unused]] const std::uint64_t* g, [[maybe_unused]] std::size_t size,
                  [[maybe_unused]] std::uint64_t* f_out, [[maybe_unused]] std::uint64_t* g_out) {
#if defined(__x86_64__)
    if (HostCpuFeatures().vpclmul_avx512) {
        ApplyVpclmul(jump, f, g, size, f_out, g_out);
        return;
    }
#endif
#if defined(__i386__) || defined(__x86_64__)
    ApplyPclmul(jump, f, g, size, f_out, g_out);
#endif
}
