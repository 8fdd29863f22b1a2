// The GCD of long polynomials and the word arithmetic beneath it, against
// the test's own polynomials of one bool per coefficient: products by
// shift and add, remainders and Euclid's algorithm a bit at a time.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "workbench/frames/gf2_jump.h"
#include "workbench/frames/gf2_poly.h"

namespace {

// Coefficient i at [i]; no trailing false.
using Bits = std::vector<bool>;

void Trim(Bits& a) {
    while (!a.empty() && !a.back()) a.pop_back();
}

Bits Random(std::mt19937_64& random, int degree) {
    Bits a(static_cast<std::size_t>(degree) + 1);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = (random() & 1u) != 0;
    a.back() = true;
    return a;
}

Bits Product(const Bits& a, const Bits& b) {
    if (a.empty() || b.empty()) return {};
    Bits p(a.size() + b.size() - 1);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!a[i]) continue;
        for (std::size_t j = 0; j < b.size(); ++j) p[i + j] = p[i + j] != b[j];
    }
    Trim(p);
    return p;
}

Bits Remainder(Bits a, const Bits& b) {
    while (a.size() >= b.size()) {
        const std::size_t shift = a.size() - b.size();
        for (std::size_t j = 0; j < b.size(); ++j) a[shift + j] = a[shift + j] != b[j];
        Trim(a);
    }
    return a;
}

Bits Euclid(Bits a, Bits b) {
    while (!b.empty()) {
        a = Remainder(a, b);
        std::swap(a, b);
    }
    return a;
}

// Through bytes, top coefficient first, the way frames become polynomials.
Gf2Poly ToPoly(const Bits& a) {
    const std::size_t tail_bits = a.size() % 8;
    std::vector<unsigned char> bytes(a.size() / 8);
    std::uint64_t tail = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!a[i]) continue;
        if (i < tail_bits) {
            tail |= std::uint64_t{1} << i;
        } else {
            const std::size_t from_top = a.size() - 1 - i;
            bytes[from_top / 8] |= static_cast<unsigned char>(0x80u >> (from_top % 8));
        }
    }
    return Gf2Poly::FromBits(bytes.data(), bytes.size(), false, tail, static_cast<int>(tail_bits));
}

Bits ToBits(const Gf2Poly& p) {
    Bits a(static_cast<std::size_t>(p.Degree() + 1));
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = p.Coefficient(static_cast<int>(i));
    return a;
}

Bits XPower(int n) {
    Bits a(static_cast<std::size_t>(n) + 1);
    a.back() = true;
    return a;
}

TEST(Gf2Gcd, AgreesWithEuclidOnLongPolynomials) {
    std::mt19937_64 random(41);
    // Degrees about the word boundaries and well past them; common factors
    // of every size, the shorter one much shorter (the remainder taken
    // first), equal degrees, and powers of x in one or both.
    const int degrees[] = {1, 2, 63, 64, 65, 127, 128, 129, 200, 700, 1500, 3000};
    for (int round = 0; round < 120; ++round) {
        const Bits common = Random(random, 1 + static_cast<int>(random() % 80));
        const int da = degrees[random() % std::size(degrees)];
        const int db = round % 5 == 0 ? da : degrees[random() % std::size(degrees)];
        Bits a = Product(Random(random, da), common);
        Bits b = Product(Random(random, db), common);
        if (round % 7 == 0) a = Product(a, XPower(static_cast<int>(random() % 70)));
        if (round % 3 == 0) b = Product(b, XPower(static_cast<int>(random() % 70)));
        const Bits expected = Euclid(a, b);
        EXPECT_EQ(ToBits(Gcd(ToPoly(a), ToPoly(b))), expected)
            << "round " << round << ": degrees " << a.size() - 1 << ", " << b.size() - 1;
        EXPECT_EQ(ToBits(EuclidGcd(ToPoly(a), ToPoly(b))), expected) << "round " << round;
    }
}

// Binomials and other sparse polynomials: their division steps meet whole
// words of zeros, which are skipped in one go.
TEST(Gf2Gcd, AgreesWithEuclidOnSparsePolynomials) {
    const auto binomial = [](int n) {
        Bits a = XPower(n);
        a[0] = true;
        return a;
    };
    const std::pair<int, int> pairs[] = {{500, 300}, {64, 128}, {1000, 64}, {129, 65}, {4096, 1536}};
    for (const auto& [m, n] : pairs) {
        const Bits a = binomial(m), b = binomial(n);
        EXPECT_EQ(ToBits(Gcd(ToPoly(a), ToPoly(b))), Euclid(a, b)) << m << ", " << n;
        const Bits c = Product(a, Bits{true, true, false, true});  // times 1 + x + x^3
        const Bits d = Product(b, XPower(70));
        EXPECT_EQ(ToBits(Gcd(ToPoly(c), ToPoly(d))), Euclid(c, d)) << m << ", " << n << " with factors";
    }
}

