#include "workbench/frames/frame_search.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "workbench/crc/catalogue.h"
#include "workbench/crc/cpu_features.h"
#include "workbench/frames/check_evidence.h"
#include "workbench/frames/gf2_poly.h"

namespace {

constexpr int kBitsPerByte = 8;

// A match and where it sorts: `rank` is the method's place among the named
// checks, or after all of them in the order recovery found it.
struct RankedMatch {
    FrameMatch match;
    std::size_t rank = 0;
    // For a weak match: how many more different frames would bear it out.
    std::size_t more_frames = 0;
};

bool MorePlausible(const RankedMatch& a, const RankedMatch& b) {
    const FrameMatch &x = a.match, &y = b.match;
    if (x.head + x.tail != y.head + y.tail) return x.head + x.tail < y.head + y.tail;
    if (x.recovered != y.recovered) return !x.recovered;
    if (a.rank != b.rank) return a.rank < b.rank;
    if (x.head != y.head) return x.head < y.head;
    return x.order == CheckOrder::kBigEndian && y.order == CheckOrder::kLittleEndian;
}

constexpr CheckOrder kOrders[] = {CheckOrder::kBigEndian, CheckOrder::kLittleEndian};

// The heads, tails and byte orders a search tries: what --max-skip allows,
// or what the scope fixes.
struct Reach {
    std::size_t first_head = 0, last_head = 0, first_tail = 0, last_tail = 0;
    std::array<bool, 2> orders = {true, true};  // by kOrders

    std::size_t Placements() const { return (last_head - first_head + 1) * (last_tail - first_tail + 1); }
    // A one-byte check has no order: it is tried once, as kOrders[0].
    std::size_t OrdersOf(int byte_count) const {
        return byte_count > 1 ? static_cast<std::size_t>(orders[0]) + static_cast<std::size_t>(orders[1]) : 1;
    }
    bool Tries(int byte_count, std::size_t order) const { return byte_count > 1 ? orders[order] : order == 0; }
};

Reach ReachOf(const FrameSearchOptions& options) {
    const FrameScope& scope = options.scope;
    Reach reach;
    reach.first_head = scope.head.value_or(0);
    reach.last_head = scope.head.value_or(options.max_skip);
    reach.first_tail = scope.tail.value_or(0);
    reach.last_tail = scope.tail.value_or(options.max_skip);
    if (scope.order) reach.orders = {*scope.order == kOrders[0], *scope.order == kOrders[1]};
    return reach;
}

// For one head: whether the check holds with each tail and order on every
// frame. The check over data[head..k) is computed for each end k a tail
// allows, the register carried from one end to the next, so that each frame
// is read once per head.
class TailSearch {
public:
    TailSearch(const CheckMethod& method, std::size_t head, const Reach& reach)
        : method_(method),
          head_(head),
          first_tail_(reach.first_tail),
          tails_(reach.last_tail - reach.first_tail),
          holds_(tails_ + 1) {
        for (auto& by_order : holds_) {
            for (std::size_t o = 0; o < 2; ++o) by_order[o] = reach.Tries(method.byte_count(), o);
        }
    }

    // Narrows the tails and orders down to those that hold on `frame` too;
    // false when none is left.
    bool Narrow(const Bytes& frame) {
        const std::size_t check_size = static_cast<std::size_t>(method_.byte_count());
        // The data holds at least one byte: its end is after head + 1.
        const std::size_t first_end = head_ + 1;
        if (frame.size() < first_end + check_size + first_tail_) return Clear();
        const std::size_t last_end = frame.size() - check_size - first_tail_;  // the shortest tail
        const std::size_t lowest_end = last_end - std::min(tails_, last_end - first_end);
        // Tails too long for this frame hold nowhere.
        for (std::size_t more = last_end - lowest_end + 1; more <= tails_; ++more) holds_[more] = {false, false};
        CheckMethod::Register reg = method_.Update(method_.Start(), frame.data() + head_, lowest_end - head_);
        bool any = false;
        for (std::size_t end = lowest_end;; ++end) {
            auto& by_order = holds_[last_end - end];
            if (by_order[0] || by_order[1]) {
                const Uint128 value = method_.Finish(reg);
                for (std::size_t o = 0; o < 2; ++o) {
                    if (!by_order[o]) continue;
                    by_order[o] = ReadCheckBytes(frame.data() + end, method_.byte_count(), kOrders[o]) == value;
                    any = any || by_order[o];
                }
            }
            if (end == last_end) break;
            reg = method_.Update(reg, frame.data() + end, 1);
        }
        return any;
    }

