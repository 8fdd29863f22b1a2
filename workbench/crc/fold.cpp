#include "workbench/crc/fold.h"

#include <cstring>

#include "workbench/crc/cpu_features.h"

namespace {

// x^k mod P, where P is x^64 plus `poly`: one multiplication by x at a time.
std::uint64_t PowerOfXMod(int k, std::uint64_t poly) {
    std::uint64_t r = 1;
    for (int i = 0; i < k; ++i) r = r >> 63 != 0 ? r << 1 ^ poly : r << 1;
    return r;
}

// floor(x^128 / P) without its x^64, by long division: after the quotient's
// x^64 the remainder is x^64 times `poly`.
std::uint64_t BarrettQuotient(std::uint64_t poly) {
    Uint128 rem = Uint128{poly} << 64;
    std::uint64_t quotient = 0;
    for (int bit = 63; bit >= 0; --bit) {
        if (rem.Bit(64 + bit)) {
            quotient |= std::uint64_t{1} << bit;
            rem ^= (Uint128{1} << (64 + bit)) ^ (Uint128{poly} << bit);
        }
    }
    return quotient;
}

// The pair that folds a lane `distance` bits further on. A lane holds
// high * x^64 + low; high moves by x^(distance + 64), low by x^distance.
// A reflected lane holds the halves mirrored and the other way round, and a
// carry-less product of mirrored words comes out one bit low, which one
// power of x fewer makes up.
void SetFold(std::uint64_t (&pair)[2], int distance, std::uint64_t poly, bool reflected) {
    if (reflected) {
        pair[0] = Reverse64(PowerOfXMod(distance + 63, poly));
        pair[1] = Reverse64(PowerOfXMod(distance - 1, poly));
    } else {
        pair[0] = PowerOfXMod(distance, poly);
        pair[1] = PowerOfXMod(distance + 64, poly);
    }
}

}  // namespace

std::vector<CrcPath> CrcPathsOffered() {
    std::vector<CrcPath> paths = {CrcPath::kTables};
#if defined(__i386__) || defined(__x86_64__)
    if (HostCpuFeatures().pclmul) paths.push_back(CrcPath::kPclmul);
#endif
#if defined(__x86_64__)
    if (HostCpuFeatures().vpclmul_avx512) paths.push_back(CrcPath::kVpclmul512);
#endif
    return paths;
}

CrcFoldConstants MakeCrcFoldConstants(const CrcParams& params) {
    CrcFoldConstants k{};
    k.reflected = params.refin;
    k.poly = params.poly.low << (64 - params.width);
    SetFold(k.by128, 128, k.poly, k.reflected);
    SetFold(k.by512, 512, k.poly, k.reflected);
    SetFold(k.by1024, 1024, k.poly, k.reflected);
    SetFold(k.by2048, 2048, k.poly, k.reflected);
    for (int i = 0; i < 16; ++i) k.order[i] = static_cast<unsigned char>(k.reflected ? i : 15 - i);
    k.x128 = PowerOfXMod(128, k.poly);
    k.mu = BarrettQuotient(k.poly);
    return k;
}

// The kernels take at least one whole block, whatever the head.
static_assert(CrcFold::kFoldFrom >= 63 + kCrcVpclmulBlock && CrcFold::kFoldFrom >= 63 + kCrcPclmulBlock);

CrcFold::CrcFold(const CrcParams& params, CrcPath path) : k_(MakeCrcFoldConstants(params)), path_(path) {}

std::uint64_t CrcFold::Update(const CrcTable64& tables, std::uint64_t word, const unsigned char* p,
                              std::size_t size) const {
#if defined(__i386__) || defined(__x86_64__)
    if (size >= kFoldFrom) {
        // Up to the next 64-byte boundary: no load of the fold then straddles
        // two cache lines.
        const std::size_t head = (0 - reinterpret_cast<std::uintptr_t>(p)) % 64;
        word = tables.Update(word, p, head);
        p += head;
        size -= head;
        const std::size_t block = path_ == CrcPath::kVpclmul512 ? kCrcVpclmulBlock : kCrcPclmulBlock;
        const std::size_t blocks = size / block;
#if defined(__x86_64__)
        if (path_ == CrcPath::kVpclmul512) {
            word = CrcFoldVpclmul512(k_, word, p, blocks);
        } else
#endif
        {
            word = CrcFoldPclmul(k_, word, p, blocks);
        }
        p += blocks * block;
        size -= blocks * block;
    }
#endif
    return tables.Update(word, p, size);
}
