#include "tests/window/app_session.h"

#include "res/resource.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"

#include <vector>

namespace window_test {
namespace {

std::string& AppPathStorage() {
    static std::string path;
    return path;
}

struct MainDialogSearch {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK CheckMainDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<MainDialogSearch*>(context);
    DWORD owner_process = 0;
    GetWindowThreadProcessId(window, &owner_process);
    if (owner_process == search->process_id && IsWindowVisible(window) &&
        !GetWindow(window, GW_OWNER) && ClassNameOf(window) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMainDialog(DWORD process_id) {
    MainDialogSearch search{process_id, nullptr};
    EnumWindows(CheckMainDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND AppSession::Control(int id) const {
    if (HWND control = GetDlgItem(dialog_, id)) return control;
    for (HWND page = GetWindow(dialog_, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
        if (ClassNameOf(page) != "#32770") continue;
        if (HWND control = GetDlgItem(page, id)) return control;
    }
    return nullptr;
}

// Under Wine a Unix path is turned into the DOS path of the same file.
std::string WindowsPathOf(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    using DosName = WCHAR* (*)(const char*);
    auto dos_name = reinterpret_cast<DosName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (!dos_name) return path;
    WCHAR* wide = dos_name(path.c_str());
    if (!wide) return path;
    char narrow[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wide);
    return narrow;
}

const std::string& AppPath() { return AppPathStorage(); }
void SetAppPath(const std::string& path) { AppPathStorage() = path; }

AppSession::~AppSession() {
    if (process_.hProcess) {
        if (!HasExited()) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, kDefaultWaitMs);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

bool AppSession::Start(const std::string& path, std::string* error) {
    const std::string windows_path = WindowsPathOf(path);
    std::vector<char> command_line(windows_path.size() + 3);
    wsprintfA(command_line.data(), "\"%s\"", windows_path.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(windows_path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process_)) {
        *error = "CreateProcess(" + windows_path + ") failed, error " +
                 std::to_string(GetLastError());
        return false;
    }
    if (!WaitUntil([&] { return (dialog_ = FindMainDialog(process_.dwProcessId)) != nullptr; })) {
        *error = "no visible dialog of class #32770 appeared for process " +
                 std::to_string(process_.dwProcessId);
        return false;
    }
    thread_id_ = GetWindowThreadProcessId(dialog_, nullptr);
    // The dialog manager sets the first focus right after showing the window.
    if (!WaitUntil([&] { return FocusOf(thread_id_) != nullptr; })) {
        *error = "the dialog appeared but no control took the focus";
        return false;
    }
    return true;
}

bool AppSession::Close() {
    if (!process_.hProcess) return true;
    if (dialog_ && IsWindow(dialog_)) PostMessageA(dialog_, WM_CLOSE, 0, 0);
    return WaitForSingleObject(process_.hProcess, kDefaultWaitMs) == WAIT_OBJECT_0;
}

bool AppSession::HasExited() const {
    return !process_.hProcess || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
}

void AppTest::SetUp() {
    std::string error;
    ASSERT_TRUE(app_.Start(AppPath(), &error)) << error;
}

void AppTest::TearDown() {
    if (HasFailure()) return;  // the destructor kills whatever is left
    // Any message box still open is a fault of the test or the program.
    EXPECT_TRUE(OwnedDialogs(dialog()).empty()) << "a message box is still open";
    EXPECT_TRUE(app_.Close()) << "the program did not end after WM_CLOSE";
}

HWND AppTest::Focus() const { return FocusOf(app_.thread_id()); }

void AppTest::PrimeOutput() const { SetText(Control(IDC_EDIT_OUTPUT), kOldOutput); }

std::string AppTest::NewOutput() const {
    std::string text;
    EXPECT_TRUE(WaitUntil([&] { return (text = TextOf(Control(IDC_EDIT_OUTPUT))) != kOldOutput; }))
        << "the output box kept its text: the tool did not run";
    return text;
}

}  // namespace window_test