    bool Holds(std::size_t tail, std::size_t order) const { return holds_[tail - first_tail_][order]; }

private:
    bool Clear() {
        for (auto& by_order : holds_) by_order = {false, false};
        return false;
    }

    const CheckMethod& method_;
    std::size_t head_, first_tail_;
    std::size_t tails_;  // beyond the first
    std::vector<std::array<bool, 2>> holds_;  // [tail - first_tail][order]
};

void SearchNamed(const std::vector<Bytes>& frames, const FrameSearchOptions& options, std::vector<RankedMatch>& found) {
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    const Reach reach = ReachOf(options);
    for (const std::size_t rank : NamedChecksInScope(options.scope)) {
        const CheckMethod& method = methods[rank];
        for (std::size_t head = reach.first_head; head <= reach.last_head; ++head) {
            TailSearch search(method, head, reach);
            bool any = true;
            for (const Bytes& frame : frames) {
                if (!(any = search.Narrow(frame))) break;
            }
            if (!any) continue;
            for (std::size_t tail = reach.first_tail; tail <= reach.last_tail; ++tail) {
                for (std::size_t o = 0; o < 2; ++o) {
                    if (search.Holds(tail, o)) found.push_back({{method, kOrders[o], head, tail, false}, rank});
                }
            }
        }
    }
}

bool InCatalogue(const CrcParams& params) {
    for (const CrcModel& model : CrcCatalogue()) {
        if (model.params == params) return true;
    }
    return false;
}

// Each frame's message and stored check for one placement; false when a
// frame has no room for it.
bool Samples(const std::vector<Bytes>& frames, std::size_t head, std::size_t tail, int check_size, CheckOrder order,
             std::vector<CrcSample>& samples) {
    samples.clear();
    for (const Bytes& frame : frames) {
        const std::size_t size = static_cast<std::size_t>(check_size);
        if (frame.size() < head + 1 + size + tail) return false;
        const std::size_t end = frame.size() - tail - size;
        samples.push_back({Bytes(frame.begin() + static_cast<std::ptrdiff_t>(head),
                                 frame.begin() + static_cast<std::ptrdiff_t>(end)),
                           ReadCheckBytes(frame.data() + end, check_size, order).low});
    }
    return true;
}

bool HoldsOnAll(const CheckMethod& method, CheckOrder order, std::size_t head, std::size_t tail,
                const std::vector<Bytes>& frames) {
    FrameEnd any_head{{}, true, head}, any_tail{{}, true, tail};
    return std::all_of(frames.begin(), frames.end(), [&](const Bytes& frame) {
        return VerifyFrame(method, order, any_head, any_tail, frame).kind == FrameVerdict::kOk;
    });
}

bool RecoveryWanted(const std::vector<Bytes>& frames, const FrameSearchOptions& options, bool named_found) {
    switch (options.recovery) {
        case RecoveryMode::kAlways: return true;
        case RecoveryMode::kNever: return false;
        case RecoveryMode::kAuto: break;
    }
    return !named_found && EstimatedRecoverySeconds(frames, options) <= kAutoRecoverySeconds;
}

// ---- Evidence ------------------------------------------------------------

// The frames that differ between head and tail: frames alike there give the
// check the same bytes, and a check that holds on one holds on the other.
std::size_t DifferentFrames(const std::vector<Bytes>& frames, std::size_t head, std::size_t tail) {
    std::set<Bytes> seen;
    for (const Bytes& frame : frames) {
        if (frame.size() < head + tail) continue;
        seen.emplace(frame.begin() + static_cast<std::ptrdiff_t>(head),
                     frame.end() - static_cast<std::ptrdiff_t>(tail));
    }
    return seen.size();
}

// The named checks, orders and placements tried whose check has
// `byte_count` bytes.
double NamedTried(int byte_count, const FrameSearchOptions& options) {
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    std::size_t tried = 0;
    for (const std::size_t i : NamedChecksInScope(options.scope)) tried += methods[i].byte_count() == byte_count ? 1 : 0;
    const Reach reach = ReachOf(options);
    return static_cast<double>(tried * reach.OrdersOf(byte_count) * reach.Placements());
}

// What recovery of `width` bits spends of the frames: the bits of poly
// (its lowest is always set), init, xorout and the reflection (refin and
// refout alike); and the frames that takes, a pair of one length and one
// of another.
int FittedBits(int width) { return 3 * width; }
constexpr std::size_t kFittedFrames = 3;

double RecoveryTried(int width, const FrameSearchOptions& options) {
    const Reach reach = ReachOf(options);
    return static_cast<double>(reach.OrdersOf(width / kBitsPerByte) * reach.Placements());
}

// Sets the match's chance from the hypotheses of its kind tried, the bits
// they took from the frames and the bits of evidence the frames give;
// returns how many more different frames of full evidence would bring it
// below the limit.
std::size_t Judge(FrameMatch& match, double tried, int fitted_bits, double evidence_bits) {
    const int bits = kBitsPerByte * match.method.byte_count();
    const double log_chance = std::log2(tried) + fitted_bits - evidence_bits;
    match.chance = std::min(1.0, std::exp2(log_chance));
    match.weak = !(match.chance < kChanceLimit);
    if (!match.weak) return 0;
    return static_cast<std::size_t>(std::floor((log_chance - std::log2(kChanceLimit)) / bits)) + 1;
}

// Judges the match by the bits the frames' shuffles bear out. They can only
// take bits away from the count of different frames, each taken for its
// check's bits, so a match the count gives no chance at all is not
// shuffled: random frames, on which little holds, cost nothing more.
std::size_t JudgeAgainstNull(FrameMatch& match, double tried, int fitted_bits, const std::vector<Bytes>& frames) {
    const double counted = static_cast<double>(match.frames) * kBitsPerByte * match.method.byte_count();
    const std::size_t more = Judge(match, tried, fitted_bits, counted);
    if (match.chance >= 1) return more;
    const bool believed_by_count = !match.weak;
    const double evidence = CheckEvidenceBits(match.method, match.order, match.head, match.tail, frames);
    if (evidence >= counted) return more;
    const std::size_t more_after = Judge(match, tried, fitted_bits, evidence);
    match.structural = believed_by_count && match.weak;
    return more_after;
}

// The byte every frame is made of, or -1.
int OneByteValue(const std::vector<Bytes>& frames) {
    int value = -1;
    for (const Bytes& frame : frames) {
        for (const unsigned char byte : frame) {
            if (value >= 0 && byte != value) return -1;
            value = byte;
        }
    }
    return value;
}

// ---- Recovery --------------------------------------------------------------

// Recovery at every placement: a fit at few skipped bytes does not end the
// search, as a CRC of the wrong width may fit there by chance while the
// true one needs more; the evidence sorts them out. Refin and refout alike
// only: no catalogued CRC of a whole number of bytes has them unlike, and
// trying them would double both the time and the fits by luck.
void Recover(const std::vector<Bytes>& frames, const FrameSearchOptions& options, std::size_t first_rank,
             std::vector<RankedMatch>& found, FrameSearchResult& result) {
    const Reach reach = ReachOf(options);
    const std::vector<int> widths = RecoveryWidthsInScope(options.scope);
    std::string first_need;
    std::vector<CrcSample> samples;
    std::size_t rank = first_rank;
    bool fits = false;
    RecoveryMemo memo;
    for (std::size_t skipped = reach.first_head + reach.first_tail; skipped <= reach.last_head + reach.last_tail;
         ++skipped) {
        for (std::size_t head = reach.first_head; head <= std::min(skipped - reach.first_tail, reach.last_head);
             ++head) {
            const std::size_t tail = skipped - head;
            if (tail > reach.last_tail) continue;
            const std::size_t different = DifferentFrames(frames, head, tail);
            memo.Clear();
            for (const int width : widths) {
                const int check_size = width / kBitsPerByte;
                for (std::size_t o = 0; o < 2; ++o) {
                    if (!reach.Tries(check_size, o)) continue;
                    const CheckOrder order = kOrders[o];
                    if (!Samples(frames, head, tail, check_size, order, samples)) continue;
                    if (options.cancelled && options.cancelled()) {
                        result.cancelled = true;
                        return;
                    }
                    RecoveryOptions recovery_options;
                    recovery_options.frame_extra = head + tail + static_cast<std::size_t>(check_size);
                    recovery_options.crossed_bit_orders = false;
                    recovery_options.memo = &memo;
                    const CrcRecovery recovery =
                        options.recover ? options.recover(samples, width) : RecoverCrc(samples, width, recovery_options);
                    if (!recovery.decided) {
                        // Its candidates are some of many that fit: frames
                        // too few or too short fit almost any CRC.
                        if (first_need.empty()) first_need = recovery.need;
                        continue;
                    }
                    const std::size_t first = found.size();
                    for (const CrcParams& params : recovery.models) {
                        std::string unsound;
                        if (params.width != width || !CheckCrcParams(params, unsound) || InCatalogue(params)) continue;
                        const CheckMethod method = CheckMethod::OfCrc(params, "");
                        if (!HoldsOnAll(method, order, head, tail, frames)) continue;
                        FrameMatch match{method, order, head, tail, true};
                        match.frames = different;
                        match.fitted = std::min(kFittedFrames, match.frames);
                        found.push_back({match, rank++});
                        fits = true;
                    }
                    // Models here that differ on some message: the frames
                    // have not decided between them, whatever their bits.
                    bool differ = false;
                    for (std::size_t i = first + 1; i < found.size() && !differ; ++i) {
                        differ = !SameCrcFunction(found[first].match.method.crc_params(),
                                                  found[i].match.method.crc_params());
                    }
                    for (std::size_t i = first; differ && i < found.size(); ++i) found[i].match.rivals = true;
                }
            }
        }
    }
    if (!fits) result.recovery_need = first_need;
}

// Whether a's generator divides b's.
bool Divides(const CrcParams& a, const CrcParams& b) {
    const Uint128 divisor = (Uint128{1} << a.width) | a.poly;
    const Uint128 dividend = (Uint128{1} << b.width) | b.poly;
    Uint128 remainder;
    Gf2Divide(dividend, divisor, &remainder);
    return remainder == Uint128{0};
}

// Whether the narrower CRC `n` holds because the wider `w` does: the same
// head and tail and bit order, and n's polynomial divides w's, so that
// every frame of w is one of n. Recovered at the same head and tail, a
// narrower CRC is taken as implied whatever its polynomial: the frames'
// differences are multiples of w's polynomial, so their GCD has divisors
// of lower degrees made of its factors and the GCD's leftover ones, which
// fit every frame without being borne out by any.
bool ImpliedBy(const FrameMatch& n, const FrameMatch& w) {
    if (!n.method.is_crc() || !w.method.is_crc() || n.head != w.head || n.tail != w.tail) return false;
    const CrcParams &a = n.method.crc_params(), &b = w.method.crc_params();
    if (a.width >= b.width) return false;
    if (n.recovered && w.recovered) return true;
    return a.refin == b.refin && Divides(a, b);
}

// The multiples of the polynomial recovery has, as their lengths in 64-bit
// words: a difference for each frame beyond the first of its length, and a
// combination of the shortest frames for each length beyond the second.
std::vector<double> PolynomialMultiples(const std::vector<Bytes>& frames) {
    std::map<std::size_t, std::size_t> by_length;
    for (const Bytes& frame : frames) ++by_length[frame.size()];
    std::vector<double> multiples;
    std::vector<std::size_t> lengths;
    for (const auto& [length, count] : by_length) {
        multiples.insert(multiples.end(), count - 1, static_cast<double>(length) / 8);
        lengths.push_back(length);
    }
    for (std::size_t k = 2; k < lengths.size(); ++k) {
        multiples.push_back(static_cast<double>(lengths[1] + lengths[k] - lengths[0]) / 8);
    }
    return multiples;
}

bool SamePlace(const FrameMatch& a, const FrameMatch& b) {
    return a.head == b.head && a.tail == b.tail && a.order == b.order && a.method.width() == b.method.width();
}

// The recovered lines that give the same check for every message.
void GroupRecovered(FrameSearchResult& result) {
    const std::vector<FrameMatch>& m = result.matches;
    std::vector<bool> grouped(m.size(), false);
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (!m[i].recovered || grouped[i]) continue;
        std::vector<std::size_t> group = {i};
        for (std::size_t j = i + 1; j < m.size(); ++j) {
            if (!m[j].recovered || grouped[j] || !SamePlace(m[i], m[j])) continue;
            if (SameCrcFunction(m[i].method.crc_params(), m[j].method.crc_params())) {
                group.push_back(j);
                grouped[j] = true;
            }
        }
        if (group.size() > 1) result.equivalent.push_back(group);
    }
    result.recovery_equivalent = !result.equivalent.empty();
}

}  // namespace

