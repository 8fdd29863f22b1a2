#include "core/decode.h"

unsigned char g_workBuffer[WORK_BUFFER_SIZE + 1];

namespace {
bool IsHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}
}  // namespace

unsigned char HexDigitValue(char ch) {
    if (ch >= '0' && ch <= '9') return static_cast<unsigned char>(ch - '0');
    if (ch >= 'a' && ch <= 'f') return static_cast<unsigned char>(ch - 'a' + 10);
    if (ch >= 'A' && ch <= 'F') return static_cast<unsigned char>(ch - 'A' + 10);
    return 0;
}

int HexTextToBytes(const char* text, int length, unsigned char* buffer, int capacity) {
    int count = 0;
    bool pending = false;
    unsigned char acc = 0;
    auto emit = [&](unsigned char byte) {
        if (count >= capacity) return false;
        buffer[count++] = byte;
        return true;
    };
    for (int i = 0; i < length; ++i) {
        const char ch = text[i];
        if (IsHexDigit(ch)) {
            if (!pending) {
                acc = HexDigitValue(ch);
                pending = true;
            } else {
                acc = static_cast<unsigned char>(acc * 16 + HexDigitValue(ch));
                pending = false;
                if (!emit(acc)) return -1;
            }
            continue;
        }
        // Any other byte separates; a lone digit is a byte of its own, except
        // the 0 of a "0x" prefix.
        if (pending && !(acc == 0 && (ch == 'x' || ch == 'X')) && !emit(acc)) return -1;
        pending = false;
    }
    if (pending && !emit(acc)) return -1;
    return count;
}
