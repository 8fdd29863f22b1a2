#include "modbus/frame_cutter.h"

#include <algorithm>

#include "modbus/rtu_length.h"

namespace {

constexpr std::size_t kRtuMaxFrame = 256;
constexpr std::size_t kAsciiMaxFrame = 1 + 2 * (1 + kModbusMaxPdu + 1) + 2;
constexpr std::size_t kMbapHeader = 6;
constexpr LinkTime kLeastStaleUs = 100 * 1000;

unsigned Word(const unsigned char* bytes) { return static_cast<unsigned>(bytes[0] << 8 | bytes[1]); }

}  // namespace

ModbusFrameCutter::ModbusFrameCutter(ModbusFraming framing, ModbusDirection incoming, LinkTime gap_us)
    : framing_(framing),
      incoming_(incoming),
      gap_us_(gap_us < 0 ? 0 : gap_us),
      stale_us_(std::max<LinkTime>(kLeastStaleUs, 20 * gap_us_)) {}

void ModbusFrameCutter::Push(const unsigned char* bytes, std::size_t size, LinkTime time) {
    if (size == 0) return;
    const bool after_silence = time - last_time_ >= gap_us_;
    last_time_ = time;
    if (skipping_) {
        if (!after_silence) {
            skipped_.insert(skipped_.end(), bytes, bytes + size);
            return;
        }
        skipping_ = false;
    }
    burst_start_.push_back(after_silence || pending_.empty());
    burst_start_.resize(pending_.size() + size, false);
    pending_.insert(pending_.end(), bytes, bytes + size);
}

bool ModbusFrameCutter::Next(LinkTime now, ModbusStreamPiece& piece) {
    if (!skipped_.empty()) {
        piece = ModbusStreamPiece{false, std::move(skipped_), "the rest of a refused frame's burst"};
        skipped_.clear();
        return true;
    }
    if (pending_.empty()) return false;
    switch (framing_) {
        case ModbusFraming::kTcp:
            return NextTcp(piece);
        case ModbusFraming::kAscii:
            return NextAscii(piece);
        case ModbusFraming::kRtu:
        case ModbusFraming::kRtuOverTcp:
            break;
    }
    return NextRtu(now, piece);
}

ModbusStreamPiece ModbusFrameCutter::Take(std::size_t size, bool frame, std::string why) {
    size = std::min(size, pending_.size());
    ModbusStreamPiece piece{frame, LinkBytes(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(size)),
                            std::move(why)};
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(size));
    burst_start_.erase(burst_start_.begin(), burst_start_.begin() + static_cast<std::ptrdiff_t>(size));
    return piece;
}

bool ModbusFrameCutter::NextTcp(ModbusStreamPiece& piece) {
    if (pending_.size() < kMbapHeader) return false;
    const unsigned protocol = Word(pending_.data() + 2);
    const unsigned length = Word(pending_.data() + 4);
    // A header no frame can have: TCP keeps no marks to find the next
    // frame by, so all that came is dropped.
    if (protocol != 0 || length < 2 || length > kModbusMaxPdu + 1) {
        piece = Take(pending_.size(), false,
                     "an MBAP header of protocol " + std::to_string(protocol) + " and length " +
                         std::to_string(length) + ", which no MODBUS frame has");
        return true;
    }
    const std::size_t size = MbapFrameSize(pending_.data(), pending_.size());
    if (pending_.size() < size) return false;
    piece = Take(size, true, "");
    return true;
}

bool ModbusFrameCutter::NextAscii(ModbusStreamPiece& piece) {
    const auto begin = pending_.begin();
    const auto colon = std::find(begin, pending_.end(), ':');
    if (colon != begin) {
        piece = Take(static_cast<std::size_t>(colon - begin), false, "bytes before a frame's ':'");
        return true;
    }
    const auto line_feed = std::find(begin + 1, pending_.end(), '\n');
    const auto next_colon = std::find(begin + 1, line_feed, ':');
    if (next_colon != line_feed) {
        piece = Take(static_cast<std::size_t>(next_colon - begin), false, "a frame cut short by the next ':'");
        return true;
    }
    if (line_feed != pending_.end()) {
        piece = Take(static_cast<std::size_t>(line_feed - begin) + 1, true, "");
        return true;
    }
    if (pending_.size() > kAsciiMaxFrame) {
        piece = Take(pending_.size(), false, "more than an ASCII frame's length without CR LF");
        return true;
    }
    return false;
}

bool ModbusFrameCutter::NextRtu(LinkTime now, ModbusStreamPiece& piece) {
    RtuFrameLength length = incoming_ == ModbusDirection::kRequest
                                ? RtuRequestLength(pending_.data(), pending_.size())
                                : RtuResponseLength(pending_.data(), pending_.size());
    if (diagnostics_size_ != 0 && pending_.size() >= 2 && pending_[1] == modbus_function::kDiagnostics) {
        length = {RtuFrameLength::kKnown, diagnostics_size_};
    }
    const LinkTime silent_for = now - last_time_;
    const bool silent = silent_for >= gap_us_;
    if (length.kind == RtuFrameLength::kKnown && length.size > kRtuMaxFrame) {
        piece = Take(pending_.size(), false,
                     "a length of " + std::to_string(length.size) + " bytes, past RTU's 256");
        Resynchronise();
        return true;
    }
    if (length.kind == RtuFrameLength::kKnown && pending_.size() >= length.size) {
        if (burst_start_.front()) resynchronising_ = false;
        piece = Take(length.size, true, "");
        return true;
    }
    if (length.kind == RtuFrameLength::kBySilence) {
        if (!silent) return false;
        if (burst_start_.front()) resynchronising_ = false;
        piece = Take(pending_.size(), true, "");
        return true;
    }
    if ((resynchronising_ && silent) || silent_for >= stale_us_) {
        piece = Take(pending_.size(), false, "an incomplete frame, and then silence");
        return true;
    }
    return false;
}

void ModbusFrameCutter::Resynchronise() {
    if (framing_ != ModbusFraming::kRtu && framing_ != ModbusFraming::kRtuOverTcp) return;
    resynchronising_ = true;
    const auto next_burst = std::find(burst_start_.begin(), burst_start_.end(), true);
    const std::size_t rest = static_cast<std::size_t>(next_burst - burst_start_.begin());
    ModbusStreamPiece rest_of_burst = Take(rest, false, "");
    skipped_.insert(skipped_.end(), rest_of_burst.bytes.begin(), rest_of_burst.bytes.end());
    if (pending_.empty()) skipping_ = true;
}

LinkTime ModbusFrameCutter::NextWake(LinkTime now) const {
    if (framing_ != ModbusFraming::kRtu && framing_ != ModbusFraming::kRtuOverTcp) return -1;
    if (pending_.empty() && !skipping_) return -1;
    if (now < last_time_ + gap_us_) return last_time_ + gap_us_;
    if (!pending_.empty() && now < last_time_ + stale_us_) return last_time_ + stale_us_;
    return -1;
}

void ModbusFrameCutter::Clear() {
    pending_.clear();
    burst_start_.clear();
    skipped_.clear();
    resynchronising_ = false;
    skipping_ = false;
}
