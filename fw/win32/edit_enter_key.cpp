// Windows' multiline edit box without ES_WANTRETURN declines Enter in its
// WM_GETDLGCODE answer, so the dialog manager presses the default button, or
// sends IDOK when there is none. Wine's edit box keeps the key and looks for
// an IDOK control instead; a dialog without one then loses Enter. Giving the
// Windows answer to WM_GETDLGCODE restores the dialog manager's handling;
// on Windows the answer is the same as the edit box's own.
#include "fw/win32/edit_enter_key.h"

#include <commctrl.h>

#include "fw/win32/edit_box_text.h"

namespace {

const UINT_PTR kSubclassId = 1;

bool IsEnterKeyDown(LPARAM lparam) {
    const MSG* message = reinterpret_cast<const MSG*>(lparam);
    return message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
}

LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                          DWORD_PTR) {
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(edit, &EditProc, kSubclassId);
    LRESULT code = ::DefSubclassProc(edit, message, wparam, lparam);
    if (message == WM_GETDLGCODE && IsEnterKeyDown(lparam))
        code &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    return code;
}

BOOL CALLBACK SubclassIfEnterBelongsToDialog(HWND child, LPARAM) {
    const LONG_PTR style = ::GetWindowLongPtrA(child, GWL_STYLE);
    if (fw::win32::IsEditBox(child) && (style & ES_MULTILINE) && !(style & ES_WANTRETURN))
        ::SetWindowSubclass(child, &EditProc, kSubclassId, 0);
    return TRUE;
}

}  // namespace

namespace fw {
namespace win32 {

void PassEnterToDialog(HWND dialog) {
    ::EnumChildWindows(dialog, &SubclassIfEnterBelongsToDialog, 0);
}

}  // namespace win32
}  // namespace fw