const std::vector<CheckMethod>& NamedCheckMethods() {
    static const std::vector<CheckMethod> methods = CheckMethod::AllNamed();
    return methods;
}

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The N of "CRC-N": 1 to 3 digits and nothing after them.
bool CrcFamilyWidth(const std::string& upper, int& width) {
    const std::string prefix = "CRC-";
    if (upper.compare(0, prefix.size(), prefix) != 0) return false;
    const std::string digits = upper.substr(prefix.size());
    if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    width = std::stoi(digits);
    return true;
}

bool RecoverableWidth(int width) { return width % kBitsPerByte == 0 && width >= 8 && width <= 64; }

// The named checks a word stands for, and the widths of recovered CRCs it
// allows (`every_width` when all of them); false when it names nothing.
bool ChecksNamed(const std::string& word, std::set<std::size_t>& named, std::set<int>& widths, bool& every_width) {
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    const std::string upper = Upper(word);
    bool any = false;
    const auto add_if = [&](auto&& wanted) {
        for (std::size_t i = 0; i < methods.size(); ++i) {
            if (!wanted(methods[i])) continue;
            named.insert(i);
            any = true;
        }
    };
    int width = 0;
    if (upper == "CRC") {
        add_if([](const CheckMethod& method) { return method.is_crc(); });
        every_width = true;
        return true;
    }
    if (CrcFamilyWidth(upper, width)) {
        add_if([&](const CheckMethod& method) { return method.is_crc() && method.width() == width; });
        if (RecoverableWidth(width)) {
            widths.insert(width);
            any = true;
        }
        return any;
    }
    std::string current = upper;
    for (const CrcFormerName& former : CrcFormerNames()) {
        if (Upper(former.former) == upper) current = Upper(former.current);
    }
    add_if([&](const CheckMethod& method) { return Upper(method.name()) == current; });
    if (any) return true;
    add_if([&](const CheckMethod& method) { return Upper(method.name()).rfind(upper + "-", 0) == 0; });
    return any;
}

}  // namespace

