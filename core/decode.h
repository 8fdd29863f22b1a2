// Turning the text of the input box into bytes.
#pragma once

// The byte tools decode into one shared work buffer: WORK_BUFFER_SIZE bytes
// of data and one more, so a terminating zero fits after a full buffer.
constexpr int WORK_BUFFER_SIZE = 20480;
extern unsigned char g_workBuffer[WORK_BUFFER_SIZE + 1];

enum DecodeMode {
    BY_FORMAT_OPTION = 0,  // hex digits when "Hex" is checked, else the characters
    AS_ASCII = 1,          // the characters' bytes as they are
    AS_HEX = 2,            // hex digits
};

// The value of one hex digit character; 0 for any other character.
unsigned char HexDigitValue(char ch);
// Whether `ch` is a hex digit: 0-9, a-f or A-F.
bool IsHexDigit(char ch);

// Reads hex digits from `length` bytes of `text` into `buffer`: digits pair
// up left to right, any other byte separates, a lone digit is a byte of its
// own and a "0x" prefix is dropped. Returns the number of bytes written, or
// -1 when they would not fit into `capacity` bytes (nothing is written past it).
int HexTextToBytes(const char* text, int length, unsigned char* buffer, int capacity);
