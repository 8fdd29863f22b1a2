// The link's framer (Framer) under every rule, fed random chunks at random
// times with silences between them.
//
// Input: byte 0 chooses the rule (silence gap, start/end marks, length
// field, line ends) and byte 1 the silence after which a part is given up
// (none, or 1 to 255 units of 10 us); the rule's own bytes follow (the gap;
// the marks' sizes 0-2 and bytes; the field's offset, size, byte order,
// adjustment and the longest frame; the line end). The rest is events: a
// byte whose low two bits choose a chunk (its size in the other bits, 0-63)
// or a silence, then a byte of time that passes before it, in 10 us units,
// then the chunk's bytes.
//
// Checked: nothing is lost, added or reordered (the pieces handed out,
// frames, noise and incomplete parts alike, are at every moment a prefix of
// the bytes pushed, and after Finish all of them); no piece is empty; each
// piece's time is that of the chunk its first byte came in (silence, line
// ends) or at least no later than its last byte's, and the times are
// monotone; Deadline is when Idle would act. Silence framing is a
// model's: a frame ends exactly where the time between two chunks, or a
// silence, reached the gap. The byte rules are judged by what they promise
// (a frame starts with its start mark and ends with its end mark, holds
// exactly the length its field claims, ends with its line end) and by the
// same bytes pushed one at a time at the same times, which must give the
// same pieces: the framer takes runs of bytes that can end nothing in one
// go, and that shortcut must not change a single frame.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "link/framer.h"

