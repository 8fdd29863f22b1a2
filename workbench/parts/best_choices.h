// What the "best N" searches of dividers and filters share: how choices are
// ranked, which choices count as one, and the search that widens its reach
// until nothing beyond it can enter the list.
//
// A search gathers every choice whose error is within a bound; Rank orders
// them. A list from the choices within a bound is the list from all choices
// once the bound passes the N-th's error by more than the rounding noise:
// every choice not gathered ranks after the N-th then. The bound starts
// small (the best few are near their ideal partners) and grows until that
// holds, so a search costs a little more than its answer, however far down
// the list the N-th lies.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace best_choices {

// Errors that agree to a millionth of a millionth are one error: the same
// ratio or frequency reached through other parts (a decade up, or 1:1.02
// beside 1.02:1 around one half) differs only in the doubles' last bits,
// which must not decide the order. Distances likewise, to a billionth.
inline double ErrorRank(double error) { return std::round(std::fabs(error) * 1e12); }
inline double DistanceRank(double distance) { return std::round((distance - 1) * 1e9); }

// How far `part` lies from `middle`, geometrically: the larger of their two
// quotients, 1 at the middle (a logarithm's order without its cost).
inline double Distance(double part, double middle) { return part > middle ? part / middle : middle / part; }

template <typename Choice>
struct Candidate {
    Choice choice;
    double error = 0;     // signed, relative: ranked by its magnitude
    double distance = 1;  // Distance(part, middle of its range), for ties
    // What the choice makes (a divider's R1/R2, a filter's frequency and Q):
    // choices that make the same to nine digits are one.
    double value = 0, second = 0;
    // The parts, for a last deterministic order among equals.
    std::array<double, 4> parts{};
};

namespace detail {

inline bool Same(double x, double y) { return std::fabs(x - y) <= 1e-9 * std::max(std::fabs(x), std::fabs(y)); }

// Which of two choices that make the same stands for them: the one nearest
// the middle of its range, then the smaller parts.
template <typename Choice>
bool Represents(const Candidate<Choice>& x, const Candidate<Choice>& y) {
    const double dx = DistanceRank(x.distance), dy = DistanceRank(y.distance);
    if (dx != dy) return dx < dy;
    return x.parts < y.parts;
}

}  // namespace detail

// The `count` best of `all`, best first: by the error's magnitude, then the
// part nearest the middle of its range, then the lower (negative) error,
// then what the choice makes; one choice for all that make the same.
template <typename Choice>
std::vector<Candidate<Choice>> Rank(const std::vector<Candidate<Choice>>& all, std::size_t count) {
    // By what they make, as (value, second, index): light to sort where
    // many choices make the same (every 1:1 pair of a half divider).
    struct Made {
        double value, second;
        std::size_t index;
    };
    std::vector<Made> made;
    made.reserve(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) made.push_back({all[i].value, all[i].second, i});
    std::sort(made.begin(), made.end(), [](const Made& x, const Made& y) {
        if (x.value != y.value) return x.value < y.value;
        return x.second < y.second;
    });
    // Runs of equal values, then within each run runs of equal seconds.
    std::vector<Candidate<Choice>> chosen;
    for (std::size_t start = 0; start < made.size();) {
        std::size_t end = start + 1;
        while (end < made.size() && detail::Same(made[end].value, made[end - 1].value)) ++end;
        if (end - start > 1) {
            std::sort(made.begin() + static_cast<std::ptrdiff_t>(start),
                      made.begin() + static_cast<std::ptrdiff_t>(end),
                      [](const Made& x, const Made& y) { return x.second < y.second; });
        }
        for (std::size_t i = start; i < end;) {
            std::size_t j = i + 1;
            std::size_t best = made[i].index;
            while (j < end && detail::Same(made[j].second, made[j - 1].second)) {
                if (detail::Represents(all[made[j].index], all[best])) best = made[j].index;
                ++j;
            }
            chosen.push_back(all[best]);
            i = j;
        }
        start = end;
    }
    const auto before = [](const Candidate<Choice>& x, const Candidate<Choice>& y) {
        const double ex = ErrorRank(x.error), ey = ErrorRank(y.error);
        if (ex != ey) return ex < ey;
        const double dx = DistanceRank(x.distance), dy = DistanceRank(y.distance);
        if (dx != dy) return dx < dy;
        if (x.error != y.error) return x.error < y.error;
        if (x.value != y.value) return x.value < y.value;
        return x.second < y.second;
    };
    if (chosen.size() > count) {
        std::partial_sort(chosen.begin(), chosen.begin() + static_cast<std::ptrdiff_t>(count), chosen.end(), before);
        chosen.resize(count);
    } else {
        std::sort(chosen.begin(), chosen.end(), before);
    }
    return chosen;
}

// The `count` best of every choice, where gather(bound) returns every choice
// whose |error| is at most `bound`, and no choice's is above `widest`.
// `guess` is where the N-th's error may lie: a guess too low costs a few
// quick passes, one too high a longer one.
template <typename Choice, typename Gather>
std::vector<Candidate<Choice>> Best(std::size_t count, double guess, double widest, Gather gather) {
    if (count == 0) return {};
    const double all = std::numeric_limits<double>::infinity();
    double bound = std::max(guess, 1e-12);
    for (;;) {
        if (bound >= widest) bound = all;
        std::vector<Candidate<Choice>> ranked = Rank(gather(bound), count);
        if (bound == all) return ranked;
        if (ranked.size() == count) {
            // Past the N-th's rank by more than the noise between choices
            // that make the same: whatever was left out ranks after it.
            const double needed = std::fabs(ranked.back().error) * (1 + 1e-9) + 2e-12;
            if (bound >= needed) return ranked;
            bound = needed;
        } else {
            // The choices within a bound grow as it does, or as its square
            // where two parts are free within it: a step of the square root
            // of what is missing, with a little to spare.
            const double missing =
                static_cast<double>(count) / static_cast<double>(std::max<std::size_t>(ranked.size(), 1));
            bound *= ranked.empty() ? 8 : std::min(8.0, std::max(1.5, 1.5 * std::sqrt(missing)));
        }
    }
}

}  // namespace best_choices
