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
    kIconicPaint = 3,    // the minimised window's painting; reply IconicPaintReply
    kDragIcon = 4,       // the answer to WM_QUERYDRAGICON; reply DragIconReply
    kDropFiles = 5,      // drops the file the reply window's caption names; reply DropFilesReply
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

// What the probe saw of the window's painting of its minimised icon: that
// painting sends WM_ICONERASEBKGND to the window with its paint context, then
// draws the icon with DrawIcon (which the probe records by taking the
// program's import of it while it asks for a paint).
struct IconPaintLog {
    int icon_erases;             // WM_ICONERASEBKGND sent to the window
    BOOL erase_had_paint_dc;     // the last one carried a device context
    int icons_drawn;             // DrawIcon calls of the program
    POINT drawn_at;              // where the last one drew
    BOOL drew_application_icon;  // its icon was LoadIcon(program, IDR_MAINFRAME)
    BOOL drew_on_erase_dc;       // on the context WM_ICONERASEBKGND carried
};

struct IconicPaintReply {
    Origin origin;
    BOOL iconic;             // IsIconic, inside the program
    RECT client;             // GetClientRect
    int icon_cx, icon_cy;    // SM_CXICON, SM_CYICON
    BOOL draw_icon_taken;    // the probe found the program's import of DrawIcon
    IconPaintLog unasked;    // the window's own painting since the probe came in
    IconPaintLog redrawn;    // RedrawWindow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW)
    IconPaintLog sent_paint; // WM_PAINT sent to the window, when minimised
};

struct DragIconReply {
    Origin origin;
    BOOL answered;              // WM_QUERYDRAGICON returned a handle
    BOOL is_application_icon;   // == LoadIcon(program, IDR_MAINFRAME)
    BOOL is_big_window_icon;    // == WM_GETICON ICON_BIG
};

// A file dropped as the shell drops one: the probe makes the HDROP in the
// program's process (GlobalAlloc of a DROPFILES with the wide name) and posts
// WM_DROPFILES to the window, which owns the handle from then on.
struct DropFilesReply {
    Origin origin;
    BOOL posted;
};

}  // namespace window_probe
