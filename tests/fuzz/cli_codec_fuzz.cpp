// The command line's text conversion between UTF-8 and GBK (code page 936),
// and the command line itself on random arguments and standard input.
//
// The UTF-8 rules come from an independent validator here; what GBK can hold
// comes from decoding every one- and two-byte GBK sequence once, so the
// encoder is judged by the decoder's inverse, not by its own table.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "codepage/gbk_codec.h"
#include "fuzz_check.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One UTF-8 sequence at `pos`, by RFC 3629: its length from the leading ones
// of the first byte, continuation bytes 10xxxxxx, the shortest form only, no
// surrogates, nothing above U+10FFFF. False when the sequence is not valid.
bool NextCodePoint(const std::string& text, std::size_t pos, char32_t& cp, std::size_t& length) {
    const unsigned char first = static_cast<unsigned char>(text[pos]);
    int ones = 0;
    while (ones < 8 && (first & (0x80 >> ones))) ++ones;
    if (ones == 0) {
        cp = first;
        length = 1;
        return true;
    }
    if (ones == 1 || ones > 4 || pos + static_cast<std::size_t>(ones) > text.size()) return false;
    cp = first & (0x7F >> ones);
    for (int i = 1; i < ones; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((next >> 6) != 2) return false;
        cp = cp << 6 | (next & 0x3F);
    }
    const int shortest = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (shortest != ones || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    length = static_cast<std::size_t>(ones);
    return true;
}

// Where the first invalid sequence starts; npos for valid UTF-8.
std::size_t FirstInvalid(const std::string& text) {
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp;
        std::size_t length;
        if (!NextCodePoint(text, pos, cp, length)) return pos;
        pos += length;
    }
    return std::string::npos;
}

std::string Utf8Of(char32_t cp) {
    std::string text;
    if (cp < 0x80) {
        text += static_cast<char>(cp);
    } else {
        const int length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        const unsigned lead_tags[] = {0, 0, 0xC0, 0xE0, 0xF0};
        text += static_cast<char>(lead_tags[length] | cp >> (6 * (length - 1)));
        for (int i = length - 2; i >= 0; --i) text += static_cast<char>(0x80 | (cp >> (6 * i) & 0x3F));
    }
    return text;
}

// Every code point that some one- or two-byte GBK sequence decodes to.
const std::set<char32_t>& GbkRepertoire() {
    static const std::set<char32_t> repertoire = [] {
        std::set<char32_t> seen;
        const auto add = [&](const std::string& gbk) {
            std::string utf8;
            if (GbkToUtf8(gbk, utf8) != 0) return;
            char32_t cp;
            std::size_t length;
            if (NextCodePoint(utf8, 0, cp, length) && length == utf8.size()) seen.insert(cp);
        };
        for (int a = 1; a < 0x100; ++a) {
            add(std::string(1, static_cast<char>(a)));
            for (int b = 1; b < 0x100; ++b) add(std::string{static_cast<char>(a), static_cast<char>(b)});
        }
        return seen;
    }();
    return repertoire;
}

std::string Decoded(const std::string& gbk, std::size_t* replaced = nullptr) {
    std::string utf8;
    const std::size_t n = GbkToUtf8(gbk, utf8);
    if (replaced) *replaced = n;
    return utf8;
}

// GBK to UTF-8 and back: valid UTF-8 always; U+FFFD once per byte that is no
// character; without such bytes the way back gives the same bytes, with them
// the way back stops at the first U+FFFD, which GBK cannot hold.
void CheckGbkText(const std::string& gbk) {
    std::size_t replaced = 0;
    const std::string utf8 = Decoded(gbk, &replaced);
    FUZZ_CHECK(FirstInvalid(utf8) == std::string::npos, "decoding %s gave invalid UTF-8", fuzz::Hex(gbk).c_str());
    std::size_t replacements = 0, first_replacement = std::string::npos;
    const std::string mark = Utf8Of(kReplacement);
    for (std::size_t at = utf8.find(mark); at != std::string::npos; at = utf8.find(mark, at + mark.size())) {
        if (replacements++ == 0) first_replacement = at;
    }
    FUZZ_CHECK(replacements == replaced, "%zu U+FFFD in the text, %zu reported", replacements, replaced);

    std::string back;
    std::size_t offset = 0;
    const Utf8ToGbkResult result = Utf8ToGbk(utf8, back, offset);
    if (replaced == 0) {
        FUZZ_CHECK(result == Utf8ToGbkResult::Ok && back == gbk, "%s does not come back: %s", fuzz::Hex(gbk).c_str(),
                   fuzz::Hex(back).c_str());
        return;
    }
    FUZZ_CHECK(result == Utf8ToGbkResult::NotRepresentable && offset == first_replacement,
               "U+FFFD at %zu: result %d at %zu", first_replacement, static_cast<int>(result), offset);
    FUZZ_CHECK(Decoded(back) == utf8.substr(0, offset), "the text before U+FFFD does not come back");
}

