// Modal dialogs, and modeless child ones, over the Win32 dialog manager. The dialog manager creates
// the window from the template and runs the modal loop (which also turns
// Enter into IDOK and Esc into IDCANCEL). The dialog object arrives with
// WM_INITDIALOG, as DialogBoxParam's parameter; the window is then
// subclassed with the object as the subclass's reference data, so that every
// message goes through the object's message map first, the way the framework
// expects, and only then, through DefaultHandling, to the dialog manager's
// own window procedure. The window itself carries its object: no table of
// windows is kept, and a nested dialog (the About box) is bound the same way.
#include "fw/afxwin.h"
#include "fw/backend.h"
#include "fw/win32/edit_box_subclass.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings

namespace {

const UINT_PTR kDialogSubclassId = 1;

LRESULT CALLBACK DialogSubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR, DWORD_PTR reference) {
    CDialog* dialog = reinterpret_cast<CDialog*>(reference);
    if (message == WM_NCDESTROY) {
        // The object outlives its window: it lets go of the handle, and no
        // later message reaches it.
        ::RemoveWindowSubclass(window, &DialogSubclassProc, kDialogSubclassId);
        dialog->DetachWindow();
        return ::DefSubclassProc(window, message, wparam, lparam);
    }
    return dialog->WindowProc(message, wparam, lparam);
}

// The dialog procedure the dialog manager calls. Before the subclassing it
// sees WM_SETFONT and WM_INITDIALOG; afterwards it is reached only from the
// default handling, where FALSE means "let the dialog manager do its part".
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lparam);
    dialog->AttachWindow(window);
    ::SetWindowSubclass(window, &DialogSubclassProc, kDialogSubclassId,
                        reinterpret_cast<DWORD_PTR>(dialog));
    fw::win32::SubclassEditBoxes(window);
    // TRUE lets the dialog manager put the focus on the first tab stop.
    return dialog->WindowProc(WM_INITDIALOG, wparam, 0);
}

}  // namespace

namespace fw {
namespace backend {

INT_PTR RunModalDialog(CDialog& dialog, int template_id, HWND parent) {
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id), parent,
                             &DialogProc, reinterpret_cast<LPARAM>(&dialog));
}

void EndDialog(HWND dialog, INT_PTR result) { ::EndDialog(dialog, result); }

// The same procedure and subclassing as a modal dialog's; the dialog manager
// of the window that runs the message loop (the parent's) handles its keys.
// Created as a Unicode window, so are its controls: they then keep every
// character a user types or a program sets as UTF-16, where an ANSI control
// would turn what the code page cannot spell (한글, 😀) into '?'.
HWND CreateChildDialog(CDialog& dialog, int template_id, HWND parent) {
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), parent, &DialogProc,
                                reinterpret_cast<LPARAM>(&dialog));
}

void DestroyChildDialog(HWND dialog) { ::DestroyWindow(dialog); }

// Reached from a handler of the object, inside DialogSubclassProc, where the
// next procedure of the window's chain is the dialog manager's. A window that
// is gone (the object has no handle any more) has no default handling.
LRESULT DefaultHandling(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!window) return 0;
    return ::DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace backend
}  // namespace fw
