// The offscreen backend's own controls: windows that live in memory only, so
// that dialogs run without a window system (unit tests, the command line).
// Message boxes return IDOK at once and are recorded in order.
#pragma once

#include <string>
#include <vector>

#include "fw/afxwin.h"

namespace fw {
namespace offscreen {

struct MessageBoxRecord {
    std::string text;     // GBK bytes
    std::string caption;  // the application title
    UINT type;            // MB_ flags as passed to the window system
};

// Creates `dialog`'s window and controls from its template and sends
// WM_INITDIALOG, as DoModal does before its message loop. The window lives
// until DestroyDialog or the dialog object's end.
bool CreateDialogWindow(CDialog& dialog);
void DestroyDialogWindow(CDialog& dialog);

// What a user does: type a text into a control, click a button (a disabled
// one does nothing; a check box or radio button changes state first, as the
// real controls do), or send the window a message (WM_CLOSE, WM_SYSCOMMAND...).
void SetText(CWnd& dialog, int id, const std::string& gbk_text);
std::string GetText(CWnd& dialog, int id);
void Click(CWnd& dialog, int id);
bool IsChecked(CWnd& dialog, int id);
bool IsEnabled(CWnd& dialog, int id);
LRESULT Send(CWnd& dialog, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

// Whether the dialog has been ended, and with which result.
bool IsEnded(const CWnd& dialog);
INT_PTR EndResult(const CWnd& dialog);

// Message boxes shown since the last call, oldest first; the log is emptied.
std::vector<MessageBoxRecord> TakeMessageBoxes();

// Modal dialogs run by DoModal since the last call (template ids), oldest
// first; each is created, initialised and ended at once with IDCANCEL.
std::vector<int> TakeModalDialogs();

// Window-level state for tests of the window behaviours.
bool IsTopmost(const CWnd& dialog);
bool IsVisible(const CWnd& dialog);
int FadeCount(const CWnd& dialog);  // AnimateWindow calls that hid the window
HICON Icon(const CWnd& dialog, bool big);
std::vector<std::string> SystemMenuItems(const CWnd& dialog);  // "-" for a separator
void SetIconic(CWnd& dialog, bool iconic);
void SetClientSize(CWnd& dialog, int width, int height);

struct IconDraw {
    int x, y;
    HICON icon;
};
// Icons drawn by paint contexts since the last call.
std::vector<IconDraw> TakeIconDraws();

}  // namespace offscreen
}  // namespace fw
