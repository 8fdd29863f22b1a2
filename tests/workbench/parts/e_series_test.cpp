// The preferred values against their definitions done another way: E192
// from the formula with its one published exception, the coarser series as
// every second value of the next (E24 and below as published, eight of E24's
// values off the formula), and the searches against brute force over every
// pair.
#include "workbench/parts/e_series.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<int> Decade(const char* name) {
    const ESeries& series = *FindESeries(name);
    return std::vector<int>(series.hundredths, series.hundredths + series.count);
}

// A value of the series as text read by strtod: 47e2, not 47 * 100 in doubles.
double Exact(int hundredths, int exponent) {
    char text[32];
    std::snprintf(text, sizeof text, "%de%d", hundredths, exponent);
    return std::strtod(text, nullptr);
}

// Every value of `name` from 10^-4 to 10^11, ascending, from text.
std::vector<double> AllValues(const char* name) {
    std::vector<double> values;
    for (int exponent = -6; exponent <= 8; ++exponent) {
        for (const int hundredths : Decade(name)) values.push_back(Exact(hundredths, exponent));
    }
    return values;
}

}  // namespace

TEST(ESeries, E192IsTheFormulaButForNineTwenty) {
    const std::vector<int> e192 = Decade("E192");
    ASSERT_EQ(e192.size(), 192u);
    int exceptions = 0;
    for (int i = 0; i < 192; ++i) {
        const int formula = static_cast<int>(std::lround(100 * std::pow(10.0, i / 192.0)));
        if (formula != e192[static_cast<std::size_t>(i)]) {
            ++exceptions;
            EXPECT_EQ(formula, 919);
            EXPECT_EQ(e192[static_cast<std::size_t>(i)], 920);
        }
    }
    EXPECT_EQ(exceptions, 1);
}

TEST(ESeries, EachSeriesIsEverySecondValueOfTheNext) {
    const char* const chain[][2] = {{"E96", "E192"}, {"E48", "E96"}, {"E12", "E24"}, {"E6", "E12"}, {"E3", "E6"}};
    for (const auto& pair : chain) {
        const std::vector<int> coarse = Decade(pair[0]), fine = Decade(pair[1]);
        ASSERT_EQ(coarse.size() * 2, fine.size()) << pair[0];
        for (std::size_t i = 0; i < coarse.size(); ++i) EXPECT_EQ(coarse[i], fine[2 * i]) << pair[0] << " " << i;
    }
}

