// Filters against their transfer functions, evaluated as complex numbers:
// an RC at its fc is 3.01 dB down with 45 degrees of phase, an LC's
// admittance vanishes at f0, and a Sallen-Key's poles give its f0 and Q.
#include "workbench/parts/filters.h"

#include <gtest/gtest.h>

#include <cmath>
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
