// A serial port's line settings, and the words that name them.
#pragma once

#include <string>

enum class Parity { kNone, kEven, kOdd, kMark, kSpace };
enum class StopBits { kOne, kOneAndHalf, kTwo };
enum class FlowControl { kNone, kRtsCts, kXonXoff };

struct SerialSettings {
    unsigned long baud = 9600;
    int data_bits = 8;  // 5 to 8
    Parity parity = Parity::kNone;
    StopBits stop_bits = StopBits::kOne;
    FlowControl flow = FlowControl::kNone;
};

constexpr unsigned long kMinBaud = 50, kMaxBaud = 4000000;

// The bits one character takes on the line, in halves (1.5 stop bits is 3):
// the start bit, the data bits, a parity bit unless there is none, and the
// stop bits. 8N1 is 10 bits, 8E1 11, 7E1 10, 8N1.5 10.5.
int CharacterHalfBits(const SerialSettings& settings);

// "8N1"-style framing words, one letter per parity: 8N1, 7E1, 8O2, 5M1.5,
// 8S1. False with why in `error`.
bool ParseFraming(const std::string& text, SerialSettings& settings, std::string& error);
bool ParseFlow(const std::string& text, FlowControl& flow, std::string& error);
std::string FramingWord(const SerialSettings& settings);
