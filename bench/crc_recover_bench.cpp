// Recovering an unknown CRC's parameters from four frames of up to 256
// bytes, in process: one RecoverCrc call per iteration, the frames made
// before the clock starts. Models outside the catalogue, so that nothing is
// found by name; and frames whose checks no CRC explains, the call `find`
// makes for each wrong guess of width, byte order, head and tail.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "workbench/crc/engine.h"
#include "workbench/frames/frame_search.h"
#include "workbench/frames/gf2_poly.h"
#include "workbench/frames/recover.h"

namespace {

const std::vector<std::size_t> kLengths = {256, 256, 256, 255};

std::vector<CrcSample> Frames(const CrcParams& params) {
    std::mt19937_64 random(params.width);
    const CrcEngine engine(params);
    std::vector<CrcSample> frames;
    for (const std::size_t length : kLengths) {
        std::vector<unsigned char> message(length);
        for (unsigned char& b : message) b = static_cast<unsigned char>(random());
        const std::uint64_t check = engine.Compute(message.data(), length).low;
        frames.push_back({std::move(message), check});
    }
    return frames;
}

void Recover(benchmark::State& state, const CrcParams& params) {
    const std::vector<CrcSample> frames = Frames(params);
    const CrcRecovery found = RecoverCrc(frames, params.width);
    if (!found.decided || std::find(found.models.begin(), found.models.end(), params) == found.models.end()) {
        state.SkipWithError("the model was not recovered");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(RecoverCrc(frames, params.width));
}

void NothingFits(benchmark::State& state) {
    std::vector<CrcSample> frames = Frames({16, 0x1021, 0, false, false, 0});
    std::mt19937_64 random(1);
    for (CrcSample& frame : frames) frame.check = random() & 0xFFFF;
    if (!RecoverCrc(frames, 16).models.empty()) {
        state.SkipWithError("random checks were explained");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(RecoverCrc(frames, 16));
}

// The GCD of two random polynomials of state.range(0) bytes each, what
// recovery spends its time on: by division steps applied by carry-less
// multiplication, and by Euclid's algorithm with shifts, the way it was
// taken before and still is where the processor has no such multiply.
std::vector<Gf2Poly> RandomPolynomials(std::int64_t bytes) {
    std::mt19937_64 random(static_cast<std::uint64_t>(bytes));
    std::vector<Gf2Poly> polys;
    for (int i = 0; i < 2; ++i) {
        std::vector<unsigned char> data(static_cast<std::size_t>(bytes));
        for (unsigned char& b : data) b = static_cast<unsigned char>(random());
        polys.push_back(Gf2Poly::FromBits(data.data(), data.size(), false, 1, 1));
    }
    return polys;
}

void GcdByDivisionSteps(benchmark::State& state) {
    const std::vector<Gf2Poly> polys = RandomPolynomials(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(Gcd(polys[0], polys[1]));
}

void GcdByEuclid(benchmark::State& state) {
    const std::vector<Gf2Poly> polys = RandomPolynomials(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(EuclidGcd(polys[0], polys[1]));
}

// find --search on three random frames of state.range(0) bytes: the whole
// search, every placement of the default --max-skip, nothing to find. Its
// time grows with the square of the length in words
// (EstimatedRecoverySeconds); the whole process on 1 to 64 KiB is timed by
// scripts/bench.
void SearchRandomFrames(benchmark::State& state) {
    std::mt19937_64 random(static_cast<std::uint64_t>(state.range(0)));
    std::vector<std::vector<unsigned char>> frames(3, std::vector<unsigned char>(static_cast<std::size_t>(state.range(0))));
    for (auto& frame : frames) {
        for (unsigned char& b : frame) b = static_cast<unsigned char>(random());
    }
    FrameSearchOptions options;
    options.recovery = RecoveryMode::kAlways;
    for (auto _ : state) benchmark::DoNotOptimize(SearchFrames(frames, options));
}

}  // namespace

BENCHMARK(SearchRandomFrames)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(GcdByDivisionSteps)->Arg(1024)->Arg(16384)->Unit(benchmark::kMillisecond);
BENCHMARK(GcdByEuclid)->Arg(1024)->Arg(16384)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Recover, CRC-16, CrcParams{16, 0x2f15, 0x1d0f, true, true, 0x5a5a})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Recover, CRC-32, CrcParams{32, 0x741b8cd7, 0x12345678, false, true, 0x0f0f0f0f})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(NothingFits)->Unit(benchmark::kMillisecond);