namespace {

struct Event {
    bool silence = false;
    LinkTime time = 0;
    LinkBytes bytes;
};

struct Piece {
    LinkFrame::Kind kind;
    LinkBytes bytes;
    LinkTime time;
    bool operator==(const Piece& o) const { return kind == o.kind && bytes == o.bytes && time == o.time; }
};

const char* KindName(LinkFrame::Kind kind) {
    return kind == LinkFrame::kFrame ? "frame" : kind == LinkFrame::kNoise ? "noise" : "incomplete";
}

std::string Show(const std::vector<Piece>& pieces) {
    std::string text;
    for (const Piece& p : pieces) {
        text += std::string(KindName(p.kind)) + "@" + std::to_string(p.time) + " [" +
                fuzz::Hex(std::string(p.bytes.begin(), p.bytes.end()), 16) + "] ";
    }
    return text.substr(0, 2000);
}

LinkBytes Take(fuzz::Input& input, std::size_t count) {
    LinkBytes bytes(count);
    for (unsigned char& b : bytes) b = input.Byte();
    return bytes;
}

FramingRule ReadRule(fuzz::Input& input, unsigned char choice) {
    FramingRule rule;
    switch (choice % 4) {
        case 0:
            rule.kind = FramingRule::kGap;
            rule.gap_us = 10 * (1 + LinkTime{input.Byte()});
            break;
        case 1: {
            rule.kind = FramingRule::kMarks;
            const unsigned char sizes = input.Byte();
            rule.start = Take(input, sizes % 3);
            rule.end = Take(input, sizes / 3 % 3);
            // The command line takes no rule without a mark.
            if (rule.start.empty() && rule.end.empty()) rule.start = Take(input, 1);
            break;
        }
        case 2: {
            rule.kind = FramingRule::kLength;
            const unsigned char shape = input.Byte();
            rule.offset = shape % 4;
            rule.field_size = shape / 4 % 3 == 0 ? 1 : shape / 4 % 3 == 1 ? 2 : 4;
            rule.big_endian = shape / 12 % 2 == 0;
            rule.adjust = static_cast<signed char>(input.Byte());
            rule.max_length = 1 + input.Byte();
            break;
        }
        default: {
            rule.kind = FramingRule::kLines;
            static const FramingRule::LineEnd kEnds[] = {FramingRule::kCr, FramingRule::kLf, FramingRule::kCrLf,
                                                         FramingRule::kAnyEnd};
            rule.line_end = kEnds[input.Byte() % 4];
            break;
        }
    }
    return rule;
}

// Runs the events through a framer; `one_by_one` pushes each byte alone at
// its chunk's time. Checks the prefix, emptiness and time rules on the way.
std::vector<Piece> Run(const FramingRule& rule, LinkTime idle_us, const std::vector<Event>& events, bool one_by_one) {
    Framer framer(rule);
    std::vector<Piece> pieces;
    LinkBytes pushed;
    std::vector<LinkTime> byte_times;
    std::size_t handed = 0;  // bytes in the pieces so far
    std::vector<LinkFrame> out;
    const auto collect = [&] {
        for (LinkFrame& f : out) {
            FUZZ_CHECK(!f.bytes.empty(), "an empty %s after %zu bytes", KindName(f.kind), handed);
            FUZZ_CHECK(handed + f.bytes.size() <= pushed.size(), "a piece of %zu bytes at %zu, only %zu pushed",
                       f.bytes.size(), handed, pushed.size());
            FUZZ_CHECK(std::equal(f.bytes.begin(), f.bytes.end(), pushed.begin() + static_cast<std::ptrdiff_t>(handed)),
                       "the %s at byte %zu is not the bytes pushed there: %s", KindName(f.kind), handed,
                       fuzz::Hex(std::string(f.bytes.begin(), f.bytes.end())).c_str());
            // Silence and line ends stamp a piece with its first byte's
            // chunk; marks with the start's last byte's, and a length
            // frame found after a byte given up keeps that byte's time:
            // never after its own last byte, never before the piece before.
            const LinkTime first = byte_times[handed], last = byte_times[handed + f.bytes.size() - 1];
            if (rule.kind == FramingRule::kGap || rule.kind == FramingRule::kLines) {
                FUZZ_CHECK(f.first_time == first, "the %s at byte %zu has time %lld, its first byte came at %lld",
                           KindName(f.kind), handed, static_cast<long long>(f.first_time),
                           static_cast<long long>(first));
            }
            FUZZ_CHECK(f.first_time <= last, "the %s at byte %zu has time %lld, after its last byte's %lld",
                       KindName(f.kind), handed, static_cast<long long>(f.first_time), static_cast<long long>(last));
            FUZZ_CHECK(pieces.empty() || f.first_time >= pieces.back().time,
                       "the %s at byte %zu has time %lld, before the piece before it (%lld)", KindName(f.kind),
                       handed, static_cast<long long>(f.first_time), static_cast<long long>(pieces.back().time));
            FUZZ_CHECK(rule.kind != FramingRule::kGap || f.kind == LinkFrame::kFrame, "silence framing gave %s",
                       KindName(f.kind));
            handed += f.bytes.size();
            pieces.push_back(Piece{f.kind, std::move(f.bytes), f.first_time});
        }
        out.clear();
    };
    for (const Event& e : events) {
        if (e.silence) {
            const LinkTime deadline = framer.Deadline(idle_us);
            const std::size_t before = pieces.size();
            const bool was_pending = framer.pending();
            framer.Idle(e.time, idle_us, out);
            collect();
            // Idle acts exactly from the deadline on, and on nothing else.
            if (deadline < 0 || e.time < deadline) {
                FUZZ_CHECK(pieces.size() == before, "Idle at %lld handed out %s before the deadline %lld",
                           static_cast<long long>(e.time), Show(pieces).c_str(), static_cast<long long>(deadline));
            } else if (was_pending) {
                FUZZ_CHECK(!framer.pending(), "Idle at %lld past the deadline %lld left a part pending",
                           static_cast<long long>(e.time), static_cast<long long>(deadline));
            }
            continue;
        }
        pushed.insert(pushed.end(), e.bytes.begin(), e.bytes.end());
        byte_times.insert(byte_times.end(), e.bytes.size(), e.time);
        if (one_by_one) {
            for (unsigned char b : e.bytes) framer.Push(&b, 1, e.time, out);
        } else {
            framer.Push(e.bytes.data(), e.bytes.size(), e.time, out);
        }
        collect();
    }
    framer.Finish(out);
    collect();
    FUZZ_CHECK(handed == pushed.size(), "after Finish %zu of %zu bytes were handed out: %s", handed, pushed.size(),
               Show(pieces).c_str());
    FUZZ_CHECK(!framer.pending(), "a part pending after Finish");
    return pieces;
}

// Silence framing as its rule says: a new frame starts with each chunk that
// comes at least the gap after the one before, or after a silence that
// lasted the gap while something was pending.
std::vector<Piece> GapModel(const FramingRule& rule, const std::vector<Event>& events) {
    std::vector<Piece> pieces;
    bool open = false;
    LinkTime last = 0;
    for (const Event& e : events) {
        if (e.silence) {
            if (open && e.time - last >= rule.gap_us) open = false;
            continue;
        }
        if (e.bytes.empty()) continue;
        if (open && e.time - last >= rule.gap_us) open = false;
        if (!open) pieces.push_back(Piece{LinkFrame::kFrame, {}, e.time});
        pieces.back().bytes.insert(pieces.back().bytes.end(), e.bytes.begin(), e.bytes.end());
        open = true;
        last = e.time;
    }
    return pieces;
}

bool EndsWith(const LinkBytes& bytes, const LinkBytes& tail) {
    return bytes.size() >= tail.size() &&
           std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<std::ptrdiff_t>(tail.size()));
}

