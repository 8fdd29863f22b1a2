// Filters against their transfer functions, evaluated as complex numbers:
// an RC at its fc is 3.01 dB down with 45 degrees of phase, an LC's
// admittance vanishes at f0, and a Sallen-Key's poles give its f0 and Q.
#include "workbench/parts/filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>
#include <complex>
#include <random>

namespace {

const double kPi = 3.14159265358979323846;
using Complex = std::complex<double>;

double Decibels(Complex h) { return 20 * std::log10(std::abs(h)); }

bool InSeries(const ESeries& series, double value) {
    const NearestValues nearest = NearestSeriesValues(series, value);
    return nearest.below == nearest.above;
}

}  // namespace

TEST(Filters, RcCornerIsThreeDecibelsDown) {
    std::mt19937_64 random(62);
    std::uniform_real_distribution<double> exponent(0, 1);
    for (int i = 0; i < 200; ++i) {
        const double r = std::pow(10.0, 2 + 4 * exponent(random)), c = std::pow(10.0, -11 + 6 * exponent(random));
        const double fc = RcCornerFrequency(r, c);
        const Complex jw(0, 2 * kPi * fc);
        const Complex low = 1.0 / (1.0 + jw * r * c), high = jw * r * c / (1.0 + jw * r * c);
        EXPECT_NEAR(Decibels(low), -3.0103, 1e-4);
        EXPECT_NEAR(Decibels(high), -3.0103, 1e-4);
        EXPECT_NEAR(std::arg(low), -kPi / 4, 1e-9);
    }
}

TEST(Filters, LcAdmittanceVanishesAtResonance) {
    for (const double l : {1e-6, 4.7e-6, 100e-6, 10e-3}) {
        for (const double c : {10e-12, 1e-9, 2.2e-6}) {
            const double w = 2 * kPi * LcResonantFrequency(l, c);
            const Complex admittance = Complex(0, w * c) + 1.0 / Complex(0, w * l);
            EXPECT_NEAR(std::abs(admittance) * std::sqrt(l / c), 0, 1e-9) << l << " " << c;
        }
    }
}

// The poles of 1 / (s^2 R1 R2 C1 C2 + s C2 (R1 + R2) + 1), by the quadratic
// formula in complex numbers: w0^2 = p1 p2 and w0 / Q = -(p1 + p2), which
// holds for complex poles and real ones (Q below 0.5) alike.
TEST(Filters, SallenKeyFrequencyAndQFromItsPoles) {
    std::mt19937_64 random(1955);
    std::uniform_real_distribution<double> exponent(0, 1);
    for (int i = 0; i < 200; ++i) {
        const double r1 = std::pow(10.0, 3 + 2 * exponent(random)), r2 = std::pow(10.0, 3 + 2 * exponent(random));
        const double c2 = std::pow(10.0, -10 + 3 * exponent(random)), c1 = c2 * (1 + 9 * exponent(random));
        const double a = r1 * r2 * c1 * c2, b = c2 * (r1 + r2);
        const Complex root = std::sqrt(Complex(b * b - 4 * a));
        const Complex p1 = (-b + root) / (2 * a), p2 = (-b - root) / (2 * a);
        const double w0 = std::sqrt(std::abs(p1 * p2));
        const SecondOrder got = SallenKeyLowPass(r1, r2, c1, c2);
        EXPECT_NEAR(got.f0, w0 / (2 * kPi), got.f0 * 1e-9);
        EXPECT_NEAR(got.q, w0 / std::abs(p1 + p2), got.q * 1e-9);
    }
}

