// What the corpus's face programs print: exact bytes as lowercase hex, and
// words as JSON strings that Python reads back to the very words it passed.
#pragma once

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace corpus_face {

// A word the face does not know (a page, job, key or value): the runner's
// case is wrong, not the face's answer, so the program stops with exit 2.
struct UnknownWord : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr int kExitUnknownWord = 2;

inline std::string LowerHex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

// The length of the well-formed UTF-8 sequence at `at` (as Python's strict
// decoder judges it: no overlong forms, no surrogates, nothing past
// U+10FFFF), or 0 when the byte there starts none.
inline std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return length;
}

// `text` as a JSON string. A byte that is no part of well-formed UTF-8
// stands as the lone surrogate U+DC00+byte, as Python's surrogateescape
// gives it, so that json.loads returns the str whose os.fsencode is the
// bytes the program was given.
inline std::string JsonString(const std::string& text) {
    std::string json = "\"";
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = Utf8SequenceAt(text, at);
        const auto byte = static_cast<unsigned char>(text[at]);
        char escaped[8];
        if (length == 0) {
            std::snprintf(escaped, sizeof escaped, "\\udc%02x", byte);
            json += escaped;
            ++at;
            continue;
        }
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json.append(text, at, length);
        }
        at += length;
    }
    return json + "\"";
}

// "what: \"word\"": the word quoted, so that the message stays one line
// whatever the word holds.
inline std::string Named(const std::string& what, const std::string& word) {
    return what + ": " + JsonString(word);
}

}  // namespace corpus_face
