// What the window tests and their probe DLL say to each other. The probe is
// a WH_CALLWNDPROC hook that the test driver installs on the program's GUI
// thread, so the window system loads it into the program's own process.
// There it answers questions whose answers are private to that process
// (menus, icon handles): the driver sends the request message to one of the
// program's windows, and the probe sends the reply to the driver's reply
// window as WM_COPYDATA before the request returns.
#pragma once

#include <windows.h>

namespace window_probe {

// Registered message: wParam is a Query, lParam the reply window.
constexpr char kRequestMessageName[] = "Quobrix.WindowTests.ProbeRequest";

// The hook procedure's exported name (extern "C", so undecorated on x86_64).
constexpr char kHookProcName[] = "ProbeCallWndProc";

enum Query : WPARAM {
    kSystemMenu = 1,     // the window's system menu; reply SystemMenuReply
    kMessageBoxIcon = 2, // the icon of a message box; reply MessageBoxReply
};

// Where the answer was made: evidence that the probe ran in the program.
struct Origin {
    DWORD process_id;
    char module_path[MAX_PATH];  // the probe DLL as loaded in that process
};

constexpr int kMaxMenuItems = 32;
constexpr int kMaxMenuText = 64;

struct MenuItem {
    UINT type;  // MFT_* as GetMenuItemInfo reports it
    UINT id;
    char text[kMaxMenuText];  // ANSI (GBK) text, empty for a separator
};

struct SystemMenuReply {
    Origin origin;
    int item_count;  // GetMenuItemCount; -1 when the window has no system menu
    MenuItem items[kMaxMenuItems];  // the first min(item_count, kMaxMenuItems)
};

// The standard icons, found by comparing handles with LoadIcon(NULL, IDI_*)
// inside the program (shared icons are handles private to each process).
enum class StandardIcon : int { kNone, kOther, kHand, kQuestion, kExclamation, kAsterisk };

struct MessageBoxReply {
    Origin origin;
    int icon_statics;   // visible SS_ICON children of the box
    StandardIcon icon;  // what the first of them shows (STM_GETICON)
};

}  // namespace window_probe
