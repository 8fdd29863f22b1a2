#include "workbench/parts/e_series.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "workbench/parts/best_choices.h"

namespace {

// IEC 60063:2015, "Preferred number series for resistors and capacitors",
// Table 1 (E3 to E24) and Table 2 (E48 to E192), as reproduced in the
// Wikipedia article "E series of preferred numbers". E3 to E24 are older
// than the formula 10^(i/n): eight of E24's values (2.7 to 4.7 and 8.2) are
// not 10^(i/24) rounded. E48 and E96 are every fourth and every second value
// of E192, which is 10^(i/192) to three digits except 9.20 (the formula gives
// 9.19). Typed in rather than computed for that reason.
const short kE3[] = {100, 220, 470};
const short kE6[] = {100, 150, 220, 330, 470, 680};
const short kE12[] = {100, 120, 150, 180, 220, 270, 330, 390, 470, 560, 680, 820};
const short kE24[] = {100, 110, 120, 130, 150, 160, 180, 200, 220, 240, 270, 300,
                      330, 360, 390, 430, 470, 510, 560, 620, 680, 750, 820, 910};
const short kE48[] = {100, 105, 110, 115, 121, 127, 133, 140, 147, 154, 162, 169, 178, 187, 196, 205,
                      215, 226, 237, 249, 261, 274, 287, 301, 316, 332, 348, 365, 383, 402, 422, 442,
                      464, 487, 511, 536, 562, 590, 619, 649, 681, 715, 750, 787, 825, 866, 909, 953};
const short kE96[] = {100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137, 140, 143,
                      147, 150, 154, 158, 162, 165, 169, 174, 178, 182, 187, 191, 196, 200, 205, 210,
                      215, 221, 226, 232, 237, 243, 249, 255, 261, 267, 274, 280, 287, 294, 301, 309,
                      316, 324, 332, 340, 348, 357, 365, 374, 383, 392, 402, 412, 422, 432, 442, 453,
                      464, 475, 487, 499, 511, 523, 536, 549, 562, 576, 590, 604, 619, 634, 649, 665,
                      681, 698, 715, 732, 750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};
const short kE192[] = {
    100, 101, 102, 104, 105, 106, 107, 109, 110, 111, 113, 114, 115, 117, 118, 120, 121, 123, 124, 126,
    127, 129, 130, 132, 133, 135, 137, 138, 140, 142, 143, 145, 147, 149, 150, 152, 154, 156, 158, 160,
    162, 164, 165, 167, 169, 172, 174, 176, 178, 180, 182, 184, 187, 189, 191, 193, 196, 198, 200, 203,
    205, 208, 210, 213, 215, 218, 221, 223, 226, 229, 232, 234, 237, 240, 243, 246, 249, 252, 255, 258,
    261, 264, 267, 271, 274, 277, 280, 284, 287, 291, 294, 298, 301, 305, 309, 312, 316, 320, 324, 328,
    332, 336, 340, 344, 348, 352, 357, 361, 365, 370, 374, 379, 383, 388, 392, 397, 402, 407, 412, 417,
    422, 427, 432, 437, 442, 448, 453, 459, 464, 470, 475, 481, 487, 493, 499, 505, 511, 517, 523, 530,
    536, 542, 549, 556, 562, 569, 576, 583, 590, 597, 604, 612, 619, 626, 634, 642, 649, 657, 665, 673,
    681, 690, 698, 706, 715, 723, 732, 741, 750, 759, 768, 777, 787, 796, 806, 816, 825, 835, 845, 856,
    866, 876, 887, 898, 909, 920, 931, 942, 953, 965, 976, 988};

// Values differ by 0.5 % at least (E192), so a relative slack far below that
// only absorbs a target's rounding ("4.7k" read as 4700.000000000001).
const double kSlack = 1e-9;

// Powers of ten as literals, which every compiler rounds correctly: a C
// library's pow need not, and the Windows builds' is another library.
const double kNegativePowers[] = {1e0,   1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,  1e-8,  1e-9,  1e-10,
                                  1e-11, 1e-12, 1e-13, 1e-14, 1e-15, 1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21};
const double kPositivePowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10,
                                  1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21};

