// The received byte stream cut into frames. The framer sees only bytes and
// the monotonic times they arrived at, never a clock of its own, so a test
// drives it with times it chooses and a run is repeatable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/serial_settings.h"

using LinkBytes = std::vector<unsigned char>;

// Microseconds of a monotonic clock: only differences mean anything.
using LinkTime = std::int64_t;

struct FramingRule {
    enum Kind {
        kGap,     // a frame ends where the line stays silent for `gap_us`
        kMarks,   // a frame runs from `start` to `end` (either may be empty)
        kLength,  // a length field at `offset` says how long the frame is
        kLines,   // a frame ends with `line_end`, which stays in it
    } kind = kGap;

    LinkTime gap_us = 0;

    LinkBytes start, end;

    std::size_t offset = 0;     // of the length field, from the frame's first byte
    int field_size = 1;         // 1, 2 or 4 bytes
    bool big_endian = true;
    long long adjust = 0;       // added to the field's value to give the whole frame's length
    std::size_t max_length = 65536;  // a longer claim is noise, not a frame

    enum LineEnd { kCr, kLf, kCrLf, kAnyEnd } line_end = kAnyEnd;
};

// What the framer hands out: a frame, bytes that belong to no frame (before
// a start byte, a length no frame can have), or what was pending when the
// stream ended or fell silent without completing a frame. No byte is ever
// dropped: every byte received is in exactly one of them, in order.
struct LinkFrame {
    enum Kind { kFrame, kNoise, kIncomplete } kind = kFrame;
    LinkBytes bytes;
    LinkTime first_time = 0;  // when its first byte's chunk arrived
};

class Framer {
public:
    explicit Framer(const FramingRule& rule) : rule_(rule) {}

    // A chunk of bytes that arrived at `time` (not before the last one's).
    // Frames it completes are appended to `out`.
    void Push(const unsigned char* bytes, std::size_t size, LinkTime time, std::vector<LinkFrame>& out);

    // The clock moved to `now` with no bytes: in gap framing a pending frame
    // whose silence has lasted gap_us is complete; in the others, with
    // `idle_us` > 0, a pending part that has been silent that long is given
    // up as incomplete, so a peer that stopped mid-frame is seen.
    void Idle(LinkTime now, LinkTime idle_us, std::vector<LinkFrame>& out);

    // The stream ended: whatever is pending.
    void Finish(std::vector<LinkFrame>& out);

    // The time by which Idle would complete the pending frame, or -1 when
    // nothing waits on silence.
    LinkTime Deadline(LinkTime idle_us) const;

    bool pending() const { return !pending_.empty(); }

private:
    void Take(unsigned char byte, LinkTime time, std::vector<LinkFrame>& out);
    // How many of the bytes from `bytes` on can neither end nor start
    // anything, so go where the bytes before them went.
    std::size_t PlainRun(const unsigned char* bytes, std::size_t size) const;
    void Emit(LinkFrame::Kind kind, std::vector<LinkFrame>& out);
    void AddNoise(unsigned char byte, LinkTime time, std::vector<LinkFrame>& out);
    void FlushNoise(std::vector<LinkFrame>& out);
    bool EndsWith(const LinkBytes& tail) const;
    // For the length rule: the frame's whole length once the field is in,
    // or 0 while it is not; -1 when the field claims no possible frame.
    long long ClaimedLength() const;

    FramingRule rule_;
    LinkBytes pending_;
    LinkTime pending_time_ = 0;
    LinkBytes noise_;
    LinkTime noise_time_ = 0;
    LinkTime last_time_ = 0;
    bool in_frame_ = false;    // marks rule: a start was seen
    // Where each of the last few chunks began in the stream, and when it
    // came, so that a frame whose start came in two reads is stamped with
    // its start's first byte; and the position of the byte Take has.
    std::vector<std::pair<std::uint64_t, LinkTime>> chunk_starts_;
    std::uint64_t position_ = 0, taking_ = 0;
    // The time of the byte at stream position `position`, among the chunks kept.
    LinkTime TimeAt(std::uint64_t position) const;
    bool cr_waiting_ = false;  // any line end: a CR came, an LF may follow it
};

// Silence framing by characters: `characters` character times at the
// port's settings (see CharacterHalfBits), in microseconds, rounded up;
// `characters` counts in thousandths, up to 1000 characters.
LinkTime CharacterGapUs(double characters, const SerialSettings& settings);

// MODBUS RTU's silence between frames: 3.5 characters, or 1750 us above
// 19200 baud, where the character time would be too short to time.
LinkTime ModbusGapUs(const SerialSettings& settings);
