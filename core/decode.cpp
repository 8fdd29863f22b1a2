#include "core/decode.h"

unsigned char g_workBuffer[WORK_BUFFER_SIZE + 1];

namespace {

constexpr unsigned char kNotHexDigit = 0xFF;

// The value of each byte as a hex digit, or kNotHexDigit: one lookup per
// character instead of three range tests.
struct HexDigitTable {
    unsigned char value[256];
};

constexpr HexDigitTable MakeHexDigitTable() {
    HexDigitTable table{};
    for (int byte = 0; byte < 256; ++byte) table.value[byte] = kNotHexDigit;
    for (int digit = 0; digit < 10; ++digit) table.value['0' + digit] = static_cast<unsigned char>(digit);
    for (int digit = 10; digit < 16; ++digit) {
        table.value['a' + digit - 10] = static_cast<unsigned char>(digit);
        table.value['A' + digit - 10] = static_cast<unsigned char>(digit);
    }
    return table;
}

constexpr HexDigitTable kHexDigits = MakeHexDigitTable();

unsigned DigitOf(char ch) { return kHexDigits.value[static_cast<unsigned char>(ch)]; }

}  // namespace

unsigned char HexDigitValue(char ch) {
    const unsigned value = DigitOf(ch);
    return static_cast<unsigned char>(value == kNotHexDigit ? 0 : value);
}

bool IsHexDigit(char ch) { return DigitOf(ch) != kNotHexDigit; }

int HexTextToBytes(const char* text, int length, unsigned char* buffer, int capacity) {
    int count = 0;
    bool pending = false;
    unsigned acc = 0;
    for (int i = 0; i < length; ++i) {
        const unsigned digit = DigitOf(text[i]);
        if (digit != kNotHexDigit) {
            if (!pending) {
                acc = digit;
                pending = true;
                continue;
            }
            if (count >= capacity) return -1;
            buffer[count++] = static_cast<unsigned char>(acc << 4 | digit);
            pending = false;
            continue;
        }
        // Any other byte separates; a lone digit is a byte of its own, except
        // the 0 of a "0x" prefix.
        if (pending && !(acc == 0 && (text[i] == 'x' || text[i] == 'X'))) {
            if (count >= capacity) return -1;
            buffer[count++] = static_cast<unsigned char>(acc);
        }
        pending = false;
    }
    if (pending) {
        if (count >= capacity) return -1;
        buffer[count++] = static_cast<unsigned char>(acc);
    }
    return count;
}