TEST(Filters, RcChoicesAreStandardPartsNearTheTarget) {
    const ESeries& e24 = *FindESeries("E24");
    const ESeries& e6 = *FindESeries("E6");
    const PartRanges ranges;
    for (const double target : {1e3, 50.0, 3.3e3, 20e3, 1.0, 159.15}) {
        const std::vector<FilterParts> found = BestRcFilters(target, e24, e6, ranges, 5);
        ASSERT_FALSE(found.empty()) << target;
        EXPECT_LT(std::fabs(found[0].frequency_error), 0.03) << target;
        for (const FilterParts& parts : found) {
            EXPECT_TRUE(InSeries(e24, parts.r) && InSeries(e6, parts.c)) << parts.r << " " << parts.c;
            EXPECT_GE(parts.r, ranges.r_low);
            EXPECT_LE(parts.r, ranges.r_high);
            const Complex h = 1.0 / (1.0 + Complex(0, 2 * kPi * target) * parts.r * parts.c);
            // The target is 3 dB down within what the error in frequency allows.
            EXPECT_NEAR(Decibels(h), -3.0103, 0.2 * std::fabs(parts.frequency_error) * 100 + 1e-6);
        }
    }
}

// Butterworth by default: the best parts' response at the target is -3.01 dB
// within what their errors allow, and their f0 and Q are those of their poles.
TEST(Filters, SallenKeyChoicesMeetFrequencyAndQ) {
    const ESeries& e24 = *FindESeries("E24");
    const ESeries& e6 = *FindESeries("E6");
    for (const double q : {0.70710678118654752, 0.5, 1.3065630}) {
        for (const double target : {1e3, 10e3, 123.0}) {
            const std::vector<FilterParts> found = BestSallenKeyFilters(target, q, e24, e6, PartRanges(), 3);
            ASSERT_FALSE(found.empty());
            const FilterParts& best = found[0];
            EXPECT_LT(std::fabs(best.frequency_error), 0.02) << target << " " << q;
            EXPECT_LT(std::fabs(best.q_error), 0.02) << target << " " << q;
            EXPECT_GE(best.c / best.c2, 4 * q * q * (1 - 1e-9));
            const double a = best.r * best.r2 * best.c * best.c2, b = best.c2 * (best.r + best.r2);
            const Complex jw(0, 2 * kPi * best.frequency);
            const Complex h = 1.0 / (jw * jw * a + jw * b + 1.0);
            // At f0 the response is Q: -3.01 dB for Butterworth.
            EXPECT_NEAR(std::abs(h), best.q, 1e-9);
            if (q > 0.7 && q < 0.71) {
                EXPECT_NEAR(Decibels(h), -3.0103, 0.2);
            }
        }
    }
}

TEST(Filters, LcChoicesAreNearTheTarget) {
    const ESeries& e12 = *FindESeries("E12");
    for (const double target : {1e6, 455e3, 10.7e6, 50e3}) {
        const std::vector<FilterParts> found = BestLcFilters(target, e12, e12, PartRanges(), 3);
        ASSERT_FALSE(found.empty()) << target;
        EXPECT_LT(std::fabs(found[0].frequency_error), 0.03) << target;
        EXPECT_NEAR(found[0].frequency, 1 / (2 * kPi * std::sqrt(found[0].l * found[0].c)), target * 1e-12);
    }
}

namespace {

// A choice as the brute force sees it.
struct OracleChoice {
    FilterParts parts;
    double score;     // |error|, the larger of f's and Q's for Sallen-Key
    double distance;  // of R (L; R1) from the middle of its range, |log|
};

// Every value of the series within [low, high], from text.
std::vector<double> RangeValues(const ESeries& series, double low, double high) {
    std::vector<double> values;
    for (int exponent = static_cast<int>(std::floor(std::log10(low))) - 3; exponent <= std::log10(high) + 1;
         ++exponent) {
        for (int i = 0; i < series.count; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "%de%d", series.hundredths[i], exponent);
            const double value = std::strtod(text, nullptr);
            if (value >= low * (1 - 1e-9) && value <= high * (1 + 1e-9)) values.push_back(value);
        }
    }
    return values;
}

