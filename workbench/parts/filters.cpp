#include "workbench/parts/filters.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "workbench/parts/best_choices.h"

namespace {

const double kPi = 3.14159265358979323846;

using Candidate = best_choices::Candidate<FilterParts>;

// The values of a series within a range, widened by far more than any
// rounding: the searches check each part against the range themselves.
struct Values {
    Values(const ESeries& series, double from, double to)
        : all(SeriesValues(series, from * (1 - 1e-6), to * (1 + 1e-6))), low(from), high(to) {}
    std::vector<double> all;
    double low, high;
    bool Holds(double value) const { return value >= low * (1 - 1e-9) && value <= high * (1 + 1e-9); }
    // Those from about `from` to about `to` (either may be 0 or infinite).
    std::pair<std::vector<double>::const_iterator, std::vector<double>::const_iterator> Between(double from,
                                                                                                  double to) const {
        const auto first = std::lower_bound(all.begin(), all.end(), from * (1 - 1e-6));
        return {first, std::upper_bound(first, all.end(), to * (1 + 1e-6))};
    }
};

// A part's distance from the middle of its range, geometrically.
double Distance(double part, const Values& range) {
    return best_choices::Distance(part, std::sqrt(range.low * range.high));
}

// A first-order choice: `outer` (R or L) and C with their frequency.
Candidate FirstOrder(double frequency, double got, double outer, double c, const Values& outer_range, bool inductor) {
    Candidate candidate;
    FilterParts& parts = candidate.choice;
    (inductor ? parts.l : parts.r) = outer;
    parts.c = c;
    parts.frequency = got;
    parts.frequency_error = (got - frequency) / frequency;
    candidate.error = parts.frequency_error;
    candidate.distance = Distance(outer, outer_range);
    candidate.value = got;
    candidate.parts = {outer, c, 0, 0};
    return candidate;
}

// A frequency (or a Q) off by more than a factor of two makes no filter for
// the target: the choices are those within a factor of two of it, and
// within `bound` of it, from Lowest to Highest.
double Lowest(double wanted, double bound) { return std::max(wanted * (1 - std::min(bound, 1.0)), wanted / 2); }
double Highest(double wanted, double bound) { return std::min(wanted * (1 + bound), wanted * 2); }
// So no error is above +1 (twice the wanted; half is -1/2).
const double kWidest = 1;
bool Within(double got, double wanted, double bound) {
    return got >= wanted / 2 && got <= wanted * 2 && std::fabs(got - wanted) <= bound * wanted;
}

// Where the N-th of a first-order list may lie: each of `outer` parts has
// a capacitor within half the series' step of its ideal, spread evenly.
double Guess(const ESeries& c_series, std::size_t outer, std::size_t count) {
    const double step = std::pow(10.0, 1.0 / c_series.count) - 1;
    return step * static_cast<double>(count) / static_cast<double>(std::max<std::size_t>(outer, 1));
}

std::vector<FilterParts> Choices(const std::vector<Candidate>& ranked) {
    std::vector<FilterParts> choices;
    for (const Candidate& candidate : ranked) choices.push_back(candidate.choice);
    return choices;
}

}  // namespace

double RcCornerFrequency(double r, double c) { return 1 / (2 * kPi * r * c); }

double LcResonantFrequency(double l, double c) { return 1 / (2 * kPi * std::sqrt(l * c)); }

SecondOrder SallenKeyLowPass(double r1, double r2, double c1, double c2) {
    const double root = std::sqrt(r1 * r2 * c1 * c2);
    return {1 / (2 * kPi * root), root / (c2 * (r1 + r2))};
}

// For each R (each L), the capacitors that keep the frequency within the
// bound are one run of the series, since the frequency falls as C grows.
std::vector<FilterParts> BestRcFilters(double frequency, const ESeries& r_series, const ESeries& c_series,
                                       const PartRanges& ranges, std::size_t count) {
    const Values rs(r_series, ranges.r_low, ranges.r_high), cs(c_series, ranges.c_low, ranges.c_high);
    const double guess = Guess(c_series, rs.all.size(), count);
    return Choices(best_choices::Best<FilterParts>(count, guess, kWidest, [&](double bound) {
        std::vector<Candidate> found;
        for (const double r : rs.all) {
            if (!rs.Holds(r)) continue;
            // fc = 1 / (2 pi R C): C from the highest frequency to the lowest.
            const auto run = cs.Between(1 / (2 * kPi * Highest(frequency, bound) * r),
                                        1 / (2 * kPi * Lowest(frequency, bound) * r));
            for (auto c = run.first; c != run.second; ++c) {
                if (!cs.Holds(*c)) continue;
                const double got = RcCornerFrequency(r, *c);
                if (Within(got, frequency, bound)) found.push_back(FirstOrder(frequency, got, r, *c, rs, false));
            }
        }
        return found;
    }));
}

