// What the fuzz targets assert: a broken rule prints where and why, then
// aborts, which libFuzzer reports as a crash and saves the input for.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, ...)                                                          \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                              \
            std::fprintf(stderr, "\n");                                                     \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

namespace fuzz {

// Bytes as hex pairs, for the failure messages; long texts are cut.
inline std::string Hex(const std::string& bytes, std::size_t limit = 64) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
        text += ' ';
    }
    if (bytes.size() > limit) text += "... (" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

// Frames as hex, one an indented line, for the failure messages.
template <class Frames>
std::string HexLines(const Frames& frames) {
    std::string text;
    for (const auto& frame : frames) text += "\n  " + Hex(std::string(frame.begin(), frame.end()));
    return text;
}

// Takes the fuzzer's bytes apart: a few choices first, then the text.
class Input {
public:
    Input(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    unsigned char Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // Every byte taken: from here on Byte gives zeros that mean nothing.
    bool done() const { return pos_ >= size_; }
    std::string Rest() {
        std::string rest(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
        pos_ = size_;
        return rest;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// An edit box holds no zero byte: the text as far as the box can hold it.
inline std::string WithoutZeros(std::string text) {
    std::string kept;
    for (char ch : text)
        if (ch != '\0') kept += ch;
    return kept;
}

}  // namespace fuzz
