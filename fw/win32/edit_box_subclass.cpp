// One window subclass per edit box of a dialog, for two places where Wine's
// edit box costs time or loses a key.
//
// Idle paints. Wine's edit box lays out every visible line again on each
// WM_PAINT, before it looks at what needs drawing, and a WM_PAINT may come
// with an empty update region (after its scroll bars were redrawn, for one).
// With a long line of hex digits in view that layout takes over a second, for
// a paint that draws nothing. Such a paint is answered here: BeginPaint and
// EndPaint still paint the frame if it needs it and validate the window, as
// the box's own handler would, and the client area stays as it is.
//
// Enter. Windows' multiline edit box without ES_WANTRETURN declines Enter in
// its WM_GETDLGCODE answer, so the dialog manager presses the default button,
// or sends IDOK when there is none. Wine's edit box keeps the key and looks
// for an IDOK control instead; a dialog without one then loses Enter. Giving
// the Windows answer to WM_GETDLGCODE restores the dialog manager's handling;
// on Windows the answer is the same as the edit box's own.
#include "fw/win32/edit_box_subclass.h"

#include <commctrl.h>

#include "fw/win32/edit_box_text.h"

namespace {

const UINT_PTR kSubclassId = 1;

// The subclass's reference data: where Enter typed into the box goes. The
// box's style does not change after creation, so it is decided once.
enum EnterKey : DWORD_PTR { kEnterStaysInBox = 0, kEnterGoesToDialog = 1 };

bool IsEnterKeyDown(LPARAM lparam) {
    const MSG* message = reinterpret_cast<const MSG*>(lparam);
    return message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
}

LRESULT CALLBACK EditBoxProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                             DWORD_PTR enter_key) {
    switch (message) {
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(edit, &EditBoxProc, kSubclassId);
            break;
        case WM_PAINT:
            // A paint into a given device context is a request to draw, not an update.
            if (wparam == 0 && !::GetUpdateRect(edit, nullptr, FALSE)) {
                PAINTSTRUCT paint;
                ::BeginPaint(edit, &paint);
                ::EndPaint(edit, &paint);
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            if (enter_key == kEnterGoesToDialog && IsEnterKeyDown(lparam))
                return ::DefSubclassProc(edit, message, wparam, lparam) &
                       ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(edit, message, wparam, lparam);
}

BOOL CALLBACK SubclassIfEditBox(HWND child, LPARAM) {
    if (!fw::win32::IsEditBox(child)) return TRUE;
    const LONG_PTR style = ::GetWindowLongPtrA(child, GWL_STYLE);
    const EnterKey enter_key = (style & ES_MULTILINE) && !(style & ES_WANTRETURN)
                                   ? kEnterGoesToDialog
                                   : kEnterStaysInBox;
    ::SetWindowSubclass(child, &EditBoxProc, kSubclassId, enter_key);
    return TRUE;
}

}  // namespace

namespace fw {
namespace win32 {

void SubclassEditBoxes(HWND dialog) { ::EnumChildWindows(dialog, &SubclassIfEditBox, 0); }

}  // namespace win32
}  // namespace fw