std::vector<FilterParts> BestLcFilters(double frequency, const ESeries& l_series, const ESeries& c_series,
                                       const PartRanges& ranges, std::size_t count) {
    const Values ls(l_series, ranges.l_low, ranges.l_high), cs(c_series, ranges.c_low, ranges.c_high);
    // Half as far: the frequency goes as the square root of C.
    const double guess = Guess(c_series, ls.all.size(), count) / 2;
    return Choices(best_choices::Best<FilterParts>(count, guess, kWidest, [&](double bound) {
        std::vector<Candidate> found;
        for (const double l : ls.all) {
            if (!ls.Holds(l)) continue;
            // f0 = 1 / (2 pi sqrt(L C)): C = 1 / (w^2 L).
            const double high_w = 2 * kPi * Highest(frequency, bound), low_w = 2 * kPi * Lowest(frequency, bound);
            const auto run = cs.Between(1 / (high_w * high_w * l), 1 / (low_w * low_w * l));
            for (auto c = run.first; c != run.second; ++c) {
                if (!cs.Holds(*c)) continue;
                const double got = LcResonantFrequency(l, *c);
                if (Within(got, frequency, bound)) found.push_back(FirstOrder(frequency, got, l, *c, ls, true));
            }
        }
        return found;
    }));
}

