// Puts the real workbench window into the state a picture of one of its pages
// should show, by the window tests' means: starts QuobrixWorkbench.exe from
// its default settings, fills the page with README's examples and computes.
// Then it prints "ready" and keeps the program open until it is killed;
// scripts/screenshot --workbench PAGE captures the screen meanwhile.
//
// Usage: workbench_screenshot_driver --app=PATH\QuobrixWorkbench.exe --page=0..10
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "res/workbench_resource.h"
#include "tests/window/app_session.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "tests/window/workbench_pages.h"

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
    if (path.empty() || page < 0 || page >= kWorkbenchPages) {
        std::fprintf(stderr, "usage: workbench_screenshot_driver --app=PATH_OF_QuobrixWorkbench.exe --page=0..10\n");
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
        case 4:
            Click(app, IDC_ARR_SRC_TEXT);
            SetText(app.Control(IDC_ARR_INPUT), "Hello, world");
            SetText(app.Control(IDC_ARR_NAME), "greeting");
            Click(app, IDC_ARR_CRC);
            Click(app, IDC_ARR_RUN);
            ready = Filled(app, IDC_ARR_RESULT);
            break;
        case 5:
            // E24: the series box's first line is the command's default.
            SendBounded(app.Control(IDC_PARTS_SERIES), CB_SETCURSEL, 4);
            SetText(app.Control(IDC_PARTS_VALUE), "4.8k");
            Click(app, IDC_PARTS_NEAREST);
            ready = Filled(app, IDC_PARTS_RESULT);
            break;
        case 6:
            SetText(app.Control(IDC_FLT_FREQ), "1k");
            Click(app, IDC_FLT_DESIGN);
            ready = Filled(app, IDC_FLT_RESULT);
            break;
        case 7:
            SetText(app.Control(IDC_PF_FORMAT), "%08.3f|%-5hhd|%#x");
            SetText(app.Control(IDC_PF_ARGS), "3.14159\r\n300\r\n255");
            Click(app, IDC_PF_RUN);
            ready = Filled(app, IDC_PF_RESULT) && Filled(app, IDC_PF_TABLE);
            break;
        case 9: {
            // The peer behind COM9 (scripts/with-link-peers) answers twice:
            // its check right, then wrong.
            const char* port = std::getenv("QUOBRIX_PEER_COM");
            if (!port) return Fail("no peer: run under scripts/with-link-peers");
            SetText(app.Control(IDC_SER_PORT), port);
            SetText(app.Control(IDC_SER_SEND_TEXT), "01 03 00 00 00 0A");
            Click(app, IDC_SER_APPEND_CHECK);
            Click(app, IDC_SER_OPEN);
            HWND list = app.Control(IDC_SER_LIST);
            for (int round = 1; round <= 2 && ready == false; ++round) {
                if (!WaitUntil([&] { return IsWindowEnabled(app.Control(IDC_SER_CLOSE)) != FALSE; }, 30000)) break;
                Click(app, IDC_SER_SEND);
                if (!WaitUntil([&] { return RowCount(list) >= 2 * round; }, 30000)) break;
                ready = round == 2;
            }
            if (!ready) return Fail("the link gave no answers: " + TextOf(app.Control(IDC_SER_STATUS)));
            break;
        }
        case 10: {
            // The device of scripts/with-modbus-device: 3.14 as f32 CDAB at 40001.
            const char* device = std::getenv("QUOBRIX_MODBUS_TCP");
            if (!device) return Fail("no device: run under scripts/with-modbus-device");
            // Two polls in the list: the float, and the u16 beside it.
            SetText(app.Control(IDC_MB_HOST), device);
            SetText(app.Control(IDC_MB_COUNT), "2");
            SetText(app.Control(IDC_MB_FORMAT), "f32 cdab");
            Click(app, IDC_MB_ADD);
            SetText(app.Control(IDC_MB_ADDRESS), "2");
            SetText(app.Control(IDC_MB_COUNT), "2");
            SetText(app.Control(IDC_MB_FORMAT), "u16");
            Click(app, IDC_MB_ADD);
            Click(app, IDC_MB_START);
            HWND traffic = app.Control(IDC_MB_TRAFFIC);
            ready = WaitUntil([&] { return RowCount(traffic) >= 6; }, 30000);
            Click(app, IDC_MB_STOP);
            ready = ready && WaitUntil([&] { return IsWindowEnabled(app.Control(IDC_MB_START)) != FALSE; }, 30000);
            if (!ready) return Fail("the device gave no answers: " + TextOf(app.Control(IDC_MB_STATUS)));
            break;
        }
        case 8:
            SetText(app.Control(IDC_RND_SEED), "1");
            Click(app, IDC_RND_RUN);
            ready = Filled(app, IDC_RND_RESULT);
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
