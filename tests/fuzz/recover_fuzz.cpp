// Recovery of a CRC's parameters from codewords, and the GF(2) algebra it
// rests on, against naive models: a bit-at-a-time CRC, polynomials as
// bitsets divided one term at a time, trial division, and systems of
// equations solved by trying every assignment.
//
// Input: byte 0 picks the part; bytes 1-8 seed a generator of the random
// bits (messages, polynomials); the next bytes shape the part:
//   0, 1  RecoverCrc: a width (one of kRecoveryWidths, or 1-64), refin and
//         refout, poly (lowest bit set), init and xorout from the generator;
//         2-5 messages of one length and 1-3 of others, all at most 64 bytes.
//         Every model returned reproduces every given check by the bit-at-a-
//         time CRC; when recovery says it decided, the true parameters are
//         among the models, and a model gives the true CRC on fresh messages.
//   2     Gcd, Reduce, Degree, LowestTerm, DivideByXPower and ToUint128 of
//         Gf2Poly: random polynomials of up to 2048 bits, or P*A and P*B with
//         a common factor P of up to 1024 bits, against Euclid on bitsets;
//         the GCD also divides both.
//   3     Gf2SmallFactors: a product of small random polynomials of degree
//         below 127; the factors have degrees 1 to max_degree (1-10), lowest
//         first, none with a divisor of lower degree, and their product times
//         a cofactor no polynomial of those degrees divides is the input.
//   4     Gf2LinearSystem of 1-12 unknowns and up to 20 random equations:
//         consistency, the count of free unknowns, the solution and the null
//         basis against a count of every assignment.
// Only the public interface is used, so that any implementation of the GCD
// is judged alike.
#include <algorithm>
#include <bitset>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "workbench/crc/model_text.h"
#include "workbench/frames/gf2_linear.h"
#include "workbench/frames/gf2_poly.h"
#include "workbench/frames/frame_search.h"
#include "workbench/frames/recover.h"
#include "fuzz_check.h"
#include "reference_check.h"

namespace {

// splitmix64: random bits from the input's seed.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    unsigned char Byte() { return static_cast<unsigned char>(Next() >> 56); }

private:
    std::uint64_t state_;
};

std::string Params(const CrcParams& p) {
    return "width=" + std::to_string(p.width) + " poly=" + CrcHexDigits(p.poly, p.width, false) +
           " init=" + CrcHexDigits(p.init, p.width, false) + " refin=" + (p.refin ? "1" : "0") +
           " refout=" + (p.refout ? "1" : "0") + " xorout=" + CrcHexDigits(p.xorout, p.width, false);
}

std::uint64_t ReferenceValue(const CrcParams& params, const std::vector<unsigned char>& message) {
    return fuzz::WordOfBits(fuzz::ReferenceOf(params).Compute(std::string(message.begin(), message.end()))).low;
}

std::vector<unsigned char> Message(Random& random, std::size_t length) {
    std::vector<unsigned char> message(length);
    for (unsigned char& b : message) b = random.Byte();
    return message;
}

void CheckRecovery(fuzz::Input& input, Random& random, bool usual_width) {
    const unsigned char w = input.Byte(), shape = input.Byte(), lengths = input.Byte();
    const int width = usual_width ? kRecoveryWidths[w % std::size(kRecoveryWidths)] : 1 + w % 64;
    const std::uint64_t mask = width == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
    CrcParams truth;
    truth.width = width;
    truth.poly = Uint128{(random.Next() | 1u) & mask};
    truth.init = Uint128{random.Next() & mask};
    truth.xorout = Uint128{random.Next() & mask};
    truth.refin = (shape & 1u) != 0;
    truth.refout = (shape & 2u) != 0;
    // Init and xorout of all zeros or all ones, as protocols mostly have them.
    if ((shape & 4u) != 0) truth.init = (shape & 8u) != 0 ? Uint128{mask} : Uint128{};
    if ((shape & 16u) != 0) truth.xorout = (shape & 32u) != 0 ? Uint128{mask} : Uint128{};

    std::vector<CrcSample> samples;
    const std::size_t equal = 2 + (shape >> 6), length = 1 + lengths % 64;
    for (std::size_t i = 0; i < equal; ++i) samples.push_back({Message(random, length), 0});
    const std::size_t others = 1 + (lengths >> 6) % 3;
    for (std::size_t i = 0; i < others; ++i) {
        const std::size_t other = 1 + (length + 1 + input.Byte() % 63) % 64;
        samples.push_back({Message(random, other), 0});
    }
    for (CrcSample& sample : samples) sample.check = ReferenceValue(truth, sample.message);

    const CrcRecovery recovery = RecoverCrc(samples, width);
    for (const CrcParams& model : recovery.models) {
        std::string unsound;
        FUZZ_CHECK(model.width == width && CheckCrcParams(model, unsound), "truth %s: model %s is unsound",
                   Params(truth).c_str(), Params(model).c_str());
        for (const CrcSample& sample : samples) {
            FUZZ_CHECK(ReferenceValue(model, sample.message) == sample.check,
                       "truth %s: model %s misses the check of a %zu-byte message", Params(truth).c_str(),
                       Params(model).c_str(), sample.message.size());
        }
    }
    if (!recovery.decided) {
        FUZZ_CHECK(!recovery.need.empty(), "truth %s: undecided without saying what it needs", Params(truth).c_str());
        return;
    }
    FUZZ_CHECK(std::find(recovery.models.begin(), recovery.models.end(), truth) != recovery.models.end(),
               "truth %s: decided on %zu models without it", Params(truth).c_str(), recovery.models.size());
    std::vector<std::vector<unsigned char>> fresh;
    for (int i = 0; i < 6; ++i) fresh.push_back(Message(random, random.Next() % 80));
    const bool any_same = std::any_of(recovery.models.begin(), recovery.models.end(), [&](const CrcParams& model) {
        return std::all_of(fresh.begin(), fresh.end(), [&](const std::vector<unsigned char>& message) {
            return ReferenceValue(model, message) == ReferenceValue(truth, message);
        });
    });
    FUZZ_CHECK(any_same, "truth %s: no model gives its CRC on fresh messages", Params(truth).c_str());
}

