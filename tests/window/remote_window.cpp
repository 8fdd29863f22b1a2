#include "tests/window/remote_window.h"

#include <commctrl.h>

#include <vector>

#include "tests/window/wait_until.h"

namespace window_test {

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string CaptionOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string TextOf(HWND window) {
    // The program may replace the text between the two messages; a length
    // that changed meanwhile means the copy may be cut, so read again.
    constexpr int kAttempts = 10;
    std::string text;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const LRESULT length = SendBounded(window, WM_GETTEXTLENGTH);
        // A double-byte text may report more than it needs, never less.
        text.assign(static_cast<size_t>(length) + 1, '\0');
        const LRESULT copied =
            SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(copied));
        if (SendBounded(window, WM_GETTEXTLENGTH) == length) break;
    }
    return text;
}

void SetText(HWND window, const std::string& gbk) {
    SendBounded(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(gbk.c_str()));
}

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

DWORD ExStyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)); }

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

RECT RectInParent(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND FocusOf(DWORD thread_id) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread_id, &info)) return nullptr;
    return info.hwndFocus;
}

bool IsChecked(HWND button) { return SendBounded(button, BM_GETCHECK) == BST_CHECKED; }

namespace {

struct OwnedDialogSearch {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CheckOwnedDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<OwnedDialogSearch*>(context);
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
        ClassNameOf(window) == "#32770")
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> OwnedDialogs(HWND owner) {
    OwnedDialogSearch search{owner, {}};
    EnumWindows(CheckOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT SendBounded(HWND window, UINT message, WPARAM w, LPARAM l) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, w, l, SMTO_ABORTIFHUNG, kDefaultWaitMs, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

int RowCount(HWND list) { return static_cast<int>(SendBounded(list, LVM_GETITEMCOUNT)); }

std::string CellOf(HWND list, int row, int column) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(list, &process_id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
    if (!process) return "(no access to the program's memory)";
    constexpr size_t kTextSize = 1024;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kTextSize, MEM_COMMIT, PAGE_READWRITE));
    std::string text;
    if (remote) {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = remote + sizeof item;
        item.cchTextMax = kTextSize;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        const LRESULT length = SendBounded(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                           reinterpret_cast<LPARAM>(remote));
        std::vector<char> local(kTextSize, '\0');
        ReadProcessMemory(process, remote + sizeof item, local.data(), kTextSize, nullptr);
        text.assign(local.data(), static_cast<size_t>(length > 0 ? length : 0));
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

std::string WideCellOf(HWND list, int row, int column) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(list, &process_id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
    if (!process) return "(no access to the program's memory)";
    constexpr size_t kChars = 1024;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::string text;
    if (remote) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof item);
        item.cchTextMax = kChars;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        const LRESULT length = SendBounded(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                           reinterpret_cast<LPARAM>(remote));
        std::vector<wchar_t> local(kChars, L'\0');
        ReadProcessMemory(process, remote + sizeof item, local.data(), kChars * sizeof(wchar_t), nullptr);
        const int chars = static_cast<int>(length > 0 ? length : 0);
        const int size = WideCharToMultiByte(CP_UTF8, 0, local.data(), chars, nullptr, 0, nullptr, nullptr);
        text.assign(static_cast<size_t>(size), '\0');
        if (size > 0) WideCharToMultiByte(CP_UTF8, 0, local.data(), chars, &text[0], size, nullptr, nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

}  // namespace window_test