bool NarrowToChecksNamed(const std::vector<std::string>& words, FrameScope& scope, std::string& unknown) {
    std::set<std::size_t> named;
    std::set<int> widths;
    bool every_width = false;
    for (const std::string& word : words) {
        if (!ChecksNamed(word, named, widths, every_width)) {
            unknown = word;
            return false;
        }
    }
    scope.named = std::vector<std::size_t>(named.begin(), named.end());
    if (every_width) {
        scope.recovery_widths.reset();
    } else {
        scope.recovery_widths = std::vector<int>(widths.begin(), widths.end());
    }
    return true;
}

std::vector<std::size_t> NamedChecksInScope(const FrameScope& scope) {
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    std::vector<std::size_t> left;
    for (std::size_t i = 0; i < methods.size(); ++i) {
        if (scope.named && !std::binary_search(scope.named->begin(), scope.named->end(), i)) continue;
        if (!scope.widths.empty() &&
            std::find(scope.widths.begin(), scope.widths.end(), methods[i].width()) == scope.widths.end()) {
            continue;
        }
        left.push_back(i);
    }
    return left;
}

std::vector<int> RecoveryWidthsInScope(const FrameScope& scope) {
    std::vector<int> left;
    if (scope.recovery_widths) {
        left = *scope.recovery_widths;
    } else if (scope.widths.empty()) {
        left.assign(std::begin(kRecoveryWidths), std::end(kRecoveryWidths));
    } else {
        for (const int width : scope.widths) {
            if (RecoverableWidth(width)) left.push_back(width);
        }
    }
    if (!scope.widths.empty()) {
        left.erase(std::remove_if(left.begin(), left.end(),
                                  [&](int width) {
                                      return std::find(scope.widths.begin(), scope.widths.end(), width) ==
                                             scope.widths.end();
                                  }),
                   left.end());
    }
    std::sort(left.begin(), left.end());
    left.erase(std::unique(left.begin(), left.end()), left.end());
    return left;
}

