// Polynomials over GF(2), as finding a CRC's parameters needs them: one of
// any degree held in 64-bit words, with remainder and GCD by shifts and XORs
// alone; small ones (degree below 128) in a Uint128, with division, product
// and their small irreducible factors; and the residues modulo a CRC's
// polynomial, each a word as its register holds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "workbench/crc/uint128.h"

// Bit i of the words is the coefficient of x^i; the top word is never zero.
class Gf2Poly {
public:
    Gf2Poly() = default;
    explicit Gf2Poly(Uint128 value);

    // The polynomial whose coefficients, from the highest power down, are the
    // bits of `bytes` (each byte's top bit first, or its lowest first when
    // `reflect_bytes`) and then the low `tail_bits` bits of `tail` (its top
    // bit first): a message followed by a check, as a CRC divides it.
    static Gf2Poly FromBits(const unsigned char* bytes, std::size_t size, bool reflect_bytes, std::uint64_t tail,
                            int tail_bits);

    // -1 for the zero polynomial.
    int Degree() const;
    bool IsZero() const { return words_.empty(); }
    // The highest power of x that divides it; 0 for zero.
    int LowestTerm() const;
    bool Coefficient(int power) const;
    // Only for a degree below 128.
    Uint128 ToUint128() const;

    // Divides by x^n, dropping the terms below it.
    void DivideByXPower(int n);
    void MultiplyByXPower(int n);
    // Drops the terms of degree `degree` and above.
    void KeepBelow(int degree);
    Gf2Poly& operator+=(const Gf2Poly& other);
    // Divides by 1 + x^n, which must divide it (n > 0).
    void DivideByBinomial(int n);
    // Replaces it by its remainder modulo the nonzero `divisor`.
    void Reduce(const Gf2Poly& divisor);

    friend bool operator==(const Gf2Poly& a, const Gf2Poly& b) { return a.words_ == b.words_; }
    friend Gf2Poly Gcd(Gf2Poly a, Gf2Poly b);
    friend Gf2Poly EuclidGcd(Gf2Poly a, Gf2Poly b);

private:
    void Trim();
    std::vector<std::uint64_t> words_;
};

// The GCD of zero and b is b. Time grows with the square of the longer
// one's length in 64-bit words.
Gf2Poly Gcd(Gf2Poly a, Gf2Poly b);
// Euclid's algorithm by shifts and XORs, which Gcd falls back on where the
// processor does not multiply without carries: time with the square of
// the length in bits, over 64.
Gf2Poly EuclidGcd(Gf2Poly a, Gf2Poly b);

// Degree below 128; -1 for zero.
int Gf2Degree(Uint128 a);
// a = quotient * divisor + remainder, deg remainder < deg divisor; the
// divisor is nonzero.
Uint128 Gf2Divide(Uint128 a, Uint128 divisor, Uint128* remainder);
// The product; the degrees add up to less than 128.
Uint128 Gf2Multiply(Uint128 a, Uint128 b);
// The irreducible factors of `f` (nonzero, degree below 127) of degree 1 to
// `max_degree`, each as often as it divides f, lowest degree first.
std::vector<Uint128> Gf2SmallFactors(Uint128 f, int max_degree);

// The residues modulo P = x^width + poly for widths 1 to 64: words of
// `width` bits, the coefficient of x^(width-1) at the top, as a CRC register
// that is not reflected holds them.
class Gf2Residues {
public:
    Gf2Residues(int width, std::uint64_t poly);

    std::uint64_t TimesX(std::uint64_t a) const;
    std::uint64_t Multiply(std::uint64_t a, std::uint64_t b) const;
    // x^n mod P.
    std::uint64_t XPower(std::uint64_t n) const;
    // (reg x^(8 size) + B x^width) mod P, B the bytes' bits top bit first
    // (bit-reversed bytes first when `reflect_bytes`): the register of a
    // CRC after the bytes, before any reflection or final XOR.
    std::uint64_t ShiftIn(std::uint64_t reg, const unsigned char* bytes, std::size_t size, bool reflect_bytes) const;

private:
    int width_;
    std::uint64_t poly_;
    std::uint64_t top_;  // x^(width-1)
};
