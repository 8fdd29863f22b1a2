// The preferred values of resistors, capacitors and inductors (IEC 60063:
// E3 to E192) and what a designer asks of them: the nearest values, two
// parts in series or in parallel, and a voltage divider.
#pragma once

#include <string>
#include <vector>

struct ESeries {
    const char* name;  // "E24"
    int count;         // values per decade
    // The values of one decade times 100 (E24: 100, 110, 120, ... 910), as
    // the standard publishes them.
    const short* hundredths;
    double tolerance;  // the tolerance the series goes with, as a fraction
};

const std::vector<ESeries>& ESeriesList();
// By name, in either case ("e24"); null when none.
const ESeries* FindESeries(const std::string& name);

// The series' values from `low` to `high`, both included, ascending.
std::vector<double> SeriesValues(const ESeries& series, double low, double high);

// The series' values nearest to `target` (> 0): the largest not above it and
// the smallest not below it, the same value when `target` is one.
struct NearestValues {
    double below = 0, above = 0;
};
NearestValues NearestSeriesValues(const ESeries& series, double target);

// The value nearer to `target` by relative error (below on a tie).
double NearestSeriesValue(const ESeries& series, double target);

// Two parts of the series in series (a + b) or in parallel (a b / (a + b))
// nearest to `target`: a is the larger in series, the smaller in parallel;
// neither part is under a thousandth (in series) or over a thousand times
// (in parallel) the target, whose share no tolerance would leave visible.
struct PartPair {
    double a = 0, b = 0;
    double value = 0;   // what the two make
    double error = 0;   // (value - target) / target
};
PartPair BestSeriesPair(const ESeries& series, double target);
PartPair BestParallelPair(const ESeries& series, double target);

// Vout = Vin R2 / (R1 + R2): the `count` pairs of the series whose ratio
// R2/(R1+R2) is nearest to `ratio` (0 < ratio < 1), R1 + R2 from `total_low`
// to `total_high`, best first: by |error|, errors that agree to 1e-12 tying;
// ties go to the total nearest the middle of the range (geometrically), then
// to the lower ratio. Pairs whose ratio, or R1's share 1 - ratio, is off by
// more than a factor of two are no dividers for it and are left out. A ratio
// several pairs give (a decade apart, or 1.2:2.4 beside 1:2) is listed once,
// at the total nearest the middle (the smaller on a tie).
struct DividerPair {
    double r1 = 0, r2 = 0;
    double ratio = 0;
    double error = 0;  // (ratio - wanted) / wanted, which is Vout's error too
};
std::vector<DividerPair> BestDividers(const ESeries& series, double ratio, double total_low, double total_high,
                                      std::size_t count);
