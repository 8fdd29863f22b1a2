#include "workbench/frames/frame_search.h"

#include <algorithm>
#include <array>

#include "workbench/crc/catalogue.h"

namespace {

constexpr int kBitsPerByte = 8;

// A match and where it sorts: `rank` is the method's place among the named
// checks, or after all of them in the order recovery found it.
struct RankedMatch {
    FrameMatch match;
    std::size_t rank = 0;
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

// For one head: whether the check holds with each tail and order on every
// frame. The check over data[head..k) is computed for each end k a tail
// allows, the register carried from one end to the next, so that each frame
// is read once per head.
class TailSearch {
public:
    TailSearch(const CheckMethod& method, std::size_t head, std::size_t max_skip)
        : method_(method), head_(head), max_skip_(max_skip), holds_(max_skip + 1) {
        const std::size_t orders = method.byte_count() > 1 ? 2 : 1;
        for (auto& by_order : holds_) {
            for (std::size_t o = 0; o < orders; ++o) by_order[o] = true;
        }
    }

    // Narrows the tails and orders down to those that hold on `frame` too;
    // false when none is left.
    bool Narrow(const Bytes& frame) {
        const std::size_t check_size = static_cast<std::size_t>(method_.byte_count());
        // The data holds at least one byte: its end is after head + 1.
        const std::size_t first_end = head_ + 1;
        if (frame.size() < first_end + check_size) return Clear();
        const std::size_t last_end = frame.size() - check_size;  // tail 0
        const std::size_t lowest_end = last_end - std::min(max_skip_, last_end - first_end);
        // Tails too long for this frame hold nowhere.
        for (std::size_t tail = last_end - lowest_end + 1; tail <= max_skip_; ++tail) holds_[tail] = {false, false};
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

    bool Holds(std::size_t tail, std::size_t order) const { return holds_[tail][order]; }

private:
    bool Clear() {
        for (auto& by_order : holds_) by_order = {false, false};
        return false;
    }

    const CheckMethod& method_;
    std::size_t head_, max_skip_;
    std::vector<std::array<bool, 2>> holds_;  // [tail][order]
};

void SearchNamed(const std::vector<Bytes>& frames, std::size_t max_skip, std::vector<RankedMatch>& found) {
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    for (std::size_t rank = 0; rank < methods.size(); ++rank) {
        const CheckMethod& method = methods[rank];
        for (std::size_t head = 0; head <= max_skip; ++head) {
            TailSearch search(method, head, max_skip);
            bool any = true;
            for (const Bytes& frame : frames) {
                if (!(any = search.Narrow(frame))) break;
            }
            if (!any) continue;
            for (std::size_t tail = 0; tail <= max_skip; ++tail) {
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
    return !named_found && frames.size() <= kAutoRecoveryMaxFrames &&
           std::all_of(frames.begin(), frames.end(),
                       [](const Bytes& frame) { return frame.size() <= kAutoRecoveryMaxFrameBytes; });
}

// Several CRCs recovered for one placement either give the same check for
// every message (a polynomial with the factor x+1 allows that), so that any
// will do, or differ on frames not given.
void NoteSeveral(const std::vector<CrcParams>& models, FrameSearchResult& result) {
    if (models.size() < 2) return;
    const bool same = std::all_of(models.begin() + 1, models.end(),
                                  [&](const CrcParams& other) { return SameCrcFunction(models.front(), other); });
    (same ? result.recovery_equivalent : result.recovery_ambiguous) = true;
}

// Recovery by fewest skipped bytes first, stopping after the first count of
// them at which some CRC fits: more skipped bytes only give more chances to
// fit by accident.
void Recover(const std::vector<Bytes>& frames, const FrameSearchOptions& options, std::size_t first_rank,
             std::vector<RankedMatch>& found, FrameSearchResult& result) {
    const std::size_t max_skip = options.max_skip;
    std::string first_need;
    std::vector<CrcSample> samples;
    std::size_t rank = first_rank;
    for (std::size_t skipped = 0; skipped <= 2 * max_skip; ++skipped) {
        bool fits = false;
        for (std::size_t head = 0; head <= std::min(skipped, max_skip); ++head) {
            const std::size_t tail = skipped - head;
            if (tail > max_skip) continue;
            for (const int width : kRecoveryWidths) {
                const int check_size = width / kBitsPerByte;
                for (const CheckOrder order : kOrders) {
                    if (check_size == 1 && order == CheckOrder::kLittleEndian) continue;
                    if (!Samples(frames, head, tail, check_size, order, samples)) continue;
                    const CrcRecovery recovery = options.recover(samples, width);
                    if (!recovery.decided) {
                        // Its candidates are some of many that fit: frames
                        // too few or too short fit almost any CRC.
                        if (first_need.empty()) first_need = recovery.need;
                        continue;
                    }
                    std::vector<CrcParams> models;
                    for (const CrcParams& params : recovery.models) {
                        std::string unsound;
                        if (params.width != width || !CheckCrcParams(params, unsound) || InCatalogue(params)) continue;
                        const CheckMethod method = CheckMethod::OfCrc(params, "");
                        if (!HoldsOnAll(method, order, head, tail, frames)) continue;
                        found.push_back({{method, order, head, tail, true}, rank++});
                        models.push_back(params);
                    }
                    NoteSeveral(models, result);
                    fits = fits || !models.empty();
                }
            }
        }
        if (fits) return;
    }
    result.recovery_need = first_need;
}

}  // namespace

const std::vector<CheckMethod>& NamedCheckMethods() {
    static const std::vector<CheckMethod> methods = CheckMethod::AllNamed();
    return methods;
}

FrameSearchResult SearchFrames(const std::vector<Bytes>& frames, const FrameSearchOptions& options) {
    FrameSearchResult result;
    std::vector<RankedMatch> found;
    SearchNamed(frames, options.max_skip, found);
    if (RecoveryWanted(frames, options, !found.empty())) {
        result.recovery_ran = true;
        Recover(frames, options, NamedCheckMethods().size(), found, result);
    }
    std::stable_sort(found.begin(), found.end(), MorePlausible);
    for (RankedMatch& ranked : found) result.matches.push_back(std::move(ranked.match));
    return result;
}
