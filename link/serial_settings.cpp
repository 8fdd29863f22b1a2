#include "link/serial_settings.h"

#include <cstring>

int CharacterHalfBits(const SerialSettings& settings) {
    const int stop_halves = settings.stop_bits == StopBits::kOne ? 2 : settings.stop_bits == StopBits::kOneAndHalf ? 3 : 4;
    return 2 * (1 + settings.data_bits + (settings.parity == Parity::kNone ? 0 : 1)) + stop_halves;
}

bool ParseFraming(const std::string& text, SerialSettings& settings, std::string& error) {
    error = "framing '" + text + "' is not data bits 5-8, parity N/E/O/M/S and stop bits 1, 1.5 or 2 (8N1)";
    if (text.size() < 3 || text[0] < '5' || text[0] > '8') return false;
    const char* parities = "NEOMS";
    const char* p = std::strchr(parities, text[1] & ~0x20);
    if (text[1] == 0 || p == nullptr) return false;
    const std::string stop = text.substr(2);
    StopBits stop_bits;
    if (stop == "1") {
        stop_bits = StopBits::kOne;
    } else if (stop == "1.5") {
        stop_bits = StopBits::kOneAndHalf;
    } else if (stop == "2") {
        stop_bits = StopBits::kTwo;
    } else {
        return false;
    }
    settings.data_bits = text[0] - '0';
    settings.parity = static_cast<Parity>(p - parities);
    settings.stop_bits = stop_bits;
    error.clear();
    return true;
}

bool ParseFlow(const std::string& text, FlowControl& flow, std::string& error) {
    if (text == "none") {
        flow = FlowControl::kNone;
    } else if (text == "rtscts") {
        flow = FlowControl::kRtsCts;
    } else if (text == "xonxoff") {
        flow = FlowControl::kXonXoff;
    } else {
        error = "flow control '" + text + "' is none, rtscts or xonxoff";
        return false;
    }
    return true;
}

std::string FramingWord(const SerialSettings& settings) {
    std::string word(1, static_cast<char>('0' + settings.data_bits));
    word += "NEOMS"[static_cast<int>(settings.parity)];
    word += settings.stop_bits == StopBits::kOne ? "1" : settings.stop_bits == StopBits::kOneAndHalf ? "1.5" : "2";
    return word;
}
