// The parts searches as a page would run them at each keystroke, each beside
// the brute force over every combination of values (the tests hold the
// divider and the pairs to theirs).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "workbench/parts/e_series.h"
#include "workbench/parts/filters.h"

namespace {

const ESeries& Series(const char* name) { return *FindESeries(name); }

void BM_Divider(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(BestDividers(Series("E96"), 3.3 / 12, 1e3, 1e6, 5));
}
BENCHMARK(BM_Divider)->Name("Parts/Divider");

// Every pair of E96 from 100 to 1M with R1 + R2 in range: the brute force.
void BM_DividerBruteForce(benchmark::State& state) {
    const std::vector<double> all = SeriesValues(Series("E96"), 100, 1e6);
    for (auto _ : state) {
        double best = 1;
        for (const double r1 : all) {
            for (const double r2 : all) {
                const double total = r1 + r2;
                if (total >= 1e3 && total <= 1e6) best = std::min(best, std::fabs(r2 / total / (3.3 / 12) - 1));
            }
        }
        benchmark::DoNotOptimize(best);
    }
}
BENCHMARK(BM_DividerBruteForce)->Name("PartsBruteForce/Divider");

void BM_Pairs(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(BestSeriesPair(Series("E192"), 4800));
        benchmark::DoNotOptimize(BestParallelPair(Series("E192"), 4800));
    }
}
BENCHMARK(BM_Pairs)->Name("Parts/Pairs");

void BM_PairsBruteForce(benchmark::State& state) {
    const std::vector<double> all = SeriesValues(Series("E192"), 4.8, 4.8e6);
    for (auto _ : state) {
        double best_series = 1, best_parallel = 1;
        for (const double a : all) {
            for (const double b : all) {
                best_series = std::min(best_series, std::fabs(a + b - 4800));
                best_parallel = std::min(best_parallel, std::fabs(a * b / (a + b) - 4800));
            }
        }
        benchmark::DoNotOptimize(best_series);
        benchmark::DoNotOptimize(best_parallel);
    }
}
BENCHMARK(BM_PairsBruteForce)->Name("PartsBruteForce/Pairs");

void BM_SallenKey(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(BestSallenKeyFilters(1000, 0.70710678118654752, Series("E24"), Series("E6"),
                                                      PartRanges(), 5));
    }
}
BENCHMARK(BM_SallenKey)->Name("Parts/SallenKey");

// Every R1, R2 of E24 and C1, C2 of E6 in their ranges: the brute force.
void BM_SallenKeyBruteForce(benchmark::State& state) {
    const PartRanges ranges;
    const std::vector<double> rs = SeriesValues(Series("E24"), ranges.r_low, ranges.r_high);
    const std::vector<double> cs = SeriesValues(Series("E6"), ranges.c_low, ranges.c_high);
    for (auto _ : state) {
        double best = 1;
        for (const double c1 : cs) {
            for (const double c2 : cs) {
                for (const double r1 : rs) {
                    for (const double r2 : rs) {
                        const SecondOrder got = SallenKeyLowPass(r1, r2, c1, c2);
                        best = std::min(best, std::max(std::fabs(got.f0 / 1000 - 1),
                                                       std::fabs(got.q / 0.70710678118654752 - 1)));
                    }
                }
            }
        }
        benchmark::DoNotOptimize(best);
    }
}
BENCHMARK(BM_SallenKeyBruteForce)->Name("PartsBruteForce/SallenKey")->Unit(benchmark::kMillisecond);

}  // namespace