// ---- Polynomials as bitsets ------------------------------------------------

constexpr int kMaxBits = 4096;
using Bits = std::bitset<kMaxBits>;

struct Naive {
    Bits bits;
    int degree = -1;  // -1 for zero

    void Fix(int from) {
        degree = from;
        while (degree >= 0 && !bits[static_cast<std::size_t>(degree)]) --degree;
    }
};

Naive RandomPoly(Random& random, int most_bits) {
    Naive p;
    const int count = static_cast<int>(random.Next() % static_cast<std::uint64_t>(most_bits + 1));
    for (int i = 0; i < count; ++i) p.bits[static_cast<std::size_t>(i)] = (random.Next() & 1u) != 0;
    p.Fix(count - 1);
    return p;
}

// a mod b, b nonzero: the top term cancelled one at a time.
Naive NaiveMod(Naive a, const Naive& b) {
    while (a.degree >= b.degree) {
        a.bits ^= b.bits << static_cast<std::size_t>(a.degree - b.degree);
        a.Fix(a.degree);
    }
    return a;
}

Naive NaiveGcd(Naive a, Naive b) {
    while (b.degree >= 0) {
        Naive r = NaiveMod(a, b);
        a = b;
        b = r;
    }
    return a;
}

// Schoolbook: a shifted copy for every term of b.
Naive NaiveProduct(const Naive& a, const Naive& b) {
    Naive p;
    if (a.degree < 0 || b.degree < 0) return p;
    for (int i = 0; i <= b.degree; ++i) {
        if (b.bits[static_cast<std::size_t>(i)]) p.bits ^= a.bits << static_cast<std::size_t>(i);
    }
    p.Fix(a.degree + b.degree);
    return p;
}

// The bits from the highest power down, as FromBits takes them: whole bytes
// top bit first, then the last bits in the tail.
Gf2Poly ToGf2(const Naive& p) {
    const int count = p.degree + 1;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count / 8));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (int b = 0; b < 8; ++b) {
            const int power = count - 1 - static_cast<int>(8 * i) - b;
            if (p.bits[static_cast<std::size_t>(power)]) bytes[i] = static_cast<unsigned char>(bytes[i] | 0x80u >> b);
        }
    }
    const int tail_bits = count % 8;
    std::uint64_t tail = 0;
    for (int power = tail_bits - 1; power >= 0; --power) tail = tail << 1 | (p.bits[static_cast<std::size_t>(power)] ? 1u : 0u);
    return Gf2Poly::FromBits(bytes.data(), bytes.size(), false, tail, tail_bits);
}