bool Close(double x, double y) { return std::fabs(x - y) <= 1e-9 * std::max(std::fabs(x), std::fabs(y)); }

// One choice for each frequency and Q (the one whose part is nearest the
// middle), by score.
std::vector<OracleChoice> OneOfEach(std::vector<OracleChoice> all) {
    std::sort(all.begin(), all.end(), [](const OracleChoice& x, const OracleChoice& y) {
        return x.parts.frequency < y.parts.frequency;
    });
    std::vector<OracleChoice> kept;
    for (std::size_t i = 0; i < all.size();) {
        std::size_t j = i + 1;
        while (j < all.size() && Close(all[j].parts.frequency, all[j - 1].parts.frequency)) ++j;
        std::vector<OracleChoice> run(all.begin() + static_cast<std::ptrdiff_t>(i),
                                      all.begin() + static_cast<std::ptrdiff_t>(j));
        std::sort(run.begin(), run.end(),
                  [](const OracleChoice& x, const OracleChoice& y) { return x.parts.q < y.parts.q; });
        for (std::size_t k = 0; k < run.size();) {
            OracleChoice nearest = run[k];
            std::size_t m = k + 1;
            for (; m < run.size() && Close(run[m].parts.q, run[m - 1].parts.q); ++m) {
                if (run[m].distance < nearest.distance) nearest = run[m];
            }
            kept.push_back(nearest);
            k = m;
        }
        i = j;
    }
    std::sort(kept.begin(), kept.end(), [](const OracleChoice& x, const OracleChoice& y) { return x.score < y.score; });
    return kept;
}

double Middle(double low, double high) { return std::sqrt(low * high); }

// Every RC (or LC) of the ranges within a factor of two of the frequency.
std::vector<OracleChoice> AllFirstOrder(double frequency, const ESeries& outer_series, const ESeries& c_series,
                                        const PartRanges& ranges, bool inductor) {
    const double low = inductor ? ranges.l_low : ranges.r_low, high = inductor ? ranges.l_high : ranges.r_high;
    std::vector<OracleChoice> all;
    const std::vector<double> cs = RangeValues(c_series, ranges.c_low, ranges.c_high);
    for (const double outer : RangeValues(outer_series, low, high)) {
        for (const double c : cs) {
            const double got = inductor ? 1 / (2 * kPi * std::sqrt(outer * c)) : 1 / (2 * kPi * outer * c);
            if (got < frequency / 2 || got > frequency * 2) continue;
            OracleChoice choice{};
            (inductor ? choice.parts.l : choice.parts.r) = outer;
            choice.parts.c = c;
            choice.parts.frequency = got;
            choice.score = std::fabs(got / frequency - 1);
            choice.distance = std::fabs(std::log(outer / Middle(low, high)));
            all.push_back(choice);
        }
    }
    return OneOfEach(all);
}

// Every Sallen-Key of the ranges, f0 and Q each within a factor of two.
std::vector<OracleChoice> AllSallenKeys(double frequency, double q, const ESeries& r_series, const ESeries& c_series,
                                        const PartRanges& ranges) {
    const std::vector<double> rs = RangeValues(r_series, ranges.r_low, ranges.r_high);
    const std::vector<double> cs = RangeValues(c_series, ranges.c_low, ranges.c_high);
    std::vector<OracleChoice> all;
    for (const double c1 : cs) {
        for (const double c2 : cs) {
            for (const double r1 : rs) {
                for (const double r2 : rs) {
                    // w0^2 = 1 / (R1 R2 C1 C2), w0 / Q = (R1 + R2) / (R1 R2 C1).
                    const double w0 = 1 / std::sqrt(r1 * r2 * c1 * c2);
                    const double f0 = w0 / (2 * kPi), got_q = w0 * r1 * r2 * c1 / (r1 + r2);
                    if (f0 < frequency / 2 || f0 > frequency * 2 || got_q < q / 2 || got_q > q * 2) continue;
                    OracleChoice choice{};
                    choice.parts.r = r1;
                    choice.parts.r2 = r2;
                    choice.parts.c = c1;
                    choice.parts.c2 = c2;
                    choice.parts.frequency = f0;
                    choice.parts.q = got_q;
                    choice.score = std::max(std::fabs(f0 / frequency - 1), std::fabs(got_q / q - 1));
                    choice.distance = std::fabs(std::log(r1 / Middle(ranges.r_low, ranges.r_high)));
                    all.push_back(choice);
                }
            }
        }
    }
    return OneOfEach(all);
}