TEST(Gf2Gcd, HandlesZeroOneAndEqualPolynomials) {
    std::mt19937_64 random(42);
    const Bits a = Random(random, 300);
    EXPECT_EQ(ToBits(EuclidGcd(ToPoly(a), Gf2Poly())), a);
    EXPECT_EQ(ToBits(Gcd(ToPoly(a), Gf2Poly())), a);
    EXPECT_EQ(ToBits(Gcd(Gf2Poly(), ToPoly(a))), a);
    EXPECT_EQ(ToBits(Gcd(ToPoly(a), ToPoly(a))), a);
    EXPECT_EQ(ToBits(Gcd(ToPoly(a), ToPoly(Bits{true}))), Bits{true});
    EXPECT_EQ(ToBits(Gcd(ToPoly(XPower(200)), ToPoly(XPower(90)))), XPower(90));
}

TEST(Gf2Poly, ShiftsCutsAddsAndDividesByBinomials) {
    std::mt19937_64 random(43);
    for (int round = 0; round < 60; ++round) {
        const Bits a = Random(random, 1 + static_cast<int>(random() % 500));
        const int n = 1 + static_cast<int>(random() % 200);

        Gf2Poly shifted = ToPoly(a);
        shifted.MultiplyByXPower(n);
        EXPECT_EQ(ToBits(shifted), Product(a, XPower(n)));

        Gf2Poly cut = ToPoly(a);
        cut.KeepBelow(n);
        Bits low(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(a.size(), n)));
        Trim(low);
        EXPECT_EQ(ToBits(cut), low);

        const Bits b = Random(random, 1 + static_cast<int>(random() % 500));
        Gf2Poly sum = ToPoly(a);
        sum += ToPoly(b);
        Bits expected(std::max(a.size(), b.size()));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            expected[i] = (i < a.size() && a[i]) != (i < b.size() && b[i]);
        }
        Trim(expected);
        EXPECT_EQ(ToBits(sum), expected);

        Bits binomial = XPower(n);
        binomial[0] = true;
        Gf2Poly multiple = ToPoly(Product(a, binomial));
        multiple.DivideByBinomial(n);
        EXPECT_EQ(ToBits(multiple), a) << "n " << n;
    }
}

// The jump kernels against products by shift and add: the sum's words from
// the second on, whatever the lowest word holds.
TEST(Gf2Jump, GivesTheProductsWordsAboveTheFirst) {
    if (!Gf2JumpAvailable()) GTEST_SKIP() << "no carry-less multiplication on this processor";
    std::mt19937_64 random(44);
    for (int round = 0; round < 200; ++round) {
        const std::size_t size = 1 + random() % 21;
        std::vector<std::uint64_t> f(size), g(size);
        for (std::size_t i = 0; i < size; ++i) {
            f[i] = random();
            g[i] = random();
        }
        Gf2Jump jump{random(), random(), random() >> 1, random() >> 1, random() & 1u, random() & 1u};
        const auto words_to_bits = [](const std::vector<std::uint64_t>& words) {
            Bits a(64 * words.size());
            for (std::size_t i = 0; i < a.size(); ++i) a[i] = (words[i / 64] >> (i % 64) & 1u) != 0;
            Trim(a);
            return a;
        };
        const auto entry = [](std::uint64_t low, std::uint64_t x64) {
            Bits a(65);
            for (std::size_t i = 0; i < 64; ++i) a[i] = (low >> i & 1u) != 0;
            a[64] = x64 != 0;
            Trim(a);
            return a;
        };
        const auto row = [&](const Bits& left, const Bits& right) {
            const Bits p = Product(left, words_to_bits(f)), q = Product(right, words_to_bits(g));
            Bits sum(std::max(p.size(), q.size()));
            for (std::size_t i = 0; i < sum.size(); ++i) sum[i] = (i < p.size() && p[i]) != (i < q.size() && q[i]);
            Bits above(sum.size() > 64 ? sum.begin() + 64 : sum.end(), sum.end());
            Trim(above);
            return above;
        };
        const Bits f_expected = row(entry(jump.u, jump.u_x64), entry(jump.v, jump.v_x64));
        const Bits g_expected = row(entry(jump.q, 0), entry(jump.r, 0));
        std::vector<std::uint64_t> f_out(size), g_out(size);
        Gf2ApplyJump(jump, f.data(), g.data(), size, f_out.data(), g_out.data());
        EXPECT_EQ(words_to_bits(f_out), f_expected) << "size " << size;
        EXPECT_EQ(words_to_bits(g_out), g_expected) << "size " << size;
    }
}

}  // namespace
