#include "link/framer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr unsigned char kCr = 0x0D, kLf = 0x0A;

}  // namespace

void Framer::Push(const unsigned char* bytes, std::size_t size, LinkTime time, std::vector<LinkFrame>& out) {
    if (size == 0) return;
    if (rule_.kind == FramingRule::kGap) {
        // A chunk carries one time for all its bytes: the only silences seen
        // are those between chunks, and one that reaches the gap ends a frame
        // (MODBUS: "at least 3.5 characters").
        if (!pending_.empty() && time - last_time_ >= rule_.gap_us) Emit(LinkFrame::kFrame, out);
        if (pending_.empty()) pending_time_ = time;
        pending_.insert(pending_.end(), bytes, bytes + size);
        last_time_ = time;
        return;
    }
    last_time_ = time;
    // A start spans at most as many chunks as it has bytes.
    chunk_starts_.emplace_back(position_, time);
    if (chunk_starts_.size() > std::max<std::size_t>(rule_.start.size(), 1)) chunk_starts_.erase(chunk_starts_.begin());
    // The bytes that can end or start nothing go in whole; each one that
    // may is looked at alone. A byte at a time throughout was too slow for
    // a LAN's stream.
    std::size_t i = 0;
    while (i < size) {
        const std::size_t plain = PlainRun(bytes + i, size - i);
        if (plain > 0) {
            LinkBytes& into = rule_.kind == FramingRule::kMarks && !rule_.start.empty() && !in_frame_ ? noise_ : pending_;
            LinkTime& since = &into == &noise_ ? noise_time_ : pending_time_;
            if (into.empty()) since = time;
            into.insert(into.end(), bytes + i, bytes + i + plain);
            i += plain;
            position_ += plain;
        }
        if (i < size) {
            taking_ = position_++;
            Take(bytes[i++], time, out);
        }
    }
}

LinkTime Framer::TimeAt(std::uint64_t position) const {
    for (auto chunk = chunk_starts_.rbegin(); chunk != chunk_starts_.rend(); ++chunk) {
        if (chunk->first <= position) return chunk->second;
    }
    return chunk_starts_.empty() ? last_time_ : chunk_starts_.front().second;
}

std::size_t Framer::PlainRun(const unsigned char* bytes, std::size_t size) const {
    const auto until = [&](unsigned char byte) {
        const void* hit = std::memchr(bytes, byte, size);
        return hit == nullptr ? size : static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - bytes);
    };
    switch (rule_.kind) {
        case FramingRule::kGap:
            return size;
        case FramingRule::kMarks:
            // A mark is complete only at its last byte.
            if (!rule_.start.empty() && !in_frame_) return until(rule_.start.back());
            return until(rule_.end.empty() ? rule_.start.back() : rule_.end.back());
        case FramingRule::kLength: {
            const long long claimed = ClaimedLength();
            if (claimed <= 0 || static_cast<std::size_t>(claimed) <= pending_.size()) return 0;
            // All but the frame's last byte, which completes it.
            return std::min(size, static_cast<std::size_t>(claimed) - pending_.size() - 1);
        }
        case FramingRule::kLines:
            if (cr_waiting_) return 0;
            switch (rule_.line_end) {
                case FramingRule::kCr:
                    return until(kCr);
                case FramingRule::kLf:
                case FramingRule::kCrLf:
                    return until(kLf);
                case FramingRule::kAnyEnd:
                    break;
            }
            for (std::size_t i = 0; i < size; ++i) {
                if (bytes[i] == kCr || bytes[i] == kLf) return i;
            }
            return size;
    }
    return 0;
}

void Framer::Take(unsigned char byte, LinkTime time, std::vector<LinkFrame>& out) {
    const auto append = [&] {
        if (pending_.empty()) pending_time_ = time;
        pending_.push_back(byte);
    };
    switch (rule_.kind) {
        case FramingRule::kGap:
            break;
        case FramingRule::kMarks:
            if (!rule_.start.empty() && !in_frame_) {
                // Bytes before a start are noise until the start's last byte
                // shows they were the start itself.
                AddNoise(byte, time, out);
                if (noise_.size() >= rule_.start.size() &&
                    std::equal(rule_.start.begin(), rule_.start.end(), noise_.end() - rule_.start.size())) {
                    noise_.resize(noise_.size() - rule_.start.size());
                    FlushNoise(out);
                    pending_.assign(rule_.start.begin(), rule_.start.end());
                    pending_time_ = TimeAt(taking_ + 1 - rule_.start.size());
                    in_frame_ = true;
                }
                return;
            }
            append();
            if (!rule_.end.empty()) {
                if (pending_.size() >= rule_.start.size() + rule_.end.size() && EndsWith(rule_.end)) {
                    Emit(LinkFrame::kFrame, out);
                    in_frame_ = false;
                }
            } else if (pending_.size() > 2 * rule_.start.size() - 1 && EndsWith(rule_.start)) {
                // No end byte: the next start ends the frame and begins the next.
                LinkFrame frame{LinkFrame::kFrame,
                                LinkBytes(pending_.begin(), pending_.end() - rule_.start.size()), pending_time_};
                out.push_back(std::move(frame));
                pending_.assign(rule_.start.begin(), rule_.start.end());
                pending_time_ = TimeAt(taking_ + 1 - rule_.start.size());
            }
            return;
        case FramingRule::kLength: {
            append();
            const long long claimed = ClaimedLength();
            if (claimed < 0) {
                // No frame is that long or that short: the first byte was not
                // a frame's, and the frame may start at the next one.
                LinkBytes rest(pending_.begin() + 1, pending_.end());
                const LinkTime rest_time = pending_time_;
                AddNoise(pending_.front(), pending_time_, out);
                pending_.clear();
                for (unsigned char b : rest) Take(b, rest_time, out);
            } else if (claimed > 0 && pending_.size() == static_cast<std::size_t>(claimed)) {
                Emit(LinkFrame::kFrame, out);
            }
            return;
        }
        case FramingRule::kLines:
            if (cr_waiting_) {
                cr_waiting_ = false;
                if (byte == kLf) {
                    append();
                    Emit(LinkFrame::kFrame, out);
                    return;
                }
                Emit(LinkFrame::kFrame, out);  // a CR alone ended the line
            }
            append();
            switch (rule_.line_end) {
                case FramingRule::kCr:
                    if (byte == kCr) Emit(LinkFrame::kFrame, out);
                    break;
                case FramingRule::kLf:
                    if (byte == kLf) Emit(LinkFrame::kFrame, out);
                    break;
                case FramingRule::kCrLf:
                    if (byte == kLf && pending_.size() >= 2 && pending_[pending_.size() - 2] == kCr) {
                        Emit(LinkFrame::kFrame, out);
                    }
                    break;
                case FramingRule::kAnyEnd:
                    // CR, LF or CR LF: after a CR the next byte decides, and
                    // it may come in the next chunk.
                    if (byte == kLf) Emit(LinkFrame::kFrame, out);
                    if (byte == kCr) cr_waiting_ = true;
                    break;
            }
            return;
    }
}

