// The engines alone, in megabytes of input per second, on full work buffers.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "bench_inputs.h"
#include "codepage/multibyte_text.h"
#include "core/checksum.h"
#include "core/crc.h"
#include "core/decode.h"
#include "core/hexdump.h"
#include "core/md5.h"
#include "core/texttools.h"

namespace {

// Runs `run` over and over; each run takes `input_bytes` bytes of input.
template <typename Run>
void Engine(benchmark::State& state, size_t input_bytes, Run run) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(run());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(input_bytes));
}

const unsigned char* Data() { return bench::Bytes().data(); }
constexpr size_t kSize = WORK_BUFFER_SIZE;

unsigned long ZlibCrc32Value() { return crc32(crc32(0L, Z_NULL, 0), Data(), static_cast<uInt>(kSize)); }

// zlib computes the same CRC-32: the two rows compare like with like.
void ZlibCrc32(benchmark::State& state) {
    if (ZlibCrc32Value() != Crc32(0, Data(), kSize)) {
        state.SkipWithError("zlib's crc32 and Crc32 disagree");
        return;
    }
    Engine(state, kSize, [] { return ZlibCrc32Value(); });
}

std::vector<unsigned char> g_decoded(WORK_BUFFER_SIZE);
const std::string& HexInput() {
    static const std::string text = bench::HexText(bench::Bytes());
    return text;
}

std::string g_dump(static_cast<size_t>(HexDumpReportLength(WORK_BUFFER_SIZE)), '\0');

// The text walks work in place on a copy, over and over: the walk is the same
// whatever case the letters already have.
std::string g_text = bench::GbkText();
char* Text() { return &g_text[0]; }

}  // namespace

BENCHMARK_CAPTURE(Engine, Checksum8, kSize, [] { return Checksum8(Data(), WORK_BUFFER_SIZE); });
BENCHMARK_CAPTURE(Engine, Checksum16, kSize, [] { return Checksum16(Data(), WORK_BUFFER_SIZE); });
BENCHMARK_CAPTURE(Engine, Crc8, kSize, [] { return Crc8(0, Data(), kSize); });
BENCHMARK_CAPTURE(Engine, Crc16, kSize, [] { return Crc16(0, Data(), kSize); });
BENCHMARK_CAPTURE(Engine, Crc32, kSize, [] { return Crc32(0, Data(), kSize); });
BENCHMARK(ZlibCrc32);
BENCHMARK_CAPTURE(Engine, Md5, kSize, [] {
    MD5Context context;
    MD5Init(&context);
    MD5Update(&context, Data(), static_cast<std::uint32_t>(kSize));
    unsigned char digest[MD5_DIGEST_SIZE];
    MD5Final(digest, &context);
    return digest[0];
});
// Megabytes of hex text read.
BENCHMARK_CAPTURE(Engine, HexTextToBytes, HexInput().size(), [] {
    return HexTextToBytes(HexInput().data(), static_cast<int>(HexInput().size()), g_decoded.data(),
                          WORK_BUFFER_SIZE);
});
// Megabytes of bytes dumped (the report is eight times as long).
BENCHMARK_CAPTURE(Engine, HexDump, kSize, [] {
    WriteHexDumpReport(Data(), WORK_BUFFER_SIZE, &g_dump[0]);
    return g_dump[0];
});
BENCHMARK_CAPTURE(Engine, Upper, g_text.size(), [] {
    MultibyteUpper(Text(), g_text.size(), GbkCodePage());
    return g_text[0];
});
BENCHMARK_CAPTURE(Engine, Lower, g_text.size(), [] {
    MultibyteLower(Text(), g_text.size(), GbkCodePage());
    return g_text[0];
});
BENCHMARK_CAPTURE(Engine, Reverse, g_text.size(), [] {
    MultibyteReverse(Text(), g_text.size(), GbkCodePage());
    return g_text[0];
});
BENCHMARK_CAPTURE(Engine, CharStats, g_text.size(), [] {
    return CountCharacters(g_text.data(), static_cast<int>(g_text.size())).chinese;
});
