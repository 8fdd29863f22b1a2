// quobrix printf's formatter, a whole call from the arguments' text to the
// output, beside glibc's snprintf formatting the same values already typed
// (so glibc is spared the reading of the numbers that ours does).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "workbench/printf/printf_format.h"

namespace {

struct PrintfCase {
    const char* format;
    std::vector<std::string> arguments;
};

const PrintfCase kIntegers = {"%d|%-5hhd|%#x|%lu|%8.3o", {"-123456", "300", "255", "18446744073709551615", "511"}};
const PrintfCase kDoubles = {"%08.3f|%e|%g|%a", {"3.14159", "6.02214076e23", "0.000123456", "0.1"}};
const PrintfCase kLongDoubles = {"%Lf|%.20Le", {"1e300", "0.1"}};
// The largest precision taken: every digit of 0.1's double (55 of them)
// and 65481 zeros after, the whole of the smallest long double's 11500
// significant digits, and the largest long double's 4933 whole digits.
const PrintfCase kHugePrecision = {"%.65536g", {"0.1"}};
const PrintfCase kHugeTinyLongDouble = {"%.65536Le", {"0x1p-16445"}};
const PrintfCase kHugeLargeLongDouble = {"%.65536Lf", {"0x1.fffffffffffffffep+16383"}};

void Ours(benchmark::State& state, const PrintfCase& c) {
    for (auto _ : state) benchmark::DoNotOptimize(FormatPrintf(c.format, c.arguments));
}

void GlibcIntegers(benchmark::State& state) {
    char out[256];
    volatile long long big = -1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%d|%-5hhd|%#x|%llu|%8.3o", -123456, 300, 255,
                                               static_cast<unsigned long long>(big), 511));
    }
}

void GlibcDoubles(benchmark::State& state) {
    char out[256];
    volatile double pi = 3.14159, avogadro = 6.02214076e23, small = 0.000123456, tenth = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%08.3f|%e|%g|%a", pi, avogadro, small, tenth));
    }
}

void GlibcLongDoubles(benchmark::State& state) {
    char out[512];
    volatile long double large = 1e300L, tenth = 0.1L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%Lf|%.20Le", large, tenth));
    }
}

// Large enough for the largest precisions.
std::vector<char>& HugeBuffer() {
    static std::vector<char> buffer(1 << 18);
    return buffer;
}

void GlibcHugePrecision(benchmark::State& state) {
    volatile double tenth = 0.1;
    for (auto _ : state) benchmark::DoNotOptimize(std::snprintf(HugeBuffer().data(), HugeBuffer().size(), "%.65536g", tenth));
}

void GlibcHugeTinyLongDouble(benchmark::State& state) {
    volatile long double smallest = 0x1p-16445L;
    for (auto _ : state) benchmark::DoNotOptimize(std::snprintf(HugeBuffer().data(), HugeBuffer().size(), "%.65536Le", smallest));
}

void GlibcHugeLargeLongDouble(benchmark::State& state) {
    volatile long double largest = 0x1.fffffffffffffffep+16383L;
    for (auto _ : state) benchmark::DoNotOptimize(std::snprintf(HugeBuffer().data(), HugeBuffer().size(), "%.65536Lf", largest));
}

}  // namespace

BENCHMARK_CAPTURE(Ours, Integers, kIntegers)->Name("Printf/Integers");
BENCHMARK_CAPTURE(Ours, Doubles, kDoubles)->Name("Printf/Doubles");
BENCHMARK_CAPTURE(Ours, LongDoubles, kLongDoubles)->Name("Printf/LongDoubles");
BENCHMARK(GlibcIntegers)->Name("GlibcSnprintf/Integers");
BENCHMARK(GlibcDoubles)->Name("GlibcSnprintf/Doubles");
BENCHMARK(GlibcLongDoubles)->Name("GlibcSnprintf/LongDoubles");
BENCHMARK_CAPTURE(Ours, HugePrecision, kHugePrecision)->Name("Printf/HugePrecision");
BENCHMARK_CAPTURE(Ours, HugeTinyLongDouble, kHugeTinyLongDouble)->Name("Printf/HugeTinyLongDouble");
BENCHMARK_CAPTURE(Ours, HugeLargeLongDouble, kHugeLargeLongDouble)->Name("Printf/HugeLargeLongDouble");
BENCHMARK(GlibcHugePrecision)->Name("GlibcSnprintf/HugePrecision");
BENCHMARK(GlibcHugeTinyLongDouble)->Name("GlibcSnprintf/HugeTinyLongDouble");
BENCHMARK(GlibcHugeLargeLongDouble)->Name("GlibcSnprintf/HugeLargeLongDouble");