void Framer::Idle(LinkTime now, LinkTime idle_us, std::vector<LinkFrame>& out) {
    if (rule_.kind == FramingRule::kGap) {
        if (!pending_.empty() && now - last_time_ >= rule_.gap_us) Emit(LinkFrame::kFrame, out);
        return;
    }
    if (idle_us <= 0 || now - last_time_ < idle_us) return;
    if (cr_waiting_) {
        cr_waiting_ = false;
        Emit(LinkFrame::kFrame, out);
        return;
    }
    FlushNoise(out);
    if (!pending_.empty()) Emit(LinkFrame::kIncomplete, out);
    in_frame_ = false;
}

void Framer::Finish(std::vector<LinkFrame>& out) {
    if (cr_waiting_) {
        cr_waiting_ = false;
        Emit(LinkFrame::kFrame, out);
        return;
    }
    FlushNoise(out);
    if (!pending_.empty()) {
        Emit(rule_.kind == FramingRule::kGap ? LinkFrame::kFrame : LinkFrame::kIncomplete, out);
    }
    in_frame_ = false;
}

LinkTime Framer::Deadline(LinkTime idle_us) const {
    if (rule_.kind == FramingRule::kGap) return pending_.empty() ? -1 : last_time_ + rule_.gap_us;
    if (idle_us <= 0 || (pending_.empty() && noise_.empty() && !cr_waiting_)) return -1;
    return last_time_ + idle_us;
}

void Framer::Emit(LinkFrame::Kind kind, std::vector<LinkFrame>& out) {
    FlushNoise(out);
    out.push_back(LinkFrame{kind, std::move(pending_), pending_time_});
    pending_.clear();
}

void Framer::AddNoise(unsigned char byte, LinkTime time, std::vector<LinkFrame>&) {
    if (noise_.empty()) noise_time_ = time;
    noise_.push_back(byte);
}

void Framer::FlushNoise(std::vector<LinkFrame>& out) {
    if (noise_.empty()) return;
    out.push_back(LinkFrame{LinkFrame::kNoise, std::move(noise_), noise_time_});
    noise_.clear();
}

bool Framer::EndsWith(const LinkBytes& tail) const {
    return pending_.size() >= tail.size() && std::equal(tail.begin(), tail.end(), pending_.end() - tail.size());
}

long long Framer::ClaimedLength() const {
    const std::size_t field_end = rule_.offset + static_cast<std::size_t>(rule_.field_size);
    if (pending_.size() < field_end) return 0;
    unsigned long long value = 0;
    for (int i = 0; i < rule_.field_size; ++i) {
        const int index = rule_.big_endian ? i : rule_.field_size - 1 - i;
        value = value << 8 | pending_[rule_.offset + static_cast<std::size_t>(index)];
    }
    const long long total = static_cast<long long>(value) + rule_.adjust;
    if (total < static_cast<long long>(field_end) || total > static_cast<long long>(rule_.max_length)) return -1;
    return total;
}

LinkTime CharacterGapUs(double characters, const SerialSettings& settings) {
    // In whole numbers (thousandths of a character, half bits): a double's
    // rounding would put an exact 35000 us at 35001 after ceil.
    const long long milli_characters = std::llround(characters * 1000.0);
    const long long numerator = milli_characters * CharacterHalfBits(settings) * 1000000LL;
    const long long denominator = 2000LL * static_cast<long long>(settings.baud);
    return (numerator + denominator - 1) / denominator;
}

LinkTime ModbusGapUs(const SerialSettings& settings) {
    constexpr LinkTime kFastGapUs = 1750;
    if (settings.baud > 19200) return kFastGapUs;
    return CharacterGapUs(3.5, settings);
}
