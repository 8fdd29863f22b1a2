// One run of the program under test: started with CreateProcess, its main
// dialog found, closed at the end, and killed if it does not go by itself.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace window_test {

// The program given on the command line with --app=PATH (a Windows path or,
// under Wine, a Unix path).
const std::string& AppPath();
void SetAppPath(const std::string& path);

// Under Wine a Unix path is turned into the DOS path of the same file;
// other paths are returned as they are.
std::string WindowsPathOf(const std::string& path);

class AppSession {
public:
    AppSession() = default;
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;
    ~AppSession();  // kills the process if it is still running

    // Starts the program and waits for its visible main dialog. On failure
    // returns false and `error` says why.
    bool Start(const std::string& path, std::string* error);

    // Asks the dialog to close (WM_CLOSE) and waits for the process to end.
    bool Close();

    bool HasExited() const;

    HWND dialog() const { return dialog_; }
    DWORD thread_id() const { return thread_id_; }
    DWORD process_id() const { return process_.dwProcessId; }
    HANDLE process() const { return process_.hProcess; }
    // The dialog's control `id`, or that of a page of it (a child dialog,
    // as the workbench window's pages are).
    HWND Control(int id) const;

private:
    PROCESS_INFORMATION process_ = {};
    HWND dialog_ = nullptr;
    DWORD thread_id_ = 0;
};

// Fixture: every test gets a freshly started program.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND dialog() const { return app_.dialog(); }
    HWND Control(int id) const { return app_.Control(id); }
    HWND Focus() const;

    // The output box's text before a click: a change shows the handler ran.
    static constexpr char kOldOutput[] = "typed into the output box before the click";
    void PrimeOutput() const;
    // The output box's text once it is no longer kOldOutput (kOldOutput when
    // it never changed within the wait).
    std::string NewOutput() const;

    AppSession app_;
};

}  // namespace window_test
