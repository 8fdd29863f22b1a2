#include "core/hexdump.h"

#include <cstring>

#include "core/texts.h"

namespace {

constexpr int kHeader1Length = sizeof texts::kHexDumpHeader1 - 1;
constexpr int kHeader2Length = sizeof texts::kHexDumpHeader2 - 1;
constexpr int kElementLength = 5;  // "0x%02X,"
constexpr char kDigits[] = "0123456789ABCDEF";

char* Put(char* out, const char* text, int length) {
    std::memcpy(out, text, static_cast<size_t>(length));
    return out + length;
}

}  // namespace

int HexDumpReportLength(int length) {
    if (length < 0) length = 0;
    return kHeader1Length + kHeader2Length + length * (kSpacedHexLength + kElementLength);
}

char* WriteSpacedHex(const unsigned char* bytes, int length, char* out) {
    for (int i = 0; i < length; ++i) {
        *out++ = kDigits[bytes[i] >> 4];
        *out++ = kDigits[bytes[i] & 0xF];
        *out++ = ' ';
    }
    return out;
}

std::string SpacedHex(const unsigned char* bytes, std::size_t count) {
    if (count == 0) return "";
    std::string text(kSpacedHexLength * count, ' ');
    for (std::size_t i = 0; i < count; ++i) WriteSpacedHex(bytes + i, 1, &text[kSpacedHexLength * i]);
    text.pop_back();
    return text;
}

void WriteHexDumpReport(const unsigned char* bytes, int length, char* out) {
    out = Put(out, texts::kHexDumpHeader1, kHeader1Length);
    out = WriteSpacedHex(bytes, length, out);
    out = Put(out, texts::kHexDumpHeader2, kHeader2Length);
    for (int i = 0; i < length; ++i) {
        *out++ = '0';
        *out++ = 'x';
        *out++ = kDigits[bytes[i] >> 4];
        *out++ = kDigits[bytes[i] & 0xF];
        *out++ = ',';
    }
}

void WriteHexDumpReport(const unsigned char* bytes, int length, std::string& report) {
    report.resize(static_cast<std::size_t>(HexDumpReportLength(length)));
    WriteHexDumpReport(bytes, length, &report[0]);
}