bool StartsWith(const LinkBytes& bytes, const LinkBytes& head) {
    return bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin());
}

// The field's claim, read here byte by byte with its own arithmetic.
long long Claim(const FramingRule& rule, const LinkBytes& frame) {
    long long value = 0;
    for (int i = 0; i < rule.field_size; ++i) {
        const std::size_t at = rule.offset + static_cast<std::size_t>(i);
        const int shift = rule.big_endian ? 8 * (rule.field_size - 1 - i) : 8 * i;
        value += static_cast<long long>(frame[at]) << shift;
    }
    return value + rule.adjust;
}

// Where `mark` ends in `bytes` at or after index `from` and before `until`
// (exclusive): the index of its last byte, or -1.
long long MarkEndingBetween(const LinkBytes& bytes, const LinkBytes& mark, std::size_t from, std::size_t until) {
    if (mark.empty()) return -1;
    for (std::size_t j = std::max(from, mark.size() - 1); j < until && j < bytes.size(); ++j) {
        if (std::equal(mark.begin(), mark.end(), bytes.begin() + static_cast<std::ptrdiff_t>(j + 1 - mark.size()))) {
            return static_cast<long long>(j);
        }
    }
    return -1;
}

// Nothing that should have ended a frame was passed over: a piece the
// framer gave up, or noise, holds no mark, line end or length that would
// have made it a frame, and a frame ends at the first place it could.
void CheckNothingMissed(const FramingRule& rule, const std::vector<Piece>& pieces) {
    for (const Piece& p : pieces) {
        const std::string bytes = fuzz::Hex(std::string(p.bytes.begin(), p.bytes.end()));
        const std::size_t s = rule.start.size(), e = rule.end.size();
        switch (rule.kind) {
            case FramingRule::kGap:
                break;
            case FramingRule::kMarks:
                if (p.kind == LinkFrame::kNoise) {
                    FUZZ_CHECK(MarkEndingBetween(p.bytes, rule.start, 0, p.bytes.size()) < 0,
                               "noise holding the start mark: %s", bytes.c_str());
                } else if (!rule.end.empty()) {
                    // The end counts from where it cannot overlap the start.
                    const long long at = MarkEndingBetween(p.bytes, rule.end, s + e - 1, p.bytes.size());
                    const long long last = static_cast<long long>(p.bytes.size()) - 1;
                    FUZZ_CHECK(at < 0 || (p.kind == LinkFrame::kFrame && at == last),
                               "an end mark at %lld inside a %s: %s", at, KindName(p.kind), bytes.c_str());
                } else if (p.kind == LinkFrame::kFrame) {
                    // No end: the next start would have cut the frame.
                    FUZZ_CHECK(MarkEndingBetween(p.bytes, rule.start, 2 * s - 1, p.bytes.size()) < 0,
                               "a second start inside a frame: %s", bytes.c_str());
                }
                break;
            case FramingRule::kLength: {
                const std::size_t field_end = rule.offset + static_cast<std::size_t>(rule.field_size);
                if (p.kind != LinkFrame::kIncomplete || p.bytes.size() < field_end) break;
                const long long claim = Claim(rule, p.bytes);
                const bool possible =
                    claim >= static_cast<long long>(field_end) && claim <= static_cast<long long>(rule.max_length);
                FUZZ_CHECK(possible && claim > static_cast<long long>(p.bytes.size()),
                           "an incomplete part of %zu bytes whose field claims %lld: %s", p.bytes.size(), claim,
                           bytes.c_str());
                break;
            }
            case FramingRule::kLines:
                if (p.kind != LinkFrame::kIncomplete) break;
                for (std::size_t i = 0; i < p.bytes.size(); ++i) {
                    const unsigned char b = p.bytes[i];
                    const bool next_lf = i + 1 < p.bytes.size() && p.bytes[i + 1] == 0x0A;
                    const bool ends = rule.line_end == FramingRule::kCr     ? b == 0x0D
                                      : rule.line_end == FramingRule::kLf   ? b == 0x0A
                                      : rule.line_end == FramingRule::kCrLf ? b == 0x0D && next_lf
                                                                            : b == 0x0D || b == 0x0A;
                    FUZZ_CHECK(!ends, "a line end at %zu of a part given up: %s", i, bytes.c_str());
                }
                break;
        }
    }
}

