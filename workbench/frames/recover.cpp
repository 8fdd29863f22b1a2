#include "workbench/frames/recover.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "workbench/crc/catalogue.h"
#include "workbench/crc/engine.h"
#include "workbench/frames/gf2_linear.h"
#include "workbench/frames/gf2_poly.h"

// The algebra, in the register's normal form (no reflection): a CRC register
// starts at init and takes the message's bits top bit first (each byte
// bit-reversed first when refin), so after a message M of L bytes it holds
// (init x^(8L) + M x^w) mod P. The check is that register, reflected when
// refout, XOR xorout. So with c' the check reflected back when refout and X
// the xorout reflected likewise:
//   c' = (init x^(8L) + M x^w) mod P + X.
// Two frames of one length: init and X cancel, and (M1 + M2) x^w + c1' + c2'
// is a multiple of P. With P known, frames of two lengths give
//   init (x^(8 L1) + x^(8 L2)) = (c1' + M1 x^w) + (c2' + M2 x^w)  (mod P),
// linear in init's bits; X then follows from any frame.

namespace {

// Beyond these the frames leave too much open to list it.
constexpr int kMaxCofactorDegree = 16;  // of the GCD of the differences over P
constexpr int kMaxFreeInitBits = 8;     // init bits the lengths leave free
constexpr std::size_t kMaxModels = 256;

// The frames by message length, shortest first.
using ByLength = std::map<std::size_t, std::vector<const CrcSample*>>;

// What keeps the answer open, the gravest last.
enum class Open { kNothing, kTooManyModels, kTooManyInits, kInitOrXorout, kPolyMore, kPolyThirdFrame, kPolyNoPair };

struct BitOrder {
    bool refin;
    bool refout;
};

struct Search {
    int width;
    std::uint64_t mask;
    const ByLength& by_length;
    std::vector<CrcParams> models;
    Open open = Open::kNothing;

