// Every tool through the offscreen main dialog, with random input text and
// random states of "Ascii"/"Hex" and "低字节在前", against what must hold:
// reports that equal the ones composed from independent engines (bitwise
// CRCs, RFC 1321 MD5, the C library's number conversions), hex dumps of
// 38 + 8n bytes, case conversion that keeps the length, reversal undone by
// reversing again, the failures' message boxes and output, and an input box
// that no tool but "清空输入框" changes.
//
// Input: a tool byte, a flags byte, an offset byte, then the input text.
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/texts.h"
#include "dialog_session.h"
#include "reference_hex.h"
#include "reference_md5.h"
#include "reference_number.h"
#include "reference_text.h"
#include "support/crc_model.h"

namespace {

using Strings = std::vector<std::string>;
namespace offscreen = fw::offscreen;

const char kOldOutput[] = "old output\r\n";
const char kTypedLater[] = "typed into the output box";

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return std::string(text, static_cast<std::size_t>(n < 0 ? 0 : n));
}

std::string EachByte(const std::string& bytes, const char* format) {
    std::string text;
    for (char ch : bytes) text += Format(format, static_cast<unsigned>(static_cast<unsigned char>(ch)));
    return text;
}

std::string CrcReport(const char* headline, std::uint32_t crc, const char* header, int crc_bytes,
                      const char* frame_end, const std::string& bytes) {
    std::string report = Format(headline, static_cast<unsigned>(crc)) + header + "AA " + EachByte(bytes, "%02X ");
    for (int i = crc_bytes - 1; i >= 0; --i) report += Format("%02X ", static_cast<unsigned>(crc >> (8 * i) & 0xFF));
    return report + frame_end;
}

std::string HexDump(const std::string& bytes) {
    return std::string(texts::kHexDumpHeader1) + EachByte(bytes, "%02X ") + texts::kHexDumpHeader2 +
           EachByte(bytes, "0x%02X,");
}

std::string Hex2Float(const std::string& bytes, bool low_first) {
    std::string report;
    for (std::size_t group = 0; group + 4 <= bytes.size(); group += 4) {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) {
            const unsigned b = static_cast<unsigned char>(bytes[group + static_cast<std::size_t>(i)]);
            bits |= static_cast<std::uint32_t>(b) << (low_first ? 8 * i : 8 * (3 - i));
        }
        float value;
        std::memcpy(&value, &bits, sizeof value);
        report += Format("%g", static_cast<double>(value));
    }
    return report;
}

std::string BytesOf(const void* value, int count, bool low_first) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int at = low_first ? i : count - 1 - i;  // the host is little-endian
        text += Format(" %02X", static_cast<unsigned>(static_cast<const unsigned char*>(value)[at]));
    }
    return text;
}

std::string Float2Hex(const std::string& input, bool low_first) {
    const double d = fuzz::LibraryNumber(input);
    const float f = static_cast<float>(d);
    return std::string(texts::kSingleHeader) + Format(texts::kSingleLineFormat, Format("%.7g", d).c_str()) +
           BytesOf(&f, 4, low_first) + texts::kDoubleHeader +
           Format(texts::kDoubleLineFormat, Format("%.15g", d).c_str()) + BytesOf(&d, 8, low_first);
}

std::string Md5Report(const std::string& bytes) {
    const std::string digest = fuzz::ReferenceMd5(bytes);
    return std::string(texts::kMd5Headline) + texts::kMd5Notation1 + EachByte(digest, "%02X ") +
           texts::kMd5Notation2 + EachByte(digest, "0x%02X,") + texts::kMd5Notation3 + EachByte(digest, "%02X");
}

std::string CharCountReport(const std::string& input) {
    const fuzz::ReferenceStats stats = fuzz::CountReference(input);
    std::string report = Format(texts::kCharCountTotalFormat, stats.total) +
                         Format(texts::kCharCountAsciiFormat, stats.ascii) +
                         Format(texts::kCharCountChineseFormat, stats.chinese) + texts::kCharCountTableHeading;
    for (int code = 0; code < 128; ++code)
        if (stats.counts[code] > 0) report += Format(texts::kCharCountLineFormat, code, stats.counts[code]);
    return report;
}

struct Run {
    Strings boxes;
    std::string output;
};

Run Press(CToolDlg& dialog, int id) {
    offscreen::Click(dialog, id);
    return {fuzz::TakeBoxes(), offscreen::GetText(dialog, IDC_EDIT_OUTPUT)};
}

const int kByteTools[] = {IDC_BTN_SUM8,      IDC_BTN_SUM16,      IDC_BTN_CRC8,       IDC_BTN_CRC16,
                          IDC_BTN_CRC32,     IDC_BTN_HEX2ASCII,  IDC_BTN_HEX2FLOAT,  IDC_BTN_ASCII2HEX,
                          IDC_BTN_MD5,       IDC_BTN_HEXCONV};