void CheckPromises(const FramingRule& rule, const std::vector<Piece>& pieces) {
    CheckNothingMissed(rule, pieces);
    for (const Piece& p : pieces) {
        if (p.kind != LinkFrame::kFrame) continue;
        const std::string bytes = fuzz::Hex(std::string(p.bytes.begin(), p.bytes.end()));
        switch (rule.kind) {
            case FramingRule::kGap:
                break;
            case FramingRule::kMarks:
                FUZZ_CHECK(StartsWith(p.bytes, rule.start), "a frame without its start: %s", bytes.c_str());
                FUZZ_CHECK(EndsWith(p.bytes, rule.end), "a frame without its end: %s", bytes.c_str());
                FUZZ_CHECK(p.bytes.size() >= rule.start.size() + rule.end.size(), "a frame shorter than its marks: %s",
                           bytes.c_str());
                break;
            case FramingRule::kLength:
                FUZZ_CHECK(p.bytes.size() >= rule.offset + static_cast<std::size_t>(rule.field_size),
                           "a frame without its whole field: %s", bytes.c_str());
                FUZZ_CHECK(Claim(rule, p.bytes) == static_cast<long long>(p.bytes.size()),
                           "a frame of %zu bytes whose field claims %lld: %s", p.bytes.size(), Claim(rule, p.bytes),
                           bytes.c_str());
                FUZZ_CHECK(p.bytes.size() <= rule.max_length, "a frame longer than the longest: %s", bytes.c_str());
                break;
            case FramingRule::kLines: {
                const unsigned char last = p.bytes.back();
                const bool ended = rule.line_end == FramingRule::kCr     ? last == 0x0D
                                   : rule.line_end == FramingRule::kLf   ? last == 0x0A
                                   : rule.line_end == FramingRule::kCrLf ? EndsWith(p.bytes, {0x0D, 0x0A})
                                                                         : last == 0x0D || last == 0x0A;
                FUZZ_CHECK(ended, "a line without its end: %s", bytes.c_str());
                // A line holds one line end, at its end.
                for (std::size_t i = 0; i + 1 < p.bytes.size(); ++i) {
                    const unsigned char b = p.bytes[i], next = p.bytes[i + 1];
                    const bool inner = rule.line_end == FramingRule::kCr     ? b == 0x0D
                                       : rule.line_end == FramingRule::kLf   ? b == 0x0A
                                       : rule.line_end == FramingRule::kCrLf ? b == 0x0D && next == 0x0A &&
                                                                                   i + 2 < p.bytes.size()
                                                                             : b == 0x0A || (b == 0x0D && next != 0x0A);
                    FUZZ_CHECK(!inner, "a line end inside a line at %zu: %s", i, bytes.c_str());
                }
                break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const unsigned char choice = input.Byte();
    const unsigned char idle = input.Byte();
    const LinkTime idle_us = 10 * LinkTime{idle};
    const FramingRule rule = ReadRule(input, choice);

    std::vector<Event> events;
    LinkTime now = 0;
    while (!input.done() && events.size() < 256) {
        const unsigned char op = input.Byte();
        now += 10 * LinkTime{input.Byte()};
        Event e;
        e.time = now;
        e.silence = (op & 3) == 3;
        if (!e.silence) e.bytes = Take(input, op >> 2);
        events.push_back(std::move(e));
    }

    const std::vector<Piece> pieces = Run(rule, idle_us, events, false);
    CheckPromises(rule, pieces);
    if (rule.kind == FramingRule::kGap) {
        const std::vector<Piece> model = GapModel(rule, events);
        FUZZ_CHECK(pieces == model, "silence framing with gap %lld gave\n  %s\n  not\n  %s",
                   static_cast<long long>(rule.gap_us), Show(pieces).c_str(), Show(model).c_str());
    } else {
        const std::vector<Piece> bytewise = Run(rule, idle_us, events, true);
        FUZZ_CHECK(pieces == bytewise, "chunks gave\n  %s\n  bytes one by one gave\n  %s", Show(pieces).c_str(),
                   Show(bytewise).c_str());
    }
    return 0;
}
