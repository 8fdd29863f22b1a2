// `find` without recovery (SearchFrames, RecoveryMode::kNever, weak lines
// kept) against an exhaustive search of its own: every named check at every
// head, tail and byte order, each check computed bit by bit (CRCs) or by the
// sum's definition, on every frame.
//
// Input: byte 0 picks max_skip (0-3) and 1 to 6 frames; byte 1 says which
// frames are built with a named check (so that real matches occur); bytes 2
// and 3 pick that check, its byte order and its head and tail sizes. Then
// for each frame a length byte (1-24) and its bytes: the data of a built
// frame (its head and tail bytes follow), the whole of a raw one.
//
// Checked: the lines of `matches` (check name, order, head, tail) are
// exactly those the model finds, after the one rule the model applies on
// top: a narrower CRC is left out when a believed wider CRC at the same head
// and tail, of the same input reflection, has a generator its generator
// divides (the model divides the generators bit by bit; the seed
// implied_crc16 has CRC-16/ARC held by CRC-32/CD-ROM-EDC). Whether each line
// is weak follows from the model's own count of different frames and of the
// checks of its size tried, or, for a line the count believes, from the
// search's own judgement that the frames' structure (runs, padding, repeats)
// and not luck explains it: such a line is marked structural, and the model
// then takes it as weak too, also when it leaves out the narrower CRCs it
// implies. A structural line the count does not believe is a fault. Weak
// lines come last, `weak` lists exactly them, and every line verifies with
// VerifyFrame on every frame.
#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "workbench/frames/frame_search.h"
#include "fuzz_check.h"
#include "reference_check.h"