// Values stay within 1e-18 to 1e18 (ReadPartValue's range and the searches'
// reach around it); beyond the table, pow.
double Power10(int exponent) {
    if (exponent >= 0 && exponent <= 21) return kPositivePowers[exponent];
    if (exponent < 0 && exponent >= -21) return kNegativePowers[-exponent];
    return std::pow(10.0, exponent);
}

// The decade of `value`: 10^d <= value < 10^(d+1), within the slack.
int Decade(double value) {
    int d = static_cast<int>(std::floor(std::log10(value)));
    if (Power10(d + 1) <= value * (1 + kSlack)) ++d;
    if (Power10(d) > value * (1 + kSlack)) --d;
    return d;
}

// hundredths times 10^(d-2), rounded once: multiplying by 10^-k, itself
// rounded, would round twice and miss the double nearest the value.
double Scaled(int hundredths, int d) {
    const int exponent = d - 2;
    return exponent >= 0 ? hundredths * Power10(exponent) : hundredths / Power10(-exponent);
}

// The i-th value of the decade 10^d, i from 0 to count (count: the next decade's first).
double ValueAt(const ESeries& series, int d, int i) {
    return i >= series.count ? Scaled(100, d + 1) : Scaled(series.hundredths[i], d);
}

}  // namespace

const std::vector<ESeries>& ESeriesList() {
    static const std::vector<ESeries> list = {
        {"E3", 3, kE3, 0.4},     {"E6", 6, kE6, 0.2},     {"E12", 12, kE12, 0.1},    {"E24", 24, kE24, 0.05},
        {"E48", 48, kE48, 0.02}, {"E96", 96, kE96, 0.01}, {"E192", 192, kE192, 0.005},
    };
    return list;
}

const ESeries* FindESeries(const std::string& name) {
    for (const ESeries& series : ESeriesList()) {
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper == series.name) return &series;
    }
    return nullptr;
}

std::vector<double> SeriesValues(const ESeries& series, double low, double high) {
    std::vector<double> values;
    if (!(low > 0) || !(high >= low)) return values;
    for (int d = Decade(low) ; d <= Decade(high); ++d) {
        for (int i = 0; i < series.count; ++i) {
            const double value = ValueAt(series, d, i);
            if (value >= low * (1 - kSlack) && value <= high * (1 + kSlack)) values.push_back(value);
        }
    }
    return values;
}

NearestValues NearestSeriesValues(const ESeries& series, double target) {
    const int d = Decade(target);
    // The place by the hundredths, then the neighbours checked as the
    // doubles they are, which the division may have rounded across.
    const double hundredths = target / Scaled(1, d);
    const short* end = series.hundredths + series.count;
    const int place = static_cast<int>(std::upper_bound(series.hundredths, end, hundredths) - series.hundredths);
    NearestValues nearest;
    for (int i = std::max(0, place - 2); i <= std::min(series.count, place + 1); ++i) {
        const double value = ValueAt(series, d, i);
        if (std::fabs(value - target) <= target * kSlack) return {value, value};
        if (value < target) nearest.below = value;
        if (value > target) {
            nearest.above = value;
            break;
        }
    }
    if (nearest.below == 0) nearest.below = ValueAt(series, d - 1, series.count - 1);
    return nearest;
}

double NearestSeriesValue(const ESeries& series, double target) {
    const NearestValues nearest = NearestSeriesValues(series, target);
    return (target - nearest.below) / target <= (nearest.above - target) / target ? nearest.below : nearest.above;
}