double EstimatedRecoverySeconds(const std::vector<Bytes>& frames, std::size_t max_skip) {
    FrameSearchOptions options;
    options.max_skip = max_skip;
    return EstimatedRecoverySeconds(frames, options);
}

double EstimatedRecoverySeconds(const std::vector<Bytes>& frames, const FrameSearchOptions& options) {
    // A GCD of polynomials of a and b words takes a + b jumps of 64 steps,
    // each deciding its steps on one word and then applying them to words
    // that shrink from the longer length to none. Calibrated on three
    // random frames of 1 KiB (--max-skip 64: 3.6 s) and of 16 KiB (1.2 s)
    // on a quiet AMD EPYC with VPCLMULQDQ; PCLMULQDQ alone takes about
    // three times as long per word. Without either, Euclid's algorithm by
    // shifts. A much shorter multiple first reduces the longer one by
    // shifts, a word XORed for each of its words and each bit of the
    // longer.
    const CpuFeatures& cpu = HostCpuFeatures();
    const double seconds_per_word_squared = cpu.vpclmul_avx512 ? 0.9e-9 : cpu.pclmul ? 2.8e-9 : 1.8e-8;
    const double seconds_per_jump = cpu.pclmul ? 0.28e-6 : 0;
    constexpr double kSecondsPerWordXored = 0.3e-9;
    // The multiples of the polynomial that recovery takes the GCD of.
    std::vector<double> multiples = PolynomialMultiples(frames);
    if (multiples.size() < 2) return 0;  // one multiple: no GCD to take
    // The GCD of the two shortest costs the most; the rest are only reduced
    // by it.
    std::sort(multiples.begin(), multiples.end());
    const double a = multiples[0], b = multiples[1];
    const auto jumps = [&](double x, double y) {
        return seconds_per_word_squared * (x + y) * (x + y) / 4 + seconds_per_jump * (x + y);
    };
    const double gcd_seconds = b > 16 * a ? 64 * b * a * kSecondsPerWordXored + jumps(a, a) : jumps(a, b);
    // At each placement, for each reflection, one GCD serves every width
    // whose check is stored in its register's order, and one more is taken
    // for each wider width in the other order. With one order only, it is
    // its register's order for one reflection; for the other, each width
    // takes its own (a one-byte check has no other order).
    const std::vector<int> widths = RecoveryWidthsInScope(options.scope);
    if (widths.empty()) return 0;
    const auto wide = static_cast<double>(
        std::count_if(widths.begin(), widths.end(), [](int width) { return width > kBitsPerByte; }));
    const double one_byte = wide < static_cast<double>(widths.size()) ? 1 : 0;
    const double gcds_per_placement = options.scope.order ? 1 + wide + one_byte : 2 * (1 + wide);
    return static_cast<double>(ReachOf(options).Placements()) * gcds_per_placement * gcd_seconds;
}