const int kTextTools[] = {IDC_BTN_FLOAT2HEX, IDC_BTN_CHARCOUNT, IDC_BTN_UPPER, IDC_BTN_LOWER, IDC_BTN_REVERSE};
constexpr int kToolCount = sizeof kByteTools / sizeof kByteTools[0] + sizeof kTextTools / sizeof kTextTools[0];

DecodeMode ModeOf(int id) {
    switch (id) {
        case IDC_BTN_ASCII2HEX: return AS_ASCII;
        case IDC_BTN_HEX2ASCII:
        case IDC_BTN_HEX2FLOAT: return AS_HEX;
        default: return BY_FORMAT_OPTION;
    }
}

// What a byte tool shows for the decoded `bytes`.
Run ByteToolResult(int id, const std::string& bytes, bool low_first) {
    switch (id) {
        case IDC_BTN_SUM8: {
            unsigned sum = 0;
            for (char ch : bytes) sum += static_cast<unsigned char>(ch);
            return {{}, Format(texts::kSum8Format, sum % 0x100)};
        }
        case IDC_BTN_SUM16: {
            unsigned sum = 0;
            for (char ch : bytes) sum += static_cast<unsigned char>(ch);
            return {{}, Format(texts::kSum16Format, sum % 0x10000)};
        }
        case IDC_BTN_CRC8:
            return {{}, CrcReport(texts::kCrc8Headline, crc_model::kCrc8Model.Crc(bytes), texts::kCrcHeaderTrv41Trv42, 1,
                                  texts::kCrc8FrameEnd, bytes)};
        case IDC_BTN_CRC16:
            return {{}, CrcReport(texts::kCrc16Headline, crc_model::kCrc16Model.Crc(bytes), texts::kCrcHeaderTrv41Trv42, 2,
                                  texts::kCrc16FrameEnd, bytes)};
        case IDC_BTN_CRC32:
            return {{}, CrcReport(texts::kCrc32Headline, crc_model::kCrc32Model.Crc(bytes), texts::kCrcHeaderTrv42, 4,
                                  texts::kCrc32FrameEnd, bytes)};
        case IDC_BTN_HEX2ASCII:
            return {{}, bytes.substr(0, bytes.find('\0'))};
        case IDC_BTN_HEX2FLOAT:
            if (bytes.empty() || bytes.size() % 4 != 0) return {{texts::kNeedMultipleOfFour}, kOldOutput};
            return {{}, Hex2Float(bytes, low_first)};
        case IDC_BTN_MD5:
            return {{}, Md5Report(bytes)};
        default:  // the two hex dumps
            return {{}, HexDump(bytes)};
    }
}

Run TextToolResult(int id, const std::string& input, bool low_first) {
    switch (id) {
        case IDC_BTN_FLOAT2HEX: return {{}, Float2Hex(input, low_first)};
        case IDC_BTN_CHARCOUNT: return {{}, CharCountReport(input)};
        case IDC_BTN_UPPER: return {{}, fuzz::ReferenceCase(input, true)};
        case IDC_BTN_LOWER: return {{}, fuzz::ReferenceCase(input, false)};
        default: return {{}, fuzz::ReferenceReverse(input)};
    }
}

void CheckRun(int id, const Run& run, const Run& expected, const std::string& input) {
    FUZZ_CHECK(run.boxes == expected.boxes, "tool %d: %zu message boxes, expected %zu", id, run.boxes.size(),
               expected.boxes.size());
    FUZZ_CHECK(run.output == expected.output, "tool %d on %s\n  shows   %s\n  expected %s", id,
               fuzz::Hex(input).c_str(), fuzz::Hex(run.output, 200).c_str(), fuzz::Hex(expected.output, 200).c_str());
}

// The rules that hold whatever the model says.
void CheckInvariants(int id, const Run& run, const std::string& input, const std::string& bytes, bool decoded) {
    if ((id == IDC_BTN_ASCII2HEX || id == IDC_BTN_HEXCONV) && decoded)
        FUZZ_CHECK(run.output.size() == 38 + 8 * bytes.size(), "a hex dump of %zu bytes is %zu long", bytes.size(),
                   run.output.size());
    if (id == IDC_BTN_UPPER || id == IDC_BTN_LOWER || id == IDC_BTN_REVERSE)
        FUZZ_CHECK(run.output.size() == input.size(), "tool %d changed the length %zu to %zu", id, input.size(),
                   run.output.size());
}