namespace {

constexpr std::size_t kMaxFrames = 6;
constexpr std::size_t kMaxFrameBytes = 24;

struct Line {
    std::string name;
    bool little_endian;
    std::size_t head, tail;
    bool weak;
    friend bool operator<(const Line& a, const Line& b) {
        return std::tie(a.name, a.little_endian, a.head, a.tail, a.weak) <
               std::tie(b.name, b.little_endian, b.head, b.tail, b.weak);
    }
    friend bool operator==(const Line& a, const Line& b) { return !(a < b) && !(b < a); }
};

std::string Describe(const Line& line) {
    return line.name + (line.little_endian ? " le" : " be") + " head=" + std::to_string(line.head) +
           " tail=" + std::to_string(line.tail) + (line.weak ? " (weak)" : "");
}

// The generator x^width + poly, bit i the coefficient of x^i.
using Generator = std::bitset<fuzz::kMaxCrcWidth + 2>;

Generator GeneratorOf(const CrcParams& params) {
    Generator g;
    for (int i = 0; i < params.width; ++i) g[i] = params.poly.Bit(i);
    g[params.width] = true;
    return g;
}

int DegreeOf(const Generator& g) {
    for (int i = static_cast<int>(g.size()) - 1; i >= 0; --i) {
        if (g[i]) return i;
    }
    return -1;
}

// Long division, one cancelled term at a time.
bool GeneratorDivides(const Generator& divisor, Generator dividend) {
    const int d = DegreeOf(divisor);
    for (int top = DegreeOf(dividend); top >= d; top = DegreeOf(dividend)) dividend ^= divisor << (top - d);
    return dividend.none();
}

struct Found {
    Line line;
    std::size_t index;  // into NamedCheckMethods()
};

// Whether named CRC a's generator divides named CRC b's, for every pair,
// found once: the named checks never change, and the division bit by bit
// per pair and input took a third of the model's time.
const std::vector<std::vector<bool>>& DividesTable() {
    static const std::vector<std::vector<bool>> table = [] {
        const std::vector<CheckMethod>& methods = NamedCheckMethods();
        std::vector<std::vector<bool>> divides(methods.size(), std::vector<bool>(methods.size(), false));
        for (std::size_t a = 0; a < methods.size(); ++a) {
            for (std::size_t b = 0; b < methods.size(); ++b) {
                if (!methods[a].is_crc() || !methods[b].is_crc()) continue;
                divides[a][b] = GeneratorDivides(GeneratorOf(methods[a].crc_params()), GeneratorOf(methods[b].crc_params()));
            }
        }
        return divides;
    }();
    return table;
}

// Narrows the tails (0 to max_skip) and orders that hold for the method at
// `head` to those that hold on this frame too: the check over frame[head,
// end) against the number in the check's bytes after `end`. A CRC's
// register is carried from one end to the next, bit by bit; a sum is taken
// afresh at each end.
void Narrow(const CheckMethod& method, const fuzz::ReferenceCrc* crc, const Bytes& frame, std::size_t head,
            std::vector<std::array<bool, 2>>& holds) {
    const std::size_t check = static_cast<std::size_t>(method.byte_count());
    fuzz::CrcBits reg = 0;
    if (crc != nullptr) reg = crc->init;
    for (std::size_t end = head; end + check <= frame.size(); ++end) {
        if (end > head) {
            const std::size_t tail = frame.size() - check - end;
            if (tail < holds.size() && (holds[tail][0] || holds[tail][1])) {
                Uint128 value;
                if (crc != nullptr) {
                    value = fuzz::WordOfBits(crc->Finish(reg));
                } else {
                    value = fuzz::ReferenceCheck(method, frame.data() + head, end - head);
                }
                for (int o = 0; o < 2; ++o) {
                    holds[tail][o] = holds[tail][o] &&
                                     fuzz::ReadByHand(frame.data() + end, method.byte_count(), o == 1) == value;
                }
            }
        }
        if (crc != nullptr && end < frame.size()) crc->Feed(reg, frame[end]);
    }
    // Tails that leave no data byte after the head hold nowhere.
    for (std::size_t tail = 0; tail < holds.size(); ++tail) {
        if (frame.size() < head + 1 + check + tail) holds[tail] = {false, false};
    }
}

std::size_t DifferentSlices(const std::vector<Bytes>& frames, std::size_t head, std::size_t tail) {
    std::set<Bytes> slices;
    for (const Bytes& frame : frames) slices.emplace(frame.begin() + static_cast<long>(head), frame.end() - static_cast<long>(tail));
    return slices.size();
}

// Too likely by luck: the named checks of its size at every placement and
// order, times 10^4, reach the number of values its checks could take.
bool Weak(int byte_count, std::size_t max_skip, std::size_t different) {
    std::uint64_t tried = 0;
    for (const CheckMethod& method : NamedCheckMethods()) tried += method.byte_count() == byte_count ? 1 : 0;
    tried *= (byte_count > 1 ? 2 : 1) * (max_skip + 1) * (max_skip + 1);
    const std::size_t bits = 8 * static_cast<std::size_t>(byte_count) * different;
    if (bits >= 63) return false;
    return tried * 10000 >= (std::uint64_t{1} << bits);
}

// Each named check's reference register, set up once: the named checks
// never change.
const std::vector<fuzz::ReferenceCrc>& References() {
    static const std::vector<fuzz::ReferenceCrc> references = [] {
        std::vector<fuzz::ReferenceCrc> all;
        for (const CheckMethod& method : NamedCheckMethods()) {
            all.push_back(method.is_crc() ? fuzz::ReferenceOf(method.crc_params()) : fuzz::ReferenceCrc{});
        }
        return all;
    }();
    return references;
}

std::vector<Found> Model(const std::vector<Bytes>& frames, std::size_t max_skip, const std::set<Line>& structural) {
    std::vector<Found> found;
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    for (std::size_t m = 0; m < methods.size(); ++m) {
        const CheckMethod& method = methods[m];
        const bool wide = method.byte_count() > 1;
        for (std::size_t head = 0; head <= max_skip; ++head) {
            std::vector<std::array<bool, 2>> holds(max_skip + 1, {true, wide});
            for (const Bytes& frame : frames) {
                Narrow(method, method.is_crc() ? &References()[m] : nullptr, frame, head, holds);
                if (std::none_of(holds.begin(), holds.end(), [](const std::array<bool, 2>& h) { return h[0] || h[1]; })) {
                    break;
                }
            }
            for (std::size_t tail = 0; tail <= max_skip; ++tail) {
                for (int o = 0; o < 2; ++o) {
                    if (!holds[tail][o]) continue;
                    const bool weak = Weak(method.byte_count(), max_skip, DifferentSlices(frames, head, tail));
                    const Line believed{method.name(), o == 1, head, tail, false};
                    found.push_back({{method.name(), o == 1, head, tail, weak || structural.count(believed) != 0}, m});
                }
            }
        }
    }
    // Leave out what a believed wider CRC at the same place implies.
    std::vector<Found> believed_crcs;
    std::copy_if(found.begin(), found.end(), std::back_inserter(believed_crcs),
                 [&methods](const Found& f) { return !f.line.weak && methods[f.index].is_crc(); });
    std::vector<Found> kept;
    for (const Found& n : found) {
        const auto implies = [&n, &methods](const Found& w) {
            if (w.line.head != n.line.head || w.line.tail != n.line.tail) return false;
            const CrcParams &a = methods[n.index].crc_params(), &b = methods[w.index].crc_params();
            return a.width < b.width && a.refin == b.refin && DividesTable()[n.index][w.index];
        };
        const bool implied = methods[n.index].is_crc() && std::any_of(believed_crcs.begin(), believed_crcs.end(), implies);
        if (!implied) kept.push_back(n);
    }
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const unsigned char shape = input.Byte(), built = input.Byte(), pick = input.Byte(), place = input.Byte();
    const std::size_t max_skip = shape % 4;
    const std::size_t count = 1 + (shape >> 2) % kMaxFrames;
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    const CheckMethod& method = methods[(pick | (place & 0x80u) << 1) % methods.size()];
    const CheckOrder order = (place & 1u) != 0 ? CheckOrder::kLittleEndian : CheckOrder::kBigEndian;
    const std::size_t head_size = (place >> 1) % 4, tail_size = (place >> 3) % 4;

    std::vector<Bytes> frames;
    for (std::size_t f = 0; f < count; ++f) {
        const std::size_t length = 1 + input.Byte() % kMaxFrameBytes;
        Bytes bytes(length);
        for (unsigned char& b : bytes) b = input.Byte();
        if ((built >> f & 1u) != 0) {
            Bytes head(head_size), tail(tail_size);
            for (unsigned char& b : head) b = input.Byte();
            for (unsigned char& b : tail) b = input.Byte();
            frames.push_back(BuildFrame(method, order, head, bytes, tail));
        } else {
            frames.push_back(bytes);
        }
    }

    FrameSearchOptions options;
    options.max_skip = max_skip;
    options.recovery = RecoveryMode::kNever;
    options.keep_weak = true;
    const FrameSearchResult result = SearchFrames(frames, options);
    FUZZ_CHECK(!result.recovery_ran && result.equivalent.empty(), "recovery ran though told never to");

    // The lines the search judged explained by the frames' structure: each
    // one the count believes (weak false in the model's terms).
    std::set<Line> structural;
    for (const FrameMatch& match : result.matches) {
        if (!match.structural) continue;
        const Line line{match.method.name(), match.order == CheckOrder::kLittleEndian, match.head, match.tail, false};
        FUZZ_CHECK(match.weak, "%s: structural but believed", Describe(line).c_str());
        FUZZ_CHECK(!Weak(match.method.byte_count(), max_skip, DifferentSlices(frames, match.head, match.tail)),
                   "%s: structural, though the count alone does not believe it", Describe(line).c_str());
        structural.insert(line);
    }

    std::vector<Line> lines, weak;
    bool weak_seen = false;
    for (const FrameMatch& match : result.matches) {
        FUZZ_CHECK(!match.recovered, "a recovered line without recovery");
        const bool little = match.order == CheckOrder::kLittleEndian;
        FUZZ_CHECK(!(little && match.method.byte_count() == 1), "%s: a one-byte check with an order",
                   match.method.name().c_str());
        lines.push_back({match.method.name(), little, match.head, match.tail, match.weak});
        FUZZ_CHECK(!weak_seen || match.weak, "%s: a believed line after a weak one", Describe(lines.back()).c_str());
        weak_seen = weak_seen || match.weak;
        const FrameEnd any_head{{}, true, match.head}, any_tail{{}, true, match.tail};
        for (const Bytes& frame : frames) {
            FUZZ_CHECK(VerifyFrame(match.method, match.order, any_head, any_tail, frame).kind == FrameVerdict::kOk,
                       "%s does not verify on %s", Describe(lines.back()).c_str(),
                       fuzz::Hex(std::string(frame.begin(), frame.end())).c_str());
        }
    }
    for (const FrameMatch& match : result.weak) {
        weak.push_back({match.method.name(), match.order == CheckOrder::kLittleEndian, match.head, match.tail, true});
    }

    std::vector<Line> expected, expected_weak;
    for (const Found& f : Model(frames, max_skip, structural)) {
        expected.push_back(f.line);
        if (f.line.weak) expected_weak.push_back(f.line);
    }
    std::sort(lines.begin(), lines.end());
    std::sort(weak.begin(), weak.end());
    std::sort(expected.begin(), expected.end());
    std::sort(expected_weak.begin(), expected_weak.end());
    if (lines != expected) {
        std::string only_found, only_expected;
        for (const Line& l : lines) {
            if (!std::binary_search(expected.begin(), expected.end(), l)) only_found += "\n  " + Describe(l);
        }
        for (const Line& l : expected) {
            if (!std::binary_search(lines.begin(), lines.end(), l)) only_expected += "\n  " + Describe(l);
        }
        FUZZ_CHECK(false, "max_skip %zu, frames:%s\nfound, not expected:%s\nexpected, not found:%s", max_skip,
                   fuzz::HexLines(frames).c_str(), only_found.c_str(), only_expected.c_str());
    }
    FUZZ_CHECK(weak == expected_weak, "the weak lines differ (%zu found, %zu expected)", weak.size(),
               expected_weak.size());
    return 0;
}
