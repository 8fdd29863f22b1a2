// The link's framer on a received stream held in memory: MODBUS-sized frames
// arriving in reads of 4 KiB, cut by each rule, in MB of stream a second.
// A serial port brings at most 0.4 MB/s and a TCP link on a LAN 100 MB/s;
// the framer must keep up with the faster with room to spare.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "link/framer.h"

namespace {

constexpr std::size_t kStreamBytes = 16 << 20;
constexpr std::size_t kReadBytes = 4096;

// Frames of 8 to 64 bytes: a length field at 0 (the whole length), a start
// byte 02 and an end byte 03 around them, a line end after them. The data
// avoids the marks so every rule sees the frames laid out.
LinkBytes Stream(FramingRule::Kind kind) {
    std::mt19937 random(2024);
    LinkBytes stream;
    stream.reserve(kStreamBytes + 128);
    while (stream.size() < kStreamBytes) {
        const std::size_t length = 8 + random() % 57;
        const std::size_t start = stream.size();
        for (std::size_t i = 0; i < length; ++i) stream.push_back(static_cast<unsigned char>(0x20 + random() % 0x5F));
        if (kind == FramingRule::kLength) stream[start] = static_cast<unsigned char>(length);
        if (kind == FramingRule::kMarks) {
            stream[start] = 0x02;
            stream.back() = 0x03;
        }
        if (kind == FramingRule::kLines) stream.back() = '\n';
    }
    return stream;
}

void BM_Framer(benchmark::State& state) {
    const auto kind = static_cast<FramingRule::Kind>(state.range(0));
    FramingRule rule;
    rule.kind = kind;
    rule.gap_us = 1750;
    rule.start = {0x02};
    rule.end = {0x03};
    rule.offset = 0;
    rule.field_size = 1;
    rule.line_end = FramingRule::kLf;
    const LinkBytes stream = Stream(kind);
    std::vector<LinkFrame> frames;
    std::size_t count = 0;
    for (auto _ : state) {
        Framer framer(rule);
        LinkTime time = 0;
        for (std::size_t at = 0; at < stream.size(); at += kReadBytes) {
            // Gap framing: a silence after every eighth read, so that frames
            // of 32 KiB end by the clock.
            time += at % (8 * kReadBytes) == 0 ? 2000 : 100;
            frames.clear();
            framer.Push(stream.data() + at, std::min(kReadBytes, stream.size() - at), time, frames);
            count += frames.size();
        }
        framer.Finish(frames);
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_Framer)
    ->Name("Framer")
    ->ArgName("rule")
    ->Arg(FramingRule::kGap)
    ->Arg(FramingRule::kMarks)
    ->Arg(FramingRule::kLength)
    ->Arg(FramingRule::kLines)
    ->Unit(benchmark::kMillisecond);

}  // namespace
