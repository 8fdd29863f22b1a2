#include "workbench/frames/check_evidence.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <utility>

namespace {

constexpr int kBitsPerByte = 8;

// Check bytes found among their frames' data this much more often than luck
// would put them there happen less than once in a million sets of varied
// frames: a true check on varied frames keeps its bits but that seldom.
constexpr double kStructureLimit = 1e-6;

// The longest block whose repeats count as a pattern.
constexpr std::size_t kLongestBlock = 16;

// log P(X >= k) for X binomial(n, p), summed from the top term down so that
// tails far below 1 keep their digits.
double LogBinomialTail(std::size_t n, double p, std::size_t k) {
    if (k == 0) return 0;
    if (k > n) return -INFINITY;
    const double dn = static_cast<double>(n);
    const auto log_term = [&](std::size_t j) {
        const double dj = static_cast<double>(j);
        return std::lgamma(dn + 1) - std::lgamma(dj + 1) - std::lgamma(dn - dj + 1) + dj * std::log(p) +
               (dn - dj) * std::log1p(-p);
    };
    const double first = log_term(k);
    double sum = 0;
    // Past the mean (here always: k >= 1 > n p for the frames that matter,
    // else the terms are summed all the same) the terms fall fast.
    for (std::size_t j = k; j <= n && j < k + 4096; ++j) {
        const double ratio = std::exp(log_term(j) - first);
        sum += ratio;
        if (ratio < 1e-17 && static_cast<double>(j) > dn * p) break;
    }
    return first + std::log(sum);
}

// One frame's data and check between head and tail: how often its check's
// bytes are among its data's, and the bits the check keeps if they count.
struct CheckInData {
    double log_luck = 0;  // log of the chance luck puts them there as often
    double bits = 0;      // -log2 of the chance a check drawn from the data holds
};

CheckInData ReplacedCheck(const Bytes& region, std::size_t check_size) {
    const std::size_t data_size = region.size() - check_size;
    std::array<std::size_t, 256> counts{};
    for (std::size_t i = 0; i < data_size; ++i) ++counts[region[i]];
    CheckInData found;
    constexpr double kByteChance = 1.0 / 256;
    for (std::size_t i = data_size; i < region.size(); ++i) {
        const std::size_t count = counts[region[i]];
        found.log_luck += LogBinomialTail(data_size, kByteChance, count);
        found.bits += count == 0 ? kBitsPerByte
                                 : std::min<double>(kBitsPerByte, std::log2(static_cast<double>(data_size) /
                                                                            static_cast<double>(count)));
    }
    return found;
}

// The frame with every byte of its data and check moved by the same
// amount, for each of the 255 amounts: counters stay counters and runs stay
// runs, and a check that holds for their steps holds on many of the moved
// frames. Some checks hold on moved frames of any data (a sum of n bytes
// and its check move alike when (n - 1) times the amount is 0 mod 256; an
// XOR of an odd count of bytes moved by 128): those amounts are found on a
// frame of pseudo-random data of the same length with its true check, and
// only the holds beyond them count.
struct Moved {
    std::size_t tried = 0, held = 0;
};

std::vector<bool> HoldsMoved(const CheckMethod& method, CheckOrder order, const Bytes& region,
                             unsigned amounts = 256) {
    const std::size_t data_size = region.size() - static_cast<std::size_t>(method.byte_count());
    std::vector<bool> holds(256, false);
    Bytes decoy(region.size());
    for (unsigned amount = 1; amount < amounts; ++amount) {
        for (std::size_t i = 0; i < region.size(); ++i) decoy[i] = static_cast<unsigned char>(region[i] + amount);
        holds[amount] = ReadCheckBytes(decoy.data() + data_size, method.byte_count(), order) ==
                        method.Compute(decoy.data(), data_size);
    }
    return holds;
}

// Structure that matters holds on many amounts; a frame on which none of
// the first few holds is taken as varied, and the rest are not tried.
constexpr unsigned kFirstAmounts = 16;

Moved MovedFrames(const CheckMethod& method, CheckOrder order, const Bytes& region) {
    const std::vector<bool> first = HoldsMoved(method, order, region, kFirstAmounts);
    if (std::none_of(first.begin(), first.end(), [](bool holds) { return holds; })) return {};
    const std::size_t check_size = static_cast<std::size_t>(method.byte_count());
    const std::size_t data_size = region.size() - check_size;
    // The reference: data from a fixed pseudo-random sequence (SplitMix64),
    // then its true check.
    Bytes reference(data_size);
    std::uint64_t state = 0x5155'4F42'5249'5821u;
    for (unsigned char& byte : reference) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        byte = static_cast<unsigned char>((z ^ (z >> 31)) >> 56);
    }
    const Bytes check = CheckBytes(method.Compute(reference.data(), data_size), method.byte_count(), order);
    reference.insert(reference.end(), check.begin(), check.end());
    const std::vector<bool> always = HoldsMoved(method, order, reference);
    const std::vector<bool> holds = HoldsMoved(method, order, region);
    Moved moved;
    for (unsigned amount = 1; amount < 256; ++amount) {
        if (always[amount]) continue;
        ++moved.tried;
        moved.held += holds[amount] ? 1 : 0;
    }
    return moved;
}

