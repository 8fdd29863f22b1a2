#include "fw/cstring.h"

#include <cstdarg>
#include <cstdio>

#include "fw/backend.h"

CString::CString(const char* bytes, int length) {
    if (bytes && length > 0) bytes_.assign(bytes, static_cast<size_t>(length));
}

CString& CString::operator=(const char* text) {
    bytes_.assign(text ? text : "");
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text) bytes_ += text;
    return *this;
}

CString& CString::operator+=(const CString& text) {
    bytes_ += text.bytes_;
    return *this;
}

CString& CString::operator+=(char ch) {
    bytes_ += ch;
    return *this;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    bytes_.clear();
    if (needed > 0) {
        bytes_.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(&bytes_[0], bytes_.size(), format, args);
        bytes_.resize(static_cast<size_t>(needed));
    }
    va_end(args);
}

BOOL CString::LoadString(UINT id) {
    bytes_ = fw::backend::LoadStringResource(id);
    return bytes_.empty() ? FALSE : TRUE;
}