namespace {

// The better of the pairs a with either neighbour of b's ideal.
void Consider(PartPair& best, double target, double a, double b, bool parallel) {
    const double value = parallel ? a * b / (a + b) : a + b;
    const double error = (value - target) / target;
    if (best.value == 0 || std::fabs(error) < std::fabs(best.error) - kSlack) best = {a, b, value, error};
}

}  // namespace

// b's candidates for a given a: the neighbours of its ideal, kept within a
// thousandth to a thousand times the target (beyond, a part's share is less
// than any tolerance would leave visible); the bound's nearest value when the
// ideal is beyond it (or none, a above the target in series).
std::vector<double> Partners(const ESeries& series, double target, double ideal) {
    const double low = NearestSeriesValues(series, target * 1e-3).above;
    const double high = NearestSeriesValues(series, target * 1e3).below;
    if (!(ideal > low)) return {low};
    if (ideal >= high) return {high};
    const NearestValues b = NearestSeriesValues(series, ideal);
    return {std::max(b.below, low), std::min(b.above, high)};
}

PartPair BestSeriesPair(const ESeries& series, double target) {
    PartPair best;
    // a the larger: from half the target (less, when the pair falls short),
    // to above it when the smallest b makes the sum nearest.
    for (const double a : SeriesValues(series, target / 4, target * 1.5)) {
        for (const double b : Partners(series, target, target - a)) Consider(best, target, std::max(a, b), std::min(a, b), false);
    }
    return best;
}

PartPair BestParallelPair(const ESeries& series, double target) {
    PartPair best;
    // a the smaller: up to twice the target (more, when the pair overshoots),
    // down below it when the largest b makes the pair nearest.
    for (const double a : SeriesValues(series, target / 1.5, target * 4)) {
        const double ideal = a > target * (1 + kSlack) ? a * target / (a - target) : target * 1e6;
        for (const double b : Partners(series, target, ideal)) Consider(best, target, std::min(a, b), std::max(a, b), true);
    }
    return best;
}