// For checks linear over GF(2) with frames of one length: whether `region`
// is independent of the regions already in the basis, which it joins if
// so. Each row is kept with a pivot bit no later row has.
class Gf2Basis {
public:
    bool Insert(const Bytes& region) {
        std::vector<std::uint64_t> row((region.size() + 7) / 8, 0);
        for (std::size_t i = 0; i < region.size(); ++i) row[i / 8] |= std::uint64_t{region[i]} << (8 * (i % 8));
        for (const auto& [pivot, basis_row] : rows_) {
            if ((row[pivot / 64] >> (pivot % 64)) & 1) {
                for (std::size_t w = 0; w < row.size(); ++w) row[w] ^= basis_row[w];
            }
        }
        for (std::size_t w = 0; w < row.size(); ++w) {
            if (row[w] == 0) continue;
            std::size_t bit = 0;
            while (((row[w] >> bit) & 1) == 0) ++bit;
            rows_.emplace_back(64 * w + bit, std::move(row));
            return true;
        }
        return false;
    }

private:
    std::vector<std::pair<std::size_t, std::vector<std::uint64_t>>> rows_;
};

// Whether XORing frames of one length that hold gives another that holds
// (when the check of no data is 0): CRCs and the XOR of the bytes.
bool LinearOverGf2(const CheckMethod& method) { return method.is_crc() || method.name() == "XOR-8"; }

}  // namespace

bool PatternPredicts(const Bytes& bytes, std::size_t known) {
    if (known < 2 || known > bytes.size()) return false;
    const unsigned char step = static_cast<unsigned char>(bytes[1] - bytes[0]);
    bool counter = true;
    for (std::size_t i = 2; i < bytes.size() && counter; ++i) {
        counter = static_cast<unsigned char>(bytes[i] - bytes[i - 1]) == step;
    }
    if (counter) return true;
    for (std::size_t block = 1; block <= kLongestBlock && 2 * block <= known; ++block) {
        bool repeats = true;
        for (std::size_t i = block; i < bytes.size() && repeats; ++i) repeats = bytes[i] == bytes[i - block];
        if (repeats) return true;
    }
    return false;
}

double CheckEvidenceBits(const CheckMethod& method, CheckOrder order, std::size_t head, std::size_t tail,
                         const std::vector<Bytes>& frames) {
    const std::size_t check_size = static_cast<std::size_t>(method.byte_count());
    const double full_bits = static_cast<double>(kBitsPerByte * method.byte_count());
    std::set<Bytes> regions;
    for (const Bytes& frame : frames) {
        if (frame.size() < head + tail + check_size + 1) continue;
        regions.emplace(frame.begin() + static_cast<std::ptrdiff_t>(head),
                        frame.end() - static_cast<std::ptrdiff_t>(tail));
    }
    // The frames are judged together: a check among its data now and then
    // is luck, on every frame it is structure.
    std::vector<std::pair<double, const Bytes*>> weighed;
    std::vector<double> moved_bits;
    double log_luck = 0, log_luck_moved = 0;
    for (const Bytes& region : regions) {
        const CheckInData found = ReplacedCheck(region, check_size);
        log_luck += found.log_luck;
        weighed.emplace_back(found.bits, &region);
        // Sums and XOR-8 follow moved bytes through their carries, data by
        // data: no reference tells their structure from their arithmetic.
        const Moved moved = method.is_crc() ? MovedFrames(method, order, region) : Moved{};
        log_luck_moved += LogBinomialTail(moved.tried, std::exp2(-full_bits), moved.held);
        moved_bits.push_back(moved.held == 0 ? full_bits
                                             : std::min(full_bits, std::log2(static_cast<double>(moved.tried) /
                                                                             static_cast<double>(moved.held))));
    }
    const bool in_data = log_luck < std::log(kStructureLimit);
    const bool follows_moves = log_luck_moved < std::log(kStructureLimit);
    for (std::size_t i = 0; i < weighed.size(); ++i) {
        double& bits = weighed[i].first;
        bits = std::min(in_data ? bits : full_bits, follows_moves ? moved_bits[i] : full_bits);
        const Bytes& region = *weighed[i].second;
        if (PatternPredicts(region, region.size() - check_size)) bits = 0;
    }
    // The frames that say the most first, so that a basis over GF(2) keeps
    // them.
    std::stable_sort(weighed.begin(), weighed.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const bool linear = LinearOverGf2(method);
    std::map<std::size_t, Gf2Basis> bases;  // by length
    double total = 0;
    for (const auto& [bits, region] : weighed) {
        if (bits <= 0) break;
        if (linear && !bases[region->size()].Insert(*region)) continue;
        total += bits;
    }
    return total;
}
