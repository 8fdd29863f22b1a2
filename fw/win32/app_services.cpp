// What the application object needs from the system: message boxes, its
// title and its resources.
#include <vector>

#include "fw/backend.h"

namespace fw {
namespace backend {

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return ::MessageBoxA(owner, text, caption, type);
}

std::string ApplicationTitle() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    // Walk by characters of the ANSI code page: the trail byte of a GBK
    // character may be 0x5C, which is not a directory separator.
    const char* name = path;
    const char* dot = nullptr;
    for (const char* p = path; *p; p = ::CharNextA(p)) {
        if (*p == '\\') {
            name = p + 1;
            dot = nullptr;
        } else if (*p == '.') {
            dot = p;
        }
    }
    const char* end = dot ? dot : path + length;
    return std::string(name, static_cast<size_t>(end - name));
}

std::string LoadStringResource(UINT id) {
    // LoadStringA truncates silently, so grow the buffer until the text fits.
    for (int size = 256; size <= 65536; size *= 4) {
        std::vector<char> buffer(static_cast<size_t>(size));
        const int copied = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer.data(), size);
        if (copied <= 0) return std::string();
        if (copied < size - 1) return std::string(buffer.data(), static_cast<size_t>(copied));
    }
    return std::string();
}

HICON LoadIconResource(int id) {
    return ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

}  // namespace backend
}  // namespace fw
