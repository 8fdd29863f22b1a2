#include "workbench/frames/gf2_poly.h"

#include <algorithm>
#include <utility>

#include "workbench/frames/gf2_jump.h"

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

bool Gf2Poly::Coefficient(int power) const {
    const std::size_t word = static_cast<std::size_t>(power) / 64;
    return word < words_.size() && (words_[word] >> (power % 64) & 1u) != 0;
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

void Gf2Poly::MultiplyByXPower(int n) {
    if (words_.empty() || n == 0) return;
    const std::size_t word_shift = static_cast<std::size_t>(n) / 64;
    const int bit_shift = n % 64;
    if (bit_shift != 0) words_.push_back(0);
    for (std::size_t i = words_.size(); i-- > 0;) {
        std::uint64_t word = words_[i] << bit_shift;
        if (bit_shift != 0 && i > 0) word |= words_[i - 1] >> (64 - bit_shift);
        words_[i] = word;
    }
    words_.insert(words_.begin(), word_shift, 0);
    Trim();
}

void Gf2Poly::KeepBelow(int degree) {
    const std::size_t words = (static_cast<std::size_t>(degree) + 63) / 64;
    if (words < words_.size()) words_.resize(words);
    if (degree % 64 != 0 && !words_.empty() && words_.size() == words) {
        words_.back() &= ~std::uint64_t{0} >> (64 - degree % 64);
    }
    Trim();
}

Gf2Poly& Gf2Poly::operator+=(const Gf2Poly& other) {
    if (other.words_.size() > words_.size()) words_.resize(other.words_.size(), 0);
    for (std::size_t i = 0; i < other.words_.size(); ++i) words_[i] ^= other.words_[i];
    Trim();
    return *this;
}

void Gf2Poly::DivideByBinomial(int n) {
    // As power series 1 / (1 + x^n) = (1 + x^n)(1 + x^2n)(1 + x^4n)...; the
    // quotient, of lower degree than this, is the product cut below it.
    const int degree = Degree();
    for (long long shift = n; shift <= degree; shift *= 2) {
        Gf2Poly shifted = *this;
        shifted.MultiplyByXPower(static_cast<int>(shift));
        shifted.KeepBelow(degree + 1);
        *this += shifted;
    }
    KeepBelow(degree - n + 1);
}

namespace {

// Bernstein and Yang's division steps on the low words of f (odd) and g:
// each step either adds f to g or swaps them and adds, so that g's lowest
// term cancels, then divides g by x; delta tracks which of the two is the
// longer. 64 steps: the low words decide each of them, and the matrix that
// takes f and g, times x^64, to the results has entries up to x^64.
Gf2Jump DivisionSteps(std::int64_t& delta, std::uint64_t f, std::uint64_t g) {
    Gf2Jump m;
    for (int step = 0; step < 64;) {
        // An even g is only divided by x, whatever delta: its run of zeros
        // in one go.
        const int zeros = g == 0 ? 64 - step : std::min(__builtin_ctzll(g), 64 - step);
        if (zeros > 0) {
            delta += zeros;
            g = zeros == 64 ? 0 : g >> zeros;  // a whole word of zeros: g was 0
            // The x^64 terms only arise on the last step.
            m.u_x64 = zeros == 64 ? m.u & 1u : (m.u >> (64 - zeros)) & 1u;
            m.v_x64 = zeros == 64 ? m.v & 1u : (m.v >> (64 - zeros)) & 1u;
            m.u = zeros == 64 ? 0 : m.u << zeros;
            m.v = zeros == 64 ? 0 : m.v << zeros;
            step += zeros;
            continue;
        }
        if (delta > 0) {
            // Swap, so that the longer one is replaced.
            delta = -delta;
            std::swap(f, g);
            std::swap(m.u, m.q);
            std::swap(m.v, m.r);
        }
        delta += 1;
        g = (g ^ f) >> 1;
        m.q ^= m.u;
        m.r ^= m.v;
        m.u_x64 = m.u >> 63;
        m.v_x64 = m.v >> 63;
        m.u <<= 1;
        m.v <<= 1;
        ++step;
    }
    return m;
}

}  // namespace

Gf2Poly EuclidGcd(Gf2Poly a, Gf2Poly b) {
    while (!b.IsZero()) {
        a.Reduce(b);
        std::swap(a, b);
    }
    return a;
}

Gf2Poly Gcd(Gf2Poly a, Gf2Poly b) {
    if (!Gf2JumpAvailable()) return EuclidGcd(std::move(a), std::move(b));
    if (a.IsZero()) return b;
    if (b.IsZero()) return a;
    // The powers of x apart, both are odd, and x^min divides the GCD.
    const int common_power = std::min(a.LowestTerm(), b.LowestTerm());
    a.DivideByXPower(a.LowestTerm());
    b.DivideByXPower(b.LowestTerm());
    if (a.Degree() < b.Degree()) std::swap(a, b);
    // A much shorter b: one reduction leaves two short ones, cheaper than
    // jumps over a's length.
    if (b.words_.size() * 16 < a.words_.size()) {
        a.Reduce(b);
        std::swap(a, b);
        if (b.IsZero()) {
            a.MultiplyByXPower(common_power);
            return a;
        }
        b.DivideByXPower(b.LowestTerm());
        if (a.Degree() < b.Degree()) std::swap(a, b);
    }
    if (a.Degree() == b.Degree()) {
        b.words_.resize(a.words_.size());
        for (std::size_t i = 0; i < a.words_.size(); ++i) b.words_[i] ^= a.words_[i];
        b.Trim();
    }
    // With f odd of degree d and g of lower degree, 2d - 1 division steps
    // leave g zero and f the GCD (Bernstein and Yang, "Fast constant-time
    // gcd computation and modular inversion", 2019): a step keeps the GCD,
    // as f stays odd and only g is divided by x. The steps go in jumps
    // decided by the low words alone, each applied to the whole
    // polynomials by carry-less multiplication: time with the square of
    // the length in words, not in bits.
    std::vector<std::uint64_t> f = std::move(a.words_), g = std::move(b.words_);
    g.resize(f.size());
    std::vector<std::uint64_t> f_next(f.size()), g_next(f.size());
    std::int64_t delta = 1;
    const auto is_zero = [](const std::vector<std::uint64_t>& words) {
        for (const std::uint64_t word : words) {
            if (word != 0) return false;
        }
        return true;
    };
    while (!is_zero(g)) {
        const Gf2Jump jump = DivisionSteps(delta, f[0], g[0]);
        f_next.resize(f.size());
        g_next.resize(f.size());
        Gf2ApplyJump(jump, f.data(), g.data(), f.size(), f_next.data(), g_next.data());
        f.swap(f_next);
        g.swap(g_next);
        // Both shrink: drop the top words that are zero in both.
        std::size_t size = f.size();
        while (size > 1 && f[size - 1] == 0 && g[size - 1] == 0) --size;
        f.resize(size);
        g.resize(size);
    }
    Gf2Poly gcd;
    gcd.words_ = std::move(f);
    gcd.Trim();
    gcd.MultiplyByXPower(common_power);
    return gcd;
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
