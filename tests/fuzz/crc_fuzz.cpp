// The generic CRC engine against a bit-at-a-time division, and the names and
// parameter lines a user may give it.
//
// Input: byte 0 picks a width of 1 to 82, byte 1 refin, refout and a split
// point, bytes 2-34 the polynomial, init and xorout (11 bytes each, cut to
// the width); the rest is the message. The whole input is also given to the
// resolver as a name or parameter line.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "workbench/crc/engine.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"
#include "fuzz_check.h"
#include "reference_crc.h"

namespace {

constexpr std::size_t kValueBytes = 11;  // 88 bits hold the widest register
constexpr std::size_t kHeaderBytes = 2 + 3 * kValueBytes;
constexpr std::size_t kMaxMisalignment = 8;

fuzz::CrcBits BitsOf(const std::uint8_t* bytes, int width) {
    fuzz::CrcBits bits = 0;
    for (int i = 0; i < width; ++i) {
        if ((bytes[i / 8] >> (i % 8) & 1u) != 0) fuzz::SetBit(bits, i);
    }
    return bits;
}

Uint128 WordsOf(const fuzz::CrcBits& bits) {
    Uint128 value;
    for (int i = 0; i < fuzz::kMaxCrcWidth; ++i) {
        if (fuzz::BitOf(bits, i)) value |= Uint128{1} << i;
    }
    return value;
}

std::string Hex(Uint128 value) { return CrcHexDigits(value, 128, false); }

void CheckEngine(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderBytes) return;
    const int width = data[0] % fuzz::kMaxCrcWidth + 1;
    const bool refin = (data[1] & 1u) != 0, refout = (data[1] & 2u) != 0;
    const fuzz::ReferenceCrc reference{width, BitsOf(data + 2, width), BitsOf(data + 2 + kValueBytes, width),
                                       BitsOf(data + 2 + 2 * kValueBytes, width), refin, refout};
    const CrcParams params{width, WordsOf(reference.poly), WordsOf(reference.init), refin, refout,
                           WordsOf(reference.xorout)};
    std::string unsound;
    FUZZ_CHECK(CheckCrcParams(params, unsound), "%s", unsound.c_str());

    const std::string message(reinterpret_cast<const char*>(data) + kHeaderBytes, size - kHeaderBytes);
    const Uint128 expected = WordsOf(reference.Compute(message));
    const CrcEngine engine(params);
    const Uint128 whole = engine.Compute(message.data(), message.size());
    FUZZ_CHECK(whole == expected, "width %d: engine %s, reference %s", width, Hex(whole).c_str(),
               Hex(expected).c_str());

    // In two runs from an address of any alignment.
    const std::size_t split = message.empty() ? 0 : (data[1] >> 2) * message.size() / 63;
    std::vector<char> buffer(message.size() + kMaxMisalignment);
    char* moved = buffer.data() + (data[1] >> 2) % kMaxMisalignment;
    if (!message.empty()) std::memcpy(moved, message.data(), message.size());
    const Uint128 chained = engine.Finish(engine.Update(engine.Update(engine.Start(), moved, split), moved + split,
                                                        message.size() - split));
    FUZZ_CHECK(chained == expected, "width %d split at %zu: engine %s, reference %s", width, split,
               Hex(chained).c_str(), Hex(expected).c_str());
}

// Whatever the user writes: a sound CRC or lines that say why not, and a
// line written back reads as the same parameters.
void CheckResolver(const std::uint8_t* data, std::size_t size) {
    const std::string argument(reinterpret_cast<const char*>(data), size);
    ResolvedCrc resolved;
    std::string error;
    if (!ResolveCrc(argument, resolved, error)) {
        FUZZ_CHECK(!error.empty(), "no reason given for \"%s\"", fuzz::Hex(argument).c_str());
        return;
    }
    std::string unsound;
    FUZZ_CHECK(error.empty() && CheckCrcParams(resolved.params, unsound), "\"%s\" resolved to unsound parameters",
               fuzz::Hex(argument).c_str());
    const CrcModel model{"", resolved.params, 0, 0};
    CrcModelLine again;
    std::string why;
    FUZZ_CHECK(ParseCrcModelLine(FormatCrcModelLine(model), again, why) && again.params == resolved.params,
               "the line of \"%s\" does not read back: %s", fuzz::Hex(argument).c_str(), why.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckEngine(data, size);
    CheckResolver(data, size);
    return 0;
}