void CheckPolynomials(fuzz::Input& input, Random& random) {
    const unsigned char shape = input.Byte();
    Naive a, b;
    if ((shape & 1u) != 0) {
        const Naive common = RandomPoly(random, 1024);
        a = NaiveProduct(common, RandomPoly(random, 1500));
        b = NaiveProduct(common, RandomPoly(random, 1500));
    } else {
        a = RandomPoly(random, 2048);
        b = RandomPoly(random, (shape & 2u) != 0 ? 64 : 2048);
    }
    const Gf2Poly ga = ToGf2(a), gb = ToGf2(b);
    FUZZ_CHECK(ga.Degree() == a.degree && gb.Degree() == b.degree, "degrees %d %d, expected %d %d", ga.Degree(),
               gb.Degree(), a.degree, b.degree);
    const int lowest = a.degree < 0 ? 0 : static_cast<int>(a.bits._Find_first());
    FUZZ_CHECK(ga.LowestTerm() == lowest, "lowest term %d, expected %d", ga.LowestTerm(), lowest);

    const Naive expected = NaiveGcd(a, b);
    const Gf2Poly gcd = Gcd(ga, gb);
    FUZZ_CHECK(gcd == ToGf2(expected), "GCD of degree %d, expected degree %d (inputs of degree %d and %d)",
               gcd.Degree(), expected.degree, a.degree, b.degree);
    FUZZ_CHECK(Gcd(gb, ga) == gcd, "the GCD depends on the order of its arguments");
    // The fallback of processors without a carry-less multiply, run here too.
    FUZZ_CHECK(EuclidGcd(ga, gb) == gcd, "Euclid's GCD has degree %d, the GCD %d", EuclidGcd(ga, gb).Degree(),
               gcd.Degree());
    if (!gcd.IsZero()) {
        Gf2Poly ra = ga, rb = gb;
        ra.Reduce(gcd);
        rb.Reduce(gcd);
        FUZZ_CHECK(ra.IsZero() && rb.IsZero(), "the GCD of degree %d does not divide both", gcd.Degree());
    }
    if (b.degree >= 0) {
        Gf2Poly r = ga;
        r.Reduce(gb);
        FUZZ_CHECK(r == ToGf2(NaiveMod(a, b)), "remainder of degree %d, expected %d", r.Degree(),
                   NaiveMod(a, b).degree);
    }
    const int n = shape >> 2;
    Gf2Poly shifted = ga;
    shifted.DivideByXPower(n);
    Naive down;
    down.bits = a.bits >> static_cast<std::size_t>(n);
    down.Fix(kMaxBits - 1);
    FUZZ_CHECK(shifted == ToGf2(down), "divided by x^%d: degree %d, expected %d", n, shifted.Degree(), down.degree);
    if (down.degree < 128) {
        Uint128 value;
        for (int i = 0; i <= down.degree; ++i) {
            if (down.bits[static_cast<std::size_t>(i)]) value |= Uint128{1} << i;
        }
        FUZZ_CHECK(shifted.ToUint128() == value, "ToUint128 differs at degree %d", down.degree);
        FUZZ_CHECK(Gf2Poly(value) == shifted, "Gf2Poly(Uint128) differs at degree %d", down.degree);
    }
}

// ---- Small polynomials in unsigned __int128 ---------------------------------

using U128 = unsigned __int128;

int DegreeOf(U128 a) {
    int d = -1;
    for (int i = 0; i < 128; ++i) {
        if ((a >> i & 1u) != 0) d = i;
    }
    return d;
}

U128 ModOf(U128 a, U128 b) {
    const int db = DegreeOf(b);
    for (int i = DegreeOf(a); i >= db; --i) {
        if ((a >> i & 1u) != 0) a ^= b << (i - db);
    }
    return a;
}

U128 QuotientOf(U128 a, U128 b) {
    const int db = DegreeOf(b);
    U128 q = 0;
    for (int i = DegreeOf(a); i >= db; --i) {
        if ((a >> i & 1u) != 0) {
            a ^= b << (i - db);
            q |= static_cast<U128>(1) << (i - db);
        }
    }
    return q;
}

U128 ProductOf(U128 a, U128 b) {
    U128 p = 0;
    for (int i = 0; i < 128; ++i) {
        if ((b >> i & 1u) != 0) p ^= a << i;
    }
    return p;
}

// Whether some polynomial of degree 1 to `most` divides `f`.
bool HasDivisorUpTo(U128 f, int most) {
    for (U128 g = 2; DegreeOf(g) <= most; ++g) {
        if (ModOf(f, g) == 0) return true;
    }
    return false;
}

U128 ToU128(Uint128 v) { return static_cast<U128>(v.high) << 64 | v.low; }
Uint128 FromU128(U128 v) { return Uint128{static_cast<std::uint64_t>(v >> 64), static_cast<std::uint64_t>(v)}; }

