// The C array writer and reader on 16 MiB in memory, and a million random
// integers drawn: the engines of quobrix array and quobrix random without
// their processes' input and output.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "workbench/c_array/c_array_reader.h"
#include "workbench/c_array/c_array_writer.h"
#include "workbench/random/random_numbers.h"

namespace {

// The process is timed on 64 MiB beside xxd -i (scripts/bench); here a
// quarter of that keeps the reader's 100 MB of text within the smoke test's means.
constexpr std::size_t kArrayBytes = std::size_t{16} << 20;
// The process reads and writes in blocks of this size.
constexpr std::size_t kBlock = std::size_t{1} << 18;

const std::string& Bytes() {
    static const std::string bytes = [] {
        std::mt19937_64 random(64);
        std::string b(kArrayBytes, '\0');
        for (char& c : b) c = static_cast<char>(random());
        return b;
    }();
    return bytes;
}

// The text of the bytes, block by block as the process writes it.
std::size_t WriteArray(std::string* keep) {
    CArrayWriter writer{CArrayFormat()};
    std::string out;
    std::size_t total = 0;
    writer.Begin(out);
    for (std::size_t at = 0; at < kArrayBytes; at += kBlock) {
        writer.Bytes(Bytes().data() + at, kBlock, out);
        total += out.size();
        if (keep != nullptr) *keep += out;
        out.clear();
    }
    std::string error;
    writer.End(out, error);
    if (keep != nullptr) *keep += out;
    return total + out.size();
}

void CArrayWrite(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(WriteArray(nullptr));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kArrayBytes));
}
BENCHMARK(CArrayWrite)->Unit(benchmark::kMillisecond);

void CArrayRead(benchmark::State& state) {
    std::string text;
    WriteArray(&text);
    for (auto _ : state) {
        CArrayReader reader(1, false);
        std::string out;
        std::size_t total = 0;
        for (std::size_t at = 0; at < text.size(); at += kBlock) {
            reader.Feed(text.data() + at, std::min(kBlock, text.size() - at), out);
            total += out.size();
            out.clear();
        }
        reader.Finish(out);
        if (total != kArrayBytes) state.SkipWithError("the reader lost bytes");
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kArrayBytes));
}
BENCHMARK(CArrayRead)->Unit(benchmark::kMillisecond);

// A million integers in 1..1000000 from a seeded xoshiro256**, as
// `quobrix random --count 1000000 --range 1..1000000 --seed S` draws them.
void RandomIntegersMillion(benchmark::State& state) {
    Xoshiro256StarStar words(1);
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (int i = 0; i < 1000000; ++i) sum += 1 + UniformUpTo(words, 999999);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(RandomIntegersMillion)->Unit(benchmark::kMillisecond);

// Ten million words of 64 bits sorted, as `quobrix random --sort` holds
// them: the radix sort it uses, and std::sort beside it for scale.
std::vector<std::uint64_t> TenMillionWords() {
    Xoshiro256StarStar words(2);
    std::vector<std::uint64_t> values(10000000);
    for (std::uint64_t& value : values) value = words.Next();
    return values;
}

void RandomSortTenMillion(benchmark::State& state) {
    const std::vector<std::uint64_t> drawn = TenMillionWords();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::uint64_t> values = drawn;
        state.ResumeTiming();
        SortIntegers(values, false);
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(RandomSortTenMillion)->Unit(benchmark::kMillisecond);

void StdSortTenMillion(benchmark::State& state) {
    const std::vector<std::uint64_t> drawn = TenMillionWords();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::uint64_t> values = drawn;
        state.ResumeTiming();
        std::sort(values.begin(), values.end());
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(StdSortTenMillion)->Unit(benchmark::kMillisecond);

}  // namespace
