// `frame`: BuildFrame and VerifyFrame against a frame laid out by hand, with
// the check computed bit by bit (CRCs) or by the sum's definition.
//
// Input: byte 0 chooses the check (a named one of `find`'s list, picked by
// byte 1, or a CRC of random parameters: byte 1 the width 1-82, bytes 2-34
// poly, init and xorout, cut to the width, refin and refout from byte 0);
// the next byte the order, and the head and tail sizes 0-4; the next the
// data length 0-63; two bytes where to damage the frame and how; then the
// head, the data and the tail.
//
// Checked: the frame is head, data, the check's bytes in the order as the
// model writes them, tail; it verifies with its head and tail given exactly
// or as counts, and VerifyFrame reads the check the model wrote. With a bit
// flipped in the check, with a bit flipped in the data (a CRC's polynomial
// other than x^width sees every one-bit change), or a data byte changed by
// an amount the sum must see, it does not verify and reports the held and
// computed checks as the model has them; a changed head or tail byte is
// reported at its place; a frame without room for one data byte is too
// short. A frame's placement words read back through SplitPlacement.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/crc/model_text.h"
#include "workbench/frames/frame_build.h"
#include "workbench/frames/frame_search.h"
#include "fuzz_check.h"
#include "reference_check.h"

namespace {

constexpr std::size_t kValueBytes = 11;  // 88 bits hold the widest register

Uint128 ValueOf(fuzz::Input& input, int width) {
    Uint128 value;
    for (std::size_t i = 0; i < kValueBytes; ++i) value |= Uint128{input.Byte()} << static_cast<int>(8 * i);
    return value & LowBitsMask(width);
}

Bytes Take(fuzz::Input& input, std::size_t count) {
    Bytes bytes(count);
    for (unsigned char& b : bytes) b = input.Byte();
    return bytes;
}

std::string Text(const Bytes& bytes) { return fuzz::Hex(std::string(bytes.begin(), bytes.end())); }

// What a sum must see: a change of the byte's value that its arithmetic
// does not wrap to nothing (Fletcher's sums are modulo 255, so 0 and 255
// are alike to them).
unsigned char ChangedForSum(const std::string& name, unsigned char old, unsigned char amount) {
    unsigned char changed = static_cast<unsigned char>(old + 1 + amount % 255);
    if (name == "FLETCHER-16" && changed % 255 == old % 255) changed = static_cast<unsigned char>(old ^ 1u);
    return changed;
}

void CheckPlacementWords(const CheckMethod& method, CheckOrder order, std::size_t head, std::size_t tail) {
    const std::string order_word =
        method.byte_count() > 1 ? (order == CheckOrder::kLittleEndian ? "le" : "be") : "-";
    FUZZ_CHECK(CheckOrderWord(order, method.byte_count()) == order_word, "order word %s, expected %s",
               CheckOrderWord(order, method.byte_count()).c_str(), order_word.c_str());
    const std::string name = method.name().empty() ? FormatCrcParams(method.crc_params()) : method.name();
    const std::string text =
        name + " " + order_word + " head=" + std::to_string(head) + " tail=" + std::to_string(tail);
    std::string_view check;
    FramePlacement placement;
    std::string error;
    FUZZ_CHECK(SplitPlacement(text, check, placement, error), "\"%s\": %s", text.c_str(), error.c_str());
    FUZZ_CHECK(check == name && placement.head == head && placement.tail == tail, "\"%s\" split wrongly",
               text.c_str());
    if (order_word == "-") {
        FUZZ_CHECK(placement.any_order && !placement.order, "\"%s\": no order expected", text.c_str());
    } else {
        FUZZ_CHECK(!placement.any_order && placement.order == order, "\"%s\": the order is lost", text.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const unsigned char choice = input.Byte(), pick = input.Byte();
    const std::vector<CheckMethod>& named = NamedCheckMethods();
    CheckMethod method = named.front();
    if (choice % 4 == 0) {
        const int width = 1 + pick % fuzz::kMaxCrcWidth;
        CrcParams params;
        params.width = width;
        params.poly = ValueOf(input, width);
        params.init = ValueOf(input, width);
        params.xorout = ValueOf(input, width);
        params.refin = (choice & 4u) != 0;
        params.refout = (choice & 8u) != 0;
        method = CheckMethod::OfCrc(params, "");
    } else {
        method = named[(pick | (choice & 0x10u) << 4) % named.size()];
    }
    const unsigned char layout = input.Byte();
    const CheckOrder order = (layout & 1u) != 0 ? CheckOrder::kLittleEndian : CheckOrder::kBigEndian;
    const std::size_t head_size = (layout >> 1) % 5, tail_size = (layout >> 4) % 5;
    const std::size_t data_size = input.Byte() % 64;
    const unsigned char where = input.Byte(), how = input.Byte();
    const Bytes head = Take(input, head_size), message = Take(input, data_size), tail = Take(input, tail_size);

    const int check_size = method.byte_count();
    const std::size_t check_bytes = static_cast<std::size_t>(check_size);
    const bool little = order == CheckOrder::kLittleEndian && check_size > 1;
    const Uint128 check = fuzz::ReferenceCheck(method, message.data(), message.size());
    FUZZ_CHECK((check & ~LowBitsMask(method.width())).IsZero(), "the model's check is wider than %d bits",
               method.width());

    // The frame by hand.
    Bytes expected = head;
    expected.insert(expected.end(), message.begin(), message.end());
    for (int i = 0; i < check_size; ++i) {
        const int significance = little ? i : check_size - 1 - i;
        expected.push_back(static_cast<unsigned char>((check >> (8 * significance)).low & 0xFFu));
    }
    expected.insert(expected.end(), tail.begin(), tail.end());
    const Bytes frame = BuildFrame(method, order, head, message, tail);
    const std::string label = method.name().empty() ? FormatCrcParams(method.crc_params()) : method.name();
    FUZZ_CHECK(frame == expected, "%s %s: built %s, expected %s", label.c_str(), little ? "le" : "be",
               Text(frame).c_str(), Text(expected).c_str());
    FUZZ_CHECK(ReadCheckBytes(frame.data() + head_size + data_size, check_size, order) == check,
               "%s: ReadCheckBytes does not read the check back", label.c_str());
    FUZZ_CHECK(CheckBytes(check, check_size, order) ==
                   Bytes(expected.begin() + static_cast<long>(head_size + data_size),
                         expected.end() - static_cast<long>(tail_size)),
               "%s: CheckBytes differs", label.c_str());
    CheckPlacementWords(method, order, head_size, tail_size);

    const FrameEnd exact_head{head, false, 0}, exact_tail{tail, false, 0};
    const FrameEnd any_head{{}, true, head_size}, any_tail{{}, true, tail_size};
    if (message.empty()) {
        FUZZ_CHECK(VerifyFrame(method, order, exact_head, exact_tail, frame).kind == FrameVerdict::kTooShort,
                   "%s: a frame without data is not too short", label.c_str());
        return 0;
    }
    FUZZ_CHECK(VerifyFrame(method, order, exact_head, exact_tail, frame).kind == FrameVerdict::kOk,
               "%s: the built frame %s does not verify", label.c_str(), Text(frame).c_str());
    FUZZ_CHECK(VerifyFrame(method, order, any_head, any_tail, frame).kind == FrameVerdict::kOk,
               "%s: the built frame %s does not verify with any head and tail", label.c_str(), Text(frame).c_str());

    // Too short: anything below head, one data byte, check and tail.
    const std::size_t least = head_size + 1 + check_bytes + tail_size;
    const Bytes cut(frame.begin(), frame.begin() + static_cast<long>(how % least));
    FUZZ_CHECK(VerifyFrame(method, order, any_head, any_tail, cut).kind == FrameVerdict::kTooShort,
               "%s: %zu bytes are not too short", label.c_str(), cut.size());

    // Damage in the data or the check.
    Bytes damaged = frame;
    const std::size_t region = data_size + check_bytes;
    const std::size_t at = head_size + where % region;
    bool must_differ = true;
    if (at >= head_size + data_size || method.is_crc()) {
        damaged[at] = static_cast<unsigned char>(damaged[at] ^ 1u << (how % 8));
        if (at < head_size + data_size) must_differ = !method.crc_params().poly.IsZero();
    } else {
        damaged[at] = ChangedForSum(method.name(), damaged[at], how);
    }
    const FrameVerdict verdict = VerifyFrame(method, order, exact_head, exact_tail, damaged);
    const Bytes damaged_data(damaged.begin() + static_cast<long>(head_size),
                             damaged.begin() + static_cast<long>(head_size + data_size));
    const Uint128 held = fuzz::ReadByHand(damaged.data() + head_size + data_size, check_size, little);
    const Uint128 computed = fuzz::ReferenceCheck(method, damaged_data.data(), damaged_data.size());
    if (must_differ) {
        FUZZ_CHECK(verdict.kind == FrameVerdict::kCheckDiffers, "%s: byte %zu changed in %s, verdict %d",
                   label.c_str(), at, Text(damaged).c_str(), static_cast<int>(verdict.kind));
    } else {
        FUZZ_CHECK(verdict.kind == FrameVerdict::kOk || verdict.kind == FrameVerdict::kCheckDiffers,
                   "%s: verdict %d", label.c_str(), static_cast<int>(verdict.kind));
    }
    FUZZ_CHECK((verdict.kind == FrameVerdict::kOk) == (held == computed), "%s: verdict %d, model held %s computed %s",
               label.c_str(), static_cast<int>(verdict.kind), CrcHexDigits(held, 128, false).c_str(),
               CrcHexDigits(computed, 128, false).c_str());
    FUZZ_CHECK(verdict.held == held && verdict.computed == computed, "%s: held %s computed %s, model %s %s",
               label.c_str(), CrcHexDigits(verdict.held, 128, false).c_str(),
               CrcHexDigits(verdict.computed, 128, false).c_str(), CrcHexDigits(held, 128, false).c_str(),
               CrcHexDigits(computed, 128, false).c_str());

    // A wrong head or tail byte, reported where it is.
    if (head_size + tail_size > 0) {
        const std::size_t end_at = where % (head_size + tail_size);
        const std::size_t position = end_at < head_size ? end_at : frame.size() - tail_size + (end_at - head_size);
        Bytes wrong_end = frame;
        wrong_end[position] = static_cast<unsigned char>(wrong_end[position] + 1 + how % 255);
        const FrameVerdict v = VerifyFrame(method, order, exact_head, exact_tail, wrong_end);
        const FrameVerdict::Kind kind = end_at < head_size ? FrameVerdict::kHeadDiffers : FrameVerdict::kTailDiffers;
        FUZZ_CHECK(v.kind == kind && v.position == position && v.found == wrong_end[position] &&
                       v.expected == frame[position],
                   "%s: byte %zu of %s changed, verdict %d at %zu", label.c_str(), position,
                   Text(wrong_end).c_str(), static_cast<int>(v.kind), v.position);
        FUZZ_CHECK(VerifyFrame(method, order, any_head, any_tail, wrong_end).kind == FrameVerdict::kOk,
                   "%s: a changed head or tail byte matters though any is allowed", label.c_str());
    }
    return 0;
}
