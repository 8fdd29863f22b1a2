#include "workbench/parts/filters.h"

#include <algorithm>
#include <cmath>

namespace {

const double kPi = 3.14159265358979323846;

double Score(const FilterParts& parts) { return std::max(std::fabs(parts.frequency_error), std::fabs(parts.q_error)); }

// The choices by score; among those that give the same frequency and Q (the
// same parts a decade apart in impedance) only the one whose resistor (or
// inductor) is nearest the middle of its range, geometrically: the others
// would crowd out different choices.
std::vector<FilterParts> Best(std::vector<FilterParts> all, double low, double high, std::size_t count) {
    const double middle = std::sqrt(low * high);
    const auto distance = [middle](const FilterParts& parts) {
        return std::fabs(std::log((parts.r > 0 ? parts.r : parts.l) / middle));
    };
    std::stable_sort(all.begin(), all.end(), [&](const FilterParts& x, const FilterParts& y) {
        const double sx = Score(x), sy = Score(y);
        if (std::fabs(sx - sy) > 1e-12) return sx < sy;
        return distance(x) < distance(y);
    });
    std::vector<FilterParts> best;
    for (const FilterParts& parts : all) {
        bool same = false;
        for (const FilterParts& kept : best) {
            same = same || (std::fabs(kept.frequency / parts.frequency - 1) < 1e-9 &&
                            std::fabs(kept.q - parts.q) <= 1e-9 * std::fabs(kept.q));
        }
        if (!same) best.push_back(parts);
        if (best.size() == count) break;
    }
    return best;
}

}  // namespace

double RcCornerFrequency(double r, double c) { return 1 / (2 * kPi * r * c); }

double LcResonantFrequency(double l, double c) { return 1 / (2 * kPi * std::sqrt(l * c)); }

SecondOrder SallenKeyLowPass(double r1, double r2, double c1, double c2) {
    const double root = std::sqrt(r1 * r2 * c1 * c2);
    return {1 / (2 * kPi * root), root / (c2 * (r1 + r2))};
}

std::vector<FilterParts> BestRcFilters(double frequency, const ESeries& r_series, const ESeries& c_series,
                                       const PartRanges& ranges, std::size_t count) {
    std::vector<FilterParts> all;
    for (const double c : SeriesValues(c_series, ranges.c_low, ranges.c_high)) {
        const double ideal = 1 / (2 * kPi * frequency * c);
        if (ideal < ranges.r_low / 2 || ideal > ranges.r_high * 2) continue;
        const NearestValues near = NearestSeriesValues(r_series, ideal);
        for (const double r : {near.below, near.above}) {
            if (r < ranges.r_low || r > ranges.r_high) continue;
            FilterParts parts;
            parts.r = r;
            parts.c = c;
            parts.frequency = RcCornerFrequency(r, c);
            parts.frequency_error = (parts.frequency - frequency) / frequency;
            all.push_back(parts);
            if (near.below == near.above) break;
        }
    }
    return Best(all, ranges.r_low, ranges.r_high, count);
}

std::vector<FilterParts> BestLcFilters(double frequency, const ESeries& l_series, const ESeries& c_series,
                                       const PartRanges& ranges, std::size_t count) {
    std::vector<FilterParts> all;
    const double w = 2 * kPi * frequency;
    for (const double l : SeriesValues(l_series, ranges.l_low, ranges.l_high)) {
        const double ideal = 1 / (w * w * l);
        if (ideal < ranges.c_low / 2 || ideal > ranges.c_high * 2) continue;
        const NearestValues near = NearestSeriesValues(c_series, ideal);
        for (const double c : {near.below, near.above}) {
            if (c < ranges.c_low || c > ranges.c_high) continue;
            FilterParts parts;
            parts.l = l;
            parts.c = c;
            parts.frequency = LcResonantFrequency(l, c);
            parts.frequency_error = (parts.frequency - frequency) / frequency;
            all.push_back(parts);
            if (near.below == near.above) break;
        }
    }
    return Best(all, ranges.l_low, ranges.l_high, count);
}

std::vector<FilterParts> BestSallenKeyFilters(double frequency, double q, const ESeries& r_series,
                                              const ESeries& c_series, const PartRanges& ranges, std::size_t count) {
    std::vector<FilterParts> all;
    const double w = 2 * kPi * frequency;
    const std::vector<double> capacitors = SeriesValues(c_series, ranges.c_low, ranges.c_high);
    for (const double c2 : capacitors) {
        for (const double c1 : capacitors) {
            // Real resistors need C1/C2 >= 4 Q^2; far above it one resistor
            // dwarfs the other, so up to ten times that.
            const double ratio = c1 / c2;
            if (ratio < 4 * q * q * (1 - 1e-9) || ratio > 40 * q * q) continue;
            // R1 + R2 = 1 / (w Q C2) and R1 R2 = 1 / (w^2 C1 C2): the roots of
            // x^2 - sum x + product.
            const double sum = 1 / (w * q * c2);
            const double product = 1 / (w * w * c1 * c2);
            const double discriminant = std::max(0.0, sum * sum - 4 * product);
            const double larger = (sum + std::sqrt(discriminant)) / 2;
            const double smaller = product / larger;
            if (smaller < ranges.r_low / 2 || larger > ranges.r_high * 2) continue;
            const NearestValues n1 = NearestSeriesValues(r_series, larger);
            const NearestValues n2 = NearestSeriesValues(r_series, smaller);
            for (const double r1 : {n1.below, n1.above}) {
                for (const double r2 : {n2.below, n2.above}) {
                    if (std::min(r1, r2) < ranges.r_low || std::max(r1, r2) > ranges.r_high) continue;
                    const SecondOrder got = SallenKeyLowPass(r1, r2, c1, c2);
                    FilterParts parts;
                    parts.r = r1;
                    parts.r2 = r2;
                    parts.c = c1;
                    parts.c2 = c2;
                    parts.frequency = got.f0;
                    parts.q = got.q;
                    parts.frequency_error = (got.f0 - frequency) / frequency;
                    parts.q_error = (got.q - q) / q;
                    all.push_back(parts);
                }
            }
        }
    }
    return Best(all, ranges.r_low, ranges.r_high, count);
}
