// Reading and driving the windows of the program under test, which runs in
// another process: only calls that the window system marshals between
// processes are used here (window manager queries and the standard messages).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace window_test {

std::string ClassNameOf(HWND window);

// The caption as the window manager holds it (GetWindowTextA; for a window of
// another process this does not send WM_GETTEXT).
std::string CaptionOf(HWND window);

// The text the window itself reports (WM_GETTEXT), e.g. an edit box's content.
std::string TextOf(HWND window);

// Replaces the window's text with WM_SETTEXT; the bytes are GBK.
void SetText(HWND window, const std::string& gbk);

DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);

// Direct children in z-order (GW_CHILD, then GW_HWNDNEXT), which for a dialog
// is the order of its template.
std::vector<HWND> ChildrenOf(HWND parent);

// The window's rectangle relative to its parent's client area.
RECT RectInParent(HWND window);

// The window that has the keyboard focus in the given GUI thread, or null.
HWND FocusOf(DWORD thread_id);

// BM_GETCHECK == BST_CHECKED.
bool IsChecked(HWND button);

// Visible top-level dialogs (class "#32770") owned by `owner`.
std::vector<HWND> OwnedDialogs(HWND owner);

// Sends a message and gives up after a bounded time instead of hanging on a
// program that no longer answers. Returns the result, 0 on time-out.
LRESULT SendBounded(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0);

// Sends a message whose lParam points at `data`, lent in the program's
// process, and copies the answer back.
template <typename T>
LRESULT SendWithData(HWND window, UINT message, WPARAM wparam, T& data) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
    if (!process) return 0;
    LRESULT result = 0;
    if (void* remote = VirtualAllocEx(process, nullptr, sizeof data, MEM_COMMIT, PAGE_READWRITE)) {
        WriteProcessMemory(process, remote, &data, sizeof data, nullptr);
        result = SendBounded(window, message, wparam, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &data, sizeof data, nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return result;
}

// A list view's rows (LVM_GETITEMCOUNT) and one cell's text, read through
// memory lent in the program's process: the list view's messages carry
// pointers the window system does not copy.
int RowCount(HWND list);
std::string CellOf(HWND list, int row, int column);
// The same as UTF-8, read as UTF-16: for texts the ANSI code page has no
// form for (✔, ✘).
std::string WideCellOf(HWND list, int row, int column);

}  // namespace window_test