// IEC 60063's E24 keeps the older values 2.7 3.0 3.3 3.6 3.9 4.3 4.7 and 8.2,
// which 10^(i/24) to two digits would have as 2.6 2.9 3.2 3.5 3.8 4.2 4.6 8.3.
TEST(ESeries, E24DiffersFromTheFormulaWhereItIsPublishedToDiffer) {
    const std::vector<int> e24 = Decade("E24");
    std::vector<int> differing;
    for (int i = 0; i < 24; ++i) {
        const int formula = static_cast<int>(std::lround(10 * std::pow(10.0, i / 24.0))) * 10;
        if (formula != e24[static_cast<std::size_t>(i)]) differing.push_back(e24[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(differing, (std::vector<int>{270, 300, 330, 360, 390, 430, 470, 820}));
    EXPECT_EQ(Decade("E3"), (std::vector<int>{100, 220, 470}));
}

TEST(ESeries, NamesInEitherCase) {
    EXPECT_NE(FindESeries("e96"), nullptr);
    EXPECT_EQ(FindESeries("E25"), nullptr);
    EXPECT_EQ(FindESeries(""), nullptr);
    EXPECT_EQ(ESeriesList().size(), 7u);
}

// Below and above bracket the target with no value of the series between,
// for random targets over nine decades and for the values themselves.
TEST(ESeries, NearestValuesBracketTheTarget) {
    std::mt19937_64 random(24);
    std::uniform_real_distribution<double> exponent(-0.9, 6.9);
    for (const ESeries& series : ESeriesList()) {
        const std::vector<double> all = AllValues(series.name);
        std::vector<double> targets;
        for (int i = 0; i < 400; ++i) targets.push_back(std::pow(10.0, exponent(random)));
        for (std::size_t i = series.count; i < all.size() - series.count; i += 7) targets.push_back(all[i]);
        for (const double target : targets) {
            const NearestValues nearest = NearestSeriesValues(series, target);
            std::size_t above = 0;
            while (all[above] < target * (1 - 1e-12)) ++above;
            const bool exact = std::fabs(all[above] - target) <= target * 1e-12;
            EXPECT_DOUBLE_EQ(nearest.above, all[above]) << series.name << " " << target;
            EXPECT_DOUBLE_EQ(nearest.below, exact ? all[above] : all[above - 1]) << series.name << " " << target;
        }
    }
}

// The best pair in series and in parallel against every pair of values
// within three decades of the target.
TEST(ESeries, BestPairsMatchBruteForce) {
    for (const char* name : {"E6", "E12", "E24"}) {
        const ESeries& series = *FindESeries(name);
        const std::vector<double> all = AllValues(name);
        for (const double target : {4800.0, 1234.0, 77.7, 3.3e5, 10.0, 1.0e4}) {
            double best_series = 1, best_parallel = 1;
            for (const double a : all) {
                if (a < target / 1000 || a > target * 1000) continue;
                for (const double b : all) {
                    if (b < target / 1000 || b > target * 1000) continue;
                    best_series = std::min(best_series, std::fabs((a + b - target) / target));
                    best_parallel = std::min(best_parallel, std::fabs((a * b / (a + b) - target) / target));
                }
            }
            const PartPair in_series = BestSeriesPair(series, target);
            const PartPair in_parallel = BestParallelPair(series, target);
            EXPECT_NEAR(std::fabs(in_series.error), best_series, 1e-12) << name << " " << target;
            EXPECT_NEAR(std::fabs(in_parallel.error), best_parallel, 1e-12) << name << " " << target;
            EXPECT_NEAR(in_series.a + in_series.b, in_series.value, target * 1e-12);
            EXPECT_NEAR(1 / (1 / in_parallel.a + 1 / in_parallel.b), in_parallel.value, target * 1e-12);
        }
    }
}

// 12 V to 3.3 V from E96: no pair does better than 13.7k over 5.23k (+0.47 %),
// as every pair of two decades, computed by Python, says.
TEST(ESeries, DividersMatchBruteForce) {
    const ESeries& e96 = *FindESeries("E96");
    const std::vector<DividerPair> pairs = BestDividers(e96, 3.3 / 12, 1e3, 1e6, 5);
    ASSERT_EQ(pairs.size(), 5u);
    EXPECT_DOUBLE_EQ(pairs[0].r1, 13700);
    EXPECT_DOUBLE_EQ(pairs[0].r2, 5230);
    EXPECT_NEAR(pairs[0].error, 0.004658310522019038, 1e-12);
    const std::vector<double> all = AllValues("E96");
    for (const double ratio : {3.3 / 12, 0.5, 1.25 / 5, 0.01, 0.9}) {
        double best = 1;
        for (const double r1 : all) {
            for (const double r2 : all) {
                const double total = r1 + r2;
                if (total < 1e3 || total > 1e6) continue;
                best = std::min(best, std::fabs(r2 / total / ratio - 1));
            }
        }
        const std::vector<DividerPair> found = BestDividers(e96, ratio, 1e3, 1e6, 3);
        ASSERT_FALSE(found.empty()) << ratio;
        EXPECT_NEAR(std::fabs(found[0].error), best, 1e-12) << ratio;
        for (std::size_t i = 1; i < found.size(); ++i) {
            EXPECT_LE(std::fabs(found[i - 1].error), std::fabs(found[i].error) + 1e-12);
        }
    }
    // A range no pair fits (E3's 0.47 + 0.47 is below, 1 + 1 above): none.
    EXPECT_TRUE(BestDividers(*FindESeries("E3"), 0.5, 1.0, 1.05, 3).empty());
}

namespace {

// One choice of a best-N list as the brute force sees it: a divider's pair.
struct OracleDivider {
    double r1, r2, error, distance;
};

// Every value of the series from `low` to `high`, from text.
std::vector<double> ValuesBetween(const char* name, double low, double high) {
    std::vector<double> values;
    const int first = static_cast<int>(std::floor(std::log10(low))) - 3;
    const int last = static_cast<int>(std::ceil(std::log10(high))) + 1;
    for (int exponent = first; exponent <= last; ++exponent) {
        for (const int hundredths : Decade(name)) {
            const double value = Exact(hundredths, exponent);
            if (value >= low && value <= high) values.push_back(value);
        }
    }
    return values;
}

// Every pair of the series a divider may use (R1 + R2 within the range, the
// ratio and R1's share 1 - ratio each within a factor of two of the
// wanted), one per R1/R2 (the total nearest the middle), by |error|.
std::vector<OracleDivider> AllDividers(const char* name, double ratio, double low, double high) {
    const std::vector<double> values = ValuesBetween(name, low * std::min(ratio, 1 - ratio) / 4, high * 2);
    const double middle = std::sqrt(low * high);
    std::vector<std::pair<double, OracleDivider>> all;  // by R1 / R2
    for (const double r1 : values) {
        for (const double r2 : values) {
            const double total = r1 + r2;
            if (total < low * (1 - 1e-9) || total > high * (1 + 1e-9)) continue;
            const double actual = r2 / total;
            if (actual < ratio / 2 || actual > ratio * 2 || 1 - actual < (1 - ratio) / 2 ||
                1 - actual > (1 - ratio) * 2) {
                continue;
            }
            all.push_back({r1 / r2, {r1, r2, actual / ratio - 1, std::fabs(std::log(total / middle))}});
        }
    }
    std::sort(all.begin(), all.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<OracleDivider> kept;
    for (std::size_t i = 0; i < all.size();) {
        OracleDivider nearest = all[i].second;
        std::size_t j = i + 1;
        for (; j < all.size() && all[j].first <= all[j - 1].first * (1 + 1e-9); ++j) {
            if (all[j].second.distance < nearest.distance) nearest = all[j].second;
        }
        kept.push_back(nearest);
        i = j;
    }
    std::sort(kept.begin(), kept.end(),
              [](const OracleDivider& x, const OracleDivider& y) { return std::fabs(x.error) < std::fabs(y.error); });
    return kept;
}

// The list against the brute force's: the same errors rank by rank, each
// pair of a ratio the brute force has, at a total as near the middle as its
// nearest, no ratio twice, and as long as the brute force's, up to `count`.
void ExpectDividersOf(const std::vector<OracleDivider>& oracle, const std::vector<DividerPair>& found,
                      std::size_t count, double ratio, double middle, const std::string& context) {
    ASSERT_EQ(found.size(), std::min(count, oracle.size())) << context;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const DividerPair& pair = found[i];
        const std::string where = context + " rank " + std::to_string(i);
        EXPECT_NEAR(std::fabs(pair.error), std::fabs(oracle[i].error), 1e-11) << where;
        EXPECT_NEAR(pair.error, (pair.r2 / (pair.r1 + pair.r2)) / ratio - 1, 1e-12) << where;
        EXPECT_NEAR(pair.ratio, pair.r2 / (pair.r1 + pair.r2), 1e-15) << where;
        const auto same = std::find_if(oracle.begin(), oracle.end(), [&](const OracleDivider& each) {
            return std::fabs(each.r1 / each.r2 / (pair.r1 / pair.r2) - 1) < 1e-9;
        });
        ASSERT_NE(same, oracle.end()) << where << ": " << pair.r1 << " " << pair.r2;
        EXPECT_NEAR(std::fabs(std::log((pair.r1 + pair.r2) / middle)), same->distance, 1e-9) << where;
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_GT(std::fabs(found[j].r1 / found[j].r2 / (pair.r1 / pair.r2) - 1), 1e-9) << where << " and " << j;
        }
    }
}

}  // namespace

// Every best-N list is the brute force's first N: every series, random
// ratios over three decades (and one half, where pairs tie in mirror image),
// totals wide and narrow, every count from 1 to 100 over the targets.
TEST(ESeries, DividerListsAreTheBruteForcesFirstN) {
    std::mt19937_64 random(33);
    std::uniform_real_distribution<double> unit(0, 1);
    const double totals[][2] = {{1e3, 1e6}, {10e3, 100e3}, {1, 1.05}, {4.7e3, 4.7e3}, {100, 2e5}};
    std::size_t count = 1;
    for (const ESeries& series : ESeriesList()) {
        const bool fine = series.count >= 96;
        for (int target = 0; target < (fine ? 6 : 14); ++target) {
            const double ratio = target == 0 ? 0.5 : target == 1 ? 0.01 : std::pow(10.0, -3 * unit(random)) * 0.999;
            const auto& total = totals[target % 5];
            // E96 and E192 over the widest totals at a few ratios only: the
            // brute force's pairs grow as the square of the decades.
            if (fine && total[1] / total[0] > 1e3 && target > 1) continue;
            const std::vector<OracleDivider> oracle = AllDividers(series.name, ratio, total[0], total[1]);
            const std::string context = std::string(series.name) + " ratio " + std::to_string(ratio) + " total " +
                                        std::to_string(total[0]) + ".." + std::to_string(total[1]);
            const double middle = std::sqrt(total[0] * total[1]);
            for (const std::size_t n : {count, std::size_t{5}, std::size_t{100}}) {
                ExpectDividersOf(oracle, BestDividers(series, ratio, total[0], total[1], n), n, ratio, middle,
                                 context + " count " + std::to_string(n));
            }
            count = count % 100 + 7;
        }
    }
}

// The cases: 5 V to 2.5 V has many pairs (every 1:1, then the
// mirror pairs), not one; at 1 % from E12, -16.09 % ranks above +16.80 %.
TEST(ESeries, DividerListsReachPastTheIdealPartnersNeighbours) {
    const std::vector<DividerPair> halves = BestDividers(*FindESeries("E96"), 0.5, 1e3, 1e6, 5);
    ASSERT_EQ(halves.size(), 5u);
    EXPECT_EQ(halves[0].error, 0);
    // Mirror pairs tie; the lower ratio first.
    EXPECT_NEAR(halves[1].error, -halves[2].error, 1e-12);
    EXPECT_LT(halves[1].error, 0);
    const std::vector<DividerPair> percent = BestDividers(*FindESeries("E12"), 0.01, 1e3, 1e6, 3);
    ASSERT_EQ(percent.size(), 3u);
    for (std::size_t i = 1; i < percent.size(); ++i) {
        EXPECT_LE(std::fabs(percent[i - 1].error), std::fabs(percent[i].error)) << i;
    }
}