void CheckSmallFactors(fuzz::Input& input, Random& random) {
    const unsigned char shape = input.Byte();
    const int max_degree = 1 + shape % 10;
    U128 f = 1;
    const int parts = 1 + (shape >> 4) % 8;
    for (int i = 0; i < parts; ++i) {
        const int room = 126 - DegreeOf(f);
        if (room <= 0) break;
        const int degree = 1 + static_cast<int>(random.Next() % static_cast<std::uint64_t>(std::min(room, i == 0 ? 40 : 12)));
        const U128 part = static_cast<U128>(1) << degree | (static_cast<U128>(random.Next()) << 64 | random.Next()) %
                                                              (static_cast<U128>(1) << degree);
        f = ProductOf(f, part);
    }
    const std::vector<Uint128> factors = Gf2SmallFactors(FromU128(f), max_degree);
    U128 product = 1;
    int previous = 0;
    for (const Uint128& factor : factors) {
        const U128 g = ToU128(factor);
        const int degree = DegreeOf(g);
        FUZZ_CHECK(degree >= 1 && degree <= max_degree && degree >= previous,
                   "a factor of degree %d (max %d, after %d)", degree, max_degree, previous);
        FUZZ_CHECK(!HasDivisorUpTo(g, degree / 2), "a factor of degree %d is reducible", degree);
        previous = degree;
        product = ProductOf(product, g);
    }
    FUZZ_CHECK(DegreeOf(product) <= DegreeOf(f) && ModOf(f, product) == 0, "the factors' product does not divide f");
    const U128 cofactor = QuotientOf(f, product);
    FUZZ_CHECK(!HasDivisorUpTo(cofactor, max_degree), "a factor of degree up to %d is missing", max_degree);
}

// ---- Linear systems -----------------------------------------------------------

bool Parity(std::uint64_t v) { return __builtin_popcountll(v) % 2 != 0; }

void CheckLinearSystem(fuzz::Input& input, Random& random) {
    const unsigned char shape = input.Byte();
    const int unknowns = 1 + shape % 12;
    const int count = (shape >> 4) + input.Byte() % 5;
    const std::uint64_t all = (std::uint64_t{1} << unknowns) - 1;
    std::vector<std::pair<std::uint64_t, bool>> equations;
    Gf2LinearSystem system(unknowns);
    for (int i = 0; i < count; ++i) {
        std::uint64_t mask = random.Next() & all;
        // Sparse rows now and then, and rows that repeat others' sums.
        if ((random.Next() & 3u) == 0) mask &= random.Next();
        if (!equations.empty() && (random.Next() & 3u) == 0) {
            mask = equations[random.Next() % equations.size()].first;
            if ((random.Next() & 1u) != 0) mask ^= equations.back().first;
        }
        const bool value = (random.Next() & 1u) != 0;
        equations.push_back({mask, value});
        system.Add(mask, value);
    }
    const auto satisfies = [&](std::uint64_t x, bool homogeneous) {
        return std::all_of(equations.begin(), equations.end(), [&](const std::pair<std::uint64_t, bool>& e) {
            return Parity(e.first & x) == (homogeneous ? false : e.second);
        });
    };
    std::uint64_t solutions = 0, homogeneous = 0;
    for (std::uint64_t x = 0; x <= all; ++x) {
        solutions += satisfies(x, false) ? 1 : 0;
        homogeneous += satisfies(x, true) ? 1 : 0;
    }
    FUZZ_CHECK(system.Consistent() == (solutions > 0), "%d unknowns, %d equations: consistent %d, %llu solutions",
               unknowns, count, system.Consistent(), static_cast<unsigned long long>(solutions));
    if (!system.Consistent()) return;
    FUZZ_CHECK(system.FreeCount() >= 0 && homogeneous == std::uint64_t{1} << system.FreeCount(),
               "%d free unknowns, but %llu homogeneous solutions", system.FreeCount(),
               static_cast<unsigned long long>(homogeneous));
    const std::uint64_t solution = system.Solution();
    FUZZ_CHECK((solution & ~all) == 0 && satisfies(solution, false), "the solution does not solve the system");
    const std::vector<std::uint64_t> basis = system.NullBasis();
    FUZZ_CHECK(static_cast<int>(basis.size()) == system.FreeCount(), "%zu basis vectors for %d free unknowns",
               basis.size(), system.FreeCount());
    std::set<std::uint64_t> span;
    for (std::uint64_t pick = 0; pick < std::uint64_t{1} << basis.size(); ++pick) {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < basis.size(); ++i) {
            if ((pick >> i & 1u) != 0) v ^= basis[i];
        }
        FUZZ_CHECK((v & ~all) == 0 && satisfies(v, true), "a null vector that is none");
        span.insert(v);
    }
    FUZZ_CHECK(span.size() == homogeneous, "the null basis spans %zu of %llu vectors", span.size(),
               static_cast<unsigned long long>(homogeneous));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const unsigned char part = input.Byte();
    std::uint64_t seed = 0;
    for (int i = 0; i < 8; ++i) seed = seed << 8 | input.Byte();
    Random random(seed);
    switch (part % 5) {
        case 0: CheckRecovery(input, random, true); break;
        case 1: CheckRecovery(input, random, false); break;
        case 2: CheckPolynomials(input, random); break;
        case 3: CheckSmallFactors(input, random); break;
        default: CheckLinearSystem(input, random); break;
    }
    return 0;
}
