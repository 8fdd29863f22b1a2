#include "cli/utf16.h"

#include "codepage/gbk_codec.h"

namespace {
constexpr char32_t kHighSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kSupplementaryFirst = 0x10000;
constexpr int kSurrogateBits = 10;
}  // namespace

bool Utf16ToUtf8(const std::u16string& utf16, std::string& utf8) {
    utf8.clear();
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= kHighSurrogateFirst && cp <= kSurrogateLast) {
            const bool paired = cp < kLowSurrogateFirst && i + 1 < utf16.size() &&
                                utf16[i + 1] >= kLowSurrogateFirst && utf16[i + 1] <= kSurrogateLast;
            if (!paired) return false;
            cp = kSupplementaryFirst + ((cp - kHighSurrogateFirst) << kSurrogateBits) +
                 (utf16[++i] - kLowSurrogateFirst);
        }
        AppendUtf8(cp, utf8);
    }
    return true;
}

bool Utf8ToUtf16(const std::string& utf8, std::u16string& utf16) {
    utf16.clear();
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, pos, cp);
        if (length == 0) return false;
        pos += length;
        if (cp < kSupplementaryFirst) {
            utf16 += static_cast<char16_t>(cp);
            continue;
        }
        cp -= kSupplementaryFirst;
        utf16 += static_cast<char16_t>(kHighSurrogateFirst + (cp >> kSurrogateBits));
        utf16 += static_cast<char16_t>(kLowSurrogateFirst + (cp & ((char32_t{1} << kSurrogateBits) - 1)));
    }
    return true;
}

#ifdef _WIN32
bool Utf8ToWide(const std::string& utf8, std::wstring& wide) {
    std::u16string utf16;
    if (!Utf8ToUtf16(utf8, utf16)) return false;
    wide.assign(utf16.begin(), utf16.end());
    return true;
}
#endif