// Any bytes as UTF-8: converted whole when valid and within GBK, else the
// first invalid sequence or the first character without GBK bytes is named,
// with the text before it converted.
void CheckUtf8Text(const std::string& utf8) {
    std::string gbk;
    std::size_t offset = 0;
    const Utf8ToGbkResult result = Utf8ToGbk(utf8, gbk, offset);
    const std::size_t invalid = FirstInvalid(utf8);
    const std::set<char32_t>& repertoire = GbkRepertoire();
    std::size_t unrepresentable = std::string::npos;
    for (std::size_t pos = 0; pos < utf8.size() && pos < invalid;) {
        char32_t cp;
        std::size_t length;
        NextCodePoint(utf8, pos, cp, length);
        if (cp != 0 && !repertoire.count(cp)) {
            unrepresentable = pos;
            break;
        }
        pos += length;
    }
    const std::size_t stop = unrepresentable < invalid ? unrepresentable : invalid;
    if (stop == std::string::npos) {
        FUZZ_CHECK(result == Utf8ToGbkResult::Ok, "valid GBK-able text %s refused at %zu", fuzz::Hex(utf8).c_str(),
                   offset);
        FUZZ_CHECK(Decoded(gbk) == utf8, "%s does not come back", fuzz::Hex(utf8).c_str());
        return;
    }
    const Utf8ToGbkResult expected =
        stop == invalid ? Utf8ToGbkResult::InvalidUtf8 : Utf8ToGbkResult::NotRepresentable;
    FUZZ_CHECK(result == expected && offset == stop, "%s: result %d at %zu, expected %d at %zu",
               fuzz::Hex(utf8).c_str(), static_cast<int>(result), offset, static_cast<int>(expected), stop);
    FUZZ_CHECK(Decoded(gbk) == utf8.substr(0, stop), "the text before offset %zu does not come back", stop);
}

// Code points from pairs of bytes (mostly the BMP, where GBK lives) as UTF-8.
std::string CodePointText(const std::string& bytes) {
    std::string utf8;
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
        char32_t cp = static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]);
        if (bytes[i + 2] & 1) cp |= static_cast<char32_t>(bytes[i + 2] & 0x10) << 12;  // now and then a plane 1
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string appended;
        AppendUtf8(cp, appended);
        FUZZ_CHECK(appended == Utf8Of(cp), "AppendUtf8 of U+%X", static_cast<unsigned>(cp));
        utf8 += appended;
    }
    return utf8;
}

// The whole command line: arguments split at zero bytes, standard input after.
void CheckCommandLine(const std::string& bytes) {
    std::vector<std::string> args;
    std::size_t start = 0;
    while (args.size() < 5) {
        const std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos) break;
        args.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    const std::string stdin_text = bytes.substr(start);
    CliEnvironment env;
    env.read_stdin = [&](std::size_t max_bytes, std::string& read, std::string&) {
        read = stdin_text.substr(0, max_bytes);
        return true;
    };
    env.stream_stdin = [&](const ConsumeBlock& consume, std::string&) {
        consume(stdin_text.data(), stdin_text.size());
        return true;
    };
    // No file of the machine's is read: every FILE is missing.
    env.stream_file = [](const std::string&, const ConsumeBlock&, std::string& error) {
        error = "No such file or directory";
        return false;
    };
    std::string out, err;
    const int code = RunCli(args, env, out, err);
    FUZZ_CHECK(code == kExitReport || code == kExitMessageBox || code == kExitUsage, "exit code %d", code);
    if (code != kExitReport) FUZZ_CHECK(!err.empty() && (code == kExitUsage || out.empty()), "exit %d says nothing", code);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0: CheckGbkText(bytes); break;
        case 1: CheckUtf8Text(bytes); break;
        case 2: CheckUtf8Text(CodePointText(bytes)); break;
        default: CheckCommandLine(bytes); break;
    }
    return 0;
}