// The list against the brute force's: the same scores rank by rank, each
// choice one the brute force has (same frequency and Q), with its part as
// near the middle as the brute force's nearest, none twice, and as long as
// the brute force's, up to `count`.
void ExpectChoicesOf(const std::vector<OracleChoice>& oracle, const std::vector<FilterParts>& found,
                     std::size_t count, double frequency, double q, double low, double high,
                     const std::string& context) {
    ASSERT_EQ(found.size(), std::min(count, oracle.size())) << context;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const FilterParts& parts = found[i];
        const std::string where = context + " rank " + std::to_string(i);
        const double score =
            std::max(std::fabs(parts.frequency / frequency - 1), q > 0 ? std::fabs(parts.q / q - 1) : 0);
        EXPECT_NEAR(score, oracle[i].score, 1e-11) << where;
        EXPECT_NEAR(parts.frequency_error, parts.frequency / frequency - 1, 1e-12) << where;
        const auto same = std::find_if(oracle.begin(), oracle.end(), [&](const OracleChoice& each) {
            return Close(each.parts.frequency, parts.frequency) && (q == 0 || Close(each.parts.q, parts.q));
        });
        ASSERT_NE(same, oracle.end()) << where;
        const double part = parts.r > 0 ? parts.r : parts.l;
        EXPECT_NEAR(std::fabs(std::log(part / Middle(low, high))), same->distance, 1e-9) << where;
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(Close(found[j].frequency, parts.frequency) && (q == 0 || Close(found[j].q, parts.q)))
                << where << " and " << j;
        }
    }
}

double LogUniform(std::mt19937_64& random, double low, double high) {
    return low * std::pow(high / low, std::uniform_real_distribution<double>(0, 1)(random));
}

}  // namespace

// Every RC and LC list is the brute force's first N: every series for R
// (L) and C, random frequencies over and beyond what the ranges reach,
// counts from 1 to 100.
TEST(Filters, FirstOrderListsAreTheBruteForcesFirstN) {
    std::mt19937_64 random(1470);
    const PartRanges ranges;
    std::size_t count = 1;
    for (const ESeries& outer : ESeriesList()) {
        for (const ESeries& c : ESeriesList()) {
            for (int target = 0; target < 2; ++target) {
                for (const bool inductor : {false, true}) {
                    // RC reaches 0.016 Hz to 1.6 MHz; LC 500 Hz to 160 MHz.
                    const double frequency = inductor ? LogUniform(random, 200, 4e8) : LogUniform(random, 0.005, 4e6);
                    const std::vector<OracleChoice> oracle = AllFirstOrder(frequency, outer, c, ranges, inductor);
                    const std::string context = std::string(inductor ? "LC " : "RC ") + outer.name + " " + c.name +
                                                " " + std::to_string(frequency);
                    for (const std::size_t n : {count, std::size_t{5}, std::size_t{100}}) {
                        const std::vector<FilterParts> found = inductor ? BestLcFilters(frequency, outer, c, ranges, n)
                                                                        : BestRcFilters(frequency, outer, c, ranges, n);
                        ExpectChoicesOf(oracle, found, n, frequency, 0, inductor ? ranges.l_low : ranges.r_low,
                                        inductor ? ranges.l_high : ranges.r_high,
                                        context + " count " + std::to_string(n));
                    }
                    count = count % 100 + 13;
                }
            }
        }
    }
}

