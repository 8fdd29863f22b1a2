// The generic CRC engine on 64 MiB in memory, beside Google's crcutil set up
// with the same parameters, and zlib's crc32 for CRC-32/ISO-HDLC. Each
// reference is first checked to compute the same CRC as ours. Beside them the
// limit of memory itself: a plain read of the same bytes, and a memcpy; and
// each path the processor offers, forced, on 64 MiB and on short runs, where
// the tables stop being faster than folding.
//
// crcutil runs reflected CRCs only. A CRC that is not reflected is the
// reflected CRC of the same polynomial over the bytes with their bits
// reversed, so that is how its value is checked; its speed does not depend
// on the bytes, so it is timed on the same data as ours.
#include <benchmark/benchmark.h>
#include <generic_crc.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "workbench/crc/catalogue.h"
#include "workbench/crc/engine.h"

namespace {

constexpr std::size_t kSize = std::size_t{64} << 20;
constexpr std::size_t kCheckSize = std::size_t{1} << 20;  // enough to run crcutil's word loop

const std::vector<unsigned char>& Data() {
    static const std::vector<unsigned char> data = [] {
        std::mt19937_64 generator(64);
        std::vector<unsigned char> d(kSize);
        for (unsigned char& b : d) b = static_cast<unsigned char>(generator());
        return d;
    }();
    return data;
}

const CrcParams* Find(const std::string& name) {
    for (const CrcModel& model : CrcCatalogue()) {
        if (model.name == name) return &model.params;
    }
    return nullptr;
}

template <typename Run>
void Measure(benchmark::State& state, Run run) {
    Data();  // made before the clock starts
    for (auto _ : state) benchmark::DoNotOptimize(run());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kSize));
}

void Ours(benchmark::State& state, const CrcParams& params) {
    const CrcEngine engine(params);
    Measure(state, [&engine] { return engine.Compute(Data().data(), kSize).low; });
}

using Crcutil = crcutil::GenericCrc<crcutil::uint64, crcutil::uint64, crcutil::uint64, 4>;

// crcutil's register after `size` bytes from our starting register, in our
// engine's form; the bytes are bit-reversed first for a CRC not reflected.
std::uint64_t CrcutilRegister(const Crcutil& crcutil, const CrcParams& p, const unsigned char* data, std::size_t size) {
    if (p.refin) return crcutil.CrcDefault(data, size, ReflectLowBits(p.init, p.width).low);
    std::vector<unsigned char> reversed(data, data + size);
    for (unsigned char& b : reversed) b = static_cast<unsigned char>(ReflectLowBits(b, 8).low);
    const std::uint64_t reg = crcutil.CrcDefault(reversed.data(), size, ReflectLowBits(p.init, p.width).low);
    return ReflectLowBits(reg, p.width).low;
}

void Theirs(benchmark::State& state, const CrcParams& params) {
    const Crcutil crcutil(ReflectLowBits(params.poly, params.width).low, static_cast<std::size_t>(params.width), false);
    const CrcEngine engine(params);
    const Uint128 ours = engine.Update(engine.Start(), Data().data(), kCheckSize);
    if (CrcutilRegister(crcutil, params, Data().data(), kCheckSize) != ours.low) {
        state.SkipWithError("crcutil and the engine disagree");
        return;
    }
    Measure(state, [&crcutil] { return crcutil.CrcDefault(Data().data(), kSize, 0); });
}

void Zlib(benchmark::State& state) {
    const auto zlib = [] { return crc32(crc32(0L, Z_NULL, 0), Data().data(), static_cast<uInt>(kSize)); };
    if (zlib() != CrcEngine(*Find("CRC-32/ISO-HDLC")).Compute(Data().data(), kSize).low) {
        state.SkipWithError("zlib's crc32 and the engine disagree");
        return;
    }
    Measure(state, zlib);
}

const char* PathName(CrcPath path) {
    switch (path) {
        case CrcPath::kTables: return "tables";
        case CrcPath::kPclmul: return "pclmul";
        case CrcPath::kVpclmul512: return "vpclmul512";
    }
    return "?";
}

void OnPath(benchmark::State& state, const CrcParams& params, CrcPath path, std::size_t size) {
    const CrcEngine engine(params, path);
    Data();
    for (auto _ : state) benchmark::DoNotOptimize(engine.Compute(Data().data(), size).low);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
}

// Every byte read once, 16 at a time into eight XOR accumulators: as little
// work per byte as a read can have, so the speed of memory alone.
void MemoryRead(benchmark::State& state) {
    using Lane = std::uint64_t __attribute__((vector_size(16)));
    Measure(state, [] {
        const unsigned char* p = Data().data();
        Lane sum[8] = {};
        for (std::size_t i = 0; i < kSize; i += sizeof sum) {
            for (int w = 0; w < 8; ++w) {
                Lane lane;
                std::memcpy(&lane, p + i + sizeof lane * w, sizeof lane);
                sum[w] ^= lane;
            }
        }
        const Lane all = sum[0] ^ sum[1] ^ sum[2] ^ sum[3] ^ sum[4] ^ sum[5] ^ sum[6] ^ sum[7];
        return all[0] ^ all[1];
    });
}

void Memcpy(benchmark::State& state) {
    static std::vector<unsigned char> copy(kSize);
    Measure(state, [] {
        std::memcpy(copy.data(), Data().data(), kSize);
        return copy[kSize / 2];
    });
}

// Widths 8 to 64, reflected and not.
const char* const kModels[] = {"CRC-8/SMBUS",   "CRC-16/MODBUS", "CRC-16/XMODEM", "CRC-24/OPENPGP", "CRC-32/ISO-HDLC",
                               "CRC-32/ISCSI",  "CRC-32/MPEG-2", "CRC-40/GSM",    "CRC-64/XZ",      "CRC-64/ECMA-182"};

const bool kRegistered = [] {
    for (const char* name : kModels) {
        const CrcParams* params = Find(name);
        if (params == nullptr) continue;  // the table would miss the row: a renamed model shows there
        benchmark::RegisterBenchmark((std::string("CrcEngine/") + name).c_str(), Ours, *params);
        benchmark::RegisterBenchmark((std::string("Crcutil/") + name).c_str(), Theirs, *params);
    }
    benchmark::RegisterBenchmark("Zlib/CRC-32/ISO-HDLC", Zlib);
    benchmark::RegisterBenchmark("MemoryRead/64 MiB", MemoryRead);
    benchmark::RegisterBenchmark("Memcpy/64 MiB", Memcpy);
    for (const char* name : {"CRC-32/ISO-HDLC", "CRC-32/MPEG-2"}) {
        const CrcParams* params = Find(name);
        if (params == nullptr) continue;
        for (CrcPath path : CrcPathsOffered()) {
            const std::string prefix = std::string("CrcPath/") + PathName(path) + "/" + name;
            benchmark::RegisterBenchmark(prefix.c_str(), OnPath, *params, path, kSize);
            if (std::string(name) != "CRC-32/MPEG-2") continue;  // one model is enough for the threshold
            for (std::size_t size : {256, 384, 512, 768, 1024, 4096}) {
                benchmark::RegisterBenchmark((prefix + "/" + std::to_string(size)).c_str(), OnPath, *params, path,
                                             size);
            }
        }
    }
    return true;
}();

}  // namespace