namespace {

// What makes a pair a divider for `ratio` within a bound.
struct DividerRules {
    double ratio, total_low, total_high, bound;
    // R1 + R2 within the totals; the ratio, and R1's share 1 - ratio,
    // within a factor of two of the wanted and within the bound of it.
    bool Allow(double r1, double r2, double& actual) const {
        const double total = r1 + r2;
        if (total < total_low * (1 - kSlack) || total > total_high * (1 + kSlack)) return false;
        actual = r2 / total;
        return actual >= ratio / 2 && actual <= 2 * ratio && 1 - actual >= (1 - ratio) / 2 &&
               1 - actual <= 2 * (1 - ratio) && std::fabs(actual - ratio) <= bound * ratio;
    }
};

// The value a decade from values[at] (`step` places on in a run of the
// series, `decade` 10 or 0.1 times it); null beyond the run.
const double* Decade(const std::vector<double>& values, std::size_t at, std::ptrdiff_t step, double decade) {
    const std::ptrdiff_t place = static_cast<std::ptrdiff_t>(at) + step;
    if (place < 0 || place >= static_cast<std::ptrdiff_t>(values.size())) return nullptr;
    const double& value = values[static_cast<std::size_t>(place)];
    return std::fabs(value - values[at] * decade) <= value * 1e-9 ? &value : nullptr;
}

// Every pair whose |error| is within `bound`: for each R2, the R1 that keep
// the ratio within it form one run of the series (the ratio falls as R1
// grows), found by bisection and checked pair by pair. A pair whose decade
// neighbour toward the middle of the totals stands for it is left out here:
// over wide totals every ratio has a pair in each decade.
std::vector<best_choices::Candidate<DividerPair>> GatherDividers(const ESeries& series,
                                                                 const std::vector<double>& r1s,
                                                                 const std::vector<double>& r2s,
                                                                 const DividerRules& rules) {
    const double middle = std::sqrt(rules.total_low * rules.total_high);
    const double ratio = rules.ratio, bound = rules.bound;
    const double lowest = std::max({ratio * (1 - bound), ratio / 2, 2 * ratio - 1});
    const double highest = std::min({ratio * (1 + bound), 2 * ratio, (1 + ratio) / 2});
    std::vector<best_choices::Candidate<DividerPair>> found;
    if (!(lowest <= highest)) return found;
    found.reserve(r2s.size() * 2);
    for (std::size_t at2 = 0; at2 < r2s.size(); ++at2) {
        const double r2 = r2s[at2];
        // R1 = R2 (1 - a) / a for a ratio a, widened by far more than the
        // rounding; the rules decide.
        const double r1_low = std::max(r2 * (1 - highest) / highest, rules.total_low - r2) * (1 - 1e-6);
        const double r1_high = std::min(r2 * (1 - lowest) / lowest, rules.total_high - r2) * (1 + 1e-6);
        for (auto r1 = std::lower_bound(r1s.begin(), r1s.end(), r1_low); r1 != r1s.end() && *r1 <= r1_high; ++r1) {
            double actual = 0;
            if (!rules.Allow(*r1, r2, actual)) continue;
            const double distance = best_choices::Distance(*r1 + r2, middle);
            const double toward = *r1 + r2 < middle ? 10 : 0.1;
            const std::ptrdiff_t step = toward > 1 ? series.count : -series.count;
            const double* r1_shifted = Decade(r1s, static_cast<std::size_t>(r1 - r1s.begin()), step, toward);
            const double* r2_shifted = Decade(r2s, at2, step, toward);
            double shifted_actual = 0;
            if (r1_shifted != nullptr && r2_shifted != nullptr &&
                rules.Allow(*r1_shifted, *r2_shifted, shifted_actual)) {
                // The same choice a decade on: the one nearer the middle
                // stands for both, the smaller on a tie.
                const double here = best_choices::DistanceRank(distance);
                const double there =
                    best_choices::DistanceRank(best_choices::Distance(*r1_shifted + *r2_shifted, middle));
                if (there < here || (there == here && toward < 1)) continue;
            }
            const double error = (actual - ratio) / ratio;
            best_choices::Candidate<DividerPair> candidate;
            candidate.choice = {*r1, r2, actual, error};
            candidate.error = error;
            candidate.distance = distance;
            // R1 / R2 tells pairs apart better than the ratio, which
            // crowds against 1 as R1 shrinks.
            candidate.value = *r1 / r2;
            candidate.parts = {r2, *r1, 0, 0};
            found.push_back(candidate);
        }
    }
    return found;
}

}  // namespace

std::vector<DividerPair> BestDividers(const ESeries& series, double ratio, double total_low, double total_high,
                                      std::size_t count) {
    std::vector<DividerPair> best;
    if (!(ratio > 0 && ratio < 1) || !(total_low > 0) || !(total_high >= total_low)) return best;
    // Every part a pair within the ranges can have, a little beyond.
    const std::vector<double> r2s =
        SeriesValues(series, total_low * ratio / 2 * (1 - 1e-6), total_high * std::min(1.0, 2 * ratio) * (1 + 1e-6));
    const std::vector<double> r1s = SeriesValues(series, total_low * (1 - ratio) / 2 * (1 - 1e-6),
                                                 total_high * std::min(1.0, 2 * (1 - ratio)) * (1 + 1e-6));
    if (r1s.empty() || r2s.empty()) return best;
    // Each R2 has an R1 within half a step of its ideal, spread evenly.
    const double step = std::pow(10.0, 1.0 / series.count) - 1;
    const double guess = step * static_cast<double>(count) / static_cast<double>(r2s.size());
    // Every pair's error lies within -1/2 to +1, the ratio within a factor of two.
    for (const auto& found : best_choices::Best<DividerPair>(count, guess, 1.0, [&](double bound) {
             return GatherDividers(series, r1s, r2s, {ratio, total_low, total_high, bound});
         })) {
        best.push_back(found.choice);
    }
    return best;
}
