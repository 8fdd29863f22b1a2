// Decoding the input box: HexTextToBytes and CToolDlg::DecodeInput on both
// paths against the reference reading, at and past the capacity.
//
// Input: a mode byte, a size byte, an offset byte, then the text. The size
// byte can stretch the text to just below or above the 20480-byte bound (or
// the decoded count to just around it), or pick a small capacity, so that the
// overflow paths are reached without 20-kilobyte inputs.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/decode.h"
#include "core/texts.h"
#include "dialog_session.h"
#include "reference_hex.h"

namespace {

constexpr unsigned char kUntouched = 0xA5;
constexpr int kLengthUntouched = -7;
const char kOldOutput[] = "old output";

// `unit` repeated until the byte length (characters) or the decoded count
// (hex) is `target`. Hex units stand apart with a blank, so each gives its own
// bytes, and zero bytes make up the rest.
std::string Stretch(std::string unit, bool hex, int target) {
    if (target < 0) target = 0;
    std::string text;
    if (hex) {
        unit += ' ';
        const std::size_t per_unit = fuzz::ReferenceHexDecode(unit).size();
        std::size_t count = 0;
        while (per_unit != 0 && count + per_unit <= static_cast<std::size_t>(target)) {
            text += unit;
            count += per_unit;
        }
        for (; count < static_cast<std::size_t>(target); ++count) text += "00 ";
        return text;
    }
    if (unit.empty()) unit = "a";
    while (text.size() < static_cast<std::size_t>(target)) text += unit;
    text.resize(static_cast<std::size_t>(target));
    return text;
}

// FNV-1a: a choice that a mutation of the input changes at random.
std::uint32_t Hash(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

// A buffer of exactly `capacity` bytes on the heap, so that AddressSanitizer
// reports any write past it.
struct Buffer {
    explicit Buffer(int capacity) : bytes(new unsigned char[capacity > 0 ? capacity : 1]), size(capacity) {
        std::memset(bytes, kUntouched, static_cast<std::size_t>(capacity > 0 ? capacity : 1));
    }
    ~Buffer() { delete[] bytes; }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    std::string Prefix(int n) const { return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n)); }
    bool UntouchedFrom(int from) const {
        static const std::vector<unsigned char> untouched(WORK_BUFFER_SIZE, kUntouched);
        return from >= size || std::memcmp(bytes + from, untouched.data(), static_cast<std::size_t>(size - from)) == 0;
    }
    unsigned char* bytes;
    int size;
};

void CheckHexTextToBytes(const std::string& text, int capacity) {
    const std::string expected = fuzz::ReferenceHexDecode(text);
    Buffer buffer(capacity);
    const int n = HexTextToBytes(text.data(), static_cast<int>(text.size()), buffer.bytes, capacity);
    if (expected.size() > static_cast<std::size_t>(capacity)) {
        FUZZ_CHECK(n == -1, "%zu bytes into a capacity of %d gave %d", expected.size(), capacity, n);
        return;
    }
    FUZZ_CHECK(n == static_cast<int>(expected.size()), "count %d, expected %zu for %s", n, expected.size(),
               fuzz::Hex(text).c_str());
    FUZZ_CHECK(buffer.Prefix(n) == expected, "bytes %s, expected %s", fuzz::Hex(buffer.Prefix(n)).c_str(),
               fuzz::Hex(expected).c_str());
    FUZZ_CHECK(buffer.UntouchedFrom(n), "a byte after the %d decoded ones was written", n);
    FUZZ_CHECK(static_cast<std::size_t>(n) <= (text.size() + 1) / 2, "%d bytes from %zu characters", n, text.size());
}

