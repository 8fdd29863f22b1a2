// Filters of standard parts: a first-order RC, an LC resonance and a
// unity-gain Sallen-Key second-order low-pass, from a target frequency to
// the parts nearest it, and from parts to their frequency.
#pragma once

#include <cstddef>
#include <vector>

#include "workbench/parts/e_series.h"

// fc = 1 / (2 pi R C), low-pass and high-pass alike.
double RcCornerFrequency(double r, double c);
// f0 = 1 / (2 pi sqrt(L C)).
double LcResonantFrequency(double l, double c);
// The unity-gain Sallen-Key low-pass: R1 from the input, R2 to the op amp's
// input, C1 from between them to the output, C2 from its input to ground.
// H(s) = 1 / (s^2 R1 R2 C1 C2 + s C2 (R1 + R2) + 1).
struct SecondOrder {
    double f0 = 0;  // the natural frequency, 1 / (2 pi sqrt(R1 R2 C1 C2))
    double q = 0;   // sqrt(R1 R2 C1 C2) / (C2 (R1 + R2))
};
SecondOrder SallenKeyLowPass(double r1, double r2, double c1, double c2);

// The ranges parts are chosen from: resistors where an op amp or an input
// drives them without loading, capacitors and inductors that are stocked.
struct PartRanges {
    double r_low = 1e3, r_high = 1e6;
    double c_low = 100e-12, c_high = 10e-6;
    double l_low = 100e-9, l_high = 10e-3;
};

// A filter of standard parts: r or l (the resistor or the inductor), c; for
// Sallen-Key r2 and c2 too. What it gives and its error against the target.
struct FilterParts {
    double r = 0, r2 = 0, l = 0, c = 0, c2 = 0;
    double frequency = 0, q = 0;
    double frequency_error = 0, q_error = 0;  // relative
};

// The `count` best choices of every part of the series within the ranges
// that give the frequency (and Q) within a factor of two, best first, by the magnitude of the frequency's error (for Sallen-Key the
// larger of the frequency's and Q's; C1/C2 is free, though below 4 Q^2 no
// resistors reach the Q). Errors that agree to 1e-12 tie; ties go to the
// resistor (the inductor; R1) nearest the middle of its range
// (geometrically), then to the lower error. Choices that give the same
// frequency and Q to nine digits are one, with that resistor nearest the
// middle (the smaller parts on a tie).
std::vector<FilterParts> BestRcFilters(double frequency, const ESeries& r_series, const ESeries& c_series,
                                       const PartRanges& ranges, std::size_t count);
std::vector<FilterParts> BestLcFilters(double frequency, const ESeries& l_series, const ESeries& c_series,
                                       const PartRanges& ranges, std::size_t count);
std::vector<FilterParts> BestSallenKeyFilters(double frequency, double q, const ESeries& r_series,
                                              const ESeries& c_series, const PartRanges& ranges, std::size_t count);