// The score is the larger of the errors in f0 and in Q. f0 depends on the
// product R1 R2 C1 C2 alone, Q on C1/C2 and on R1/R2 alone:
// Q = sqrt(C1/C2) sqrt(R1/R2) / (1 + R1/R2), largest at R1 = R2 and falling
// as the resistors part. So within a bound the product lies in one range,
// and for two capacitors ln(R1/R2) lies in two (one each side of R1 = R2),
// or for two resistors C1/C2 in one: the search runs over the pairs of the
// smaller series and finds the other two parts in those ranges.
std::vector<FilterParts> BestSallenKeyFilters(double frequency, double q, const ESeries& r_series,
                                              const ESeries& c_series, const PartRanges& ranges, std::size_t count) {
    const Values rs(r_series, ranges.r_low, ranges.r_high), cs(c_series, ranges.c_low, ranges.c_high);
    // The widest the resistors can part: the least Q two capacitors allow.
    const double widest = std::log(ranges.r_high / ranges.r_low);
    // Within a bound b about b^2 of all the choices come within it in both
    // f0 and Q, give or take a factor the two spreads make.
    const double choices = std::pow(static_cast<double>(rs.all.size()) * static_cast<double>(cs.all.size()), 2);
    const double guess = std::sqrt(static_cast<double>(count) / std::max(choices, 1.0));
    return Choices(best_choices::Best<FilterParts>(count, guess, kWidest, [&](double bound) {
        std::vector<Candidate> found;
        const double high_w = 2 * kPi * Highest(frequency, bound), low_w = 2 * kPi * Lowest(frequency, bound);
        const double q_low = Lowest(q, bound), q_high = Highest(q, bound);
        const auto consider = [&](double r1, double r2, double c1, double c2) {
            if (!rs.Holds(r1) || !rs.Holds(r2) || !cs.Holds(c1) || !cs.Holds(c2)) return;
            const SecondOrder got = SallenKeyLowPass(r1, r2, c1, c2);
            if (!Within(got.f0, frequency, bound) || !Within(got.q, q, bound)) return;
            Candidate candidate;
            FilterParts& parts = candidate.choice;
            parts.r = r1;
            parts.r2 = r2;
            parts.c = c1;
            parts.c2 = c2;
            parts.frequency = got.f0;
            parts.q = got.q;
            parts.frequency_error = (got.f0 - frequency) / frequency;
            parts.q_error = (got.q - q) / q;
            const bool q_worse = std::fabs(parts.q_error) > std::fabs(parts.frequency_error);
            candidate.error = q_worse ? parts.q_error : parts.frequency_error;
            candidate.distance = Distance(r1, rs);
            candidate.value = got.f0;
            candidate.second = got.q;
            candidate.parts = {r1, r2, c1, c2};
            found.push_back(candidate);
        };
        if (cs.all.size() <= rs.all.size()) {
            // C1/C2 = 4 Q^2 cosh^2(d/2) for a parting d = |ln(R1/R2)|: from
            // q_low's at d = 0 to q_high's at the widest; and R1 R2 C1 C2 =
            // 1 / w^2 with the resistors within their range.
            const double cosh_widest = std::cosh(widest / 2);
            const double ratio_low = 4 * q_low * q_low, ratio_high = 4 * q_high * q_high * cosh_widest * cosh_widest;
            const double product_low = 1 / (high_w * high_w * ranges.r_high * ranges.r_high);
            const double product_high = 1 / (low_w * low_w * ranges.r_low * ranges.r_low);
            for (const double c1 : cs.all) {
                const auto c2_run = cs.Between(std::max(c1 / ratio_high, product_low / c1),
                                               std::min(c1 / ratio_low, product_high / c1));
                for (auto c2 = c2_run.first; c2 != c2_run.second; ++c2) {
                    const double r_low = 1 / (high_w * high_w * c1 * *c2), r_high = 1 / (low_w * low_w * c1 * *c2);
                    // The partings that keep Q within the bound:
                    // cosh(d/2) = sqrt(C1/C2) / (2 Q), widened well past
                    // acosh's rounding near 1.
                    const double root = std::sqrt(c1 / *c2);
                    const double most = root / (2 * q_low) > 1 ? 2 * std::acosh(root / (2 * q_low)) : 0;
                    const double least = root / (2 * q_high) > 1 ? 2 * std::acosh(root / (2 * q_high)) : 0;
                    const double far = std::exp(std::min(most * (1 + 1e-9) + 1e-6, widest + 1));
                    const double near = std::exp(std::max(least * (1 - 1e-9) - 1e-6, 0.0));
                    // R1 above R2 (R1 = R2 included), then below: R2 = sqrt(P / (R1/R2)).
                    for (const bool above : {true, false}) {
                        const double r2_from = above ? std::sqrt(r_low / far) : std::sqrt(r_low * near);
                        const double r2_to = above ? std::sqrt(r_high / near) : std::sqrt(r_high * far);
                        const auto r2_run = rs.Between(r2_from, r2_to);
                        for (auto r2 = r2_run.first; r2 != r2_run.second; ++r2) {
                            const double r1_from = std::max(r_low / *r2, above ? *r2 * near : *r2 / far);
                            const double r1_to = std::min(r_high / *r2, above ? *r2 * far : *r2 / near);
                            const auto r1_run = rs.Between(r1_from, r1_to);
                            for (auto r1 = r1_run.first; r1 != r1_run.second; ++r1) {
                                if ((*r1 >= *r2) == above) consider(*r1, *r2, c1, *c2);
                            }
                        }
                    }
                }
            }
        } else {
            for (const double r1 : rs.all) {
                for (const double r2 : rs.all) {
                    // Q = sqrt(C1/C2) g: C1/C2 from (q_low/g)^2 to (q_high/g)^2,
                    // and C1 C2 = 1 / (w^2 R1 R2).
                    const double g = std::sqrt(r1 * r2) / (r1 + r2);
                    const double ratio_low = (q_low / g) * (q_low / g), ratio_high = (q_high / g) * (q_high / g);
                    const double c_low = 1 / (high_w * high_w * r1 * r2), c_high = 1 / (low_w * low_w * r1 * r2);
                    const auto c1_run = cs.Between(std::sqrt(c_low * ratio_low), std::sqrt(c_high * ratio_high));
                    for (auto c1 = c1_run.first; c1 != c1_run.second; ++c1) {
                        const auto c2_run = cs.Between(std::max(c_low / *c1, *c1 / ratio_high),
                                                       std::min(c_high / *c1, *c1 / ratio_low));
                        for (auto c2 = c2_run.first; c2 != c2_run.second; ++c2) consider(r1, r2, *c1, *c2);
                    }
                }
            }
        }
        return found;
    }));
}