    void Leave(Open reason) { open = std::max(open, reason); }
};

// The check as the register held it, before reflection (reflection is
// linear, so this serves differences of checks too).
std::uint64_t Unreflected(std::uint64_t check, int width, bool refout) {
    return refout ? ReflectLowBits(check, width).low : check;
}

struct DifferenceGcd {
    Gf2Poly gcd;
    int pairs = 0;  // the frames that differ from the first of their length
};

// The GCD of the differences of frames of equal length, each a multiple of
// P; it stops early once its degree is below the width.
DifferenceGcd GcdOfDifferences(const Search& search, BitOrder order) {
    DifferenceGcd result;
    std::vector<unsigned char> sum;
    for (const auto& [length, frames] : search.by_length) {
        const CrcSample& first = *frames.front();
        sum.resize(length);
        for (std::size_t i = 1; i < frames.size(); ++i) {
            const CrcSample& other = *frames[i];
            for (std::size_t k = 0; k < length; ++k) sum[k] = first.message[k] ^ other.message[k];
            const std::uint64_t checks = Unreflected(first.check ^ other.check, search.width, order.refout);
            Gf2Poly difference = Gf2Poly::FromBits(sum.data(), length, order.refin, checks, search.width);
            if (difference.IsZero()) continue;
            ++result.pairs;
            result.gcd = Gcd(std::move(result.gcd), std::move(difference));
            if (result.gcd.Degree() < search.width) return result;
        }
    }
    return result;
}

// Every divisor of degree `width` of the odd `g`, without its x^width term.
// The smaller of the two factors, P or the cofactor g/P, is a product of
// g's irreducible factors of at most its degree: each such product once.
std::vector<std::uint64_t> PolysDividing(Uint128 g, int width) {
    const int extra = Gf2Degree(g) - width;
    const int smaller = std::min(extra, width);
    const std::vector<Uint128> factors = Gf2SmallFactors(g, smaller);  // equal ones side by side
    std::vector<std::uint64_t> polys;
    // Takes factors[i...] into `product`, each run of equal factors as often
    // as chosen, until the degree is `smaller`.
    const auto choose = [&](const auto& self, std::size_t i, Uint128 product) -> void {
        const int degree = Gf2Degree(product);
        if (degree == smaller) {
            Uint128 remainder;
            const Uint128 poly = smaller == width ? product : Gf2Divide(g, product, &remainder);
            polys.push_back((poly & LowBitsMask(width)).low);
            return;
        }
        if (i == factors.size()) return;
        std::size_t run_end = i;
        while (run_end < factors.size() && factors[run_end] == factors[i]) ++run_end;
        for (std::size_t taken = i; taken <= run_end; ++taken) {
            if (taken > i) product = Gf2Multiply(product, factors[i]);
            if (Gf2Degree(product) > smaller) return;
            self(self, run_end, product);
        }
    };
    choose(choose, 0, Uint128{1});
    return polys;
}

// Whether `engine` (init and xorout 0), run from `start` and with `xorout`
// added at the end, gives every frame's check.
bool GivesEveryCheck(const CrcEngine& engine, Uint128 start, Uint128 xorout, const ByLength& by_length) {
    for (const auto& [length, frames] : by_length) {
        for (const CrcSample* frame : frames) {
            const Uint128 crc = engine.Finish(engine.Update(start, frame->message.data(), length)) ^ xorout;
            if (crc != Uint128{frame->check}) return false;
        }
    }
    return true;
}

// Per length, from its first frame (the others agree once P divides the
// differences): c' + M x^w mod P, and x^(8L) mod P.
struct LengthTerms {
    std::uint64_t rest;
    std::uint64_t power;
};

// Every init that gives frames of all these lengths their checks, with one
// xorout; false when the frames leave too many of init's bits open.
bool SolveInits(const Gf2Residues& residues, int width, const std::vector<LengthTerms>& lengths,
                std::vector<std::uint64_t>& inits) {
    Gf2LinearSystem system(width);
    for (std::size_t j = 1; j < lengths.size(); ++j) {
        // init's bit b contributes x^b (a_j + a_0) mod P to the product;
        // each bit of the product is one equation.
        std::uint64_t rows[64] = {};
        std::uint64_t column = lengths[j].power ^ lengths[0].power;
        for (int b = 0; b < width; ++b, column = residues.TimesX(column)) {
            for (std::uint64_t bits = column; bits != 0; bits &= bits - 1) {
                rows[__builtin_ctzll(bits)] |= std::uint64_t{1} << b;
            }
        }
        const std::uint64_t value = lengths[j].rest ^ lengths[0].rest;
        for (int i = 0; i < width; ++i) system.Add(rows[i], (value >> i & 1u) != 0);
        if (!system.Consistent()) return true;  // no init at all
    }
    if (system.FreeCount() > kMaxFreeInitBits) return false;
    inits = {system.Solution()};
    for (const std::uint64_t free : system.NullBasis()) {
        const std::size_t count = inits.size();
        for (std::size_t i = 0; i < count; ++i) inits.push_back(inits[i] ^ free);
    }
    return true;
}

// init and xorout for the polynomial: every pair that fits all lengths.
void AddModelsOf(Search& search, std::uint64_t poly, BitOrder order) {
    const int width = search.width;
    const Gf2Residues residues(width, poly);
    std::vector<LengthTerms> lengths;
    for (const auto& [length, frames] : search.by_length) {
        const CrcSample& frame = *frames.front();
        lengths.push_back({Unreflected(frame.check, width, order.refout) ^
                               residues.ShiftIn(0, frame.message.data(), length, order.refin),
                           residues.XPower(8 * static_cast<std::uint64_t>(length))});
    }

    std::vector<std::uint64_t> inits;
    if (lengths.size() == 1) {
        // Any init fits frames of one length, each with its own xorout: two
        // stand for them all.
        inits = {0, search.mask};
        search.Leave(Open::kInitOrXorout);
    } else if (!SolveInits(residues, width, lengths, inits)) {
        search.Leave(Open::kTooManyInits);
        return;
    }
    // Each model is checked by the CRC engine on every frame. The models of
    // one polynomial and bit order share its set-up: one engine runs them
    // all from their own start, with their own final XOR.
    const CrcEngine engine(CrcParams{width, poly, 0, order.refin, order.refout, 0});
    for (const std::uint64_t init : inits) {
        const std::uint64_t x = lengths[0].rest ^ residues.Multiply(init, lengths[0].power);
        const CrcParams model{width, poly, init, order.refin, order.refout, Unreflected(x, width, order.refout)};
        const Uint128 start = order.refin ? ReflectLowBits(init, width) : Uint128{init};
        if (GivesEveryCheck(engine, start, model.xorout, search.by_length)) search.models.push_back(model);
    }
}

void SearchBitOrder(Search& search, BitOrder order) {
    DifferenceGcd differences = GcdOfDifferences(search, order);
    if (differences.pairs == 0) {
        search.Leave(Open::kPolyNoPair);
        return;
    }
    // P is odd, so the powers of x in the GCD are the cofactor's.
    Gf2Poly& g = differences.gcd;
    g.DivideByXPower(g.LowestTerm());
    const int extra = g.Degree() - search.width;
    if (extra < 0) return;
    if (extra > kMaxCofactorDegree) {
        search.Leave(differences.pairs == 1 ? Open::kPolyThirdFrame : Open::kPolyMore);
        return;
    }
    for (const std::uint64_t poly : PolysDividing(g.ToUint128(), search.width)) AddModelsOf(search, poly, order);
}

// Most plausible first: a catalogued model, a catalogued polynomial, init and
// xorout each 0 or all ones, refin as refout.
auto PlausibilityKey(const CrcParams& p, std::uint64_t mask) {
    bool model_known = false;
    bool poly_known = false;
    for (const CrcModel& model : CrcCatalogue()) {
        model_known = model_known || model.params == p;
        poly_known = poly_known || (model.params.width == p.width && model.params.poly == p.poly);
    }
    const auto odd = [mask](Uint128 v) { return v.low != 0 && v.low != mask ? 1 : 0; };
    return std::make_tuple(!model_known, !poly_known, odd(p.init) + odd(p.xorout), p.refin != p.refout, p.poly.low,
                           p.init.low, p.xorout.low, p.refin, p.refout);
}

std::string Bytes(std::size_t length) { return std::to_string(length) + (length == 1 ? " byte" : " bytes"); }

std::string NeedLine(Open open, const ByLength& by_length, std::size_t models, std::size_t frame_extra) {
    std::size_t common = 0;  // the length with the most different frames
    std::size_t most = 0;
    for (const auto& [length, frames] : by_length) {
        std::set<std::vector<unsigned char>> messages;
        for (const CrcSample* frame : frames) messages.insert(frame->message);
        if (messages.size() > most) std::tie(common, most) = std::make_pair(length + frame_extra, messages.size());
    }
    const std::string other_length =
        by_length.size() <= 1 ? ", and a frame of another length to tell init from xorout" : "";
    switch (open) {
    case Open::kNothing:
        return "";
    case Open::kTooManyModels:
        return "needs more frames to tell apart the " + std::to_string(models) + " models that fit";
    case Open::kTooManyInits:
        return "needs frames of more lengths to tell init from xorout";
    case Open::kInitOrXorout:
        return "needs a frame of another length than " + Bytes(common) + " to tell init from xorout";
    case Open::kPolyMore:
        return "needs more frames of " + Bytes(common) + " to find the polynomial" + other_length;
    case Open::kPolyThirdFrame:
        return "needs a third frame of " + Bytes(common) + " (or two of another length) to find the polynomial" +
               other_length;
    case Open::kPolyNoPair:
        break;
    }
    return "needs three different frames of one length (or two pairs of equal length) to find the polynomial" +
           other_length;
}

}  // namespace

