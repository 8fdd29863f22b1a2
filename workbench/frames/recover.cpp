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
#include "i18n/translate.h"

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
//
// Without P, frames of three lengths or more still give multiples of it.
// With V = c' + M x^w, each frame has V = init x^(8L) + X (mod P), so for
// frames 1, j, k of different lengths, S_j = V_1 + V_j = init T_j with
// T_j = x^(8 L_1) (1 + x^(8 a_j)), a_j = L_j - L_1. Then
//   S_j (1 + x^(8 a_k)) + S_k (1 + x^(8 a_j))
// is a multiple of P in which init cancels; it is divisible by the common
// factor 1 + x^(8 gcd(a_j, a_k)) of the two binomials, which would only
// stand in the GCD's way and is divided out.

namespace {

// Beyond these the frames leave too much open to list it.
constexpr int kMaxCofactorDegree = 16;  // of the GCD of the differences over P
constexpr int kMaxFreeInitBits = 8;     // init bits the lengths leave free
constexpr std::size_t kMaxModels = 256;

// The frames by message length, shortest first.
using ByLength = std::map<std::size_t, std::vector<const CrcSample*>>;

// What keeps the answer open, the gravest last.
enum class Open { kNothing, kTooManyModels, kTooManyInits, kInitOrXorout, kPolyMore, kPolyOneMore, kPolyTwoMore };

struct BitOrder {
    bool refin;
    bool refout;
};

struct Search {
    int width;
    std::uint64_t mask;
    const ByLength& by_length;
    RecoveryMemo* memo;
    std::vector<CrcParams> models;
    Open open = Open::kNothing;
    int pairs = 0;  // frames beyond the first of their length

