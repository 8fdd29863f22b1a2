#include "link/text_view.h"

#include <cstdio>

#include "codepage/gbk_codec.h"
#include "codepage/gbk_table.h"

namespace {

void AppendEscape(unsigned byte, std::string& out) {
    switch (byte) {
        case '\r':
            out += "\\r";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\t':
            out += "\\t";
            return;
        case '\\':
            out += "\\\\";  // so that \xHH in the text is always an escape
            return;
        default:
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte & 0xFFu);
            out += hex;
    }
}

// Windows decodes the byte FF and GBK's user-defined areas to characters
// of the private use area, which no font shows: they are shown as bytes.
bool Unseen(char32_t cp) { return cp >= 0xE000 && cp <= 0xF8FF; }

bool IsContinuation(unsigned byte) { return (byte & 0xC0) == 0x80; }

// The bytes a UTF-8 sequence starting with `first` takes, 0 when no
// sequence starts with it.
std::size_t Utf8Length(unsigned first) {
    if (first < 0x80) return 1;
    if (first >= 0xC2 && first <= 0xDF) return 2;
    if (first >= 0xE0 && first <= 0xEF) return 3;
    if (first >= 0xF0 && first <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::size_t TextView::DecodeOne(const std::string& bytes, std::size_t pos, bool more_may_come,
                                std::string& out) const {
    const unsigned first = static_cast<unsigned char>(bytes[pos]);
    if (first < 0x20 || first == 0x7F || first == '\\') {
        AppendEscape(first, out);
        return 1;
    }
    if (first < 0x80) {
        out += static_cast<char>(first);
        return 1;
    }
    const std::size_t left = bytes.size() - pos;
    if (encoding_ == TextEncoding::kGbk) {
        if (!gbk_table::IsLeadByte(first)) {
            const char32_t cp = gbk_table::kHighSingleBytes[first - gbk_table::kAsciiLimit];
            if (cp == 0 || Unseen(cp)) {
                AppendEscape(first, out);
            } else {
                AppendUtf8(cp, out);
            }
            return 1;
        }
        if (left < 2) {
            if (more_may_come) return 0;
            AppendEscape(first, out);
            return 1;
        }
        const char32_t cp = gbk_table::PairCodePoint(first, static_cast<unsigned char>(bytes[pos + 1]));
        if (cp == 0) {
            // The lead alone is shown; the next byte is read afresh (it may be
            // a line end, or the lead of the next character).
            AppendEscape(first, out);
            return 1;
        }
        if (Unseen(cp)) {
            AppendEscape(first, out);
            AppendEscape(static_cast<unsigned char>(bytes[pos + 1]), out);
            return 2;
        }
        AppendUtf8(cp, out);
        return 2;
    }
    const std::size_t length = Utf8Length(first);
    if (length > left) {
        // Incomplete: wait while every byte so far could belong to it.
        bool could_continue = more_may_come;
        for (std::size_t i = 1; i < left; ++i) could_continue = could_continue && IsContinuation(static_cast<unsigned char>(bytes[pos + i]));
        if (could_continue) return 0;
        AppendEscape(first, out);
        return 1;
    }
    char32_t cp;
    if (length == 0 || DecodeUtf8(bytes, pos, cp) != length) {
        AppendEscape(first, out);
        return 1;
    }
    out.append(bytes, pos, length);
    return length;
}

std::string TextView::Decode(const unsigned char* bytes, std::size_t size) {
    pending_.append(reinterpret_cast<const char*>(bytes), size);
    std::string out;
    std::size_t pos = 0;
    while (pos < pending_.size()) {
        const std::size_t taken = DecodeOne(pending_, pos, true, out);
        if (taken == 0) break;
        pos += taken;
    }
    pending_.erase(0, pos);
    return out;
}

std::string TextView::Finish() {
    std::string out;
    std::size_t pos = 0;
    while (pos < pending_.size()) pos += DecodeOne(pending_, pos, false, out);
    pending_.clear();
    return out;
}

std::string HexLine(const unsigned char* bytes, std::size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(size * 3);
    for (std::size_t i = 0; i < size; ++i) {
        if (i > 0) out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0xF];
    }
    return out;
}
