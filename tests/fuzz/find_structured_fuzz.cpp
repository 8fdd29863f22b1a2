// `find` as a capture hands it frames: runs of one byte (an idle line,
// erased flash), counters, blocks that repeat, a little data then padding,
// frames that are XORs of others, each perhaps behind a fixed start byte and
// before a fixed end. None of these frames carries a check, so every check
// that holds on all of them holds for their structure, and the search, with
// its defaults (recovery included), must believe none of them: a line it
// prints is one whose evidence the frames do not bear out.
//
// The fuzzer picks the shapes; the bytes a shape leaves free (a block, the
// data before padding) come from a generator it seeds, so that it explores
// shapes and cannot solve for the rare data that does carry a CRC.
//
// Input: byte 0 the frame count (1-6) and the fixed start and end; bytes 1
// to 4 the generator's seed; then per frame a shape byte, a length byte and
// a parameter byte.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "workbench/frames/frame_search.h"
#include "fuzz_check.h"

namespace {

constexpr std::size_t kMaxFrames = 6;

enum class Shape { kRun, kCounter, kRepeated, kPadded, kXor, kCount };

Bytes Counter(unsigned char first, int step, std::size_t length) {
    Bytes frame(length);
    for (std::size_t i = 0; i < length; ++i) frame[i] = static_cast<unsigned char>(first + step * static_cast<int>(i));
    return frame;
}

Bytes Body(Shape shape, std::size_t length, unsigned char parameter, const std::vector<Bytes>& before,
           std::mt19937& random) {
    switch (shape) {
        case Shape::kRun:
            return Bytes(length, parameter);
        case Shape::kCounter: {
            // Steps of 1 and -1 count up and down; others are counters too.
            const int step = parameter & 1u ? 1 : (parameter & 2u ? -1 : 1 + (parameter >> 2) % 7);
            return Counter(static_cast<unsigned char>(random()), step, length);
        }
        case Shape::kRepeated: {
            Bytes block(1 + parameter % 4);
            for (unsigned char& b : block) b = static_cast<unsigned char>(random());
            Bytes frame;
            while (frame.size() < length) frame.push_back(block[frame.size() % block.size()]);
            return frame;
        }
        case Shape::kPadded: {
            const std::size_t data = 1 + parameter % 4;
            Bytes frame(length, parameter & 0x80u ? 0xFF : 0x00);
            for (std::size_t i = 0; i < data && i < length; ++i) frame[i] = static_cast<unsigned char>(random());
            return frame;
        }
        default: {
            // The XOR of two frames before of this length; a run of FF
            // when there are not two.
            std::vector<const Bytes*> alike;
            for (const Bytes& frame : before) {
                if (frame.size() == length) alike.push_back(&frame);
            }
            if (alike.size() < 2) return Bytes(length, 0xFF);
            const Bytes& a = *alike[parameter % alike.size()];
            const Bytes& b = *alike[(parameter / alike.size() + 1 + parameter % alike.size()) % alike.size()];
            Bytes frame(length);
            for (std::size_t i = 0; i < length; ++i) frame[i] = static_cast<unsigned char>(a[i] ^ b[i]);
            return frame;
        }
    }
}

std::vector<Bytes> Generate(fuzz::Input& input) {
    const unsigned char shape = input.Byte();
    std::uint32_t seed = 0;
    for (int i = 0; i < 4; ++i) seed = seed << 8 | input.Byte();
    std::mt19937 random(seed);
    const std::size_t count = 1 + shape % kMaxFrames;
    // A fixed start (none, 68, or 3A) and a fixed end (none, 16, or 0D 0A).
    const Bytes start = (shape >> 3) % 3 == 0 ? Bytes{} : (shape >> 3) % 3 == 1 ? Bytes{0x68} : Bytes{0x3A};
    const Bytes end = (shape >> 5) % 3 == 0 ? Bytes{} : (shape >> 5) % 3 == 1 ? Bytes{0x16} : Bytes{0x0D, 0x0A};

    std::vector<Bytes> frames, bodies;
    for (std::size_t f = 0; f < count; ++f) {
        const Shape kind = static_cast<Shape>(input.Byte() % static_cast<int>(Shape::kCount));
        // Frames of one length give the XORs something to work with.
        const std::size_t length = 3 + input.Byte() % 30;
        bodies.push_back(Body(kind, length, input.Byte(), bodies, random));
        Bytes frame = start;
        frame.insert(frame.end(), bodies.back().begin(), bodies.back().end());
        frame.insert(frame.end(), end.begin(), end.end());
        frames.push_back(frame);
    }
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::vector<Bytes> frames = Generate(input);
    const FrameSearchResult result = SearchFrames(frames, FrameSearchOptions{});
    FUZZ_CHECK(!result.cancelled, "cancelled, though nothing asked");
    for (const FrameMatch& match : result.matches) {
        FUZZ_CHECK(false, "%s head=%zu tail=%zu believed (chance %g) on frames without a check:%s",
                   match.method.Label().c_str(), match.head, match.tail, match.chance, fuzz::HexLines(frames).c_str());
    }
    return 0;
}
