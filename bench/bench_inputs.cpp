#include "bench_inputs.h"

#include <cstdio>
#include <random>

#include "core/decode.h"

namespace bench {

namespace {
constexpr unsigned kSeed = 20480;  // any fixed seed: the same inputs every run
}  // namespace

const std::string& GbkText() {
    static const std::string text = [] {
        // "Quobrix 工具 中文 ａｂ αβ 0123 AbCd\r\n" in GBK.
        const std::string line =
            "Quobrix \xB9\xA4\xBE\xDF \xD6\xD0\xCE\xC4 \xA3\xE1\xA3\xE2 \xA6\xC1\xA6\xC2 0123 AbCd\r\n";
        std::string t;
        while (t.size() + line.size() <= static_cast<size_t>(WORK_BUFFER_SIZE)) t += line;
        t.append(static_cast<size_t>(WORK_BUFFER_SIZE) - t.size(), '.');
        return t;
    }();
    return text;
}

const std::vector<unsigned char>& Bytes() {
    static const std::vector<unsigned char> bytes = [] {
        std::mt19937 generator(kSeed);
        std::uniform_int_distribution<int> byte(1, 0xFF);
        std::vector<unsigned char> b(WORK_BUFFER_SIZE);
        for (unsigned char& value : b) value = static_cast<unsigned char>(byte(generator));
        return b;
    }();
    return bytes;
}

std::string HexText(const std::vector<unsigned char>& bytes) {
    std::string text;
    char piece[4];
    for (unsigned char value : bytes) {
        std::snprintf(piece, sizeof piece, "%02X ", static_cast<unsigned>(value));
        text += piece;
    }
    return text;
}

const std::string& LongDecimal() {
    static const std::string number = [] {
        std::mt19937 generator(kSeed);
        std::uniform_int_distribution<int> digit(0, 9);
        std::string n = "3.";
        while (n.size() < static_cast<size_t>(WORK_BUFFER_SIZE)) n += static_cast<char>('0' + digit(generator));
        return n;
    }();
    return number;
}

}  // namespace bench
