#include "fw/cstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "codepage/multibyte_text.h"
#include "fw/backend.h"

namespace {

// The ANSI code page is fixed when the program starts, so it is read once.
// A double-byte code page other than 936 is taken as 936: the program's texts
// are GBK bytes whatever the system's locale.
const TextCodePage& AnsiTextCodePage() {
    static const TextCodePage page = [] {
        TextCodePage single_byte;
        if (fw::backend::AnsiCodePage() != kGbkCodePageId &&
            fw::backend::SingleByteCaseMaps(single_byte.to_upper.data(), single_byte.to_lower.data()))
            return single_byte;
        return GbkCodePage();
    }();
    return page;
}

// The added length named when vsnprintf cannot count the text.
constexpr size_t kFormatTooLong = fw::kMaxStringLength + 1;

size_t CheckedStrlen(const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    fw::CheckedStringLength(length, 0);
    return length;
}

}  // namespace

void fw::StringTooLong(std::size_t have, std::size_t added) {
    std::fprintf(stderr, "CString: a text of %llu + %llu bytes is longer than %llu, the most a CString holds\n",
                 static_cast<unsigned long long>(have), static_cast<unsigned long long>(added),
                 static_cast<unsigned long long>(kMaxStringLength));
    std::abort();
}

CString::CString(const char* text) : bytes_(text ? text : "", CheckedStrlen(text)) {}

CString::CString(const char* bytes, int length) {
    if (bytes && length > 0) bytes_.assign(bytes, static_cast<size_t>(length));
}

CString::CString(std::string bytes) {
    fw::CheckedStringLength(bytes.size(), 0);
    bytes_ = std::move(bytes);
}

CString& CString::operator=(const char* text) {
    bytes_.assign(text ? text : "", CheckedStrlen(text));
    return *this;
}

CString& CString::operator+=(const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    fw::CheckedStringLength(bytes_.size(), length);
    bytes_.append(text ? text : "", length);
    return *this;
}

CString& CString::operator+=(const CString& text) {
    fw::CheckedStringLength(bytes_.size(), text.bytes_.size());
    bytes_ += text.bytes_;
    return *this;
}

CString& CString::operator+=(char ch) {
    fw::CheckedStringLength(bytes_.size(), 1);
    bytes_ += ch;
    return *this;
}

void CString::Format(const char* format, ...) {
    bytes_.clear();
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

// Measures the text first, then writes it straight after the old bytes.
void CString::AppendFormatV(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    // vsnprintf fails on a text longer than an int can count: the formats
    // of the program fail for no other reason.
    if (needed < 0) fw::StringTooLong(bytes_.size(), kFormatTooLong);
    if (needed == 0) return;
    const size_t old_length = bytes_.size();
    fw::CheckedStringLength(old_length, static_cast<size_t>(needed));
    bytes_.resize(old_length + static_cast<size_t>(needed) + 1);
    std::vsnprintf(&bytes_[old_length], static_cast<size_t>(needed) + 1, format, args);
    bytes_.resize(old_length + static_cast<size_t>(needed));
}

BOOL CString::LoadString(UINT id) {
    *this = CString(fw::backend::LoadStringResource(id));
    return bytes_.empty() ? FALSE : TRUE;
}

void CString::MakeUpper() { MultibyteUpper(&bytes_[0], bytes_.size(), AnsiTextCodePage()); }

void CString::MakeLower() { MultibyteLower(&bytes_[0], bytes_.size(), AnsiTextCodePage()); }

void CString::MakeReverse() { MultibyteReverse(&bytes_[0], bytes_.size(), AnsiTextCodePage()); }