// DecodeInput in `mode` with the radio button "Hex" as `hex_checked`.
void CheckDecodeInput(const std::string& text, int capacity, int mode, bool hex_checked) {
    CToolDlg& dialog = fuzz::Dialog();
    fuzz::SetChecked(dialog, hex_checked ? IDC_RADIO_HEX : IDC_RADIO_ASCII, true);
    fw::offscreen::SetText(dialog, IDC_EDIT_INPUT, text);
    fw::offscreen::SetText(dialog, IDC_EDIT_OUTPUT, kOldOutput);
    fuzz::TakeBoxes();

    Buffer buffer(capacity);
    int length = kLengthUntouched;
    const int result = dialog.DecodeInput(buffer.bytes, capacity, length, static_cast<DecodeMode>(mode));
    const std::vector<std::string> boxes = fuzz::TakeBoxes();
    FUZZ_CHECK(fw::offscreen::GetText(dialog, IDC_EDIT_INPUT) == text, "the input box changed");
    FUZZ_CHECK(dialog.m_strInput.Bytes() == text, "m_strInput is not the input box");

    if (mode != BY_FORMAT_OPTION && mode != AS_ASCII && mode != AS_HEX) {
        FUZZ_CHECK(result == 1 && length == kLengthUntouched && buffer.UntouchedFrom(0) && boxes.empty(),
                   "mode %d: result %d, length %d", mode, result, length);
        return;
    }
    const bool hex = mode == AS_HEX || (mode == BY_FORMAT_OPTION && hex_checked);
    const std::string expected = hex ? fuzz::ReferenceHexDecode(text) : text;
    if (expected.size() <= static_cast<std::size_t>(capacity)) {
        FUZZ_CHECK(result == 1, "mode %d, hex %d: %zu bytes into %d failed", mode, hex, expected.size(), capacity);
        FUZZ_CHECK(length == static_cast<int>(expected.size()), "length %d, expected %zu", length, expected.size());
        FUZZ_CHECK(buffer.Prefix(length) == expected, "bytes %s, expected %s",
                   fuzz::Hex(buffer.Prefix(length)).c_str(), fuzz::Hex(expected).c_str());
        FUZZ_CHECK(buffer.UntouchedFrom(length), "written past the %d decoded bytes (no terminator)", length);
        FUZZ_CHECK(boxes.empty(), "a message box on success: %s", fuzz::Hex(boxes[0]).c_str());
        FUZZ_CHECK(fw::offscreen::GetText(dialog, IDC_EDIT_OUTPUT) == kOldOutput, "the output box changed");
        FUZZ_CHECK(dialog.m_strOutput.Bytes() == kOldOutput, "m_strOutput is not the output box");
        return;
    }
    FUZZ_CHECK(result == 0, "mode %d, hex %d: %zu bytes into %d gave %d", mode, hex, expected.size(), capacity,
               result);
    FUZZ_CHECK(length == kLengthUntouched, "length set to %d on failure", length);
    FUZZ_CHECK(boxes == std::vector<std::string>{texts::kTooManyCharacters}, "%zu boxes on failure", boxes.size());
    FUZZ_CHECK(fw::offscreen::GetText(dialog, IDC_EDIT_OUTPUT) == texts::kTooManyCharacters,
               "the output box after failure: %s", fuzz::Hex(fw::offscreen::GetText(dialog, IDC_EDIT_OUTPUT)).c_str());
}

// The first two steps of every byte tool, into the work buffer.
void CheckDecodeForTool(const std::string& text, int mode, bool hex_checked) {
    CToolDlg& dialog = fuzz::Dialog();
    fuzz::SetChecked(dialog, hex_checked ? IDC_RADIO_HEX : IDC_RADIO_ASCII, true);
    fw::offscreen::SetText(dialog, IDC_EDIT_INPUT, text);
    fw::offscreen::SetText(dialog, IDC_EDIT_OUTPUT, kOldOutput);
    fuzz::TakeBoxes();
    int length = kLengthUntouched;
    const bool ok = dialog.DecodeForTool(length, static_cast<DecodeMode>(mode));
    const std::vector<std::string> boxes = fuzz::TakeBoxes();
    const bool hex = mode == AS_HEX || (mode == BY_FORMAT_OPTION && hex_checked);
    const std::string expected = hex ? fuzz::ReferenceHexDecode(text) : text;
    if (expected.size() <= static_cast<std::size_t>(WORK_BUFFER_SIZE)) {
        FUZZ_CHECK(ok && length == static_cast<int>(expected.size()) && boxes.empty(), "work buffer: %d bytes",
                   length);
        FUZZ_CHECK(std::memcmp(g_workBuffer, expected.data(), expected.size()) == 0, "work buffer bytes differ");
        return;
    }
    FUZZ_CHECK(!ok, "%zu bytes fitted the work buffer", expected.size());
    FUZZ_CHECK((boxes == std::vector<std::string>{texts::kTooManyCharacters, texts::kDecodeFailed}),
               "%zu boxes, expected the two in order", boxes.size());
    FUZZ_CHECK(fw::offscreen::GetText(dialog, IDC_EDIT_OUTPUT) == texts::kTooManyCharacters,
               "the output box after failure");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const unsigned char mode_byte = input.Byte();
    const unsigned char size_byte = input.Byte();
    const int offset = static_cast<signed char>(input.Byte());
    std::string text = fuzz::WithoutZeros(input.Rest());

    // 0 and 1: BY_FORMAT_OPTION with "Ascii" or "Hex"; 2, 3: AS_ASCII, AS_HEX;
    // 4: a mode no caller passes.
    const int choice = mode_byte % 5;
    const bool hex_checked = choice == 1 || (choice >= 2 && (mode_byte & 0x80) != 0);
    const int mode = choice <= 1 ? BY_FORMAT_OPTION : choice == 2 ? AS_ASCII : choice == 3 ? AS_HEX : 3;
    const bool hex_path = mode == AS_HEX || (mode == BY_FORMAT_OPTION && hex_checked);

    // Texts stretched to the bound cost a hundred times more than the rest.
    // A size byte asks for one, and the input's hash grants it one time in 32,
    // so that the mutations of a stretched input seldom are stretched too.
    int capacity = WORK_BUFFER_SIZE;
    const bool stretched = size_byte % 4 == 2 && Hash(data, size) % 32 == 0;
    if (stretched) {
        text = Stretch(text, hex_path, WORK_BUFFER_SIZE + offset);
    } else if (size_byte % 4 == 3) {
        capacity = offset & 0x3F;  // a small capacity overflows cheaply
    }

    if (!stretched) CheckHexTextToBytes(text, capacity);
    CheckDecodeInput(text, capacity, mode, hex_checked);
    if (capacity == WORK_BUFFER_SIZE && mode != 3) CheckDecodeForTool(text, mode, hex_checked);
    return 0;
}