// Every Sallen-Key list is the brute force's first N, over every series of
// R beside E6 and E12 capacitors and every series of C beside E24
// resistors, Q from 0.1 to 10, within ranges narrow enough for the brute
// force's four nested loops.
TEST(Filters, SallenKeyListsAreTheBruteForcesFirstN) {
    std::mt19937_64 random(4);
    std::size_t count = 1;
    std::vector<std::pair<const ESeries*, const ESeries*>> pairs;
    for (const ESeries& series : ESeriesList()) {
        pairs.push_back({&series, FindESeries("E6")});
        pairs.push_back({FindESeries("E24"), &series});
    }
    pairs.push_back({FindESeries("E3"), FindESeries("E12")});
    for (const auto& pair : pairs) {
        for (int target = 0; target < 3; ++target) {
            PartRanges ranges;
            // About 40 resistors and 16 capacitors, anywhere in the defaults.
            const double r_decades = 40.0 / pair.first->count, c_decades = 16.0 / pair.second->count;
            ranges.r_low = LogUniform(random, 1e3, 1e6 / std::pow(10.0, std::min(3.0, r_decades)));
            ranges.r_high = ranges.r_low * std::pow(10.0, std::min(3.0, r_decades));
            ranges.c_low = LogUniform(random, 100e-12, 10e-6 / std::pow(10.0, std::min(5.0, c_decades)));
            ranges.c_high = ranges.c_low * std::pow(10.0, std::min(5.0, c_decades));
            const double q = target == 0 ? 0.70710678118654752 : LogUniform(random, 0.1, 10);
            // Around where the middle parts put f0, a decade either way.
            const double typical =
                1 / (2 * kPi * std::sqrt(ranges.r_low * ranges.r_high * ranges.c_low * ranges.c_high));
            const double frequency = LogUniform(random, typical / 10, typical * 10);
            const std::vector<OracleChoice> oracle = AllSallenKeys(frequency, q, *pair.first, *pair.second, ranges);
            const std::string context = std::string("SK ") + pair.first->name + " " + pair.second->name + " f " +
                                        std::to_string(frequency) + " q " + std::to_string(q);
            for (const std::size_t n : {count, std::size_t{5}, std::size_t{100}}) {
                ExpectChoicesOf(oracle, BestSallenKeyFilters(frequency, q, *pair.first, *pair.second, ranges, n), n,
                                frequency, q, ranges.r_low, ranges.r_high, context + " count " + std::to_string(n));
            }
            count = count % 100 + 11;
        }
    }
    // The defaults, where the old cap on C1/C2 at 40 Q^2 hid better choices.
    const PartRanges defaults;
    for (const double frequency : {1e3, 15.7, 2.2e3}) {
        const std::vector<OracleChoice> oracle =
            AllSallenKeys(frequency, 0.70710678118654752, *FindESeries("E24"), *FindESeries("E6"), defaults);
        ExpectChoicesOf(oracle,
                        BestSallenKeyFilters(frequency, 0.70710678118654752, *FindESeries("E24"), *FindESeries("E6"),
                                             defaults, 20),
                        20, frequency, 0.70710678118654752, defaults.r_low, defaults.r_high,
                        "SK defaults " + std::to_string(frequency));
    }
}

// The cases: 1.47 MHz has five choices within a factor of two
// (1.1k, 1k, 1.2k, 1.3k and 1.5k over 100p), not two.
TEST(Filters, RcListsReachPastTheIdealPartnersNeighbours) {
    const std::vector<FilterParts> found =
        BestRcFilters(1.47e6, *FindESeries("E24"), *FindESeries("E6"), PartRanges(), 5);
    ASSERT_EQ(found.size(), 5u);
    const double expected[] = {1.1e3, 1e3, 1.2e3, 1.3e3, 1.5e3};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(found[i].r, expected[i]) << i;
}