CrcRecovery RecoverCrc(const std::vector<CrcSample>& samples, int width, std::size_t frame_extra) {
    CrcRecovery result;
    if (width < 1 || width > 64) {
        result.need = "recovers CRCs of 1 to 64 bits";
        return result;
    }
    const std::uint64_t mask = LowBitsMask(width).low;
    ByLength by_length;
    for (const CrcSample& sample : samples) {
        if ((sample.check & ~mask) != 0) {
            result.decided = true;  // no CRC of this width gives the check
            return result;
        }
        by_length[sample.message.size()].push_back(&sample);
    }

    Search search{width, mask, by_length, {}, Open::kNothing};
    // The usual orders first; crossed ones are rare.
    for (const BitOrder order : {BitOrder{false, false}, BitOrder{true, true}, BitOrder{true, false},
                                 BitOrder{false, true}}) {
        SearchBitOrder(search, order);
    }

    std::vector<std::pair<decltype(PlausibilityKey(CrcParams{}, mask)), CrcParams>> ranked;
    for (const CrcParams& model : search.models) ranked.emplace_back(PlausibilityKey(model, mask), model);
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (ranked.size() > kMaxModels) search.Leave(Open::kTooManyModels);
    result.need = NeedLine(search.open, by_length, ranked.size(), frame_extra);
    for (std::size_t i = 0; i < ranked.size() && i < kMaxModels; ++i) result.models.push_back(ranked[i].second);
    result.decided = search.open == Open::kNothing;
    return result;
}

bool SameCrcFunction(const CrcParams& a, const CrcParams& b) {
    if (a.width != b.width || a.poly != b.poly || a.refin != b.refin || a.refout != b.refout) return false;
    const CrcEngine engine_a(a, CrcPath::kTables);
    const CrcEngine engine_b(b, CrcPath::kTables);
    const unsigned char byte = 0;
    return engine_a.Compute(&byte, 0) == engine_b.Compute(&byte, 0) &&
           engine_a.Compute(&byte, 1) == engine_b.Compute(&byte, 1);
}
