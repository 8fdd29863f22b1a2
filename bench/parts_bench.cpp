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

// Best-N lists, each under 1 ms: the default count and the longest, at a
// half (where every 1:1 pair makes the same ratio), over the widest totals,
// and the filters with the finest series.
void BM_DividerLists(benchmark::State& state) {
    const char* series = state.range(0) == 0 ? "E96" : "E192";
    const double ratio = state.range(1) == 0 ? 3.3 / 12 : 0.5;
    const double total_high = state.range(2) == 0 ? 1e6 : 1e15;
    const std::size_t count = static_cast<std::size_t>(state.range(3));
    for (auto _ : state) benchmark::DoNotOptimize(BestDividers(Series(series), ratio, 1e3, total_high, count));
}
BENCHMARK(BM_DividerLists)
    ->Name("Parts/DividerList")
    ->ArgNames({"E192", "half", "wide", "count"})
    ->Args({0, 0, 0, 5})
    ->Args({0, 1, 0, 5})
    ->Args({0, 1, 0, 100})
    ->Args({1, 0, 0, 100})
    ->Args({1, 1, 1, 100});

void BM_FilterLists(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(1));
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0:
                benchmark::DoNotOptimize(BestRcFilters(15.7, Series("E24"), Series("E6"), PartRanges(), count));
                break;
            case 1:
                benchmark::DoNotOptimize(BestRcFilters(1e3, Series("E192"), Series("E192"), PartRanges(), count));
                break;
            case 2:
                benchmark::DoNotOptimize(BestLcFilters(1e6, Series("E192"), Series("E192"), PartRanges(), count));
                break;
            case 3:
                benchmark::DoNotOptimize(
                    BestSallenKeyFilters(1e3, 0.70710678118654752, Series("E96"), Series("E12"), PartRanges(), count));
                break;
            default:
                benchmark::DoNotOptimize(
                    BestSallenKeyFilters(1e3, 5.0, Series("E24"), Series("E24"), PartRanges(), count));
                break;
        }
    }
}
BENCHMARK(BM_FilterLists)
    ->Name("Parts/FilterList")
    ->ArgNames({"kind", "count"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {5, 100}});

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

void BM_SallenKeyList(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(BestSallenKeyFilters(1000, 0.70710678118654752, Series("E24"), Series("E6"),
                                                      PartRanges(), 100));
    }
}
BENCHMARK(BM_SallenKeyList)->Name("Parts/SallenKeyList");

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
