#include "workbench/frames/gf2_poly.h"

#include <utility>

namespace {

int TopBit(std::uint64_t word) { return 63 - __builtin_clzll(word); }

unsigned char ReverseByte(unsigned char b) {
    unsigned v = b;
    v = (v & 0xF0u) >> 4 | (v & 0x0Fu) << 4;
    v = (v & 0xCCu) >> 2 | (v & 0x33u) << 2;
    v = (v & 0xAAu) >> 1 | (v & 0x55u) << 1;
    return static_cast<unsigned char>(v);
}

}  // namespace

Gf2Poly::Gf2Poly(Uint128 value) : words_{value.low, value.high} { Trim(); }

Gf2Poly Gf2Poly::FromBits(const unsigned char* bytes, std::size_t size, bool reflect_bytes, std::uint64_t tail,
                          int tail_bits) {
    Gf2Poly p;
    const std::size_t bits = 8 * size + static_cast<std::size_t>(tail_bits);
    p.words_.assign((bits + 63) / 64, 0);
    if (tail_bits > 0) p.words_[0] = tail & (~std::uint64_t{0} >> (64 - tail_bits));
    // The last byte sits just above the tail, the first at the top.
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t at = static_cast<std::size_t>(tail_bits) + 8 * (size - 1 - i);
        const std::uint64_t byte = reflect_bytes ? ReverseByte(bytes[i]) : bytes[i];
        p.words_[at / 64] |= byte << (at % 64);
        if (at % 64 > 56) p.words_[at / 64 + 1] |= byte >> (64 - at % 64);
    }
    p.Trim();
    return p;
}

int Gf2Poly::Degree() const {
    if (words_.empty()) return -1;
    return static_cast<int>(64 * (words_.size() - 1)) + TopBit(words_.back());
}

int Gf2Poly::LowestTerm() const {
    for (std::size_t i = 0; i < words_.size(); ++i) {
        if (words_[i] != 0) return static_cast<int>(64 * i) + __builtin_ctzll(words_[i]);
    }
    return 0;
}

Uint128 Gf2Poly::ToUint128() const {
    return {words_.size() > 1 ? words_[1] : 0, words_.empty() ? 0 : words_[0]};
}

void Gf2Poly::DivideByXPower(int n) {
    const std::size_t word_shift = static_cast<std::size_t>(n) / 64;
    const int bit_shift = n % 64;
    if (word_shift >= words_.size()) {
        words_.clear();
        return;
    }
    words_.erase(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(word_shift));
    if (bit_shift != 0) {
        for (std::size_t i = 0; i < words_.size(); ++i) {
            words_[i] >>= bit_shift;
            if (i + 1 < words_.size()) words_[i] |= words_[i + 1] << (64 - bit_shift);
        }
    }
    Trim();
}

void Gf2Poly::Reduce(const Gf2Poly& divisor) {
    // Adds the divisor shifted up to this polynomial's degree, which cancels
    // its top term; the shifted divisor never reaches above the top word.
    const int divisor_degree = divisor.Degree();
    const std::uint64_t* from = divisor.words_.data();
    const std::size_t count = divisor.words_.size();
    for (int degree = Degree(); degree >= divisor_degree; degree = Degree()) {
        const int shift = degree - divisor_degree;
        const int bit_shift = shift % 64;
        std::uint64_t* to = words_.data() + shift / 64;
        if (bit_shift == 0) {
            for (std::size_t i = 0; i < count; ++i) to[i] ^= from[i];
        } else {
            to[0] ^= from[0] << bit_shift;
            for (std::size_t i = 1; i < count; ++i) to[i] ^= from[i] << bit_shift | from[i - 1] >> (64 - bit_shift);
            // The top word's spill, when there is one, lands in this top word.
            if (to + count < words_.data() + words_.size()) to[count] ^= from[count - 1] >> (64 - bit_shift);
        }
        Trim();
    }
}

void Gf2Poly::Trim() {
    while (!words_.empty() && words_.back() == 0) words_.pop_back();
}

Gf2Poly Gcd(Gf2Poly a, Gf2Poly b) {
    while (!b.IsZero()) {
        a.Reduce(b);
        std::swap(a, b);
    }
    return a;
}

int Gf2Degree(Uint128 a) {
    if (a.high != 0) return 64 + TopBit(a.high);
    return a.low != 0 ? TopBit(a.low) : -1;
}

Uint128 Gf2Divide(Uint128 a, Uint128 divisor, Uint128* remainder) {
    const int divisor_degree = Gf2Degree(divisor);
    Uint128 quotient;
    for (int degree = Gf2Degree(a); degree >= divisor_degree; degree = Gf2Degree(a)) {
        a ^= divisor << (degree - divisor_degree);
        quotient |= Uint128{1} << (degree - divisor_degree);
    }
    *remainder = a;
    return quotient;
}

Uint128 Gf2Multiply(Uint128 a, Uint128 b) {
    Uint128 product;
    for (int bit = Gf2Degree(b); bit >= 0; --bit) {
        product <<= 1;
        if (b.Bit(bit)) product ^= a;
    }
    return product;
}