    void Leave(Open reason) { open = std::max(open, reason); }
};

// The check as the register held it, before reflection (reflection is
// linear, so this serves differences of checks too).
std::uint64_t Unreflected(std::uint64_t check, int width, bool refout) {
    return refout ? ReflectLowBits(check, width).low : check;
}

// The frame's c' + M x^w.
Gf2Poly FrameValue(const CrcSample& frame, int width, BitOrder order) {
    return Gf2Poly::FromBits(frame.message.data(), frame.message.size(), order.refin,
                             Unreflected(frame.check, width, order.refout), width);
}

struct MultiplesOfP {
    Gf2Poly gcd;
    int count = 0;  // the multiples the frames gave
    int pairs = 0;  // of them, differences of frames of one length
};

// The multiples of P the frames give: differences of frames of one length,
// and the combinations of frames of three lengths or more, the shortest
// first; and their GCD. The GCD stops early once its degree is below the
// width.
MultiplesOfP GcdOfMultiples(const Search& search, BitOrder order) {
    MultiplesOfP result;
    std::vector<Gf2Poly> multiples;
    std::vector<std::pair<std::size_t, Gf2Poly>> firsts;  // each length's first frame, shortest first
    for (const auto& [length, frames] : search.by_length) {
        firsts.emplace_back(length, FrameValue(*frames.front(), search.width, order));
        for (std::size_t i = 1; i < frames.size(); ++i) {
            Gf2Poly difference = FrameValue(*frames[i], search.width, order);
            difference += firsts.back().second;
            if (difference.IsZero()) continue;
            multiples.push_back(std::move(difference));
            ++result.pairs;
        }
    }
    if (firsts.size() >= 3) {
        const Gf2Poly& v1 = firsts[0].second;
        const int a2 = static_cast<int>(8 * (firsts[1].first - firsts[0].first));
        Gf2Poly s2 = firsts[1].second;
        s2 += v1;
        for (std::size_t k = 2; k < firsts.size(); ++k) {
            const int ak = static_cast<int>(8 * (firsts[k].first - firsts[0].first));
            Gf2Poly sk = firsts[k].second;
            sk += v1;
            Gf2Poly combined = s2;
            Gf2Poly shifted = s2;
            shifted.MultiplyByXPower(ak);
            combined += shifted;
            shifted = sk;
            shifted.MultiplyByXPower(a2);
            combined += shifted;
            combined += sk;
            int common = a2;  // gcd(a2, ak): 1 + x^common divides both binomials
            for (int b = ak; b != 0;) common = std::exchange(b, common % b);
            combined.DivideByBinomial(common);
            if (!combined.IsZero()) multiples.push_back(std::move(combined));
        }
    }
    result.count = static_cast<int>(multiples.size());
    if (result.count < 2) {
        if (result.count == 1) result.gcd = multiples.front();
        return result;
    }
    if (search.memo != nullptr) {
        if (const Gf2Poly* known = search.memo->Find(multiples)) {
            result.gcd = *known;
            return result;
        }
    }
    // The two shortest first: their GCD is short, and the rest are only
    // reduced by it.
    std::vector<const Gf2Poly*> by_degree;
    for (const Gf2Poly& multiple : multiples) by_degree.push_back(&multiple);
    std::stable_sort(by_degree.begin(), by_degree.end(),
                     [](const Gf2Poly* a, const Gf2Poly* b) { return a->Degree() < b->Degree(); });
    for (const Gf2Poly* multiple : by_degree) {
        result.gcd = Gcd(std::move(result.gcd), *multiple);
        if (result.gcd.Degree() < search.width) break;
    }
    if (search.memo != nullptr) search.memo->Add(std::move(multiples), result.gcd);
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
    MultiplesOfP multiples = GcdOfMultiples(search, order);
    search.pairs = multiples.pairs;
    if (multiples.count == 0) {
        search.Leave(Open::kPolyTwoMore);
        return;
    }
    // P is odd, so the powers of x in the GCD are the cofactor's.
    Gf2Poly& g = multiples.gcd;
    g.DivideByXPower(g.LowestTerm());
    const int extra = g.Degree() - search.width;
    if (extra < 0) return;
    if (extra > kMaxCofactorDegree) {
        search.Leave(multiples.count == 1 ? Open::kPolyOneMore : Open::kPolyMore);
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

std::string NeedLine(Open open, const ByLength& by_length, std::size_t models, std::size_t frame_extra,
                     int pairs) {
    using i18n::Format;
    using i18n::Tr;
    using i18n::TrN;
    std::size_t common = 0;  // the length with the most different frames
    std::size_t most = 0;
    for (const auto& [length, frames] : by_length) {
        std::set<std::vector<unsigned char>> messages;
        for (const CrcSample* frame : frames) messages.insert(frame->message);
        if (messages.size() > most) std::tie(common, most) = std::make_pair(length + frame_extra, messages.size());
    }
    const std::string bytes = std::to_string(common);
    // With two lengths, a frame of a third gives a multiple of P as a pair
    // does; with one, a frame of another length gives none, and init and
    // xorout want one too.
    const bool lengths = by_length.size() >= 2;
    switch (open) {
    case Open::kNothing:
        return "";
    case Open::kTooManyModels:
        return Format(Tr("needs more frames to tell apart the %1$s models that fit"), {std::to_string(models)});
    case Open::kTooManyInits:
        return Tr("needs frames of more lengths to tell init from xorout");
    case Open::kInitOrXorout:
        return Format(TrN("needs a frame of another length than %1$s byte to tell init from xorout",
                          "needs a frame of another length than %1$s bytes to tell init from xorout", common),
                      {bytes});
    case Open::kPolyMore:
        if (lengths) {
            return Format(TrN("needs more different frames of %1$s byte or of new lengths to find the polynomial",
                              "needs more different frames of %1$s bytes or of new lengths to find the polynomial",
                              common),
                          {bytes});
        }
        return Format(TrN("needs more different frames of %1$s byte to find the polynomial, and a frame of another "
                          "length to tell init from xorout",
                          "needs more different frames of %1$s bytes to find the polynomial, and a frame of another "
                          "length to tell init from xorout",
                          common),
                      {bytes});
    case Open::kPolyOneMore:
        if (pairs == 0) return Tr("needs one more different frame, of any length, to find the polynomial");
        if (lengths) {
            return Format(TrN("needs a third frame of %1$s byte (or one of a new length) to find the polynomial",
                              "needs a third frame of %1$s bytes (or one of a new length) to find the polynomial",
                              common),
                          {bytes});
        }
        return Format(TrN("needs a third frame of %1$s byte (or two of another length) to find the polynomial, and "
                          "a frame of another length to tell init from xorout",
                          "needs a third frame of %1$s bytes (or two of another length) to find the polynomial, and "
                          "a frame of another length to tell init from xorout",
                          common),
                      {bytes});
    case Open::kPolyTwoMore:
        break;
    }
    if (by_length.empty()) {
        return Tr("needs three different frames of one length, or four of different lengths, to find the polynomial");
    }
    if (lengths) return Tr("needs two more different frames, of any length, to find the polynomial");
    return Format(TrN("needs two more different frames of %1$s byte to find the polynomial, and a frame of another "
                      "length to tell init from xorout",
                      "needs two more different frames of %1$s bytes to find the polynomial, and a frame of another "
                      "length to tell init from xorout",
                      common),
                  {bytes});
}

}  // namespace

const Gf2Poly* RecoveryMemo::Find(const std::vector<Gf2Poly>& multiples) const {
    for (const auto& [known, gcd] : entries_) {
        if (known == multiples) return &gcd;
    }
    return nullptr;
}

void RecoveryMemo::Add(std::vector<Gf2Poly> multiples, Gf2Poly gcd) {
    entries_.emplace_back(std::move(multiples), std::move(gcd));
}

CrcRecovery RecoverCrc(const std::vector<CrcSample>& samples, int width, const RecoveryOptions& options) {
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

    Search search{width, mask, by_length, options.memo, {}, Open::kNothing};
    // The usual orders first; crossed ones are rare.
    for (const BitOrder order : {BitOrder{false, false}, BitOrder{true, true}, BitOrder{true, false},
                                 BitOrder{false, true}}) {
        if (order.refin != order.refout && !options.crossed_bit_orders) continue;
        SearchBitOrder(search, order);
    }

    std::vector<std::pair<decltype(PlausibilityKey(CrcParams{}, mask)), CrcParams>> ranked;
    for (const CrcParams& model : search.models) ranked.emplace_back(PlausibilityKey(model, mask), model);
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (ranked.size() > kMaxModels) search.Leave(Open::kTooManyModels);
    result.need = NeedLine(search.open, by_length, ranked.size(), options.frame_extra, search.pairs);
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