// FNV-1a: a choice that a mutation of the input changes at random.
std::uint32_t Hash(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

// `unit` repeated to `length` bytes.
std::string Repeat(std::string unit, std::size_t length) {
    if (unit.empty()) unit = "0";
    std::string text;
    while (text.size() < length) text += unit;
    text.resize(length);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input_bytes(data, size);
    const unsigned char tool_byte = input_bytes.Byte();
    const unsigned char flags = input_bytes.Byte();
    const int offset = static_cast<signed char>(input_bytes.Byte());
    std::string input = fuzz::WithoutZeros(input_bytes.Rest());
    const bool hex_checked = flags & 1, low_first = flags & 2, clear_after = flags & 4;
    // Inputs past the work buffer cost a hundred times more than the rest:
    // a flag asks for one, and the input's hash grants it one time in 32.
    if ((flags & 0x18) == 0x18 && Hash(data, size) % 32 == 0) {
        // Hex text of twice the length decodes to about the buffer's size.
        const std::size_t length = static_cast<std::size_t>(WORK_BUFFER_SIZE * (flags & 0x20 ? 2 : 1) + offset);
        input = Repeat(input, length);
    }

    CToolDlg& dialog = fuzz::Dialog();
    fuzz::SetChecked(dialog, hex_checked ? IDC_RADIO_HEX : IDC_RADIO_ASCII, true);
    fuzz::SetChecked(dialog, IDC_CHECK_LOWFIRST, low_first);
    offscreen::SetText(dialog, IDC_EDIT_INPUT, input);
    offscreen::SetText(dialog, IDC_EDIT_OUTPUT, kOldOutput);
    fuzz::TakeBoxes();

    const int tool = tool_byte % (kToolCount + 2);
    if (tool == kToolCount) {
        // The disabled placeholders: a click does nothing, their command only
        // announces the button to come.
        const int id = IDC_BTN_FILE2ARRAY + (offset % 7 + 7) % 7;
        offscreen::Click(dialog, id);
        FUZZ_CHECK(fuzz::TakeBoxes().empty(), "a disabled button %d reacted", id);
        offscreen::Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        FUZZ_CHECK(fuzz::TakeBoxes() == Strings{texts::kUnderConstruction}, "button %d: not the one box", id);
        FUZZ_CHECK(offscreen::GetText(dialog, IDC_EDIT_OUTPUT) == kOldOutput, "button %d changed the output", id);
        FUZZ_CHECK(offscreen::GetText(dialog, IDC_EDIT_INPUT) == input, "button %d changed the input", id);
        return 0;
    }
    if (tool == kToolCount + 1) {
        // Printf reads both boxes; clearing then shows again what it read.
        offscreen::Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_BTN_PRINTF, BN_CLICKED), 0);
        FUZZ_CHECK(fuzz::TakeBoxes() == Strings{texts::kUnderConstruction}, "Printf: not the one box");
        offscreen::SetText(dialog, IDC_EDIT_OUTPUT, kTypedLater);
        offscreen::Click(dialog, IDC_BTN_CLEAR);
        FUZZ_CHECK(offscreen::GetText(dialog, IDC_EDIT_INPUT).empty(), "the input box was not cleared");
        FUZZ_CHECK(offscreen::GetText(dialog, IDC_EDIT_OUTPUT) == kOldOutput, "clearing lost the output read");
        return 0;
    }

    const int byte_tools = sizeof kByteTools / sizeof kByteTools[0];
    const int id = tool < byte_tools ? kByteTools[tool] : kTextTools[tool - byte_tools];
    const Run run = Press(dialog, id);
    FUZZ_CHECK(offscreen::GetText(dialog, IDC_EDIT_INPUT) == input, "tool %d changed the input box", id);

    Run expected;
    std::string bytes;
    bool decoded = true;
    if (tool < byte_tools) {
        const DecodeMode mode = ModeOf(id);
        const bool hex = mode == AS_HEX || (mode == BY_FORMAT_OPTION && hex_checked);
        bytes = hex ? fuzz::ReferenceHexDecode(input) : input;
        decoded = bytes.size() <= static_cast<std::size_t>(WORK_BUFFER_SIZE);
        expected = decoded ? ByteToolResult(id, bytes, low_first)
                           : Run{{texts::kTooManyCharacters, texts::kDecodeFailed}, texts::kTooManyCharacters};
    } else {
        expected = TextToolResult(id, input, low_first);
    }
    CheckInvariants(id, run, input, bytes, decoded);
    CheckRun(id, run, expected, input);

    if (id == IDC_BTN_REVERSE) {
        const std::vector<std::string> characters = fuzz::Characters(input);
        const bool lone_lead_last = !characters.empty() && characters.back().size() == 1 &&
                                    fuzz::IsLead(static_cast<unsigned char>(characters.back()[0]));
        offscreen::SetText(dialog, IDC_EDIT_INPUT, run.output);
        const Run twice = Press(dialog, IDC_BTN_REVERSE);
        if (!lone_lead_last) FUZZ_CHECK(twice.output == input, "reversing twice changed %s", fuzz::Hex(input).c_str());
    }
    if (clear_after) {
        const std::string shown = offscreen::GetText(dialog, IDC_EDIT_OUTPUT);
        offscreen::SetText(dialog, IDC_EDIT_OUTPUT, kTypedLater);
        offscreen::Click(dialog, IDC_BTN_CLEAR);
        FUZZ_CHECK(offscreen::GetText(dialog, IDC_EDIT_INPUT).empty(), "the input box was not cleared");
        FUZZ_CHECK(offscreen::GetText(dialog, IDC_EDIT_OUTPUT) == shown, "clearing did not restore the output");
        FUZZ_CHECK(fuzz::TakeBoxes().empty(), "clearing showed a message box");
    }
    return 0;
}