FrameSearchResult SearchFrames(const std::vector<Bytes>& given, const FrameSearchOptions& options) {
    // A frame given twice is one frame: captures repeat polling frames.
    std::vector<Bytes> frames;
    for (const Bytes& frame : given) {
        if (std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    }
    FrameSearchResult result;
    result.one_byte_value = OneByteValue(frames);
    result.patterned = std::all_of(frames.begin(), frames.end(),
                                   [](const Bytes& frame) { return PatternPredicts(frame, frame.size() - 1); });
    std::vector<RankedMatch> found;
    SearchNamed(frames, options, found);
    bool named_believed = false;
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> different;  // by head and tail
    for (RankedMatch& ranked : found) {
        FrameMatch& match = ranked.match;
        const auto place = std::make_pair(match.head, match.tail);
        auto known = different.find(place);
        if (known == different.end()) {
            known = different.emplace(place, DifferentFrames(frames, match.head, match.tail)).first;
        }
        match.frames = known->second;
        ranked.more_frames =
            JudgeAgainstNull(match, NamedTried(match.method.byte_count(), options), 0, frames);
        named_believed = named_believed || !match.weak;
    }
    if (RecoveryWanted(frames, options, named_believed)) {
        result.recovery_ran = true;
        const double seconds = EstimatedRecoverySeconds(frames, options);
        if (seconds > 1 && options.before_slow_recovery) options.before_slow_recovery(seconds);
        const std::size_t first = found.size();
        Recover(frames, options, NamedCheckMethods().size(), found, result);
        if (result.cancelled) {
            FrameSearchResult stopped;
            stopped.cancelled = true;
            return stopped;
        }
        // CRCs of different widths recovered at one head and tail come from
        // the GCD of the same differences, the true polynomial times a
        // leftover factor: other widths made of the same factors fit every
        // frame as well. A narrower polynomial that divides the wider one
        // is implied by it, once enough multiples (three) leave little
        // leftover; any other pair of widths means the frames have not
        // decided.
        const std::size_t multiples = PolynomialMultiples(frames).size();
        for (std::size_t i = first; i < found.size(); ++i) {
            for (std::size_t j = first; j < found.size(); ++j) {
                const FrameMatch &a = found[i].match, &b = found[j].match;
                if (a.head != b.head || a.tail != b.tail || a.method.width() >= b.method.width()) continue;
                if (multiples < 3 || !Divides(a.method.crc_params(), b.method.crc_params())) {
                    found[i].match.rivals = true;
                    found[j].match.rivals = true;
                }
            }
        }
        for (std::size_t i = first; i < found.size(); ++i) {
            FrameMatch& match = found[i].match;
            found[i].more_frames = JudgeAgainstNull(match, RecoveryTried(match.method.width(), options),
                                                    FittedBits(match.method.width()), frames);
            if (match.rivals) {
                match.weak = true;
                result.recovery_ambiguous = true;
            }
        }
    }
    // Believed lines by plausibility, recovered ones of different widths by
    // their evidence; weak ones by their chance.
    std::stable_sort(found.begin(), found.end(), [](const RankedMatch& a, const RankedMatch& b) {
        if (a.match.weak != b.match.weak) return !a.match.weak;
        if (a.match.weak) return a.match.chance < b.match.chance;
        const std::size_t skipped_a = a.match.head + a.match.tail, skipped_b = b.match.head + b.match.tail;
        if (skipped_a == skipped_b && a.match.recovered && b.match.recovered && a.match.chance != b.match.chance) {
            return a.match.chance < b.match.chance;
        }
        return MorePlausible(a, b);
    });
    std::vector<const FrameMatch*> believed;
    for (const RankedMatch& ranked : found) {
        if (!ranked.match.weak) believed.push_back(&ranked.match);
    }
    std::size_t more = 0;
    for (const RankedMatch& ranked : found) {
        const FrameMatch& match = ranked.match;
        if (std::any_of(believed.begin(), believed.end(), [&](const FrameMatch* w) { return ImpliedBy(match, *w); })) {
            continue;
        }
        if (match.weak) {
            if (result.weak.empty()) more = std::max<std::size_t>(match.rivals ? 1 : 0, ranked.more_frames);
            result.weak.push_back(match);
            if (!options.keep_weak) continue;
        }
        result.matches.push_back(match);
    }
    result.more_frames = more;
    GroupRecovered(result);
    return result;
}
