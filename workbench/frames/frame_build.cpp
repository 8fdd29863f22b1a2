#include "workbench/frames/frame_build.h"

#include "i18n/translate.h"

namespace {

constexpr int kByteBits = 8;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The last blank-separated word of `text`, taken off it.
std::string_view TakeLastWord(std::string_view& text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !IsBlank(text[start - 1])) --start;
    const std::string_view word = text.substr(start, end - start);
    text = text.substr(0, start);
    return word;
}

// "head=12": a count of bytes in decimal, small enough to be one.
bool ReadCount(std::string_view digits, std::size_t& count) {
    constexpr std::size_t kMostDigits = 6;
    if (digits.empty() || digits.size() > kMostDigits) return false;
    count = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        count = count * 10 + static_cast<std::size_t>(c - '0');
    }
    return true;
}

}  // namespace

std::string CheckOrderWord(CheckOrder order, int byte_count) {
    if (byte_count <= 1) return "-";
    return order == CheckOrder::kBigEndian ? "be" : "le";
}

Bytes CheckBytes(Uint128 value, int byte_count, CheckOrder order) {
    Bytes bytes(static_cast<std::size_t>(byte_count));
    for (int i = 0; i < byte_count; ++i) {
        const int at = order == CheckOrder::kLittleEndian ? i : byte_count - 1 - i;
        bytes[static_cast<std::size_t>(at)] = static_cast<unsigned char>((value >> (i * kByteBits)).low);
    }
    return bytes;
}

Uint128 ReadCheckBytes(const unsigned char* bytes, int byte_count, CheckOrder order) {
    Uint128 value;
    for (int i = 0; i < byte_count; ++i) {
        const int at = order == CheckOrder::kLittleEndian ? i : byte_count - 1 - i;
        value |= Uint128{bytes[at]} << (i * kByteBits);
    }
    return value;
}

Bytes BuildFrame(const CheckMethod& method, CheckOrder order, const Bytes& head, const Bytes& data,
                 const Bytes& tail) {
    Bytes frame = head;
    frame.insert(frame.end(), data.begin(), data.end());
    const Bytes check = CheckBytes(method.Compute(data.data(), data.size()), method.byte_count(), order);
    frame.insert(frame.end(), check.begin(), check.end());
    frame.insert(frame.end(), tail.begin(), tail.end());
    return frame;
}

FrameVerdict VerifyFrame(const CheckMethod& method, CheckOrder order, const FrameEnd& head, const FrameEnd& tail,
                         const Bytes& frame) {
    FrameVerdict verdict;
    const std::size_t check_size = static_cast<std::size_t>(method.byte_count());
    if (frame.size() < head.size() + 1 + check_size + tail.size()) {
        verdict.kind = FrameVerdict::kTooShort;
        return verdict;
    }
    const std::size_t tail_start = frame.size() - tail.size();
    const auto differs = [&](const FrameEnd& end, std::size_t start, FrameVerdict::Kind kind) {
        if (end.any) return false;
        for (std::size_t i = 0; i < end.bytes.size(); ++i) {
            if (frame[start + i] == end.bytes[i]) continue;
            verdict = FrameVerdict{kind, start + i, frame[start + i], end.bytes[i], {}, {}};
            return true;
        }
        return false;
    };
    if (differs(head, 0, FrameVerdict::kHeadDiffers) || differs(tail, tail_start, FrameVerdict::kTailDiffers)) {
        return verdict;
    }
    const std::size_t check_start = tail_start - check_size;
    verdict.held = ReadCheckBytes(frame.data() + check_start, method.byte_count(), order);
    verdict.computed = method.Compute(frame.data() + head.size(), check_start - head.size());
    if (verdict.held != verdict.computed) verdict.kind = FrameVerdict::kCheckDiffers;
    return verdict;
}

bool SplitPlacement(std::string_view text, std::string_view& check, FramePlacement& placement, std::string& error) {
    placement = FramePlacement{};
    std::string_view rest = text;
    std::string_view word = TakeLastWord(rest);
    const auto take_count = [&](std::string_view key, std::optional<std::size_t>& count) {
        if (word.substr(0, key.size()) != key) return true;
        std::size_t value = 0;
        if (!ReadCount(word.substr(key.size()), value)) {
            error = i18n::Format(i18n::Tr("\"%1$s\": %2$s takes a count of bytes in decimal"),
                                 {std::string(word), std::string(key.substr(0, key.size() - 1))});
            return false;
        }
        count = value;
        word = TakeLastWord(rest);
        return true;
    };
    if (!take_count("tail=", placement.tail) || !take_count("head=", placement.head)) return false;
    if (word == "be" || word == "le") {
        placement.order = word == "be" ? CheckOrder::kBigEndian : CheckOrder::kLittleEndian;
        word = TakeLastWord(rest);
    } else if (word == "-") {
        placement.any_order = true;
        word = TakeLastWord(rest);
    }
    // The last word taken is the check's own: it ends the check's text.
    check = word.empty() ? std::string_view{} : text.substr(0, rest.size() + word.size());
    return true;
}
