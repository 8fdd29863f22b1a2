// Window, control and menu operations: direct calls of the ANSI Win32 API,
// so all texts pass as GBK bytes in the system's code page 936.
#include <vector>

#include "fw/backend.h"
#include "fw/win32/edit_box_text.h"
#include "fw/win32/fade_out.h"

namespace fw {
namespace backend {

LRESULT SendMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return ::SendMessageA(window, message, wparam, lparam);
}

HWND GetDlgItem(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

std::string GetWindowText(HWND window) {
    // The length may overestimate for double-byte text; the copy tells the truth.
    const int length = ::GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void SetWindowText(HWND window, const char* text) {
    if (fw::win32::IsEditBox(window))
        fw::win32::SetEditBoxText(window, text);
    else
        ::SetWindowTextA(window, text);
}

BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(window, insert_after, x, y, cx, cy, flags);
}

// The program fades out with AW_HIDE | AW_BLEND, which has its own
// implementation (fade_out.cpp); any other animation is the system's.
BOOL AnimateWindow(HWND window, DWORD time_ms, DWORD flags) {
    if (flags == (AW_HIDE | AW_BLEND)) return fw::win32::FadeOutWindow(window, time_ms);
    return ::AnimateWindow(window, time_ms, flags);
}

HMENU GetSystemMenu(HWND window, BOOL revert) { return ::GetSystemMenu(window, revert); }

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char* text) {
    return ::AppendMenuA(menu, flags, id, text);
}

BOOL IsIconic(HWND window) { return ::IsIconic(window); }

void GetClientRect(HWND window, RECT* rect) { ::GetClientRect(window, rect); }

int GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

}  // namespace backend
}  // namespace fw
