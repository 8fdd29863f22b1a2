// Puts the real workbench window into the state a picture of one of its pages
// should show, by the window tests' means: starts QuobrixWorkbench.exe from
// its default settings, fills the page with README's examples and computes.
// Then it prints "ready" and keeps the program open until it is killed;
// scripts/screenshot --workbench PAGE captures the screen meanwhile.
//
// Usage: workbench_screenshot_driver --app=PATH\QuobrixWorkbench.exe --page=0..3
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "res/workbench_resource.h"
#include "tests/window/app_session.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"

namespace {

using namespace window_test;

int Fail(const std::string& why) {
    std::fprintf(stderr, "workbench_screenshot_driver: %s\n", why.c_str());
    return 1;
}

// The window starts from its defaults: the CRC page, MODBUS.
void ForgetSettings() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    DeleteFileW((std::wstring(folder) + L"\\Quobrix\\workbench.ini").c_str());
}

void Click(const AppSession& app, int id) { SendBounded(app.Control(id), BM_CLICK); }

bool ShowPage(const AppSession& app, int page) {
    HWND tabs = app.Control(IDC_WB_TABS);
    SendBounded(app.dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tabs), TRUE);
    for (int step = 0; step < page; ++step) {
        const LRESULT before = SendBounded(tabs, TCM_GETCURSEL);
        PostMessageA(tabs, WM_KEYDOWN, VK_RIGHT, 1);
        PostMessageA(tabs, WM_KEYUP, VK_RIGHT, 0xC0000001);
        if (!WaitUntil([&] { return SendBounded(tabs, TCM_GETCURSEL) != before; })) return false;
    }
    return true;
}

bool Filled(const AppSession& app, int id) {
    return WaitUntil([&] { return !TextOf(app.Control(id)).empty() || SendBounded(app.Control(id), LVM_GETITEMCOUNT) > 0; });
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    int page = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--app=", 6) == 0) path = argv[i] + 6;
        if (std::strncmp(argv[i], "--page=", 7) == 0) page = std::atoi(argv[i] + 7);
    }
    if (path.empty() || page < 0 || page > 3) {
        std::fprintf(stderr, "usage: workbench_screenshot_driver --app=PATH_OF_QuobrixWorkbench.exe --page=0..3\n");
        return 2;
    }
    ForgetSettings();
    AppSession app;
    std::string error;
    if (!app.Start(path, &error)) return Fail(error);
    if (!ShowPage(app, page)) return Fail("the tabs did not change page");
    bool ready = false;
    switch (page) {
        case 0:
            Click(app, IDC_CRC_MODE_HEX);
            SetText(app.Control(IDC_CRC_INPUT), "01 03 00 00 00 0A");
            Click(app, IDC_CRC_COMPUTE);
            Click(app, IDC_CRC_ALL);
            ready = Filled(app, IDC_CRC_RESULT) && Filled(app, IDC_CRC_LIST);
            break;
        case 1:
            SetText(app.Control(IDC_FIND_FRAMES),
                    "01 03 00 00 00 0A C5 CD\r\n01 06 00 01 00 03 98 0B\r\n11 03 00 6B 00 03 76 87\r\n");
            Click(app, IDC_FIND_RUN);
            ready = Filled(app, IDC_FIND_LIST);
            break;
        case 2:
            SetText(app.Control(IDC_FRAME_CHECK), "CRC-16/MODBUS");
            Click(app, IDC_FRAME_LE);
            SetText(app.Control(IDC_FRAME_DATA), "01 03 00 00 00 0A");
            Click(app, IDC_FRAME_BUILD);
            ready = Filled(app, IDC_FRAME_RESULT);
            break;
        default:
            SetText(app.Control(IDC_NUM_HEX), "41 20 00 00");
            Click(app, IDC_NUM_RUN);
            SetText(app.Control(IDC_NUM_VALUE), "10");
            Click(app, IDC_NUM_BACK);
            ready = Filled(app, IDC_NUM_LIST) && Filled(app, IDC_NUM_BYTES_LIST);
            break;
    }
    if (!ready) return Fail("the page showed no result");
    // The focus back on the tabs, where a user who clicked a tab has it.
    SendBounded(app.dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(app.Control(IDC_WB_TABS)), TRUE);
    std::printf("ready\n");
    std::fflush(stdout);
    WaitForSingleObject(app.process(), INFINITE);
    return 0;
}
