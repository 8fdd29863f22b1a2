#include "cli/utf16.h"

#include "core/gbk_codec.h"

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