namespace {

Uint128 Remainder(Uint128 a, Uint128 divisor) {
    Uint128 remainder;
    Gf2Divide(a, divisor, &remainder);
    return remainder;
}

Uint128 SmallGcd(Uint128 a, Uint128 b) {
    while (!b.IsZero()) a = std::exchange(b, Remainder(a, b));
    return a;
}

// a b mod f, for a and b of lower degree than f.
Uint128 MultiplyModulo(Uint128 a, Uint128 b, Uint128 f) {
    const int degree = Gf2Degree(f);
    Uint128 product;
    for (int bit = Gf2Degree(b); bit >= 0; --bit) {
        product <<= 1;
        if (product.Bit(degree)) product ^= f;
        if (b.Bit(bit)) product ^= a;
    }
    return product;
}

// Vigna's SplitMix64: a fixed sequence, for the same factors on every run.
std::uint64_t SplitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

// Splits `g`, a product of distinct irreducibles of degree `degree`, into
// them (Cantor and Zassenhaus in characteristic 2): for a random a, the
// trace a + a^2 + ... + a^(2^(degree-1)) mod g is 0 or 1 modulo each factor,
// each with even chance, so its GCD with g splits g half the time.
void SplitEqualDegree(Uint128 g, int degree, std::uint64_t& seed, std::vector<Uint128>& factors) {
    const int g_degree = Gf2Degree(g);
    if (g_degree == degree) {
        factors.push_back(g);
        return;
    }
    for (;;) {
        const Uint128 a = Remainder(Uint128{SplitMix64(seed), SplitMix64(seed)}, g);
        Uint128 trace = a;
        Uint128 power = a;
        for (int i = 1; i < degree; ++i) {
            power = MultiplyModulo(power, power, g);
            trace ^= power;
        }
        const Uint128 part = SmallGcd(g, trace);
        const int part_degree = Gf2Degree(part);
        if (part_degree > 0 && part_degree < g_degree) {
            SplitEqualDegree(part, degree, seed, factors);
            Uint128 unused;
            SplitEqualDegree(Gf2Divide(g, part, &unused), degree, seed, factors);
            return;
        }
    }
}

}  // namespace

std::vector<Uint128> Gf2SmallFactors(Uint128 f, int max_degree) {
    // Distinct-degree factorization: x^(2^d) - x is the product of every
    // irreducible of a degree dividing d, so once the factors of lower
    // degree are divided out, its GCD with f is the product of f's distinct
    // factors of degree d.
    std::vector<Uint128> factors;
    std::uint64_t seed = 0;
    const Uint128 x{2};
    Uint128 power = Remainder(x, f);  // x^(2^d) mod f
    for (int d = 1; d <= max_degree && d <= Gf2Degree(f); ++d) {
        power = MultiplyModulo(power, power, f);
        const Uint128 product = SmallGcd(f, power ^ Remainder(x, f));
        if (Gf2Degree(product) <= 0) continue;
        std::vector<Uint128> found;
        SplitEqualDegree(product, d, seed, found);
        for (const Uint128 factor : found) {
            Uint128 remainder;
            Uint128 quotient = Gf2Divide(f, factor, &remainder);
            while (remainder.IsZero()) {
                f = quotient;
                factors.push_back(factor);
                quotient = Gf2Divide(f, factor, &remainder);
            }
        }
        power = Remainder(power, f);
    }
    return factors;
}

Gf2Residues::Gf2Residues(int width, std::uint64_t poly)
    : width_(width), poly_(poly), top_(std::uint64_t{1} << (width - 1)) {}

std::uint64_t Gf2Residues::TimesX(std::uint64_t a) const {
    const bool carry = (a & top_) != 0;
    a = (a << 1) & (top_ | (top_ - 1));
    return carry ? a ^ poly_ : a;
}

std::uint64_t Gf2Residues::Multiply(std::uint64_t a, std::uint64_t b) const {
    std::uint64_t product = 0;
    for (int bit = width_ - 1; bit >= 0; --bit) {
        product = TimesX(product);
        if ((b >> bit & 1u) != 0) product ^= a;
    }
    return product;
}

std::uint64_t Gf2Residues::XPower(std::uint64_t n) const {
    std::uint64_t power = 1;
    for (std::uint64_t square = TimesX(1); n != 0; n >>= 1, square = Multiply(square, square)) {
        if ((n & 1u) != 0) power = Multiply(power, square);
    }
    return power;
}

std::uint64_t Gf2Residues::ShiftIn(std::uint64_t reg, const unsigned char* bytes, std::size_t size,
                                   bool reflect_bytes) const {
    const std::uint64_t mask = top_ | (top_ - 1);
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned byte = reflect_bytes ? ReverseByte(bytes[i]) : bytes[i];
        for (int bit = 7; bit >= 0; --bit) {
            const bool leaving = (reg & top_) != 0;
            reg = (reg << 1) & mask;
            if (leaving != ((byte >> bit & 1u) != 0)) reg ^= poly_;
        }
    }
    return reg;
}
