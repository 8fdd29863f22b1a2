#include "codepage/gbk_codec.h"

#include <cstdint>

#include "codepage/gbk_encode_table.h"
#include "codepage/gbk_table.h"

namespace {

using gbk_table::kAsciiLimit;
using gbk_table::kHighSingleBytes;

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kUnicodeLast = 0x10FFFF;

// The multi-byte forms of UTF-8 (RFC 3629): first byte range, continuation
// byte count, the lowest code point the form may carry (shorter forms are
// overlong) and the payload bits of the first byte. C0 and C1 could only start
// overlong forms; F5-FF would start values above U+10FFFF.
struct Utf8Form {
    unsigned first_low, first_high;
    int continuations;
    char32_t lowest;
    unsigned first_payload;
};
constexpr Utf8Form kUtf8Forms[] = {
    {0xC2, 0xDF, 1, 0x80, 0x1F},
    {0xE0, 0xEF, 2, 0x800, 0x0F},
    {0xF0, 0xF4, 3, 0x10000, 0x07},
};
constexpr unsigned kContinuationMask = 0xC0, kContinuationTag = 0x80, kContinuationPayload = 0x3F;
constexpr int kContinuationBits = 6;

// The end of the run of ASCII bytes from `pos`. Such a run is the same bytes
// in UTF-8 and GBK, so the converters copy it at once.
std::size_t AsciiRunEnd(const std::string& text, std::size_t pos) {
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < kAsciiLimit) ++pos;
    return pos;
}

}  // namespace

std::size_t DecodeUtf8(const std::string& text, std::size_t pos, char32_t& cp) {
    const auto byte_at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned first = byte_at(pos);
    if (first < kAsciiLimit) {
        cp = first;
        return 1;
    }
    for (const Utf8Form& form : kUtf8Forms) {
        if (first < form.first_low || first > form.first_high) continue;
        if (text.size() - pos <= static_cast<std::size_t>(form.continuations)) return 0;
        cp = first & form.first_payload;
        for (int i = 1; i <= form.continuations; ++i) {
            const unsigned next = byte_at(pos + i);
            if ((next & kContinuationMask) != kContinuationTag) return 0;
            cp = cp << kContinuationBits | (next & kContinuationPayload);
        }
        if (cp < form.lowest || cp > kUnicodeLast || (cp >= kSurrogateFirst && cp <= kSurrogateLast)) return 0;
        return static_cast<std::size_t>(form.continuations) + 1;
    }
    return 0;
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

Utf8ToGbkResult Utf8ToGbk(const std::string& utf8, std::string& gbk, std::size_t& error_offset) {
    // A character never takes more bytes in GBK than in UTF-8 (one for one
    // below U+0080, at most two for two or three), so the bytes are written
    // into room sized once and the rest cut off at the end.
    gbk.assign(utf8.size(), '\0');
    std::size_t out = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t run_end = AsciiRunEnd(utf8, pos);
        if (run_end > pos) {
            utf8.copy(&gbk[out], run_end - pos, pos);
            out += run_end - pos;
            pos = run_end;
        }
        if (pos == utf8.size()) break;
        const std::size_t start = pos;
        char32_t cp;
        const std::size_t length = DecodeUtf8(utf8, pos, cp);
        if (length == 0) {
            gbk.resize(out);
            error_offset = start;
            return Utf8ToGbkResult::InvalidUtf8;
        }
        pos += length;
        const std::uint16_t bytes = cp < gbk_table::kBmpSize ? gbk_table::kEncode[cp] : 0;
        if (bytes == 0) {
            gbk.resize(out);
            error_offset = start;
            return Utf8ToGbkResult::NotRepresentable;
        }
        if (bytes > 0xFF) gbk[out++] = static_cast<char>(bytes >> 8);
        gbk[out++] = static_cast<char>(bytes & 0xFF);
    }
    gbk.resize(out);
    return Utf8ToGbkResult::Ok;
}

std::size_t GbkToUtf8(const std::string& gbk, std::string& utf8) {
    utf8.clear();
    utf8.reserve(gbk.size() * 3 / 2);
    std::size_t replaced = 0;
    std::size_t i = 0;
    while (i < gbk.size()) {
        const std::size_t run_end = AsciiRunEnd(gbk, i);
        if (run_end > i) {
            utf8.append(gbk, i, run_end - i);
            i = run_end;
        }
        if (i == gbk.size()) break;
        // A byte from 80 up: a character of its own or the lead of a pair.
        const unsigned byte = static_cast<unsigned char>(gbk[i++]);
        char32_t cp;
        if (!gbk_table::IsLeadByte(byte)) {
            cp = kHighSingleBytes[byte - kAsciiLimit];
        } else {
            const unsigned next = i < gbk.size() ? static_cast<unsigned char>(gbk[i]) : 0;
            cp = gbk_table::PairCodePoint(byte, next);  // 0: a stray lead byte
            if (cp != 0) ++i;
        }
        if (cp == 0) {
            cp = kReplacement;
            ++replaced;
        }
        AppendUtf8(cp, utf8);
    }
    return replaced;
}
